// The record's list and status primitives, signs and the reset template.
#include "client/engine/BattleData.h"

#include "common/Ports.h"

#include <gtest/gtest.h>

namespace lumi {
namespace {

using namespace BattleOperation;

TEST(CardListTest, CompactionKeepsOrderAndLeavesOneEmptyEntryForNothing) {
    CardList list{"", "A", "", "", "B", ""};
    CompactionArray(list);
    EXPECT_EQ(list, (CardList{"A", "B"}));
    CardList empties{"", "", ""};
    CompactionArray(empties);
    EXPECT_EQ(empties, CardList{QString()});
}

TEST(CardListTest, DrawCard) {
    CardList deck{QString()}, hand{QString()};
    DrawCard(deck, hand);
    EXPECT_EQ(hand, CardList{QString()}) << "an empty deck gives nothing";
    EXPECT_EQ(deck, CardList{QString()});

    deck = {"A", "B"};
    DrawCard(deck, hand);
    EXPECT_EQ(deck, CardList{"B"});
    EXPECT_EQ(hand, CardList{"A"});

    CardList unsizedDeck, unsizedHand;
    DrawCard(unsizedDeck, unsizedHand);
    EXPECT_EQ(unsizedDeck, CardList{QString()}) << "a never sized list becomes the empty list";
    EXPECT_EQ(unsizedHand, CardList{QString()});
    EXPECT_FALSE(IsArrayReady(CardList{}));
    EXPECT_TRUE(IsArrayReady(unsizedDeck));
}

TEST(CardListTest, GoTrashAppendsToTheEmptyList) {
    CardList trash{QString()};
    GoTrash(trash, "A");
    GoTrash(trash, "B");
    EXPECT_EQ(trash, (CardList{"A", "B"}));
}

// A source that records the bounds it was asked for and answers in turn.
class CountingRandom : public RandomSource {
public:
    std::uint32_t below(std::uint32_t bound) override {
        bounds.append(bound);
        return static_cast<std::uint32_t>(bounds.size()) % bound;
    }
    QList<std::uint32_t> bounds;
};

TEST(CardListTest, ShuffleMakesTenThousandAndOneExchangesOfUniformPositions) {
    CountingRandom random;
    CardList list{"A", "B", "C", "D"};
    ShuffleArray(list, random);
    EXPECT_EQ(random.bounds.size(), 2 * 10001);
    EXPECT_EQ(random.bounds.count(4u), random.bounds.size());
    CardList sorted = list;
    sorted.sort();
    EXPECT_EQ(sorted, (CardList{"A", "B", "C", "D"})) << "a shuffle only moves cards";
}

struct StatusCase {
    const char* op;
    QString before;
    QString id;
    QString after;
};

class StatusStringTest : public ::testing::TestWithParam<StatusCase> {};

TEST_P(StatusStringTest, Applies) {
    const auto& c = GetParam();
    QString s = c.before;
    const std::string op = c.op;
    if (op == "add")
        AddStatus(s, c.id);
    else if (op == "del")
        DelStatus(s, c.id);
    else
        ReverseStatus(s, c.id);
    EXPECT_EQ(s.toStdString(), c.after.toStdString());
}

INSTANTIATE_TEST_SUITE_P(Table, StatusStringTest,
                         ::testing::Values(StatusCase{"add", "", "001", "001"},
                                           StatusCase{"add", "000", "001", "000/001"},
                                           StatusCase{"add", "000/001", "001", "000/001"},
                                           StatusCase{"del", "000/001/005", "001", "000/005"},
                                           StatusCase{"del", "001", "001", ""},
                                           StatusCase{"del", "001/005", "001", "005"},
                                           StatusCase{"del", "005/001", "001", "005"},
                                           StatusCase{"del", "005", "001", "005"},
                                           StatusCase{"rev", "000", "000", ""},
                                           StatusCase{"rev", "", "000", "000"},
                                           StatusCase{"rev", "001/000", "000", "001"},
                                           StatusCase{"rev", "001", "000", "001/000"}));

TEST(BattleDataTest, GetCardIdSplitsSuperCardFromMonster) {
    EXPECT_EQ(GetCardID("S001/F001", 0), "S001");
    EXPECT_EQ(GetCardID("S001/F001", 1), "F001");
    EXPECT_EQ(GetCardID("F001", 0), "F001");
    EXPECT_EQ(GetCardID("F001", 1), "");
}

TEST(BattleDataTest, SignsAreCapitalForTheSideThatMovedFirst) {
    EXPECT_EQ(AreaSign(3, true), "C");
    EXPECT_EQ(AreaSign(3, false), "c");
    EXPECT_EQ(AreaSign(7, true), "b");
    EXPECT_EQ(AreaSign(7, false), "B");
    EXPECT_EQ(AreaSign(0, true), "M");
    EXPECT_EQ(AreaSign(5, true), "m");
    EXPECT_EQ(AreaSign(10, true), "");
}

TEST(BattleDataTest, ResetCopiesTheEmptyTemplate) {
    BattleData data;
    data.Own.Stone = 7;
    data.TurnNumber = 4;
    ResetBattleData(data);
    EXPECT_EQ(data, EmptyBattleData());
    for (const SideData* side : {&data.Own, &data.Enemy}) {
        EXPECT_EQ(side->DeckDefaultData.DeckType, 1);
        EXPECT_EQ(side->DeckDefaultData.Master, "MASTER000");
        EXPECT_EQ(side->DeckDefaultData.Cards, CardList{QString()});
        EXPECT_EQ(side->Deck, CardList{QString()});
        EXPECT_EQ(side->Hand, CardList{QString()});
        EXPECT_EQ(side->Trash, CardList{QString()});
        EXPECT_EQ(side->MasterHP, 5);
        EXPECT_EQ(side->Stone, 0);
        EXPECT_FALSE(side->IsFirst);
        EXPECT_EQ(side->Monsters[0], MonsterData{});
    }
    EXPECT_EQ(data.TurnNumber, 0);
}

} // namespace
} // namespace lumi
