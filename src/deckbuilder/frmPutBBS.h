#pragma once
// The posting-text window: a private copy of the deck, its cards by kind,
// and the text made from them, to be copied for a message board.

#include "common/Ports.h"
#include "deckbuilder/BBSText.h"

#include <QDialog>

class QAction;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;

namespace lumi {

class frmPutBBS : public QDialog {
    Q_OBJECT
public:
    frmPutBBS(const DeckData& deck, const QString& deckName, const QString& authorName,
              const CardDatabase& cards, UserPort& user, QWidget* parent = nullptr);

    QLineEdit* txtDeckName;
    QLineEdit* txtAuthorName;
    QListWidget* lstFront;
    QListWidget* lstBack;
    QListWidget* lstMagic;
    QListWidget* lstSuper;
    QPlainTextEdit* txtResult;
    QAction* mnuReMake;
    QAction* mnuCopy;
    QAction* mnuClose;

    void mnuReMake_Click();
    void mnuCopy_Click();

    // The text as made last, with CR LF line ends.
    QString resultText() const;

private:
    DeckData deck_;
    const CardDatabase& cards_;
    UserPort& user_;
};

} // namespace lumi
