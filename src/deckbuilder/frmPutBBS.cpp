#include "deckbuilder/frmPutBBS.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace lumi {

static QRect tw(int left, int top, int width, int height) {
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

frmPutBBS::frmPutBBS(const DeckData& deck, const QString& deckName, const QString& authorName,
                     const CardDatabase& cards, UserPort& user, QWidget* parent)
    : QDialog(parent), deck_(deck), cards_(cards), user_(user) {
    setObjectName(QStringLiteral("frmPutBBS"));
    setWindowTitle(QStringLiteral("掲示板書き込み用に出力"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);

    auto* menu = new QMenuBar(this);
    mnuReMake = menu->addAction(QStringLiteral("再生成(&R)"));
    mnuCopy = menu->addAction(QStringLiteral("コピーする(&P)"));
    mnuClose = menu->addAction(QStringLiteral("閉じる(&C)"));
    auto* area = new QWidget(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(menu);
    layout->addWidget(area);
    area->setFixedSize(7740 / 15, 3615 / 15);

    auto* Label1 = new QLabel(QStringLiteral("デッキ名(&N)："), area);
    Label1->setGeometry(tw(120, 150, 1320, 300));
    txtDeckName = new QLineEdit(QStringLiteral("(新規デッキ)"), area);
    txtDeckName->setGeometry(tw(1440, 120, 1935, 330));
    Label1->setBuddy(txtDeckName);
    auto* Label2 = new QLabel(QStringLiteral("作者名(&A)："), area);
    Label2->setGeometry(tw(3480, 150, 960, 300));
    txtAuthorName = new QLineEdit(QStringLiteral("(未定義)"), area);
    txtAuthorName->setGeometry(tw(4440, 120, 1695, 330));
    Label2->setBuddy(txtAuthorName);

    auto makeList = [area](const QString& caption, int left, int width, QListWidget*& list) {
        auto* label = new QLabel(caption, area);
        label->setGeometry(tw(left, 480, width, 270));
        list = new QListWidget(area);
        list->setGeometry(tw(left, 750, width, 1110));
        label->setBuddy(list);
    };
    makeList(QStringLiteral("前衛モンスター(&F)："), 120, 1695, lstFront);
    makeList(QStringLiteral("後衛モンスター(&B)："), 1920, 1815, lstBack);
    makeList(QStringLiteral("マジック(&M)："), 3840, 1815, lstMagic);
    makeList(QStringLiteral("スーパー(&S)："), 5760, 1815, lstSuper);

    auto* Label6 = new QLabel(QStringLiteral("出力結果(&R)："), area);
    Label6->setGeometry(tw(120, 1920, 1500, 270));
    txtResult = new QPlainTextEdit(area);
    txtResult->setGeometry(tw(120, 2190, 7335, 1305));
    txtResult->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtResult->setLineWrapMode(QPlainTextEdit::NoWrap);
    Label6->setBuddy(txtResult);

    connect(mnuReMake, &QAction::triggered, this, [this] { mnuReMake_Click(); });
    connect(mnuCopy, &QAction::triggered, this, [this] { mnuCopy_Click(); });
    connect(mnuClose, &QAction::triggered, this, [this] { close(); });

    // Loading: the boxes take the main window's texts, the kind lists are
    // filled once from the sorted private copy, then the text is made.
    txtDeckName->setText(deckName);
    txtAuthorName->setText(authorName);
    const BBSKindLists lists = FillKindLists(deck_, cards_);
    lstFront->addItems(lists.front);
    lstBack->addItems(lists.back);
    lstMagic->addItems(lists.magic);
    lstSuper->addItems(lists.super);
    mnuReMake_Click();
}

static QStringList itemsOf(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out.append(list->item(i)->text());
    return out;
}

void frmPutBBS::mnuReMake_Click() {
    BBSKindLists lists;
    lists.front = itemsOf(lstFront);
    lists.back = itemsOf(lstBack);
    lists.magic = itemsOf(lstMagic);
    lists.super = itemsOf(lstSuper);
    const QString text = MakeBBSText(txtDeckName->text(), txtAuthorName->text(), deck_.DeckType,
                                     MasterNameOf(cards_, deck_.Master), lists);
    // The box shows lines; its text is given back with CR LF again.
    QString shown = text;
    shown.replace(CrLf, QStringLiteral("\n"));
    txtResult->setPlainText(shown);
}

QString frmPutBBS::resultText() const {
    QString text = txtResult->toPlainText();
    text.replace(QStringLiteral("\n"), CrLf);
    return text;
}

void frmPutBBS::mnuCopy_Click() {
    user_.setClipboardText(resultText());
}

} // namespace lumi
