#include "deckbuilder/frmLMNDeckBulid.h"

#include "carddata/ReportError.h"
#include "deckbuilder/CardInfoView.h"
#include "deckbuilder/ErrorTrap.h"
#include "deckbuilder/frmDeckDialog.h"
#include "deckbuilder/frmDeckVersion.h"
#include "deckbuilder/frmPutBBS.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>

namespace lumi {

// The window's layout keeps the original's twips, 15 twips a pixel.
static QRect tw(int left, int top, int width, int height) {
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

frmLMNDeckBulid::frmLMNDeckBulid(const InstallPaths& paths, const CardDatabase& cards,
                                 const QString& defaultAuthorName, UserPort& user, QWidget* parent)
    : QMainWindow(parent), model(cards, defaultAuthorName), paths_(paths), cards_(cards),
      user_(user) {
    setObjectName(QStringLiteral("frmLMNDeckBulid"));
    setWindowTitle(DeckBuilderTitle);

    auto* central = new QWidget(this);
    setCentralWidget(central);

    wbrCardInfo = new CardInfoView(central);
    wbrCardInfo->setGeometry(tw(120, 120, 3255, 5355));

    fraRule = new QGroupBox(QStringLiteral("ルール"), central);
    fraRule->setGeometry(tw(3480, 120, 2535, 650));
    optRuleJr = new QRadioButton(QStringLiteral("Jr."), fraRule);
    optRuleSr = new QRadioButton(QStringLiteral("Sr."), fraRule);
    optRulePro = new QRadioButton(QStringLiteral("Pro."), fraRule);
    optRuleJr->setGeometry(tw(120, 270, 750, 330));
    optRuleSr->setGeometry(tw(900, 270, 750, 330));
    optRulePro->setGeometry(tw(1680, 270, 800, 330));
    optRuleJr->setChecked(true);

    fraList = new QGroupBox(QStringLiteral("カードリスト"), central);
    fraList->setGeometry(tw(3480, 840, 2535, 3375));
    cboCardSeries = new QComboBox(fraList);
    cboCardSeries->setGeometry(tw(120, 270, 2295, 345));
    lstCardList = new QListWidget(fraList);
    lstCardList->setGeometry(tw(120, 690, 2295, 2565));

    cmdAdd = new QPushButton(QStringLiteral(">>"), central);
    cmdAdd->setGeometry(tw(6120, 1800, 495, 495));
    cmdRemove = new QPushButton(QStringLiteral("<<"), central);
    cmdRemove->setGeometry(tw(6120, 2760, 495, 495));

    fraMaster = new QGroupBox(QStringLiteral("マスター"), central);
    fraMaster->setGeometry(tw(6720, 120, 2535, 650));
    cboMaster = new QComboBox(fraMaster);
    cboMaster->setGeometry(tw(120, 260, 2295, 345));

    fraDeck = new QGroupBox(QStringLiteral("デッキ"), central);
    fraDeck->setGeometry(tw(6720, 840, 2535, 3375));
    lstDeck = new QListWidget(fraDeck);
    lstDeck->setGeometry(tw(120, 270, 2295, 2985));

    fraDeckInfo = new QGroupBox(QStringLiteral("デッキ情報"), central);
    fraDeckInfo->setGeometry(tw(3480, 4320, 5775, 1155));
    lblMaisuu = new QLabel(QStringLiteral("現在の枚数：0枚"), fraDeckInfo);
    lblMaisuu->setGeometry(tw(120, 480, 1500, 300));
    Label1 = new QLabel(QStringLiteral("デッキ名(&N)："), fraDeckInfo);
    Label1->setGeometry(tw(1680, 300, 1140, 330));
    txtDeckName = new QLineEdit(UnsetText, fraDeckInfo);
    txtDeckName->setGeometry(tw(2820, 285, 2835, 360));
    Label1->setBuddy(txtDeckName);
    Label2 = new QLabel(QStringLiteral("作者(&A)："), fraDeckInfo);
    Label2->setGeometry(tw(1680, 705, 1140, 330));
    txtAuthorName = new QLineEdit(UnsetText, fraDeckInfo);
    txtAuthorName->setGeometry(tw(2820, 690, 2835, 360));
    Label2->setBuddy(txtAuthorName);

    central->setFixedSize(9375 / 15, 5595 / 15);

    QMenu* mnuFile = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    cmdNewDeck = mnuFile->addAction(QStringLiteral("新規デッキ(&N)"));
    cmdNewDeck->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    mnuOpenDeck = mnuFile->addAction(QStringLiteral("デッキを開く(&O)..."));
    mnuOpenDeck->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    mnuFile->addSeparator();
    mnuSave = mnuFile->addAction(QStringLiteral("デッキを上書き保存する(&S)"));
    mnuSave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    mnuSaveAs = mnuFile->addAction(QStringLiteral("デッキを保存する(&A)..."));
    mnuFile->addSeparator();
    mnuExit = mnuFile->addAction(QStringLiteral("終了(&X)"));
    QMenu* mnuTool = menuBar()->addMenu(QStringLiteral("ツール(&T)"));
    QMenu* sortMenu = mnuTool->addMenu(QStringLiteral("デッキのソート(&S)"));
    mnuToolSortFromID = sortMenu->addAction(QStringLiteral("ID順(&I)"));
    mnuToolSortFromType = sortMenu->addAction(QStringLiteral("種類順(&T)"));
    mnuToolPutbbs = mnuTool->addAction(QStringLiteral("BBS書き込み用出力(&P)..."));
    QMenu* mnuHelp = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    mnuHelpVerinfo = mnuHelp->addAction(QStringLiteral("バージョン情報"));
    // The window is not resizable; its size follows the fixed client area.
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmdNewDeck, &QAction::triggered, this,
            [this] { guarded([this] { cmdNewDeck_Click(); }); });
    connect(mnuOpenDeck, &QAction::triggered, this,
            [this] { guarded([this] { mnuOpenDeck_Click(); }); });
    connect(mnuSave, &QAction::triggered, this, [this] { guarded([this] { mnuSave_Click(); }); });
    connect(mnuSaveAs, &QAction::triggered, this,
            [this] { guarded([this] { mnuSaveAs_Click(); }); });
    connect(mnuExit, &QAction::triggered, this, [this] { close(); });
    connect(mnuToolSortFromID, &QAction::triggered, this,
            [this] { guarded([this] { mnuToolSort(false); }); });
    connect(mnuToolSortFromType, &QAction::triggered, this,
            [this] { guarded([this] { mnuToolSort(true); }); });
    connect(mnuToolPutbbs, &QAction::triggered, this,
            [this] { guarded([this] { mnuToolPutbbs_Click(); }); });
    connect(mnuHelpVerinfo, &QAction::triggered, this,
            [this] { guarded([this] { mnuHelpVerinfo_Click(); }); });

    connect(cmdAdd, &QPushButton::clicked, this, [this] { guarded([this] { cmdAdd_Click(); }); });
    connect(cmdRemove, &QPushButton::clicked, this,
            [this] { guarded([this] { cmdRemove_Click(); }); });
    connect(optRuleJr, &QRadioButton::clicked, this,
            [this] { guarded([this] { ChangeDeckClass(DeckJr); }); });
    connect(optRuleSr, &QRadioButton::clicked, this,
            [this] { guarded([this] { ChangeDeckClass(DeckSr); }); });
    connect(optRulePro, &QRadioButton::clicked, this,
            [this] { guarded([this] { ChangeDeckClass(DeckPro); }); });
    connect(cboCardSeries, &QComboBox::currentIndexChanged, this,
            [this] { guarded([this] { cboCardSeries_Click(); }); });
    connect(lstCardList, &QListWidget::currentRowChanged, this, [this](int row) {
        guarded([this, row] {
            const QList<CardSeries>& series = cards_.CardLists();
            const int s = cboCardSeries->currentIndex();
            if (row < 0 || s < 0 || s >= series.size() || row >= series[s].Cards.size())
                return;
            showCardPage(series[s].Cards[row].CardID);
        });
    });
    connect(lstDeck, &QListWidget::currentRowChanged, this, [this](int row) {
        guarded([this, row] {
            if (row < 0 || row >= model.deckList().size())
                return;
            const int slot = model.deckList()[row].slot;
            if (slot >= 0 && slot < model.CurrentDeck.Cards.size())
                showCardPage(model.CurrentDeck.Cards[slot]);
        });
    });
    connect(cboMaster, &QComboBox::currentIndexChanged, this, [this](int index) {
        guarded([this, index] {
            const QList<CardData>& masters = cards_.MasterList();
            if (index < 0 || index >= masters.size())
                return;
            model.CurrentDeck.Master = masters[index].CardID;
            showCardPage(masters[index].CardID);
        });
    });
    connect(txtDeckName, &QLineEdit::textChanged, this,
            [this](const QString& t) { model.CurrentDeck.DeckName = t; });
    connect(txtAuthorName, &QLineEdit::textChanged, this,
            [this](const QString& t) { model.CurrentDeck.AuthorName = t; });

    // Loading the window.
    for (const CardSeries& s : cards_.CardLists())
        cboCardSeries->addItem(s.SeriesName);
    {
        const QSignalBlocker block(cboMaster);
        for (int i = 0; i < cards_.MasterList().size(); ++i)
            cboMaster->addItem(cards_.MasterList()[i].CardName, i);
    }
    if (cboCardSeries->count() > 0)
        cboCardSeries->setCurrentIndex(0);
    cboCardSeries_Click();
    if (cboMaster->count() > 0) {
        cboMaster->setCurrentIndex(0);
        model.CurrentDeck.Master = cards_.MasterList()[0].CardID;
        showCardPage(model.CurrentDeck.Master);
    }
    wbrCardInfo->showPage(paths_.SystemPath + QStringLiteral("startup_b.html"));
    model.StartDeck();
    {
        // The name box shows "(未設定)" while the deck has no name yet.
        const QSignalBlocker blockName(txtDeckName);
        const QSignalBlocker blockAuthor(txtAuthorName);
        txtAuthorName->setText(model.CurrentDeck.AuthorName);
    }
}

void frmLMNDeckBulid::guarded(const std::function<void()>& command) {
    RunTrapped(user_, QStringLiteral("(不明)"), true, command);
}

void frmLMNDeckBulid::cboCardSeries_Click() {
    lstCardList->clear();
    const int s = cboCardSeries->currentIndex();
    const QList<CardSeries>& series = cards_.CardLists();
    if (s < 0 || s >= series.size())
        return;
    const QSignalBlocker block(lstCardList);
    for (const CardData& c : series[s].Cards)
        lstCardList->addItem(c.CardID + QStringLiteral(":") + c.CardName);
}

void frmLMNDeckBulid::showCardPage(const QString& id) {
    wbrCardInfo->showPage(paths_.CardsPath + id + QStringLiteral(".html"));
}

void frmLMNDeckBulid::showDeckList() {
    const QSignalBlocker block(lstDeck);
    const int row = lstDeck->currentRow();
    lstDeck->clear();
    for (const DeckListEntry& e : model.deckList())
        lstDeck->addItem(e.text);
    if (row >= 0 && row < lstDeck->count())
        lstDeck->setCurrentRow(row);
    lblMaisuu->setText(model.MaisuuText());
}

void frmLMNDeckBulid::cmdAdd_Click() {
    const QList<CardSeries>& series = cards_.CardLists();
    const int s = cboCardSeries->currentIndex();
    const int row = lstCardList->currentRow();
    if (s < 0 || s >= series.size() || row < 0 || row >= series[s].Cards.size())
        return;
    if (model.AddCard(series[s].Cards[row].CardID, user_) == DeckBuilderModel::AddResult::Added)
        showDeckList();
}

void frmLMNDeckBulid::cmdRemove_Click() {
    const int row = lstDeck->currentRow();
    if (row < 0 || !lstDeck->item(row)->isSelected())
        return;
    if (model.RemoveEntry(row)) {
        {
            const QSignalBlocker block(lstDeck);
            delete lstDeck->takeItem(row);
            lstDeck->setCurrentRow(-1);
        }
        lblMaisuu->setText(model.MaisuuText());
    }
}

void frmLMNDeckBulid::ChangeDeckClass(std::int16_t newClass) {
    if (!model.ChangeDeckClass(newClass, user_)) {
        optRulePro->setChecked(true);
        return;
    }
    RefreshDeckList();
}

void frmLMNDeckBulid::RefreshDeckList() {
    model.RefreshDeckList();
    showDeckList();
    const int master = model.MasterIndexOf(model.CurrentDeck.Master);
    if (master >= 0) {
        const QSignalBlocker block(cboMaster);
        cboMaster->setCurrentIndex(master);
        showCardPage(model.CurrentDeck.Master);
    }
    QRadioButton* const options[3] = {optRuleJr, optRuleSr, optRulePro};
    const std::int16_t type = model.CurrentDeck.DeckType;
    if (type >= 0 && type <= 2) {
        options[type]->setChecked(true);
    } else {
        for (QRadioButton* o : options)
            o->setAutoExclusive(false), o->setChecked(false), o->setAutoExclusive(true);
    }
    // Copy the texts out first: setting one box writes its text back into
    // the record.
    const QString author = model.CurrentDeck.AuthorName;
    const QString name = model.CurrentDeck.DeckName;
    txtAuthorName->setText(author);
    txtDeckName->setText(name);
}

void frmLMNDeckBulid::cmdNewDeck_Click() {
    if (!model.ConfirmDiscard(user_))
        return;
    model.NewDeck();
    RefreshDeckList();
}

int frmLMNDeckBulid::runDialog(QDialog& dialog) {
    if (dialogDriver) {
        dialogDriver(dialog);
        return dialog.result();
    }
    return dialog.exec();
}

void frmLMNDeckBulid::mnuOpenDeck_Click() {
    if (!model.ConfirmDiscard(user_))
        return;
    frmDeckDialog dialog(paths_.DeckPath, user_, this, true);
    dialog.OpSvMode(false);
    runDialog(dialog);
    if (dialog.Canceled())
        return;
    DeckList decks(cards_);
    decks.LoadDeck(dialog.ReturnPath());
    model.TakeDeck(decks.LoadingDeck, dialog.ReturnPath());
    RefreshDeckList();
}

void frmLMNDeckBulid::saveTo(QString path, const QString& previousPath) {
    DeckList decks(cards_);
    if (decks.SaveDeck(path, model.CurrentDeck))
        return;
    // Find the reason the system gives for this file; the deck stays in the
    // window, and the path it had before, so nothing is lost.
    QString reason;
    QSaveFile probe(path);
    if (!probe.open(QIODevice::WriteOnly))
        reason = probe.errorString();
    else
        probe.cancelWriting();
    if (reason.isEmpty())
        reason = QStringLiteral("書き込みに失敗しました。");
    model.CurrentDeckPath = previousPath;
    user_.messageBox({QStringLiteral("デッキファイル \"") + path +
                          QStringLiteral("\" を保存できませんでした。") + CrLf + reason,
                      DeckBuilderTitle, BoxButtons::OK, BoxIcon::Warning, 0});
}

void frmLMNDeckBulid::mnuSave_Click() {
    if (model.CurrentDeckPath.isEmpty()) {
        mnuSaveAs_Click();
        return;
    }
    saveTo(model.CurrentDeckPath, model.CurrentDeckPath);
}

void frmLMNDeckBulid::mnuSaveAs_Click() {
    frmDeckDialog dialog(paths_.DeckPath, user_, this, true);
    dialog.OpSvMode(true);
    dialog.txtFileName->setText(txtDeckName->text());
    runDialog(dialog);
    if (dialog.Canceled())
        return;
    const QString previous = model.CurrentDeckPath;
    model.CurrentDeckPath = dialog.ReturnPath();
    saveTo(model.CurrentDeckPath, previous);
}

void frmLMNDeckBulid::mnuToolSort(bool byType) {
    const QString caption = windowTitle();
    setWindowTitle(QStringLiteral("ソート中..."));
    if (byType)
        model.SortByType();
    else
        model.SortByID();
    setWindowTitle(caption);
    RefreshDeckList();
}

void frmLMNDeckBulid::mnuToolPutbbs_Click() {
    frmPutBBS window(model.CurrentDeck, txtDeckName->text(), txtAuthorName->text(), cards_, user_,
                     this);
    runDialog(window);
}

void frmLMNDeckBulid::mnuHelpVerinfo_Click() {
    frmDeckVersion window(this);
    runDialog(window);
}

void frmLMNDeckBulid::closeEvent(QCloseEvent* event) {
    if (model.ConfirmClose(user_))
        event->accept();
    else
        event->ignore();
}

} // namespace lumi
