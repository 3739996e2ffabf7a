#include "client/engine/BattleData.h"

#include "common/Ports.h"

namespace lumi {

namespace {

BattleData makeEmptyBattleData() {
    SideData side;
    side.DeckDefaultData.DeckName.clear();
    side.DeckDefaultData.AuthorName.clear();
    side.DeckDefaultData.DeckType = DeckSr;
    side.DeckDefaultData.Cards = CardList{QString()};
    side.DeckDefaultData.Master = QStringLiteral("MASTER000");
    side.Deck = CardList{QString()};
    side.Hand = CardList{QString()};
    side.Trash = CardList{QString()};
    side.MasterHP = 5;
    side.Stone = 0;
    side.IsFirst = false;
    BattleData data;
    data.Own = side;
    data.Enemy = side;
    data.TurnNumber = 0;
    return data;
}

} // namespace

const BattleData& EmptyBattleData() {
    static const BattleData empty = makeEmptyBattleData();
    return empty;
}

namespace BattleOperation {

void ResetBattleData(BattleData& data) {
    data = EmptyBattleData();
}

void CompactionArray(CardList& list) {
    list.removeAll(QString());
    if (list.isEmpty())
        list.append(QString());
}

void DrawCard(CardList& deck, CardList& hand) {
    if (!IsArrayReady(deck))
        deck = CardList{QString()};
    if (!IsArrayReady(hand))
        hand = CardList{QString()};
    CompactionArray(deck);
    if (deck.front().isEmpty())
        return;
    hand.append(deck.front());
    deck.front().clear();
    CompactionArray(deck);
    CompactionArray(hand);
}

void GoTrash(CardList& trash, const QString& card) {
    trash.append(card);
    CompactionArray(trash);
}

void ShuffleArray(CardList& list, RandomSource& random) {
    const auto n = static_cast<std::uint32_t>(list.size());
    if (n == 0)
        return;
    for (int k = 0; k < 10001; ++k) {
        const auto i = static_cast<qsizetype>(random.below(n));
        const auto j = static_cast<qsizetype>(random.below(n));
        list.swapItemsAt(i, j);
    }
}

void AddStatus(QString& s, const QString& id) {
    if (s.contains(id))
        return;
    s = s.isEmpty() ? id : s + u'/' + id;
}

namespace {
void trimSlashes(QString& s) {
    if (s.startsWith(u'/'))
        s.remove(0, 1);
    if (s.endsWith(u'/'))
        s.chop(1);
}
} // namespace

void DelStatus(QString& s, const QString& id) {
    if (id.isEmpty() || !s.contains(id))
        return;
    if (s == id) {
        s.clear();
        return;
    }
    s.remove(id);
    s.replace(QStringLiteral("//"), QStringLiteral("/"));
    trimSlashes(s);
}

void ReverseStatus(QString& s, const QString& id) {
    if (!s.contains(id))
        AddStatus(s, id);
    else if (s == id)
        s.clear();
    else
        DelStatus(s, id);
    trimSlashes(s);
}

QString GetCardID(const QString& cardField, int part) {
    const auto slash = cardField.indexOf(u'/');
    if (part == 1)
        return slash < 0 ? QString() : cardField.mid(slash + 1);
    return slash < 0 ? cardField : cardField.left(slash);
}

bool IsArrayReady(const CardList& list) {
    return !list.isEmpty();
}

QString AreaSign(int area, bool ownMovedFirst) {
    if (area < 0 || area > 9)
        return QString();
    static const QString letters = QStringLiteral("MABCD");
    const QChar letter = letters.at(area % 5);
    const bool capital = area < 5 ? ownMovedFirst : !ownMovedFirst;
    return capital ? QString(letter) : QString(letter.toLower());
}

int CardCount(const CardList& list) {
    int n = 0;
    for (const auto& id : list)
        if (!id.isEmpty())
            ++n;
    return n;
}

void PutOnTop(CardList& deck, const CardList& cards) {
    CardList joined;
    for (const auto& id : cards)
        if (!id.isEmpty())
            joined.append(id);
    joined.append(deck);
    deck = joined;
    CompactionArray(deck);
}

} // namespace BattleOperation
} // namespace lumi
