// The posting text: kind lists with copy counts, headings, class suffix.

#include "deckbuilder/BBSText.h"

#include "Support.h"
#include "deckbuilder/frmPutBBS.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

namespace lumi::test {
namespace {

class BBSTextTest : public ::testing::Test {
protected:
    void SetUp() override { install.load(cards); }

    DeckData deckOf(std::int16_t type, const QStringList& slots) {
        DeckData d;
        d.DeckType = type;
        d.Cards = slots;
        while (d.Cards.size() < DeckSlotCount(type))
            d.Cards.append(QString());
        d.Master = QStringLiteral("M2");
        return d;
    }

    Installation install;
    CardDatabase cards;
    ScriptedUser user;
};

TEST_F(BBSTextTest, CountsCopiesPerKindAlsoFromNonAdjacentSlots) {
    DeckData d = deckOf(
        DeckJr, {QStringLiteral("C04"), QStringLiteral("C02"), QString(), QStringLiteral("C02"),
                 QStringLiteral("C06"), QStringLiteral("C01"), QStringLiteral("C02"),
                 QStringLiteral("C05"), QStringLiteral("NOPE"), QStringLiteral("M1")});
    const BBSKindLists lists = FillKindLists(d, cards);
    EXPECT_EQ(lists.front,
              (QStringList{QStringLiteral("火の剣士 x1"), QStringLiteral("水の剣士 x3")}));
    EXPECT_EQ(lists.back, QStringList{QStringLiteral("森の弓手 x1")});
    EXPECT_EQ(lists.magic, QStringList{QStringLiteral("癒しの魔法 x1")});
    EXPECT_EQ(lists.super, QStringList{QStringLiteral("巨大化 x1")});
}

TEST_F(BBSTextTest, TextHasHeadingsEvenForEmptyKinds) {
    DeckData d = deckOf(DeckSr, {QStringLiteral("C01"), QStringLiteral("C01"),
                                 QStringLiteral("C01"), QStringLiteral("C04")});
    const BBSKindLists lists = FillKindLists(d, cards);
    EXPECT_EQ(
        MakeBBSText(QStringLiteral("炎"), QStringLiteral("太郎"), d.DeckType,
                    MasterNameOf(cards, d.Master), lists),
        QStringLiteral(
            "デッキ名：炎 (Sr)\r\n作者：太郎\r\nマスター：上級師匠\r\n---前衛---\r\n火の剣士 x3\r\n"
            "---後衛---\r\n森の弓手 x1\r\n---マジック---\r\n---スーパー---\r\n"));
}

TEST_F(BBSTextTest, EmptyDeckAndClassSuffixes) {
    struct Case {
        std::int16_t type;
        const char* firstLine;
    };
    for (const Case c : {Case{0, "デッキ名：名 (Jr)"}, Case{1, "デッキ名：名 (Sr)"},
                         Case{2, "デッキ名：名 (Pro)"}, Case{7, "デッキ名：名"}}) {
        EXPECT_EQ(
            MakeBBSText(QStringLiteral("名"), QString(), c.type, QString(), {}),
            QString::fromUtf8(c.firstLine) +
                QStringLiteral(
                    "\r\n作者：\r\nマスター：\r\n---前衛---\r\n---後衛---\r\n---マジック---\r\n"
                    "---スーパー---\r\n"));
    }
    EXPECT_TRUE(MasterNameOf(cards, QStringLiteral("C01")).isEmpty());
}

TEST_F(BBSTextTest, WindowRemakesOnlyTheTextAndLeavesTheDeckUnsorted) {
    const DeckData deck = deckOf(DeckJr, {QStringLiteral("C04"), QString(), QStringLiteral("C01")});
    frmPutBBS w(deck, QStringLiteral("炎"), QStringLiteral("太郎"), cards, user);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("掲示板書き込み用に出力"));
    EXPECT_EQ(w.lstFront->count(), 1);
    EXPECT_TRUE(w.resultText().startsWith(QStringLiteral("デッキ名：炎 (Jr)\r\n作者：太郎\r\n")));
    w.txtAuthorName->setText(QStringLiteral("花子"));
    w.txtResult->setPlainText(QStringLiteral("手で書いた"));
    w.mnuReMake->trigger();
    const QString text = w.resultText();
    EXPECT_TRUE(text.startsWith(
        QStringLiteral("デッキ名：炎 (Jr)\r\n作者：花子\r\nマスター：上級師匠\r\n")));
    EXPECT_TRUE(text.endsWith(QStringLiteral("---スーパー---\r\n")));
    w.mnuCopy->trigger();
    EXPECT_EQ(user.clipboard, text);
    EXPECT_EQ(deck.Cards[0], QStringLiteral("C04"));
    w.show();
    w.grab().save(QStringLiteral("/tmp/deck_frmPutBBS.png"));
}

} // namespace
} // namespace lumi::test
