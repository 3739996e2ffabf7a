#pragma once
// The deck builder's main window, thin over DeckBuilderModel: every command
// runs the model and then shows what it holds.

#include "carddata/InstallPaths.h"
#include "deckbuilder/DeckBuilderModel.h"

#include <QMainWindow>
#include <functional>

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace lumi {

class CardInfoView;

class frmLMNDeckBulid : public QMainWindow {
    Q_OBJECT
public:
    frmLMNDeckBulid(const InstallPaths& paths, const CardDatabase& cards,
                    const QString& defaultAuthorName, UserPort& user, QWidget* parent = nullptr);

    DeckBuilderModel model;

    CardInfoView* wbrCardInfo;
    QGroupBox* fraRule;
    QRadioButton* optRuleJr;
    QRadioButton* optRuleSr;
    QRadioButton* optRulePro;
    QGroupBox* fraList;
    QComboBox* cboCardSeries;
    QListWidget* lstCardList;
    QPushButton* cmdAdd;
    QPushButton* cmdRemove;
    QGroupBox* fraMaster;
    QComboBox* cboMaster;
    QGroupBox* fraDeck;
    QListWidget* lstDeck;
    QGroupBox* fraDeckInfo;
    QLabel* lblMaisuu;
    QLabel* Label1;
    QLineEdit* txtDeckName;
    QLabel* Label2;
    QLineEdit* txtAuthorName;

    QAction* cmdNewDeck;
    QAction* mnuOpenDeck;
    QAction* mnuSave;
    QAction* mnuSaveAs;
    QAction* mnuExit;
    QAction* mnuToolSortFromID;
    QAction* mnuToolSortFromType;
    QAction* mnuToolPutbbs;
    QAction* mnuHelpVerinfo;

    void cmdAdd_Click();
    void cmdRemove_Click();
    void ChangeDeckClass(std::int16_t newClass);
    void RefreshDeckList();
    void cmdNewDeck_Click();
    void mnuOpenDeck_Click();
    void mnuSave_Click();
    void mnuSaveAs_Click();
    void mnuToolSort(bool byType);
    void mnuToolPutbbs_Click();
    void mnuHelpVerinfo_Click();

    // Called with each dialog the window is about to show modally; tests
    // use it to drive the dialog. The window shows it when this is unset.
    std::function<void(QDialog&)> dialogDriver;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void cboCardSeries_Click();
    void showDeckList();
    void showCardPage(const QString& id);
    void saveTo(QString path, const QString& previousPath);
    int runDialog(QDialog& dialog);
    // The error trap of every command: an unexpected failure is reported
    // and the command stops; the window stays open.
    void guarded(const std::function<void()>& command);

    InstallPaths paths_;
    const CardDatabase& cards_;
    UserPort& user_;
};

} // namespace lumi
