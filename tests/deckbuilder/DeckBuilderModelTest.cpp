// The deck builder's slot rules, class change, new deck and sorts.

#include "deckbuilder/DeckBuilderModel.h"

#include "Support.h"
#include "deckbuilder/ErrorTrap.h"

#include <stdexcept>

namespace lumi::test {
namespace {

class DeckBuilderModelTest : public ::testing::Test {
protected:
    void SetUp() override { install.load(cards); }

    // The slots the deck list shows, in list order.
    QList<int> listedSlots(const DeckBuilderModel& m) const {
        QList<int> out;
        for (const DeckListEntry& e : m.deckList())
            out.append(e.slot);
        return out;
    }

    void fill(DeckBuilderModel& m, const QStringList& ids) {
        for (const QString& id : ids)
            ASSERT_EQ(m.AddCard(id, user), DeckBuilderModel::AddResult::Added) << id.toStdString();
    }

    Installation install;
    CardDatabase cards;
    ScriptedUser user;
};

TEST_F(DeckBuilderModelTest, StartsAsEmptyJrDeckWithDefaultAuthorAndFirstMaster) {
    DeckBuilderModel m(cards, QStringLiteral("太郎"));
    EXPECT_EQ(m.CurrentDeck.DeckType, DeckJr);
    EXPECT_EQ(m.CurrentDeck.Cards, QStringList(20, QString()));
    EXPECT_EQ(m.CurrentDeck.AuthorName, QStringLiteral("太郎"));
    EXPECT_EQ(m.CurrentDeck.Master, QStringLiteral("M1"));
    EXPECT_TRUE(m.CurrentDeck.DeckName.isEmpty());
    EXPECT_TRUE(m.CurrentDeckPath.isEmpty());
    EXPECT_EQ(m.MaisuuText(), QStringLiteral("現在の枚数：0枚"));
}

TEST_F(DeckBuilderModelTest, FourthAndFifthCopyWarnEachTimeAndAreStillAdded) {
    DeckBuilderModel m(cards, UnsetText);
    fill(m, {QStringLiteral("C01"), QStringLiteral("C01"), QStringLiteral("C01")});
    EXPECT_TRUE(user.seen.isEmpty());
    user.expect(ThreeCopiesText, BoxResult::OK);
    EXPECT_EQ(m.AddCard(QStringLiteral("C01"), user), DeckBuilderModel::AddResult::Added);
    user.expect(ThreeCopiesText, BoxResult::OK);
    EXPECT_EQ(m.AddCard(QStringLiteral("C01"), user), DeckBuilderModel::AddResult::Added);
    user.verify();
    ASSERT_EQ(user.seen.size(), 2);
    EXPECT_EQ(user.seen[0].buttons, BoxButtons::OK);
    EXPECT_EQ(user.seen[0].title, QStringLiteral("ルミナリアOnline デッキビルダー"));
    EXPECT_EQ(m.cardCount(), 5);
    EXPECT_EQ(m.MaisuuText(), QStringLiteral("現在の枚数：5枚"));
    EXPECT_EQ(m.deckList()[0].text, QStringLiteral("火の剣士"));
}

TEST_F(DeckBuilderModelTest, FullDeckTakesNothingAndSaysNothing) {
    struct Case {
        std::int16_t type;
        int slots;
    };
    for (const Case c : {Case{DeckJr, 20}, Case{DeckSr, 20}, Case{DeckPro, 30}}) {
        DeckBuilderModel m(cards, UnsetText);
        ASSERT_TRUE(m.ChangeDeckClass(c.type, user));
        fill(m, betaCards(c.slots));
        const DeckData before = m.CurrentDeck;
        EXPECT_EQ(m.AddCard(QStringLiteral("C02"), user), DeckBuilderModel::AddResult::Full)
            << c.type;
        EXPECT_EQ(m.CurrentDeck, before);
        EXPECT_EQ(m.cardCount(), c.slots);
        EXPECT_TRUE(user.seen.isEmpty());
    }
}

TEST_F(DeckBuilderModelTest, NewCardFillsFreedSlotButIsListedLastUntilRefresh) {
    DeckBuilderModel m(cards, UnsetText);
    fill(m, {QStringLiteral("C01"), QStringLiteral("C02"), QStringLiteral("C03")});
    ASSERT_TRUE(m.RemoveEntry(1)); // C02 in slot 1
    EXPECT_EQ(m.CurrentDeck.Cards[1], QString());
    EXPECT_EQ(listedSlots(m), (QList<int>{0, 2}));
    fill(m, {QStringLiteral("C04")});
    EXPECT_EQ(m.CurrentDeck.Cards[1], QStringLiteral("C04"));
    EXPECT_EQ(listedSlots(m), (QList<int>{0, 2, 1}));
    EXPECT_EQ(m.deckList().last().text, QStringLiteral("森の弓手"));
    m.RefreshDeckList();
    EXPECT_EQ(listedSlots(m), (QList<int>{0, 1, 2}));
}

TEST_F(DeckBuilderModelTest, RemoveWithoutSelectionDoesNothing) {
    DeckBuilderModel m(cards, UnsetText);
    fill(m, {QStringLiteral("C01")});
    EXPECT_FALSE(m.RemoveEntry(-1));
    EXPECT_FALSE(m.RemoveEntry(1));
    EXPECT_EQ(m.cardCount(), 1);
}

TEST_F(DeckBuilderModelTest, ProWithTwentyFiveCardsDownToSr) {
    for (const BoxResult answer : {BoxResult::Yes, BoxResult::No}) {
        DeckBuilderModel m(cards, UnsetText);
        ASSERT_TRUE(m.ChangeDeckClass(DeckPro, user));
        EXPECT_TRUE(user.seen.isEmpty()) << "going up asks nothing";
        fill(m, betaCards(26));
        ASSERT_TRUE(
            m.RemoveEntry(0)); // slot 0 empty: the kept cards are the first 20 in slot order
        const DeckData before = m.CurrentDeck;
        user.expect(ClassDownQuestionText(25), answer);
        const bool changed = m.ChangeDeckClass(DeckSr, user);
        user.verify();
        ASSERT_EQ(user.seen.size(), 1);
        EXPECT_EQ(user.seen[0].title, QStringLiteral("クラス変更"));
        EXPECT_EQ(user.seen[0].icon, BoxIcon::Warning);
        EXPECT_EQ(user.seen[0].defaultButton, 1);
        if (answer == BoxResult::Yes) {
            EXPECT_TRUE(changed);
            EXPECT_EQ(m.CurrentDeck.DeckType, DeckSr);
            QStringList expected = betaCards(21).mid(1);
            EXPECT_EQ(m.CurrentDeck.Cards, expected);
            EXPECT_EQ(m.cardCount(), 20);
        } else {
            EXPECT_FALSE(changed);
            EXPECT_EQ(m.CurrentDeck, before);
            EXPECT_EQ(m.cardCount(), 25);
        }
        user.seen.clear();
    }
}

TEST_F(DeckBuilderModelTest, ClassDownQuestionTextIsExact) {
    EXPECT_EQ(
        ClassDownQuestionText(25),
        QStringLiteral("ProクラスからJr/Srクラスに下げようとしています。\r\n"
                       "クラスを下げると一部データが損なわれる可能性があります。\r\n"
                       "・レシピに含まれるカードが20枚以下ならデータは整理されて保持されます。\r\n"
                       "・21枚以上のカードが含まれる場合、一部のデータは失われます。\r\n"
                       "現在このデッキに含まれるデータは25枚です。\r\n"
                       "操作を実行してもよろしいですか？"));
}

TEST_F(DeckBuilderModelTest, ProDownWithFewCardsCompactsThemToTheFront) {
    DeckBuilderModel m(cards, UnsetText);
    ASSERT_TRUE(m.ChangeDeckClass(DeckPro, user));
    m.CurrentDeck.Cards[3] = QStringLiteral("C01");
    m.CurrentDeck.Cards[27] = QStringLiteral("C02");
    m.RefreshDeckList();
    user.expect({}, BoxResult::Yes);
    ASSERT_TRUE(m.ChangeDeckClass(DeckJr, user));
    QStringList expected(20, QString());
    expected[0] = QStringLiteral("C01");
    expected[1] = QStringLiteral("C02");
    EXPECT_EQ(m.CurrentDeck.Cards, expected);
}

TEST_F(DeckBuilderModelTest, ClassChangesWithoutQuestion) {
    struct Case {
        std::int16_t from, to;
        int slots;
    };
    for (const Case c :
         {Case{DeckJr, DeckPro, 30}, Case{DeckSr, DeckPro, 30}, Case{DeckJr, DeckSr, 20},
          Case{DeckSr, DeckJr, 20}, Case{DeckPro, DeckPro, 30}, Case{DeckJr, DeckJr, 20}}) {
        DeckBuilderModel m(cards, UnsetText);
        ASSERT_TRUE(m.ChangeDeckClass(c.from, user));
        fill(m, {QStringLiteral("C01"), QStringLiteral("C02")});
        ASSERT_TRUE(m.RemoveEntry(0));
        fill(m, {QStringLiteral("C03")}); // slot 0 again, listed last
        ASSERT_TRUE(m.ChangeDeckClass(c.to, user));
        EXPECT_TRUE(user.seen.isEmpty());
        EXPECT_EQ(m.CurrentDeck.DeckType, c.to);
        ASSERT_EQ(m.CurrentDeck.Cards.size(), c.slots);
        EXPECT_EQ(m.CurrentDeck.Cards.mid(0, 2),
                  (QStringList{QStringLiteral("C03"), QStringLiteral("C02")}));
        EXPECT_EQ(m.CurrentDeck.Cards.count(QString()), c.slots - 2);
        EXPECT_EQ(listedSlots(m), (QList<int>{0, 1})) << "the class change rebuilds the list";
    }
}

TEST_F(DeckBuilderModelTest, NewDeckAfterYesOnly) {
    DeckBuilderModel m(cards, QStringLiteral("花子"));
    ASSERT_TRUE(m.ChangeDeckClass(DeckPro, user));
    fill(m, {QStringLiteral("C01")});
    m.CurrentDeck.Master = QStringLiteral("M3");
    m.CurrentDeck.DeckName = QStringLiteral("古い");
    m.CurrentDeckPath = QStringLiteral("/x/old.ini");

    user.expect(DiscardQuestionText, BoxResult::No);
    EXPECT_FALSE(m.ConfirmDiscard(user));
    user.expect(DiscardQuestionText, BoxResult::Yes);
    ASSERT_TRUE(m.ConfirmDiscard(user));
    EXPECT_EQ(user.seen[0].defaultButton, 1);
    EXPECT_EQ(user.seen[0].icon, BoxIcon::Question);
    m.NewDeck();
    EXPECT_EQ(m.CurrentDeck.DeckType, DeckJr);
    EXPECT_EQ(m.CurrentDeck.Cards, QStringList(20, QString()));
    EXPECT_EQ(m.CurrentDeck.Master, QStringLiteral("M1"));
    EXPECT_EQ(m.CurrentDeck.AuthorName, QStringLiteral("花子"));
    EXPECT_EQ(m.CurrentDeck.DeckName, QStringLiteral("(未設定)"));
    EXPECT_TRUE(m.CurrentDeckPath.isEmpty());
    EXPECT_EQ(m.cardCount(), 0);
}

TEST_F(DeckBuilderModelTest, SortsRebuildTheListInSlotOrder) {
    DeckBuilderModel m(cards, UnsetText);
    fill(m, {QStringLiteral("C06"), QStringLiteral("C05"), QStringLiteral("C04"),
             QStringLiteral("C01")});
    m.SortByID();
    EXPECT_EQ(m.CurrentDeck.Cards.mid(16),
              (QStringList{QStringLiteral("C01"), QStringLiteral("C04"), QStringLiteral("C05"),
                           QStringLiteral("C06")}));
    EXPECT_EQ(listedSlots(m), (QList<int>{16, 17, 18, 19}));
    m.SortByType();
    // Kinds: empty slots 0, F 0, B 1, S 2, M 3.
    EXPECT_EQ(m.CurrentDeck.Cards.mid(17),
              (QStringList{QStringLiteral("C04"), QStringLiteral("C06"), QStringLiteral("C05")}));
}

TEST_F(DeckBuilderModelTest, ClosingAlwaysAsksWithYesAsDefault) {
    DeckBuilderModel m(cards, UnsetText);
    user.expect(CloseQuestionText, BoxResult::No);
    EXPECT_FALSE(m.ConfirmClose(user));
    user.expect(CloseQuestionText, BoxResult::Yes);
    EXPECT_TRUE(m.ConfirmClose(user));
    EXPECT_EQ(user.seen[0].defaultButton, 0);
    EXPECT_EQ(user.seen[0].buttons, BoxButtons::YesNo);
}

TEST_F(DeckBuilderModelTest, TrappedFailureIsReportedWithItsPlaceAndTheProgramGoesOn) {
    int ranAfter = 0;
    user.expect({}, BoxResult::No);
    RunTrapped(user, QStringLiteral("(不明)"), true, [] { throw std::runtime_error("broken"); });
    RunTrapped(user, QStringLiteral("(不明)"), true, [&] { ++ranAfter; });
    user.verify();
    EXPECT_EQ(ranAfter, 1);
    ASSERT_EQ(user.seen.size(), 1);
    EXPECT_EQ(user.seen[0].title, QStringLiteral("エラー"));
    EXPECT_TRUE(
        user.seen[0].text.contains(QStringLiteral("・エラー内容：broken\r\n・発生箇所：(不明)")));
}

} // namespace
} // namespace lumi::test
