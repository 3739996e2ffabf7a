// The set request forms shared with the network layer.
#include "client/engine/SetRequest.h"

#include <gtest/gtest.h>

namespace lumi {
namespace {

SideData sampleSide() {
    SideData side = EmptyBattleData().Own;
    side.PlayerName = "Ann";
    side.DeckDefaultData.Master = "MASTER001";
    side.IsFirst = true;
    side.MasterHP = 4;
    side.Stone = -1;
    side.Hand = {"F001", "M001"};
    side.Trash = {QString()};
    side.Deck = {"F002"};
    return side;
}

TEST(SetRequestTest, MasterFormFieldsInOrder) {
    EXPECT_EQ(MasterType2setString(sampleSide(), 0),
              (Request{"set", "0", "Ann", "MASTER001", "1", "4", "-1", "F001/M001", "", "F002"}));
}

TEST(SetRequestTest, MonsterFormFieldsInOrder) {
    MonsterData m{"S001/F001", true, 3, 6, "000/001"};
    EXPECT_EQ(MonsterType2setString(m, 7),
              (Request{"set", "7", "S001/F001", "6", "3", "1", "000/001"}));
    EXPECT_EQ(MonsterType2setString(MonsterData{}, 1),
              (Request{"set", "1", "", "0", "0", "0", ""}));
}

TEST(SetRequestTest, NamedValueForm) {
    EXPECT_EQ(NamedValue2setString(5, DeckNameKey, "竜デッキ"),
              (Request{"set", "10", "5", "DeckDefaultData.DeckName", "竜デッキ"}));
}

TEST(SetRequestTest, RoundTripAndEmptyListFields) {
    SideData parsed = EmptyBattleData().Enemy;
    ASSERT_TRUE(setString2MasterType(MasterType2setString(sampleSide(), 5), parsed));
    EXPECT_EQ(parsed.PlayerName, "Ann");
    EXPECT_EQ(parsed.DeckDefaultData.Master, "MASTER001");
    EXPECT_TRUE(parsed.IsFirst);
    EXPECT_EQ(parsed.MasterHP, 4);
    EXPECT_EQ(parsed.Stone, -1);
    EXPECT_EQ(parsed.Hand, (CardList{"F001", "M001"}));
    EXPECT_EQ(parsed.Trash, CardList{QString()}) << "an empty field is the empty list";

    MonsterData m;
    ASSERT_TRUE(setString2MonsterType(Request{"set", "2", "F001", "3", "1", "1", "000"}, m));
    EXPECT_EQ(m, (MonsterData{"F001", true, 1, 3, "000"}));
}

TEST(SetRequestTest, IsOpenIsAnyNonZeroNumber) {
    const std::pair<const char*, bool> cases[] = {{"1", true},   {"-1", true}, {"2", true},
                                                  {"0.5", true}, {"0", false}, {"", false},
                                                  {"x", false},  {"00", false}};
    for (const auto& [text, open] : cases) {
        MonsterData m;
        ASSERT_TRUE(setString2MonsterType(Request{"set", "1", "F001", "3", "1", text, ""}, m));
        EXPECT_EQ(m.IsOpen, open) << text;
    }
}

TEST(SetRequestTest, ShortRequestReportsAndKeepsTheFieldsBefore) {
    SideData side = EmptyBattleData().Own;
    auto r = setString2MasterType(Request{"set", "0", "Bob", "MASTER001", "1", "7"}, side);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.errorNumber, 9);
    EXPECT_EQ(r.place, "BattleOperation.setString2MasterType");
    EXPECT_EQ(side.PlayerName, "Bob");
    EXPECT_TRUE(side.IsFirst);
    EXPECT_EQ(side.MasterHP, 7);
    EXPECT_EQ(side.Stone, 0) << "fields after the cut keep their values";

    MonsterData m{"F002", false, 1, 2, "000"};
    auto rm = setString2MonsterType(Request{"set", "1", "F001", "5"}, m);
    EXPECT_FALSE(rm.ok);
    EXPECT_EQ(rm.place, "BattleOperation.MonsterType2setString");
    EXPECT_EQ(m, (MonsterData{"F001", false, 1, 5, "000"}));

    MonsterData bad;
    auto rn = setString2MonsterType(Request{"set", "1", "F001", "many", "1", "1", ""}, bad);
    EXPECT_FALSE(rn.ok);
    EXPECT_EQ(rn.errorNumber, 13);
}

TEST(SetRequestTest, ResendFieldBuildsEachArea) {
    BattleData data = EmptyBattleData();
    data.Own.PlayerName = "Ann";
    data.Enemy.PlayerName = "Bob";
    data.Own.Monster(2).CardID = "F001";
    data.Enemy.Monster(3).CardID = "F002";
    EXPECT_EQ(ResendFieldRequest(data, 0).value(2), "Ann");
    EXPECT_EQ(ResendFieldRequest(data, 5), MasterType2setString(data.Enemy, 5));
    EXPECT_EQ(ResendFieldRequest(data, 2), MonsterType2setString(data.Own.Monster(2), 2));
    EXPECT_EQ(ResendFieldRequest(data, 8), MonsterType2setString(data.Enemy.Monster(3), 8));
}

} // namespace
} // namespace lumi
