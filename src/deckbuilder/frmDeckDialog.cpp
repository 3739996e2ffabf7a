#include "deckbuilder/frmDeckDialog.h"

#include "deckbuilder/DeckIcons.h"
#include "deckbuilder/ErrorTrap.h"

#include <QButtonGroup>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QToolButton>
#include <QTreeView>

namespace lumi {

// The dialog's layout follows the original's twips, 15 twips a pixel.
static QRect tw(int left, int top, int width, int height) {
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

frmDeckDialog::frmDeckDialog(const QString& deckPath, UserPort& user, QWidget* parent,
                             bool deckBuilder)
    : QDialog(parent), model(deckPath), user_(user), deckBuilder_(deckBuilder) {
    setObjectName(QStringLiteral("frmDeckDialog"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(7440 / 15, 3600 / 15);
    setWindowTitle(QStringLiteral("デッキを開く"));
    model.boxTitle = windowTitle();

    items_ = new QStandardItemModel(this);
    items_->setHorizontalHeaderLabels({QStringLiteral("ファイル名"), QStringLiteral("デッキ名"),
                                       QStringLiteral("作者"), QStringLiteral("ルール")});

    lsvDecks = new QStackedWidget(this);
    lsvDecks->setObjectName(QStringLiteral("lsvDecks"));
    lsvDecks->setGeometry(tw(120, 120, 7215, 2415));
    detailsView = new QTreeView;
    detailsView->setModel(items_);
    detailsView->setRootIsDecorated(false);
    detailsView->setUniformRowHeights(true);
    detailsView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    detailsView->setSelectionBehavior(QAbstractItemView::SelectRows);
    detailsView->setSelectionMode(QAbstractItemView::SingleSelection);
    detailsView->header()->setSectionsClickable(true);
    detailsView->header()->setSortIndicatorShown(false);
    detailsView->setIconSize(QSize(16, 16));
    detailsView->setColumnWidth(0, 130);
    detailsView->setColumnWidth(1, 150);
    detailsView->setColumnWidth(2, 100);
    iconView = new QListView;
    iconView->setModel(items_);
    iconView->setSelectionModel(detailsView->selectionModel());
    iconView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    iconView->setSelectionMode(QAbstractItemView::SingleSelection);
    iconView->setWordWrap(true);
    lsvDecks->addWidget(iconView);
    lsvDecks->addWidget(detailsView);

    lbl1 = new QLabel(QStringLiteral("ファイル名(&N)："), this);
    lbl1->setGeometry(tw(120, 2640, 1215, 300));
    txtFileName = new QLineEdit(this);
    txtFileName->setObjectName(QStringLiteral("txtFileName"));
    txtFileName->setGeometry(tw(1320, 2610, 6015, 330));
    lbl1->setBuddy(txtFileName);

    auto* views = new QButtonGroup(this);
    views->setExclusive(true);
    static const char* const viewTips[4] = {"大きいアイコン", "小さいアイコン", "一覧", "詳細"};
    for (int i = 0; i < 4; ++i) {
        optIconMode[i] = new QToolButton(this);
        optIconMode[i]->setCheckable(true);
        optIconMode[i]->setIcon(ViewModeIcon(i));
        optIconMode[i]->setToolTip(QString::fromUtf8(viewTips[i]));
        optIconMode[i]->setGeometry(tw(120 + i * 360, 3030, 375, 375));
        views->addButton(optIconMode[i], i);
        connect(optIconMode[i], &QToolButton::clicked, this, [this, i] { optIconMode_Click(i); });
    }

    cmdOK = new QPushButton(QStringLiteral("開く(&O)"), this);
    cmdOK->setGeometry(tw(3600, 3030, 1815, 405));
    cmdOK->setDefault(true);
    cmdOK->setAutoDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    cmdCancel->setGeometry(tw(5520, 3030, 1815, 405));
    cmdCancel->setAutoDefault(false);

    mnuRClick1 = new QMenu(QStringLiteral("右クリック1"), this);
    mnuRClick1Delete = mnuRClick1->addAction(QStringLiteral("削除(&D)"));

    connect(cmdOK, &QPushButton::clicked, this,
            [this] { trapped("frmDeckDialog.cmdOK_Click", [this] { cmdOK_Click(); }); });
    connect(cmdCancel, &QPushButton::clicked, this,
            [this] { trapped("frmDeckDialog.cmdCancel_Click", [this] { cmdCancel_Click(); }); });
    connect(mnuRClick1Delete, &QAction::triggered, this, [this] {
        trapped("frmDeckDialog.mnuRClick1Delete_Click", [this] { mnuRClick1Delete_Click(); });
    });
    connect(detailsView->header(), &QHeaderView::sectionClicked, this,
            [this](int section) { lsvDecks_ColumnClick(section + 1); });
    for (QAbstractItemView* v : {static_cast<QAbstractItemView*>(detailsView),
                                 static_cast<QAbstractItemView*>(iconView)}) {
        connect(v, &QAbstractItemView::clicked, this, [this] { copySelectionToField(); });
        v->installEventFilter(this);
        v->viewport()->installEventFilter(this);
    }

    // Loading: open mode, sort state back to the first column, list filled,
    // details view.
    OpSvMode(false);
    model.LastKey = 1;
    optIconMode[3]->setChecked(true);
    optIconMode_Click(3);
    trapped("frmDeckDialog.Reflesh", [this] { Reflesh(); });
}

void frmDeckDialog::trapped(const char* place, const std::function<void()>& handler) {
    RunTrapped(user_, QString::fromLatin1(place), deckBuilder_, handler);
}

void frmDeckDialog::OpSvMode(bool Mode) {
    lbl1->setEnabled(Mode);
    txtFileName->setEnabled(Mode);
    model.saveMode = Mode;
    if (Mode) {
        setWindowTitle(QStringLiteral("デッキを保存する"));
        cmdOK->setText(QStringLiteral("保存(&S)"));
    } else {
        setWindowTitle(QStringLiteral("デッキを開く"));
        cmdOK->setText(QStringLiteral("開く(&O)"));
    }
    model.boxTitle = windowTitle();
}

int frmDeckDialog::selectedIndex() const {
    const QModelIndexList rows = detailsView->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return -1;
    const int row = rows.first().row();
    return row < model.entries.size() ? row : -1;
}

void frmDeckDialog::selectIndex(int index) {
    QItemSelectionModel* sel = detailsView->selectionModel();
    if (index < 0 || index >= items_->rowCount()) {
        sel->clearSelection();
        return;
    }
    sel->setCurrentIndex(items_->index(index, 0),
                         QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void frmDeckDialog::fillView() {
    items_->removeRows(0, items_->rowCount());
    const QIcon deckIcon(DeckPicture(32));
    for (const DeckFileEntry& e : model.entries) {
        QList<QStandardItem*> row;
        auto* first = new QStandardItem(deckIcon, e.fileName);
        row << first << new QStandardItem(e.name) << new QStandardItem(e.maked)
            << new QStandardItem(e.rule);
        for (QStandardItem* it : row)
            it->setEditable(false);
        items_->appendRow(row);
    }
    if (model.sorted)
        detailsView->header()->setSortIndicator(
            model.sortKey, model.descending ? Qt::DescendingOrder : Qt::AscendingOrder);
    detailsView->header()->setSortIndicatorShown(model.sorted);
}

void frmDeckDialog::Reflesh() {
    model.Reflesh();
    fillView();
    if (!model.entries.isEmpty()) {
        selectIndex(0);
        copySelectionToField();
    }
}

void frmDeckDialog::copySelectionToField() {
    const int i = selectedIndex();
    if (i >= 0)
        txtFileName->setText(model.entries[i].fileName);
}

void frmDeckDialog::lsvDecks_ColumnClick(int k) {
    const int selected = selectedIndex();
    const QString selectedFile = selected >= 0 ? model.entries[selected].fileName : QString();
    model.ColumnClick(k);
    fillView();
    // The selection follows its entry to its new place.
    for (int i = 0; i < model.entries.size(); ++i)
        if (!selectedFile.isEmpty() && model.entries[i].fileName == selectedFile)
            selectIndex(i);
}

void frmDeckDialog::optIconMode_Click(int mode) {
    if (mode == 3) {
        lsvDecks->setCurrentWidget(detailsView);
        return;
    }
    lsvDecks->setCurrentWidget(iconView);
    iconView->setFlow(mode == 2 ? QListView::TopToBottom : QListView::LeftToRight);
    iconView->setViewMode(mode == 0 ? QListView::IconMode : QListView::ListMode);
    iconView->setWrapping(true);
    iconView->setResizeMode(QListView::Adjust);
    iconView->setMovement(QListView::Static);
    iconView->setIconSize(mode == 0 ? QSize(32, 32) : QSize(16, 16));
    iconView->setGridSize(mode == 0 ? QSize(96, 64) : QSize());
    iconView->setSpacing(mode == 0 ? 0 : 2);
}

void frmDeckDialog::cmdOK_Click() {
    const int selected = selectedIndex();
    const auto outcome = model.saveMode ? model.okSave(txtFileName->text(), selected, user_)
                                        : model.okOpen(selected);
    if (outcome == DeckDialogModel::OkOutcome::Close)
        QDialog::accept();
}

void frmDeckDialog::cmdCancel_Click() {
    reject();
}

void frmDeckDialog::reject() {
    model.cancel();
    QDialog::reject();
}

void frmDeckDialog::mnuRClick1Delete_Click() {
    if (selectedIndex() < 0)
        return;
    // The model rereads the folder after a deletion, and also after one that
    // failed, so the list never shows a file that is gone.
    if (model.deleteEntry(selectedIndex(), user_) == DeckDialogModel::DeleteOutcome::Kept)
        return;
    fillView();
    if (!model.entries.isEmpty()) {
        selectIndex(0);
        copySelectionToField();
    }
}

bool frmDeckDialog::eventFilter(QObject* watched, QEvent* event) {
    const bool onList = watched == detailsView || watched == iconView ||
                        watched == detailsView->viewport() || watched == iconView->viewport();
    if (onList && event->type() == QEvent::KeyRelease) {
        copySelectionToField();
    } else if (onList && event->type() == QEvent::MouseButtonRelease) {
        auto* me = static_cast<QMouseEvent*>(event);
        if (me->button() == Qt::RightButton) {
            auto* view =
                watched == detailsView->viewport() ? static_cast<QAbstractItemView*>(detailsView)
                : watched == iconView->viewport()  ? static_cast<QAbstractItemView*>(iconView)
                                                   : nullptr;
            // A right click picks the entry under the pointer first, as the
            // list view does before its popup.
            if (view) {
                const QModelIndex at = view->indexAt(me->position().toPoint());
                if (at.isValid())
                    selectIndex(at.row());
            }
            mnuRClick1->popup(me->globalPosition().toPoint());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace lumi
