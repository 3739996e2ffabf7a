// Deck text from the wire on any bytes: the deck has exactly 20 or 30 slots,
// and the text built from it parses back to the same deck.
#include "carddata/DeckList.h"
#include "common/Cp932.h"

#include <cstdint>
#include <cstdlib>

namespace {

lumi::CardDatabase makeDatabase() {
    lumi::CardSeries s;
    s.SeriesName = QStringLiteral("f");
    for (const char* id : {"C1", "C2", "KR001", "MASTER000"})
        s.Cards.append({QLatin1String(id), QStringLiteral("n"), 0, QStringLiteral("-"), 1});
    lumi::CardDatabase db;
    db.setData({{QStringLiteral("MASTER000"), QStringLiteral("m"), 0, {}, 0}}, {s});
    return db;
}

bool oneLine(const QString& s) {
    return !s.contains(u'\r') && !s.contains(u'\n');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const lumi::CardDatabase db = makeDatabase();
    lumi::DeckList decks(db);
    const QString text =
        lumi::cp932::decode(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!decks.Text2DeckData(text))
        return 0;
    const lumi::DeckData first = decks.LoadingDeck;
    if (first.Cards.size() != lumi::DeckSlotCount(first.DeckType))
        std::abort();
    if (!oneLine(first.DeckName) || !oneLine(first.AuthorName) || !oneLine(first.Master))
        return 0;
    if (!decks.Text2DeckData(lumi::SaveDeck(first)) || !(decks.LoadingDeck == first))
        std::abort();
    return 0;
}
