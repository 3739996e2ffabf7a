#pragma once
// The `set` request forms shared by the engine and the network layer. A
// request is a list of text fields, keyword first; the network layer joins
// the fields with NUL, ends the request with SOH and encodes it.

#include "client/engine/BattleData.h"

#include <QString>
#include <QStringList>

namespace lumi {

using Request = QStringList;
using RequestBatch = QList<Request>;

inline const QString SetKeyword = QStringLiteral("set");
// The only key of the named-value form (area 10) in use.
inline const QString DeckNameKey = QStringLiteral("DeckDefaultData.DeckName");

// Outcome of parsing a `set` request. On failure `place` names where the
// report goes and the record keeps the fields set before the missing one.
struct SetParseResult {
    bool ok = true;
    int errorNumber = 0; // 9: a field is missing, 13: a number field is not a number
    QString description;
    QString place;
    explicit operator bool() const { return ok; }
};

// Master form (areas 0 and 5): "set", area, player, master card, first flag,
// master HP, stones, hand, trash, deck (lists joined with "/").
Request MasterType2setString(const SideData& side, int area);
// Reads fields 2.. of a master-form request into `side` (field 1 is the area).
SetParseResult setString2MasterType(const Request& fields, SideData& side);

// Monster form (areas 1..4, 6..9): "set", area, CardID, HP, Level, IsOpen, Status.
Request MonsterType2setString(const MonsterData& monster, int area);
SetParseResult setString2MonsterType(const Request& fields, MonsterData& monster);

// Named value (area 10): "set", "10", side ("0" writer's own, "5" other), key, value.
Request NamedValue2setString(int side, const QString& key, const QString& value);

// The request that sends one area (0..9) of the local table, as ResendField builds it.
Request ResendFieldRequest(const BattleData& data, int area);

// A list field of the master form: "/"-joined, and back (an empty field is the empty list).
QString JoinCardList(const CardList& list);
CardList SplitCardList(const QString& field);

} // namespace lumi
