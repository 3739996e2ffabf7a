#pragma once
// The record of one battle as every participant holds it, seen from the
// local side, and the elementary list and status operations every battle
// operation is built on.

#include "carddata/DeckList.h"

#include <QString>
#include <QStringList>
#include <array>

namespace lumi {

class RandomSource;

// Area numbers of the table, as requests, the field view and the popups use them.
enum Area : int {
    AreaOwnMaster = 0,   // 1..4: own monster areas 1..4
    AreaEnemyMaster = 5, // 6..9: the other side's monster areas 1..4
    AreaNamedValue = 10,
};

// An ordered list of card identifiers. Compact form: no empty entries, except
// that the empty list is one empty entry. A QStringList with no entries at all
// is a list that was never sized.
using CardList = QStringList;

struct MonsterData {
    QString CardID; // empty: the area is empty; "super/monster" when a super card lies on a monster
    bool IsOpen = false;
    qint16 Level = 0;
    qint16 HP = 0;
    QString Status;

    bool operator==(const MonsterData&) const = default;
};

struct SideData {
    QString PlayerName;
    DeckData DeckDefaultData;
    CardList Deck;
    CardList Hand;
    CardList Trash;
    qint16 MasterHP = 0;
    qint16 Stone = 0;
    bool IsFirst = false;
    QString MasterStatus;
    // Areas 1..4 are Monsters[0..3].
    std::array<MonsterData, 4> Monsters;

    MonsterData& Monster(int area) { return Monsters[static_cast<size_t>(area - 1)]; }
    const MonsterData& Monster(int area) const { return Monsters[static_cast<size_t>(area - 1)]; }

    bool operator==(const SideData&) const = default;
};

struct BattleData {
    SideData Own;
    SideData Enemy;
    qint16 TurnNumber = 0;
    QString RuleText;
    QString Memo;
    std::array<QString, 5> Reserved;

    bool operator==(const BattleData&) const = default;
};

// The reset template: both sides alike, deck type Sr, master "MASTER000",
// master HP 5, every list the empty list.
const BattleData& EmptyBattleData();

namespace BattleOperation {

void ResetBattleData(BattleData& data);
void CompactionArray(CardList& list);
void DrawCard(CardList& deck, CardList& hand);
void GoTrash(CardList& trash, const QString& card);
// 10001 exchanges of two positions chosen independently and uniformly.
void ShuffleArray(CardList& list, RandomSource& random);
void AddStatus(QString& s, const QString& id);
void DelStatus(QString& s, const QString& id);
void ReverseStatus(QString& s, const QString& id);
// part 1: the text after the first "/", else the text before it.
QString GetCardID(const QString& cardField, int part);
bool IsArrayReady(const CardList& list);
// "M", "A".."D" in capitals for the side that moved first, else small.
QString AreaSign(int area, bool ownMovedFirst);

// Number of real cards in a compact list (the empty list counts 0).
int CardCount(const CardList& list);
// Puts `cards` (in their order) on top of `deck` and compacts it.
void PutOnTop(CardList& deck, const CardList& cards);

} // namespace BattleOperation
} // namespace lumi
