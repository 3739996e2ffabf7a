// Hand, deck and trash operations: guards, questions, refusals, sentences,
// the master area sent and its order relative to the sentence.
#include "OperationCase.h"

namespace lumi::test {
namespace {

const QString R = QStringLiteral("redraw");
const QString S0 = QStringLiteral("set:0");

using E = BattleEngine;
using T = EngineTest;

void amount(T& t, int n) {
    t.state.ChangeAmount = n;
}

const OperationCase kHandCases[] = {
    {"DrawTakesTheTopCard",
     [](T& t) {
         t.setOwn({}, {"F001", "F002"});
     },
     [](E& e) { e.DrawOneCard(); },
     {chat("Ann がカードを1枚ドローしました。"), S0, R},
     {"Ann がカードを1枚ドローしました。"},
     {},
     [](T& t) {
         EXPECT_EQ(t.data.Own.Hand, CardList{"F001"});
         EXPECT_EQ(t.data.Own.Deck, CardList{"F002"});
     }},
    {"DrawFromEmptyDeckDoesNothing",
     [](T& t) { t.setOwn({"F001"}, {}); },
     [](E& e) { e.DrawOneCard(); },
     {},
     {},
     {},
     [](T& t) { EXPECT_EQ(t.data.Own.Hand, CardList{"F001"}); }},
    {"DrawInTheOpponentsTurn",
     [](T& t) {
         t.setOwn({}, {"F001"});
         t.state.MyTurn = false;
     },
     [](E& e) { e.DrawOneCard(); },
     {chat("Ann がカードを1枚ドローしました。"), S0, R},
     {"Ann がカードを1枚ドローしました。"}},
    {"DrawWhileWatchingDoesNothing",
     [](T& t) {
         t.setOwn({}, {"F001"});
         t.state.ViewMode = true;
     },
     [](E& e) { e.DrawOneCard(); },
     {},
     {}},
    {"DrawCheckDeclined",
     [](T& t) {
         t.setOwn({}, {"F001"});
         t.settings.DrawCheck = true;
         t.user.question("ドローしますか？", BoxResult::No);
     },
     [](E& e) { e.DrawOneCard(); },
     {},
     {}},
    {"DrawCheckAccepted",
     [](T& t) {
         t.setOwn({}, {"F001"});
         t.settings.DrawCheck = true;
         t.user.question("ドローしますか？", BoxResult::Yes);
     },
     [](E& e) { e.DrawOneCard(); },
     {chat("Ann がカードを1枚ドローしました。"), S0, R},
     {"Ann がカードを1枚ドローしました。"}},
    {"Discard",
     [](T& t) {
         t.setOwn({"F001", "M001"}, {});
         t.user.question("ファイア を捨てます。よろしいですか？", BoxResult::Yes);
     },
     [](E& e) { e.DiscardCard(1); },
     {chat("Ann がカードを1枚捨てました。"), S0, R},
     {"Ann がカードを1枚捨てました。"},
     {},
     [](T& t) {
         EXPECT_EQ(t.data.Own.Hand, CardList{"F001"});
         EXPECT_EQ(t.data.Own.Trash, CardList{"M001"});
     }},
    {"DiscardDeclined",
     [](T& t) {
         t.setOwn({"F001"}, {});
         t.user.question("ドラゴン を捨てます。よろしいですか？", BoxResult::No);
     },
     [](E& e) { e.DiscardCard(0); },
     {},
     {}},
    {"DiscardWithoutSelection",
     [](T& t) { t.setOwn({"F001"}, {}); },
     [](E& e) { e.DiscardCard(-1); },
     {},
     {}},
    {"MagicCardWithCost",
     [](T& t) {
         t.setOwn({"F001", "M001"}, {}, 2);
         t.user.question("ファイア を使います。よろしいですか？", BoxResult::Yes);
     },
     [](E& e) { e.UseMagicCard(1); },
     {chat("Ann がファイアを使いました\r\nAnn が 1ストーン支払いました。"), S0, R},
     {"Ann がファイアを使いました\r\nAnn が 1ストーン支払いました。"},
     {},
     [](T& t) {
         EXPECT_EQ(t.data.Own.Stone, 1);
         EXPECT_EQ(t.data.Own.Hand, CardList{"F001"});
         EXPECT_EQ(t.data.Own.Trash, CardList{"M001"});
     }},
    {"MagicCardWithoutCostHasOneLine",
     [](T& t) {
         t.setOwn({"M002"}, {}, 0);
         t.user.question("ただの魔法 を使います。よろしいですか？", BoxResult::Yes);
     },
     [](E& e) { e.UseMagicCard(0); },
     {chat("Ann がただの魔法を使いました"), S0, R},
     {"Ann がただの魔法を使いました"}},
    {"MagicCardShortOfStones",
     [](T& t) {
         t.setOwn({"M003"}, {}, 2);
         t.user.question("高い魔法 を使います。よろしいですか？", BoxResult::Yes);
         t.user.warning("ストーンが足りません。", "高い魔法(3個)");
     },
     [](E& e) { e.UseMagicCard(0); },
     {},
     {},
     {},
     [](T& t) { EXPECT_EQ(t.data.Own.Hand, CardList{"M003"}); }},
    {"MagicCardDeclined",
     [](T& t) {
         t.setOwn({"M001"}, {}, 2);
         t.user.question("ファイア を使います。よろしいですか？", BoxResult::No);
     },
     [](E& e) { e.UseMagicCard(0); },
     {},
     {},
     {},
     [](T& t) { EXPECT_EQ(t.data.Own.Stone, 2); }},
    {"UnknownCardCannotBeUsed",
     [](T& t) {
         t.setOwn({"X999"}, {});
         t.user.expect("このカードの情報が見つからないため、使用できません。", BoxButtons::OK,
                       BoxIcon::Error, 0, BoxResult::OK);
     },
     [](E& e) { e.UseMagicCard(0); },
     {},
     {}},
    {"MonsterCardIsNoMagic",
     [](T& t) { t.setOwn({"F001"}, {}); },
     [](E& e) { e.UseMagicCard(0); },
     {},
     {}},
    {"MagicOnlyInOwnTurn",
     [](T& t) {
         t.setOwn({"M001"}, {}, 2);
         t.state.MyTurn = false;
     },
     [](E& e) { e.UseMagicCard(0); },
     {},
     {}},
    {"StonesUp",
     [](T& t) { amount(t, 2); },
     [](E& e) { e.StoneUp(); },
     {chat("Ann が2ストーンを増やしました。"), S0, R},
     {"Ann が2ストーンを増やしました。"},
     {},
     [](T& t) { EXPECT_EQ(t.data.Own.Stone, 2); }},
    {"StonesBeyondSixteenBitsAreReportedNotWrapped",
     [](T& t) {
         t.setOwn({}, {}, 32767);
         t.user.errorReport("frmMain.cmdStoneUp_Click", 6);
     },
     [](E& e) { e.StoneUp(); },
     {},
     {},
     {},
     [](T& t) { EXPECT_EQ(t.data.Own.Stone, 32767); }},
    {"StonesDownRefusedBelowZero",
     [](T& t) {
         t.setOwn({}, {}, 2);
         amount(t, 3);
     },
     [](E& e) { e.StoneDown(); },
     {},
     {},
     "Error: これ以上減らせません。"},
    {"StonesDownToZero",
     [](T& t) {
         t.setOwn({}, {}, 3);
         amount(t, 3);
     },
     [](E& e) { e.StoneDown(); },
     {chat("Ann が3ストーンを失いました。"), S0, R},
     {"Ann が3ストーンを失いました。"},
     {},
     [](T& t) { EXPECT_EQ(t.data.Own.Stone, 0); }},
    {"HPUpRefusedAboveTen",
     [](T& t) {
         t.data.Own.MasterHP = 8;
         amount(t, 3);
     },
     [](E& e) { e.HPUp(); },
     {},
     {},
     "Error: これ以上増やせません。"},
    {"HPUpToTen",
     [](T& t) {
         t.data.Own.MasterHP = 8;
         amount(t, 2);
     },
     [](E& e) { e.HPUp(); },
     {chat("Ann がＨＰを2増やしました。"), S0, R},
     {"Ann がＨＰを2増やしました。"},
     {},
     [](T& t) { EXPECT_EQ(t.data.Own.MasterHP, 10); }},
    {"HPDownSendsTheAreaBeforeTheSentence",
     [](T& t) { amount(t, 2); },
     [](E& e) { e.HPDown(); },
     {S0, chat("Ann がＨＰを2減らしました。"), R},
     {"Ann がＨＰを2減らしました。"},
     {},
     [](T& t) { EXPECT_EQ(t.data.Own.MasterHP, 3); }},
    {"HPDownRefusedBelowZero",
     [](T& t) { amount(t, 6); },
     [](E& e) { e.HPDown(); },
     {},
     {},
     "Error: これ以上減らせません。"},
    {"DamageToZeroAddsStones",
     [](T& t) {
         t.data.Own.MasterHP = 3;
         amount(t, 3);
     },
     [](E& e) { e.Damage(); },
     {chat("Ann が3ダメージを受けました。"), S0, R},
     {"Ann が3ダメージを受けました。"},
     {},
     [](T& t) {
         EXPECT_EQ(t.data.Own.MasterHP, 0);
         EXPECT_EQ(t.data.Own.Stone, 3);
     }},
    {"DamageRefusedAboveHP",
     [](T& t) {
         t.data.Own.MasterHP = 3;
         amount(t, 4);
     },
     [](E& e) { e.Damage(); },
     {},
     {},
     "Error: マスターのHPが足りません。"},
    {"MakeStoneAtTwoHP",
     [](T& t) {
         t.data.Own.MasterHP = 2;
         t.user.question("自マスターの HP を 2 減らし、ストーンを 1 個増やします。よろしいですか？",
                         BoxResult::Yes, true);
     },
     [](E& e) { e.MakeStone(); },
     {chat("Ann がメイクストーンを使いました。"), S0, R},
     {"Ann がメイクストーンを使いました。"},
     {},
     [](T& t) {
         EXPECT_EQ(t.data.Own.MasterHP, 0);
         EXPECT_EQ(t.data.Own.Stone, 1);
     }},
    {"MakeStoneRefusedAtOneHP",
     [](T& t) { t.data.Own.MasterHP = 1; },
     [](E& e) { e.MakeStone(); },
     {},
     {},
     "Error: マスターのHPが足りません。"},
    {"MakeStoneDeclined",
     [](T& t) {
         t.user.question("自マスターの HP を 2 減らし、ストーンを 1 個増やします。よろしいですか？",
                         BoxResult::No, true);
     },
     [](E& e) { e.MakeStone(); },
     {},
     {}},
    {"MakeDrawRefusedWithSixCardsBeforeAnyQuestion",
     [](T& t) {
         t.setOwn({"F001", "F001", "F001", "F001", "F001", "F001"}, {"F002"});
     },
     [](E& e) { e.MakeDraw(); },
     {},
     {},
     "Error: 手札が多すぎます。"},
    {"MakeDrawWithFiveCardsDrawsASixth",
     [](T& t) {
         t.setOwn({"F001", "F001", "F001", "F001", "F001"}, {"F002"});
         t.user.question("自マスターの HP を 1 減らし、カードを1枚ドローします。よろしいですか？",
                         BoxResult::Yes, true);
     },
     [](E& e) { e.MakeDraw(); },
     {chat("Ann がメイクドローを使いました。"), S0, R},
     {"Ann がメイクドローを使いました。"},
     {},
     [](T& t) {
         EXPECT_EQ(BattleOperation::CardCount(t.data.Own.Hand), 6);
         EXPECT_EQ(t.data.Own.MasterHP, 4);
     }},
    {"MakeDrawRefusedAtZeroHP",
     [](T& t) { t.data.Own.MasterHP = 0; },
     [](E& e) { e.MakeDraw(); },
     {},
     {},
     "Error: マスターのHPが足りません。"},
    {"ShuffleEmptyDeckAsksNothing",
     [](T& t) { t.setOwn({}, {}); },
     [](E& e) { e.ShuffleDeck(); },
     {},
     {}},
    {"ShuffleDeck",
     [](T& t) {
         t.setOwn({}, {"F001", "F002"});
         t.user.expect("デッキをシャッフルします。よろしいですか？", BoxButtons::YesNo,
                       BoxIcon::None, 1, BoxResult::Yes);
     },
     [](E& e) { e.ShuffleDeck(); },
     {chat("Ann がデッキをシャッフルしました。"), S0, R},
     {"Ann がデッキをシャッフルしました。"},
     {},
     [](T& t) { EXPECT_EQ(t.random.calls, 2 * 10001); }},
    {"HandToDeckKeepsTheHandOrderOnTop",
     [](T& t) {
         t.setOwn({"F001", "M001"}, {"F002"});
         t.user.expect("デッキに手札を戻します。よろしいですか？", BoxButtons::YesNo, BoxIcon::None,
                       1, BoxResult::Yes);
     },
     [](E& e) { e.HandToDeck(); },
     {S0, chat("Ann が手札をデッキに戻しました。"), R},
     {"Ann が手札をデッキに戻しました。"},
     {},
     [](T& t) {
         EXPECT_EQ(t.data.Own.Deck, (CardList{"F001", "M001", "F002"}));
         EXPECT_EQ(t.data.Own.Hand, CardList{QString()});
     }},
    {"HandToDeckWithEmptyHandStillWritesTheSentence",
     [](T& t) {
         t.setOwn({}, {"F002"});
         t.user.expect("デッキに手札を戻します。よろしいですか？", BoxButtons::YesNo, BoxIcon::None,
                       1, BoxResult::Yes);
     },
     [](E& e) { e.HandToDeck(); },
     {S0, chat("Ann が手札をデッキに戻しました。"), R},
     {"Ann が手札をデッキに戻しました。"},
     {},
     [](T& t) { EXPECT_EQ(t.data.Own.Deck, CardList{"F002"}); }},
    {"DieRollsWithoutABattle",
     [](T& t) {
         t.state.BattleRunning = false;
         t.random.queue = {3};
     },
     [](E& e) { e.RollDice(); },
     {chat("Ann がダイスを振りました。[ダイスの目：4]")},
     {"Ann がダイスを振りました。[ダイスの目：4]"}},
    {"ClientOnlySendsTheSentence",
     [](T& t) {
         t.state.ServerMode = false;
         t.setOwn({}, {"F001"});
     },
     [](E& e) { e.DrawOneCard(); },
     {chat("Ann がカードを1枚ドローしました。"), S0, R},
     {}},
};

class HandOperations : public OperationTable {};

TEST_P(HandOperations, Runs) {
    run();
}

INSTANTIATE_TEST_SUITE_P(Table, HandOperations, ::testing::ValuesIn(kHandCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace lumi::test
