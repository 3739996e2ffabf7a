#include "client/engine/SetRequest.h"

#include "carddata/CardInfo.h"

namespace lumi {

namespace {

QString flagText(bool b) {
    return b ? QStringLiteral("1") : QStringLiteral("0");
}

// A receiver takes any value whose number is not zero as true: the leading
// decimal number of the text, as the original's Val() read it.
bool nonZeroNumber(const QString& text) {
    const QString t = text.trimmed();
    qsizetype i = 0;
    if (i < t.size() && (t[i] == u'-' || t[i] == u'+'))
        ++i;
    bool point = false;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c == u'.' && !point) {
            point = true;
            continue;
        }
        if (c < u'0' || c > u'9')
            break;
        if (c != u'0')
            return true;
    }
    return false;
}

// Reads the fields of a set request one by one, so that a request cut short
// leaves the fields before the missing one set.
class FieldCursor {
public:
    FieldCursor(const Request& fields, const QString& place) : fields_(fields), place_(place) {}

    bool text(qsizetype index, QString& out) {
        if (index >= fields_.size())
            return fail(9, index);
        out = fields_[index];
        return true;
    }
    bool number(qsizetype index, qint16& out) {
        if (index >= fields_.size())
            return fail(9, index);
        auto v = ParseInt16(fields_[index]);
        if (!v)
            return fail(13, index);
        out = *v;
        return true;
    }
    SetParseResult result() const { return result_; }

private:
    bool fail(int number, qsizetype) {
        result_.ok = false;
        result_.errorNumber = number;
        result_.place = place_;
        result_.description = number == 9 ? QStringLiteral("インデックスが有効範囲にありません。")
                                          : QStringLiteral("型が一致しません。");
        return false;
    }
    const Request& fields_;
    QString place_;
    SetParseResult result_;
};

} // namespace

QString JoinCardList(const CardList& list) {
    return list.join(u'/');
}

CardList SplitCardList(const QString& field) {
    return field.split(u'/');
}

Request MasterType2setString(const SideData& side, int area) {
    return Request{SetKeyword,
                   QString::number(area),
                   side.PlayerName,
                   side.DeckDefaultData.Master,
                   flagText(side.IsFirst),
                   QString::number(side.MasterHP),
                   QString::number(side.Stone),
                   JoinCardList(side.Hand),
                   JoinCardList(side.Trash),
                   JoinCardList(side.Deck)};
}

SetParseResult setString2MasterType(const Request& fields, SideData& side) {
    FieldCursor f(fields, QStringLiteral("BattleOperation.setString2MasterType"));
    QString t;
    if (!f.text(2, side.PlayerName) || !f.text(3, side.DeckDefaultData.Master))
        return f.result();
    if (!f.text(4, t))
        return f.result();
    side.IsFirst = t == QStringLiteral("1");
    if (!f.number(5, side.MasterHP) || !f.number(6, side.Stone))
        return f.result();
    if (!f.text(7, t))
        return f.result();
    side.Hand = SplitCardList(t);
    if (!f.text(8, t))
        return f.result();
    side.Trash = SplitCardList(t);
    if (!f.text(9, t))
        return f.result();
    side.Deck = SplitCardList(t);
    return f.result();
}

Request MonsterType2setString(const MonsterData& monster, int area) {
    return Request{SetKeyword,
                   QString::number(area),
                   monster.CardID,
                   QString::number(monster.HP),
                   QString::number(monster.Level),
                   flagText(monster.IsOpen),
                   monster.Status};
}

SetParseResult setString2MonsterType(const Request& fields, MonsterData& monster) {
    // The original reported a short monster request under the name of the
    // serialiser; logs and users know that place.
    FieldCursor f(fields, QStringLiteral("BattleOperation.MonsterType2setString"));
    QString t;
    if (!f.text(2, monster.CardID) || !f.number(3, monster.HP) || !f.number(4, monster.Level))
        return f.result();
    if (!f.text(5, t))
        return f.result();
    monster.IsOpen = nonZeroNumber(t);
    f.text(6, monster.Status);
    return f.result();
}

Request NamedValue2setString(int side, const QString& key, const QString& value) {
    return Request{SetKeyword, QString::number(AreaNamedValue), QString::number(side), key, value};
}

Request ResendFieldRequest(const BattleData& data, int area) {
    if (area == AreaOwnMaster)
        return MasterType2setString(data.Own, area);
    if (area >= 1 && area <= 4)
        return MonsterType2setString(data.Own.Monster(area), area);
    if (area == AreaEnemyMaster)
        return MasterType2setString(data.Enemy, area);
    if (area >= 6 && area <= 9)
        return MonsterType2setString(data.Enemy.Monster(area - 5), area);
    return Request{};
}

} // namespace lumi
