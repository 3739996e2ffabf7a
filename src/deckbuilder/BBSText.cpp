#include "deckbuilder/BBSText.h"

#include "common/Ports.h"

namespace lumi {

BBSKindLists FillKindLists(DeckData& deck, const CardDatabase& cards) {
    DeckSortByID(deck);
    BBSKindLists lists;
    const QStringList& slots = deck.Cards;
    qsizetype i = 0;
    while (i < slots.size()) {
        qsizetype end = i + 1;
        while (end < slots.size() && slots[end] == slots[i])
            ++end;
        const QString& id = slots[i];
        CardPosition pos;
        if (!id.isEmpty() && cards.CardID2Index(id, pos) && pos.Series >= 0) {
            if (const CardData* card = cards.cardAt(pos)) {
                const QString line =
                    card->CardName + QStringLiteral(" x") + QString::number(end - i);
                switch (card->CardType) {
                case KindF:
                    lists.front.append(line);
                    break;
                case KindB:
                    lists.back.append(line);
                    break;
                case KindS:
                    lists.super.append(line);
                    break;
                case KindM:
                    lists.magic.append(line);
                    break;
                default:
                    break;
                }
            }
        }
        i = end;
    }
    return lists;
}

QString MakeBBSText(const QString& deckName, const QString& authorName, std::int16_t deckType,
                    const QString& masterName, const BBSKindLists& lists) {
    QString suffix;
    switch (deckType) {
    case 0:
        suffix = QStringLiteral(" (Jr)");
        break;
    case 1:
        suffix = QStringLiteral(" (Sr)");
        break;
    case 2:
        suffix = QStringLiteral(" (Pro)");
        break;
    default:
        break;
    }
    QString text;
    auto line = [&text](const QString& s) { text += s + CrLf; };
    line(QStringLiteral("デッキ名：") + deckName + suffix);
    line(QStringLiteral("作者：") + authorName);
    line(QStringLiteral("マスター：") + masterName);
    line(QStringLiteral("---前衛---"));
    for (const QString& s : lists.front)
        line(s);
    line(QStringLiteral("---後衛---"));
    for (const QString& s : lists.back)
        line(s);
    line(QStringLiteral("---マジック---"));
    for (const QString& s : lists.magic)
        line(s);
    line(QStringLiteral("---スーパー---"));
    for (const QString& s : lists.super)
        line(s);
    return text;
}

QString MasterNameOf(const CardDatabase& cards, const QString& id) {
    for (const CardData& m : cards.MasterList())
        if (m.CardID == id)
            return m.CardName;
    return {};
}

} // namespace lumi
