// Turn-start processing, the turn end, the battle start and the entry
// points for "endturn" and "turnnum".
#include "EngineFixture.h"

namespace lumi::test {
namespace {

QString startBatch(const QStringList& lines) {
    return QStringLiteral("chat:") + lines.join("\r\n") +
           ":turnstandby + set:0 + set:1 + set:2 + set:3 + set:4";
}

class TurnTest : public EngineTest {};

TEST_F(TurnTest, FirstPlayerDoesNotDrawOnTurnOne) {
    data.TurnNumber = 1;
    setOwn({}, {"F001"}, 0);
    putMonster(3, "F001", false, 1, 0);
    engine->TurnStartProcessing();
    const QStringList lines{"Ann の「ターン開始処理」が実行されます。",
                            "ルールにより Ann のドローはありません。",
                            "Ann が3ストーン増やしました。", "Ann のターン開始処理、完了。"};
    EXPECT_EQ(host.events, (QStringList{startBatch(lines), "redraw"}));
    EXPECT_EQ(log.chat, QStringList{lines.join("\r\n")});
    EXPECT_EQ(data.Own.Deck, CardList{"F001"});
    EXPECT_EQ(data.Own.Stone, 3);
    EXPECT_EQ(area(3).CardID, "F001") << "without auto-open a face-down monster does not slide";
    EXPECT_TRUE(area(1).CardID.isEmpty());
}

TEST_F(TurnTest, AutoOpenCollectsItsTextsAndTheOpenedMonsterSlides) {
    settings.AutoopenOnTurnstart = true;
    setOwn({"F002"}, {"M001"}, 1);
    putMonster(3, "F001", false, 1, 0, "000");
    putMonster(2, "F002", true, 1, 2, "001");
    putMonster(4, "F001", true, 1, 3);
    engine->TurnStartProcessing();
    const QStringList lines{"Ann の「ターン開始処理」が実行されます。",
                            "Ann がカードを1枚ドローしました。",
                            "Ann が3ストーン増やしました。",
                            "Ann が ドラゴン(C) をオープンしました。",
                            "Ann が ドラゴン(C) のＨＰを3に変更しました",
                            "Ann の ドラゴン がスライドで前に移動しました。",
                            "Ann のターン開始処理、完了。"};
    EXPECT_EQ(host.events, (QStringList{startBatch(lines), "redraw"}))
        << "one send, nothing sent by the HP operation";
    EXPECT_EQ(data.Own.Hand, (CardList{"F002", "M001"}));
    EXPECT_EQ(data.Own.Stone, 4);
    EXPECT_EQ(area(1), (MonsterData{"F001", true, 1, 3, ""}));
    EXPECT_EQ(area(3), MonsterData{});
    EXPECT_EQ(area(4).CardID, "F001") << "area 2 is occupied, so area 4 stays";
    EXPECT_EQ(state.SelectedTarget, 3);
    // The batch carries the areas as they are after the slide.
    EXPECT_EQ(host.batches[0][2], MonsterType2setString(area(1), 1));
}

TEST_F(TurnTest, ClientTurnStartIsOnlySent) {
    state.ServerMode = false;
    setOwn({}, {"F001"});
    engine->TurnStartProcessing();
    ASSERT_EQ(host.batches.size(), 1);
    EXPECT_EQ(host.batches[0][0].value(2), "turnstandby");
    EXPECT_TRUE(log.chat.isEmpty());
}

TEST_F(TurnTest, TurnEndIsRefusedWithMoreThanFiveCards) {
    for (const QStringList& hand :
         {QStringList{"F001", "F001", "F001", "F001", "F001", "F001"},
          QStringList{"F001", "F001", "F001", "F001", "F001", "F001", "F002"}}) {
        setOwn(hand, {});
        user.warning("手札が6枚あります。捨てるか使うかして5枚以下に減らしてください。");
        engine->TurnEnd();
        EXPECT_TRUE(host.events.isEmpty());
        EXPECT_TRUE(state.MyTurn);
    }
}

TEST_F(TurnTest, TurnEndDeclined) {
    user.question("ターンエンドを宣言します。よろしいですか？", BoxResult::No, true);
    engine->TurnEnd();
    EXPECT_TRUE(host.events.isEmpty());
    EXPECT_TRUE(state.MyTurn);
}

TEST_F(TurnTest, ServerFirstTurnOneEndWithRule001AndTurnEndFunction) {
    state.ServerFirst = true;
    data.TurnNumber = 1;
    data.RuleText = "Name:test\r\nClass:Sr\r\nExRule:000001\r\n";
    settings.TurnendFunction = true;
    setOwn({}, {}, 2);
    putMonster(1, "F001", true, 1, 3, "000");
    putMonster(2, "F002", true, 1, 2, "");
    putMonster(3, "F001", false, 1, 0, "");
    user.question("ターンエンドを宣言します。よろしいですか？", BoxResult::Yes, true);
    engine->TurnEnd();
    const QString text = "Ann がターンエンドを宣言しました。\r\nルールにより Ann "
                         "のストーンが0個になりました。\r\nAnn "
                         "の「ターンエンド追加処理」が実行されます。";
    EXPECT_EQ(host.events,
              (QStringList{"redraw", "set:0 + set:1 + set:2 + chat:" + text, "opp endturn:0"}));
    EXPECT_EQ(log.chat, QStringList{text});
    EXPECT_FALSE(state.MyTurn);
    EXPECT_EQ(data.TurnNumber, 1) << "the first player's turn end does not count a turn";
    EXPECT_EQ(data.Own.Stone, 0);
    EXPECT_EQ(area(1).Status, "");
    EXPECT_EQ(area(2).Status, "001");
    EXPECT_EQ(area(3).Status, "") << "face-down monsters are left alone";
    EXPECT_EQ(host.batches[0][0], MasterType2setString(data.Own, 0));
}

TEST_F(TurnTest, Rule001OnlyOnTurnOneAndOnlyWithStones) {
    data.RuleText = "Name:test\r\nClass:Sr\r\nExRule:001\r\n";
    state.ServerFirst = true;
    struct Case {
        int turn;
        int stones;
        bool first;
    };
    for (const Case& c : {Case{2, 3, true}, Case{1, 0, true}, Case{1, 3, false}}) {
        host.clear();
        state.MyTurn = true;
        data.TurnNumber = static_cast<qint16>(c.turn);
        data.Own.IsFirst = c.first;
        data.Own.Stone = static_cast<qint16>(c.stones);
        user.question("ターンエンドを宣言します。よろしいですか？", BoxResult::Yes, true);
        engine->TurnEnd();
        EXPECT_EQ(host.events,
                  (QStringList{"chat:Ann がターンエンドを宣言しました。", "opp endturn:0"}))
            << c.turn << " " << c.stones;
        EXPECT_EQ(data.Own.Stone, c.stones);
    }
}

TEST_F(TurnTest, SecondPlayerServerCountsTheTurn) {
    state.ServerFirst = false;
    data.Own.IsFirst = false;
    data.TurnNumber = 2;
    putMonster(1, "F001", true, 1, 3, "000");
    settings.TurnEndReturn = true;
    user.question("ターンエンドを宣言します。よろしいですか？", BoxResult::Yes, true);
    engine->TurnEnd();
    EXPECT_EQ(host.events, (QStringList{"chat:Ann がターンエンドを宣言しました。 + turnnum:3",
                                        "opp endturn:0", "hand page"}));
    EXPECT_EQ(data.TurnNumber, 3);
    EXPECT_EQ(area(1).Status, "000") << "without TurnendFunction statuses stay";
}

TEST_F(TurnTest, ClientTurnEndSendsEndturnInTheSameWrite) {
    state.ServerMode = false;
    user.question("ターンエンドを宣言します。よろしいですか？", BoxResult::Yes, true);
    engine->TurnEnd();
    EXPECT_EQ(host.events, QStringList{"chat:Ann がターンエンドを宣言しました。 + endturn:0"});
    EXPECT_TRUE(log.chat.isEmpty());
    EXPECT_EQ(data.TurnNumber, 2);
}

TEST_F(TurnTest, TurnEndOutsideTheOwnTurnDoesNothing) {
    state.MyTurn = false;
    engine->TurnEnd();
    EXPECT_TRUE(host.events.isEmpty());
}

TEST_F(TurnTest, ServerTurnBeginsOnEndturn) {
    state.ServerFirst = true;
    state.MyTurn = false;
    data.TurnNumber = 1;
    setOwn({}, {"F001"});
    engine->OnEndturn("0");
    ASSERT_EQ(host.events.size(), 5);
    EXPECT_EQ(host.events[0], "turnnum:2");
    EXPECT_TRUE(host.events[1].startsWith(
        "chat:Ann の「ターン開始処理」が実行されます。\r\nAnn がカードを1枚ドロー"));
    EXPECT_EQ(host.events[2], "redraw");
    EXPECT_EQ(host.events[3], "chat:Annの2ターン開始");
    EXPECT_EQ(host.events[4], "event OnTurnStart 0");
    EXPECT_TRUE(state.MyTurn);
    EXPECT_EQ(data.Own.Hand, CardList{"F001"});
}

TEST_F(TurnTest, ServerSecondDoesNotCountOnEndturnAndFlagOneSkipsTheStart) {
    state.ServerFirst = false;
    state.MyTurn = false;
    engine->OnEndturn("1");
    EXPECT_EQ(host.events, (QStringList{"chat:Annの2ターン開始", "event OnTurnStart 0"}));
    EXPECT_EQ(data.TurnNumber, 2);
    EXPECT_TRUE(state.MyTurn);
}

TEST_F(TurnTest, ClientTurnBeginsOnEndturn) {
    state.ServerMode = false;
    state.MyTurn = false;
    data.Own.IsFirst = false;
    data.TurnNumber = 1;
    setOwn({}, {"F001"});
    engine->OnEndturn("0");
    ASSERT_EQ(host.events.size(), 5);
    EXPECT_EQ(host.events[0], "chat:Annの1ターン開始");
    EXPECT_EQ(host.events[1], "event OnTurnStart 1");
    EXPECT_TRUE(host.events[2].contains("Ann がカードを1枚ドローしました。"))
        << "the second player draws on turn 1";
    EXPECT_EQ(host.events[4], "turnstandby");
}

TEST_F(TurnTest, ManualTurnStartWaitsForTheButton) {
    state.ServerMode = false;
    state.MyTurn = false;
    settings.ManuallyTurnstart = true;
    engine->OnEndturn("0");
    EXPECT_EQ(host.events,
              (QStringList{"chat:Annの2ターン開始", "event OnTurnStart 1", "turnstandby"}));
}

TEST_F(TurnTest, TurnnumSetsTheNumberOrRefusesText) {
    EXPECT_TRUE(engine->OnTurnnum("7"));
    EXPECT_EQ(data.TurnNumber, 7);
    EXPECT_FALSE(engine->OnTurnnum("seven"));
    EXPECT_EQ(data.TurnNumber, 7);
}

TEST_F(TurnTest, StartFunctionDealsAndBeginsTheServersTurn) {
    data.RuleText = "Name:Pro\r\nClass:Pro\r\nExRule:\r\n";
    data.Own.DeckDefaultData.Cards = {"F001", "", "F002", "M001", "M002", "M003", "S001"};
    data.Enemy.DeckDefaultData.Cards = {"F002", "F002", "F002", "F002", "F002", "F002", ""};
    state.ServerFirst = true;
    state.MyTurn = false;
    engine->StartFunction("Bob");
    EXPECT_EQ(BattleOperation::CardCount(data.Own.Hand), 5);
    EXPECT_EQ(BattleOperation::CardCount(data.Own.Deck), 1);
    EXPECT_EQ(BattleOperation::CardCount(data.Enemy.Hand), 5);
    EXPECT_EQ(data.Enemy.Deck, CardList{"F002"});
    EXPECT_EQ(data.TurnNumber, 1);
    EXPECT_TRUE(data.Own.IsFirst);
    EXPECT_FALSE(data.Enemy.IsFirst);
    EXPECT_EQ(data.Own.MasterHP, 10);
    EXPECT_EQ(data.Enemy.MasterHP, 10);
    EXPECT_EQ(data.Enemy.PlayerName, "Bob");
    EXPECT_TRUE(state.MyTurn);
    const QStringList expectedStart{"set:0", "set:1", "set:2",     "set:3",
                                    "set:4", "set:5", "set:6",     "set:7",
                                    "set:8", "set:9", "turnnum:1", "chat:Annの1ターン開始"};
    ASSERT_GE(host.events.size(), expectedStart.size() + 1);
    EXPECT_EQ(host.events.mid(0, expectedStart.size()), expectedStart);
    EXPECT_TRUE(
        host.events[expectedStart.size()].contains("ルールにより Ann のドローはありません。"));
}

TEST_F(TurnTest, StartFunctionHandsTheFirstTurnToTheOpponent) {
    data.RuleText = "Name:Sr\r\nClass:Sr\r\nExRule:\r\n";
    state.ServerFirst = false;
    state.MyTurn = false;
    engine->StartFunction("Bob");
    EXPECT_EQ(host.events.mid(10), (QStringList{"turnnum:1", "opp endturn:0"}));
    EXPECT_FALSE(state.MyTurn);
    EXPECT_EQ(data.Own.MasterHP, 5);
    EXPECT_TRUE(data.Enemy.IsFirst);
}

} // namespace
} // namespace lumi::test
