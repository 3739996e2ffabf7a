// Special card operations and the special-operation dialog model.
#include "EngineFixture.h"

namespace lumi::test {
namespace {

class SpecialTest : public EngineTest {};

const CardList kSix{"F001", "F002", "M001", "M002", "M003", "S001"};

TEST_F(SpecialTest, ShuffleAfterLookingAtTheOwnDeck) {
    setOwn({}, kSix);
    dialogs.onNarabekae = [](frmCmacNarabekae& d) {
        EXPECT_EQ(d.Caption, "シャッフル");
        EXPECT_EQ(d.lblStep2, "Step2.シャッフルを実行しますか？");
        EXPECT_FALSE(d.cmdOK.Enabled);
        EXPECT_FALSE(d.cmdUp.Visible);
        EXPECT_FALSE(d.Canceled);
        d.cmdExecute_Click();
        EXPECT_EQ(d.lstCards,
                  (QStringList{"ドラゴン", "ナイト", "ファイア", "ただの魔法", "高い魔法"}));
        EXPECT_EQ(d.lstCardIDs, kSix.mid(0, 5));
        EXPECT_EQ(d.cmdOK.Caption, "はい(&Y)");
        EXPECT_EQ(d.cmdCancel.Caption, "いいえ(&N)");
        EXPECT_FALSE(d.cmdExecute.Enabled);
        d.cmdOK_Click();
    };
    engine->SpecialShuffle();
    EXPECT_EQ(host.events,
              (QStringList{"chat:Ann がマジックの効果により自分のデッキをシャッフルしました。",
                           "set:0", "redraw"}));
    EXPECT_EQ(random.calls, 2 * 10001);
}

TEST_F(SpecialTest, ShuffleTheOpponentsDeckSendsArea5) {
    data.Enemy.Deck = kSix;
    dialogs.onNarabekae = [](frmCmacNarabekae& d) {
        d.optSelf = false;
        d.cmdExecute_Click();
        d.cmdOK_Click();
    };
    engine->SpecialShuffle();
    EXPECT_EQ(host.events,
              (QStringList{"chat:Ann がマジックの効果により相手のデッキをシャッフルしました。",
                           "set:5", "redraw"}));
}

TEST_F(SpecialTest, LookingAndDecliningChangesNothing) {
    data.Enemy.Deck = kSix;
    dialogs.onNarabekae = [](frmCmacNarabekae& d) {
        d.optSelf = false;
        d.cmdExecute_Click();
        d.cmdCancel_Click();
    };
    engine->SpecialShuffle();
    EXPECT_EQ(
        host.events,
        QStringList{
            "chat:Ann がマジックの効果により相手のデッキをシャッフルしようとしてやめました。"});
    EXPECT_EQ(data.Enemy.Deck, kSix);
    EXPECT_EQ(random.calls, 0);
}

TEST_F(SpecialTest, ClosingWithoutLookingDoesNothing) {
    setOwn({}, kSix);
    dialogs.onNarabekae = [](frmCmacNarabekae& d) { d.CloseByFrame(); };
    engine->SpecialShuffle();
    engine->SpecialReorder();
    EXPECT_TRUE(host.events.isEmpty());
}

TEST_F(SpecialTest, LookingAtAnEmptyDeckOnlyBeeps) {
    dialogs.onNarabekae = [](frmCmacNarabekae& d) {
        d.cmdExecute_Click();
        EXPECT_FALSE(d.Opened);
        EXPECT_TRUE(d.cmdExecute.Enabled);
        d.CloseByFrame();
    };
    engine->SpecialShuffle();
    EXPECT_EQ(user.beeps, 1);
    EXPECT_TRUE(host.events.isEmpty());
}

TEST_F(SpecialTest, SpecialDialogsNeedTheOwnTurn) {
    state.MyTurn = false;
    setOwn({}, kSix);
    engine->SpecialShuffle(); // the scripted dialogs fail when shown
    engine->SpecialReorder();
    EXPECT_TRUE(host.events.isEmpty());
}

TEST_F(SpecialTest, ReorderTouchesOnlyTheShownCards) {
    setOwn({}, {"F001", "F002", "M001"});
    dialogs.onNarabekae = [](frmCmacNarabekae& d) {
        EXPECT_EQ(d.Caption, "ならべかえ");
        EXPECT_FALSE(d.cmdUp.Enabled);
        d.cmdExecute_Click();
        EXPECT_FALSE(d.cmdCancel.Visible);
        EXPECT_TRUE(d.cmdUp.Enabled && d.cmdDown.Enabled);
        d.ListIndex = 2;
        d.cmdUp_Click();
        d.cmdUp_Click();
        EXPECT_EQ(d.ListIndex, 0);
        d.cmdUp_Click(); // nothing above the first line
        EXPECT_EQ(d.lstCards, (QStringList{"ファイア", "ドラゴン", "ナイト"}));
        d.cmdOK_Click();
    };
    engine->SpecialReorder();
    EXPECT_EQ(data.Own.Deck, (CardList{"M001", "F001", "F002"}));
    EXPECT_EQ(host.events, (QStringList{"chat:Ann が自分のデッキのならべかえを行いました。",
                                        "set:0", "redraw"}));
}

TEST_F(SpecialTest, ReorderTheOpponentsDeckKeepsCardsBelowTheFifth) {
    data.Enemy.Deck = {"F001", "F002", "M001", "M002", "M003", "S001", "S002"};
    dialogs.onNarabekae = [](frmCmacNarabekae& d) {
        d.optSelf = false;
        d.cmdExecute_Click();
        EXPECT_FALSE(d.optEnabled);
        d.ListIndex = 3;
        d.cmdDown_Click();
        d.cmdDown_Click(); // nothing below the last line
        EXPECT_EQ(d.ListIndex, 4);
        d.cmdOK_Click();
    };
    engine->SpecialReorder();
    EXPECT_EQ(data.Enemy.Deck, (CardList{"F001", "F002", "M001", "M003", "M002", "S001", "S002"}));
    EXPECT_EQ(host.events, (QStringList{"chat:Ann が相手のデッキのならべかえを行いました。",
                                        "set:5", "redraw"}));
}

TEST_F(SpecialTest, RedrawingKeepsHandAndDeckSizes) {
    setOwn({"F001", "F002", "M001", "M002"}, {"M003", "S001", "S002"});
    engine->RedrawHand();
    EXPECT_EQ(BattleOperation::CardCount(data.Own.Hand), 4);
    EXPECT_EQ(BattleOperation::CardCount(data.Own.Deck), 3);
    CardList all = data.Own.Hand + data.Own.Deck;
    all.sort();
    EXPECT_EQ(all, (CardList{"F001", "F002", "M001", "M002", "M003", "S001", "S002"}));
    EXPECT_EQ(host.events,
              (QStringList{"chat:Ann が「でなおし」を実行しました。", "set:0", "redraw"}));
}

TEST_F(SpecialTest, RedrawingAnEmptyHandDrawsNothingAndSaysNothing) {
    setOwn({}, {"M003", "S001"});
    engine->RedrawHand();
    EXPECT_EQ(data.Own.Hand, CardList{QString()});
    EXPECT_EQ(host.events, (QStringList{"set:0", "redraw"}));
    EXPECT_TRUE(log.chat.isEmpty());
}

TEST_F(SpecialTest, GraveRobbingAlwaysTakesTheOnlyMonster) {
    for (int round = 0; round < 3; ++round) {
        host.clear();
        setOwn({}, {});
        data.Own.Trash = {"M001", "F001", "M002", "S001"};
        random.queue = {std::uint32_t(round * 7)};
        user.question("墓荒らしを実行します。よろしいですか？", BoxResult::Yes, true);
        engine->GraveRobbing();
        EXPECT_EQ(data.Own.Deck, CardList{"F001"});
        EXPECT_EQ(data.Own.Trash, (CardList{"M001", "M002", "S001"}));
        EXPECT_EQ(host.events,
                  (QStringList{"set:0", "redraw", "chat:Ann が墓荒らしを実行しました。"}));
    }
}

TEST_F(SpecialTest, GraveRobbingOneOfTwoCopiesLeavesTheOther) {
    setOwn({}, {"M003"});
    data.Own.Trash = {"F002", "M001", "F002"};
    random.queue = {1};
    user.question("墓荒らしを実行します。よろしいですか？", BoxResult::Yes, true);
    engine->GraveRobbing();
    EXPECT_EQ(data.Own.Deck, (CardList{"F002", "M003"}));
    EXPECT_EQ(data.Own.Trash, (CardList{"F002", "M001"}));
}

TEST_F(SpecialTest, GraveRobbingWithoutMonstersIsRefused) {
    data.Own.Trash = {"M001", "S001", "MASTER001"};
    state.BattleRunning = false; // the operation has no guard; the refusal still holds
    engine->GraveRobbing();
    EXPECT_EQ(user.status, QStringList{"1:Error: 捨て札にモンスターカードはありません。"});
    EXPECT_EQ(user.beeps, 1);
    EXPECT_TRUE(host.events.isEmpty());
}

TEST_F(SpecialTest, GraveRobbingDeclined) {
    data.Own.Trash = {"F001"};
    user.question("墓荒らしを実行します。よろしいですか？", BoxResult::No, true);
    engine->GraveRobbing();
    EXPECT_EQ(data.Own.Trash, CardList{"F001"});
    EXPECT_TRUE(host.events.isEmpty());
}

} // namespace
} // namespace lumi::test
