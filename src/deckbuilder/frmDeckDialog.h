#pragma once
// The one file dialog for deck files, used by the deck builder and by the
// battle client. Load it, optionally call OpSvMode(true) and fill
// txtFileName, exec() it, then read Canceled() and ReturnPath().

#include "deckbuilder/DeckDialogModel.h"

#include <QDialog>
#include <array>
#include <functional>

class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QPushButton;
class QStackedWidget;
class QStandardItemModel;
class QToolButton;
class QTreeView;

namespace lumi {

class frmDeckDialog : public QDialog {
    Q_OBJECT
public:
    // `deckPath` ends in a separator; boxes, and the error report of the
    // hosting program, go through `user`. `deckBuilder`: the host is the deck
    // builder, whose error report never ends the program.
    frmDeckDialog(const QString& deckPath, UserPort& user, QWidget* parent = nullptr,
                  bool deckBuilder = false);

    void OpSvMode(bool Mode);

    bool Canceled() const { return model.Canceled; }
    const QString& ReturnPath() const { return model.ReturnPath; }
    qint16 LastKey() const { return model.LastKey; }

    // The entry under the selection, -1 when none.
    int selectedIndex() const;
    void selectIndex(int index);

    void Reflesh();
    void cmdOK_Click();
    void cmdCancel_Click();
    void mnuRClick1Delete_Click();
    void optIconMode_Click(int mode);
    void lsvDecks_ColumnClick(int k); // 1-based

    DeckDialogModel model;

    QStackedWidget* lsvDecks;
    QTreeView* detailsView; // the details view of the list
    QListView* iconView;    // the icon and list views
    QLabel* lbl1;
    QLineEdit* txtFileName;
    std::array<QToolButton*, 4> optIconMode{};
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
    QMenu* mnuRClick1;
    QAction* mnuRClick1Delete;

    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fillView();
    void copySelectionToField();

    void trapped(const char* place, const std::function<void()>& handler);

    UserPort& user_;
    bool deckBuilder_;
    QStandardItemModel* items_;
};

} // namespace lumi
