// Field and monster operations: placing, moving, rotating, hit points,
// levels, techniques, banishing, statuses and master abilities.
#include "OperationCase.h"

namespace lumi::test {
namespace {

const QString R = QStringLiteral("redraw");
const QString S0 = QStringLiteral("set:0");
QString set(int area) {
    return QStringLiteral("set:") + QString::number(area);
}

using E = BattleEngine;
using T = EngineTest;

void target(T& t, int area) {
    t.state.SelectedTarget = area;
}

QString levelQuestion(int c, int l) {
    const bool up = l > c;
    return QStringLiteral("現在、このモンスターのレベルは%1です。\r\nそれをレベル%2に%"
                          "3ようとしています。\r\n差額ストーン(%4個)の%5を行いますか？")
        .arg(c)
        .arg(l)
        .arg(up ? QStringLiteral("上げ") : QStringLiteral("下げ"))
        .arg(up ? l - c : c - l)
        .arg(up ? QStringLiteral("自動支払い") : QStringLiteral("自動払い戻し"));
}

const OperationCase kFieldCases[] = {
    {"PlaceMonsterPaysOneStone",
     [](T& t) { t.setOwn({"F001"}, {}, 1); },
     [](E& e) { e.PlaceCard(0, 1); },
     {chat("Ann がカードをセットしました"), set(1), S0, R},
     {"Ann がカードをセットしました"},
     {},
     [](T& t) {
         EXPECT_EQ(t.data.Own.Stone, 0);
         EXPECT_EQ(t.area(1).CardID, "F001");
         EXPECT_FALSE(t.area(1).IsOpen);
         EXPECT_EQ(t.area(1).Level, 1);
         EXPECT_EQ(t.data.Own.Hand, CardList{QString()});
     }},
    {"PlaceMonsterWithoutStonesIsRefused",
     [](T& t) { t.setOwn({"F002"}, {}, 0); },
     [](E& e) { e.PlaceCard(0, 2); },
     {},
     {},
     "Error:ストーンが足りません。"},
    {"PlaceMonsterInStoneDebtPaysOnDown",
     [](T& t) { t.setOwn({"F001"}, {}, -1); },
     [](E& e) { e.PlaceCard(0, 4); },
     {chat("Ann がカードをセットしました"), set(4), S0, R},
     {"Ann がカードをセットしました"},
     {},
     [](T& t) {
         EXPECT_EQ(t.data.Own.Stone, -2);
         EXPECT_EQ(t.area(4).CardID, "F001");
     }},
    {"PlaceMonsterOnOccupiedAreaDoesNothing",
     [](T& t) {
         t.setOwn({"F001"}, {}, 2);
         t.putMonster(1, "F002", true, 1, 2);
     },
     [](E& e) { e.PlaceCard(0, 1); },
     {},
     {}},
    {"SuperCardForAnyMonsterOnLevelThree",
     [](T& t) {
         t.setOwn({"S002"}, {}, 0);
         t.putMonster(3, "F002", true, 3, 2);
     },
     [](E& e) { e.PlaceCard(0, 3); },
     {chat("Ann がスーパーカード スーパー何でも をセットしました。"), set(3), S0, R},
     {"Ann がスーパーカード スーパー何でも をセットしました。"},
     {},
     [](T& t) {
         EXPECT_EQ(t.area(3).CardID, "S002/F002");
         EXPECT_EQ(t.data.Own.Stone, 0);
     }},
    {"SuperCardOnLevelTwoDoesNothing",
     [](T& t) {
         t.setOwn({"S002"}, {});
         t.putMonster(1, "F002", true, 2, 2);
     },
     [](E& e) { e.PlaceCard(0, 1); },
     {},
     {}},
    {"SuperCardForAnotherMonsterDoesNothing",
     [](T& t) {
         t.setOwn({"S001"}, {});
         t.putMonster(1, "F002", true, 3, 2);
     },
     [](E& e) { e.PlaceCard(0, 1); },
     {},
     {}},
    {"SecondSuperCardDoesNothing",
     [](T& t) {
         t.setOwn({"S002"}, {});
         t.putMonster(1, "S001/F001", true, 3, 6);
     },
     [](E& e) { e.PlaceCard(0, 1); },
     {},
     {}},
    {"SuperCardOnEmptyAreaDoesNothing",
     [](T& t) { t.setOwn({"S002"}, {}, 3); },
     [](E& e) { e.PlaceCard(0, 1); },
     {},
     {}},
    {"MagicCardDropDoesNothing",
     [](T& t) { t.setOwn({"M001"}, {}, 3); },
     [](E& e) { e.PlaceCard(0, 1); },
     {},
     {}},
    {"SwapNamesFaceDownAndEmptyInAreaOrder",
     [](T& t) {
         t.putMonster(1, "F001", false, 1, 0, "001");
         t.engine->Positions().Click(0);
         t.engine->Positions().Click(2);
     },
     [](E& e) { e.SwapPositions(); },
     {set(1), set(2), set(3), set(4), R,
      chat("Ann が 空きエリア(A) と 準備中モンスター(C) を入れ替えました。")},
     {"Ann が 空きエリア(A) と 準備中モンスター(C) を入れ替えました。"},
     {},
     [](T& t) {
         EXPECT_EQ(t.area(3).CardID, "F001");
         EXPECT_EQ(t.area(3).Status, "000") << "a move as action marks the monster acted";
         EXPECT_TRUE(t.area(1).CardID.isEmpty());
         EXPECT_EQ(t.engine->Positions().chkPosition, (std::array<bool, 4>{}));
     }},
    {"SwapWithoutActionKeepsStatuses",
     [](T& t) {
         t.putMonster(2, "F001", true, 1, 3, "001");
         t.putMonster(4, "F002", true, 1, 2);
         t.engine->Positions().chkMoveAsAction = false;
         t.engine->Positions().Click(1);
         t.engine->Positions().Click(3);
     },
     [](E& e) { e.SwapPositions(); },
     {set(1), set(2), set(3), set(4), R,
      chat("Ann が ナイト(B) と ドラゴン(D) を入れ替えました。")},
     {"Ann が ナイト(B) と ドラゴン(D) を入れ替えました。"},
     {},
     [](T& t) { EXPECT_EQ(t.area(4).Status, "001"); }},
    {"SwapNeedsTwoBoxes",
     [](T& t) {
         t.putMonster(1, "F001", true, 1, 3);
         t.engine->Positions().Click(0);
     },
     [](E& e) { e.SwapPositions(); },
     {},
     {}},
    {"RotateLeft",
     [](T& t) {
         t.putMonster(1, "F001", true, 1, 1);
         t.putMonster(2, "F002", true, 1, 2);
         t.putMonster(3, "F001", true, 1, 3);
         t.putMonster(4, "F002", true, 1, 4);
     },
     [](E& e) { e.RotateLeft(); },
     {chat("Ann が左方向ローテーションを実行しました"), set(1), set(2), set(3), set(4), R},
     {"Ann が左方向ローテーションを実行しました"},
     {},
     [](T& t) {
         EXPECT_EQ(t.area(1).HP, 2);
         EXPECT_EQ(t.area(2).HP, 4);
         EXPECT_EQ(t.area(4).HP, 3);
         EXPECT_EQ(t.area(3).HP, 1);
     }},
    {"RotateRight",
     [](T& t) {
         t.putMonster(1, "F001", true, 1, 1);
         t.putMonster(2, "F002", true, 1, 2);
         t.putMonster(3, "F001", true, 1, 3);
         t.putMonster(4, "F002", true, 1, 4);
     },
     [](E& e) { e.RotateRight(); },
     {chat("Ann が右方向ローテーションを実行しました"), set(1), set(2), set(3), set(4), R},
     {"Ann が右方向ローテーションを実行しました"},
     {},
     [](T& t) {
         EXPECT_EQ(t.area(1).HP, 3);
         EXPECT_EQ(t.area(3).HP, 4);
         EXPECT_EQ(t.area(4).HP, 2);
         EXPECT_EQ(t.area(2).HP, 1);
     }},
    {"HPOnFaceDownMonsterOpensItInOneSend",
     [](T& t) {
         t.putMonster(2, "F001", false, 1, 0, "000/010");
         target(t, 2);
     },
     [](E& e) { e.SetMonsterHP(3); },
     {chat("Ann が ドラゴン(B) をオープンしました。") + " + " +
          chat("Ann が ドラゴン(B) のＨＰを3に変更しました"),
      S0, set(2), R},
     {"Ann が ドラゴン(B) をオープンしました。\r\nAnn が ドラゴン(B) のＨＰを3に変更しました"},
     {},
     [](T& t) {
         EXPECT_TRUE(t.area(2).IsOpen);
         EXPECT_EQ(t.area(2).Status, "");
         EXPECT_EQ(t.area(2).HP, 3);
     }},
    {"HPChangeEndsTheCharge",
     [](T& t) {
         t.putMonster(1, "F001", true, 1, 3, "000/001");
         target(t, 1);
     },
     [](E& e) { e.SetMonsterHP(2); },
     {chat("Ann が ドラゴン(A) のＨＰを2に変更しました"), S0, set(1), R},
     {"Ann が ドラゴン(A) のＨＰを2に変更しました"},
     {},
     [](T& t) { EXPECT_EQ(t.area(1).Status, "000"); }},
    {"SameHPKeepsTheCharge",
     [](T& t) {
         t.putMonster(1, "F001", true, 1, 3, "001");
         target(t, 1);
     },
     [](E& e) { e.SetMonsterHP(3); },
     {chat("Ann が ドラゴン(A) のＨＰを3に変更しました"), S0, set(1), R},
     {"Ann が ドラゴン(A) のＨＰを3に変更しました"},
     {},
     [](T& t) { EXPECT_EQ(t.area(1).Status, "001"); }},
    {"HPZeroTrashesSuperCardAndMonsterAndReturnsStones",
     [](T& t) {
         t.putMonster(4, "S001/F001", true, 3, 6, "000");
         target(t, 4);
         t.user.question("捨て札に送りますか？", BoxResult::Yes);
         t.user.question("レベル分のストーンを手持ちに戻しますか？", BoxResult::Yes);
     },
     [](E& e) { e.SetMonsterHP(0); },
     {chat("Ann が スーパードラゴン(D) のＨＰを0に変更しました"), S0, set(4), R},
     {"Ann が スーパードラゴン(D) のＨＰを0に変更しました"},
     {},
     [](T& t) {
         EXPECT_EQ(t.data.Own.Trash, (CardList{"S001", "F001"}));
         EXPECT_TRUE(t.area(4).CardID.isEmpty());
         EXPECT_EQ(t.area(4).Status, "");
         EXPECT_EQ(t.data.Own.Stone, 3);
     }},
    {"HPZeroKeptOnTheField",
     [](T& t) {
         t.putMonster(1, "F001", true, 2, 5);
         target(t, 1);
         t.user.question("捨て札に送りますか？", BoxResult::No);
     },
     [](E& e) { e.SetMonsterHP(0); },
     {chat("Ann が ドラゴン(A) のＨＰを0に変更しました"), S0, set(1), R},
     {"Ann が ドラゴン(A) のＨＰを0に変更しました"},
     {},
     [](T& t) { EXPECT_EQ(t.area(1).CardID, "F001"); }},
    {"ReturnFaceDownMonster",
     [](T& t) {
         t.setOwn({}, {"F002"}, 0);
         t.putMonster(1, "F001", false, 1, 0);
         target(t, 1);
         t.user.question("リターンします。よろしいですか？", BoxResult::Yes);
     },
     [](E& e) { e.ReturnMonster(); },
     {chat("Ann が A へリターンを実行しました。"), S0, set(1), R},
     {"Ann が A へリターンを実行しました。"},
     {},
     [](T& t) {
         EXPECT_EQ(t.data.Own.Deck, (CardList{"F002", "F001"}));
         EXPECT_TRUE(t.area(1).CardID.isEmpty());
         EXPECT_EQ(t.data.Own.Stone, 1);
     }},
    {"ReturnOpenMonsterDoesNothing",
     [](T& t) {
         t.putMonster(1, "F001", true, 1, 3);
         target(t, 1);
     },
     [](E& e) { e.ReturnMonster(); },
     {},
     {}},
    {"LevelUpPaysBelowZeroAndKeepsTheCharge",
     [](T& t) {
         t.setOwn({}, {}, 1);
         t.putMonster(1, "F001", true, 1, 3, "001");
         target(t, 1);
         t.user.question(levelQuestion(1, 3), BoxResult::Yes);
     },
     [](E& e) { e.SetMonsterLevel(3); },
     {chat("Ann が ドラゴン(A) のＨＰを6に変更しました"), S0, set(1), R,
      chat("Ann が ドラゴン(A) のレベルを3にアップしました"), S0, set(1), R},
     {"Ann が ドラゴン(A) のＨＰを6に変更しました",
      "Ann が ドラゴン(A) のレベルを3にアップしました"},
     {},
     [](T& t) {
         EXPECT_EQ(t.data.Own.Stone, -1);
         EXPECT_EQ(t.area(1).Level, 3);
         EXPECT_EQ(t.area(1).HP, 6);
         EXPECT_EQ(t.area(1).Status, "001");
     }},
    {"LevelUpWithoutPaymentToEmptyHP",
     [](T& t) {
         t.setOwn({}, {}, 1);
         t.putMonster(2, "F001", true, 3, 6);
         target(t, 2);
         t.user.question(levelQuestion(3, 4), BoxResult::No);
     },
     [](E& e) { e.SetMonsterLevel(4); },
     {chat("Ann が ドラゴン(B) のＨＰを4に変更しました"), S0, set(2), R,
      chat("Ann が ドラゴン(B) のレベルを4にアップしました"), S0, set(2), R},
     {"Ann が ドラゴン(B) のＨＰを4に変更しました",
      "Ann が ドラゴン(B) のレベルを4にアップしました"},
     {},
     [](T& t) { EXPECT_EQ(t.data.Own.Stone, 1); }},
    {"LevelDownWithSuperCardAsksPaymentThenReturn",
     [](T& t) {
         t.setOwn({}, {"F002"}, 0);
         t.putMonster(1, "S001/F001", true, 3, 9, "001");
         target(t, 1);
         t.user.question(levelQuestion(3, 2), BoxResult::Yes);
         t.user.question("スーパーカードを山札の一番上に戻しますか？", BoxResult::Yes);
     },
     [](E& e) { e.SetMonsterLevel(2); },
     {chat("Ann が スーパードラゴン(A) のＨＰを8に変更しました"), S0, set(1), R,
      chat("Ann が スーパードラゴン(A) のレベルを2にダウンしました"), S0, set(1), R,
      chat("Ann が スーパードラゴン を山札に戻しました。(A)"), S0, set(1), R},
     {"Ann が スーパードラゴン(A) のＨＰを8に変更しました",
      "Ann が スーパードラゴン(A) のレベルを2にダウンしました",
      "Ann が スーパードラゴン を山札に戻しました。(A)"},
     {},
     [](T& t) {
         EXPECT_EQ(t.data.Own.Stone, 1);
         EXPECT_EQ(t.data.Own.Deck, (CardList{"S001", "F002"}));
         EXPECT_EQ(t.area(1).CardID, "F001");
         EXPECT_EQ(t.area(1).Status, "") << "a level down does not put the charge back";
     }},
    {"SameLevelWithSuperCardKeptStillSendsAreas",
     [](T& t) {
         t.putMonster(1, "S001/F001", true, 2, 8);
         target(t, 1);
         t.user.question("スーパーカードを山札の一番上に戻しますか？", BoxResult::No);
     },
     [](E& e) { e.SetMonsterLevel(2); },
     {S0, set(1), R},
     {},
     {},
     [](T& t) { EXPECT_EQ(t.area(1).CardID, "S001/F001"); }},
    {"SameLevelWithoutSuperCardDoesNothing",
     [](T& t) {
         t.putMonster(1, "F001", true, 2, 5);
         target(t, 1);
     },
     [](E& e) { e.SetMonsterLevel(2); },
     {},
     {}},
    {"TechniqueOneWithCharge",
     [](T& t) {
         t.putMonster(1, "F001", true, 1, 3, "001");
         target(t, 1);
     },
     [](E& e) { e.DeclareTechnique1(); },
     {chat("Ann が ドラゴン(A) の技 ！かみつく の使用を宣言しました。(きあいだめ付き)"), set(1), R},
     {"Ann が ドラゴン(A) の技 ！かみつく の使用を宣言しました。(きあいだめ付き)"},
     {},
     [](T& t) { EXPECT_EQ(t.area(1).Status, "000"); }},
    {"TechniqueTwoPaysItsCost",
     [](T& t) {
         t.setOwn({}, {}, 3);
         t.putMonster(1, "F001", true, 1, 3);
         target(t, 1);
     },
     [](E& e) { e.DeclareTechnique2(); },
     {S0,
      chat("Ann が ドラゴン(A) の技 ●ほのお の使用を宣言しました。\r\nAnn が技の使用コスト2 "
           "を支払いました。"),
      set(1), R},
     {"Ann が ドラゴン(A) の技 ●ほのお の使用を宣言しました。\r\nAnn が技の使用コスト2 "
      "を支払いました。"},
     {},
     [](T& t) {
         EXPECT_EQ(t.data.Own.Stone, 1);
         EXPECT_EQ(t.area(1).Status, "000");
     }},
    {"TechniqueTwoShortOfStones",
     [](T& t) {
         t.setOwn({}, {}, 1);
         t.putMonster(1, "F001", true, 1, 3);
         target(t, 1);
         t.user.warning("ストーンが足りません。");
     },
     [](E& e) { e.DeclareTechnique2(); },
     {},
     {}},
    {"TechniqueTwoWithoutNumericCostIsFree",
     [](T& t) {
         t.putMonster(2, "F002", true, 1, 2);
         target(t, 2);
     },
     [](E& e) { e.DeclareTechnique2(); },
     {chat("Ann が ナイト(B) の技 ●つく の使用を宣言しました。"), set(2), R},
     {"Ann が ナイト(B) の技 ●つく の使用を宣言しました。"}},
    {"TechniqueTwoCostBeyondSixteenBitsIsReported",
     [](T& t) {
         t.setOwn({}, {}, 3);
         t.putMonster(1, "F001", true, 2, 5);
         target(t, 1);
         t.user.errorReport("frmMain.mnuPopupMonsterSelfWaza2_Click", 6);
     },
     [](E& e) { e.DeclareTechnique2(); },
     {},
     {},
     {},
     [](T& t) { EXPECT_EQ(t.data.Own.Stone, 3); }},
    {"BanishPaysOneHPAndReturnsLevelStones",
     [](T& t) {
         t.putMonster(1, "S002/F002", true, 3, 2);
         target(t, 1);
         t.user.question(
             "マスターのHPを1支払い、このモンスターを場から追放します。よろしいですか？\r\n(Jr "
             "ルールでの使用はルール違反となります)",
             BoxResult::Yes, true);
     },
     [](E& e) { e.Banish(); },
     {chat("Ann が スーパー何でも(A) をついほうしました。"), set(1), S0, R},
     {"Ann が スーパー何でも(A) をついほうしました。"},
     {},
     [](T& t) {
         EXPECT_EQ(t.data.Own.Trash, (CardList{"S002", "F002"}));
         EXPECT_EQ(t.data.Own.Stone, 3);
         EXPECT_EQ(t.data.Own.MasterHP, 4);
         EXPECT_TRUE(t.area(1).CardID.isEmpty());
     }},
    {"BanishRefusedAtOneHPAfterTheQuestion",
     [](T& t) {
         t.data.Own.MasterHP = 1;
         t.putMonster(1, "F001", true, 1, 3);
         target(t, 1);
         t.user.question(
             "マスターのHPを1支払い、このモンスターを場から追放します。よろしいですか？\r\n(Jr "
             "ルールでの使用はルール違反となります)",
             BoxResult::Yes, true);
     },
     [](E& e) { e.Banish(); },
     {},
     {},
     "Error: マスターのHPが足りません。"},
    {"ToggleActed",
     [](T& t) {
         t.putMonster(3, "F001", true, 1, 3, "001");
         target(t, 3);
     },
     [](E& e) { e.ToggleActed(); },
     {set(3), R},
     {},
     {},
     [](T& t) { EXPECT_EQ(t.area(3).Status, "001/000"); }},
    {"ToggleCharge",
     [](T& t) {
         t.putMonster(3, "F001", true, 1, 3, "000/001");
         target(t, 3);
     },
     [](E& e) { e.ToggleCharge(); },
     {set(3), R},
     {},
     {},
     [](T& t) { EXPECT_EQ(t.area(3).Status, "000"); }},
    {"MonsterStatusDialog",
     [](T& t) {
         t.putMonster(2, "F001", true, 1, 3, "001/011/999");
         target(t, 2);
         t.dialogs.onChangeStatus = [](frmChangeStatus& d) {
             ASSERT_EQ(d.lstStatus.size(), 2);
             EXPECT_EQ(d.lstStatus[0].StatusID, "010");
             EXPECT_FALSE(d.lstStatus[0].Checked);
             EXPECT_EQ(d.lstStatus[1].StatusName, "パワー");
             EXPECT_TRUE(d.lstStatus[1].Checked);
             EXPECT_TRUE(d.chkCharge.Enabled && d.chkCharge.Checked);
             EXPECT_TRUE(d.chkEnd.Enabled && !d.chkEnd.Checked);
             d.lstStatus[0].Checked = true;
             d.chkEnd.Checked = true;
             d.cmdOK_Click();
         };
     },
     [](E& e) { e.ChangeMonsterStatus(); },
     {set(2), R},
     {},
     {},
     [](T& t) {
         EXPECT_EQ(t.area(2).Status, "001/000/010/011") << "unlisted statuses are dropped";
     }},
    {"MonsterStatusDialogCancelled",
     [](T& t) {
         t.putMonster(2, "F001", true, 1, 3, "011");
         target(t, 2);
         t.dialogs.onChangeStatus = [](frmChangeStatus& d) {
             d.lstStatus[0].Checked = true;
             d.cmdCancel_Click();
         };
     },
     [](E& e) { e.ChangeMonsterStatus(); },
     {set(2), R},
     {},
     {},
     [](T& t) { EXPECT_EQ(t.area(2).Status, "011"); }},
    {"MasterStatusDialogListsMasterStatusesOnly",
     [](T& t) {
         t.data.Own.MasterStatus = "012";
         t.dialogs.onChangeStatus = [](frmChangeStatus& d) {
             ASSERT_EQ(d.lstStatus.size(), 2);
             EXPECT_EQ(d.lstStatus[0].StatusID, "011");
             EXPECT_EQ(d.lstStatus[1].StatusID, "012");
             EXPECT_TRUE(d.lstStatus[1].Checked);
             EXPECT_FALSE(d.chkCharge.Enabled);
             EXPECT_FALSE(d.chkEnd.Enabled);
             d.lstStatus[0].Checked = true;
             d.cmdOK_Click();
         };
     },
     [](E& e) { e.ChangeMasterStatus(); },
     {S0, R},
     {},
     {},
     [](T& t) { EXPECT_EQ(t.data.Own.MasterStatus, "011/012"); }},
    {"MasterAbilityWithCost",
     [](T& t) { t.setOwn({}, {}, 3); },
     [](E& e) { e.DeclareMasterAbility(e.MasterAbilities().value(0)); },
     {chat("Ann が●ヒール(2個)の使用を宣言しました。"), S0, R},
     {"Ann が●ヒール(2個)の使用を宣言しました。"},
     {},
     [](T& t) { EXPECT_EQ(t.data.Own.Stone, 1); }},
    {"MasterAbilityWithoutNumericCost",
     [](T& t) { t.setOwn({}, {}, 0); },
     [](E& e) { e.DeclareMasterAbility(e.MasterAbilities().value(1)); },
     {chat("Ann が●いのりの使用を宣言しました。"), S0, R},
     {"Ann が●いのりの使用を宣言しました。"}},
    {"MasterAbilityShortOfStones",
     [](T& t) {
         t.setOwn({}, {}, 1);
         t.user.warning("ストーンが足りません。");
     },
     [](E& e) { e.DeclareMasterAbility(e.MasterAbilities().value(0)); },
     {},
     {}},
};

class FieldOperations : public OperationTable {};

TEST_P(FieldOperations, Runs) {
    run();
}

INSTANTIATE_TEST_SUITE_P(Table, FieldOperations, ::testing::ValuesIn(kFieldCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(EngineTest, PlacingOutsideTheOwnTurnOnlyBeeps) {
    setOwn({"F001"}, {}, 2);
    state.MyTurn = false;
    engine->PlaceCard(0, 1);
    EXPECT_EQ(user.beeps, 1);
    EXPECT_TRUE(host.events.isEmpty());
    EXPECT_TRUE(area(1).CardID.isEmpty());
}

TEST_F(EngineTest, RotatingLeftThenRightRestoresTheAreas) {
    putMonster(1, "F001", true, 1, 1);
    putMonster(2, "F002", false, 1, 2);
    putMonster(4, "S002/F001", true, 3, 4, "000");
    const auto before = data.Own.Monsters;
    engine->RotateLeft();
    EXPECT_NE(data.Own.Monsters, before);
    engine->RotateRight();
    EXPECT_EQ(data.Own.Monsters, before);
}

TEST_F(EngineTest, FieldViewSignsFollowTheSetting) {
    EXPECT_EQ(engine->SignText(3, false), "");
    EXPECT_EQ(engine->SignText(3, true), "C");
    settings.FieldSign = true;
    EXPECT_EQ(engine->SignText(7, false), "b");
    data.Own.IsFirst = false;
    EXPECT_EQ(engine->SignText(7, false), "B");
}

TEST(PositionBoxesTest, ThirdTickLeavesOnlyItself) {
    PositionBoxes boxes;
    boxes.Click(0);
    boxes.Click(3);
    EXPECT_EQ(boxes.chkPosition, (std::array<bool, 4>{true, false, false, true}));
    boxes.Click(1);
    EXPECT_EQ(boxes.chkPosition, (std::array<bool, 4>{false, true, false, false}));
    boxes.Click(1);
    EXPECT_EQ(boxes.chkPosition, (std::array<bool, 4>{}));
    EXPECT_TRUE(boxes.chkMoveAsAction);
}

TEST_F(EngineTest, MasterAbilityEntriesFromTheMasterFile) {
    const auto entries = engine->MasterAbilities();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].Caption, "●ヒール");
    EXPECT_EQ(entries[0].Tag, "2");
    EXPECT_EQ(entries[1].Caption, "●いのり");
    EXPECT_EQ(entries[1].Tag, "");
    data.Own.DeckDefaultData.Master = "MASTER000";
    EXPECT_TRUE(engine->MasterAbilities().isEmpty());
}

} // namespace
} // namespace lumi::test
