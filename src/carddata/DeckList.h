#pragma once
// Deck records, deck files and the deck text carried by the "deck" request.

#include "carddata/CardList.h"
#include "carddata/ReportError.h"

#include <QString>
#include <QStringList>
#include <cstdint>

namespace lumi {

class LogPort;

enum DeckClass : std::int16_t { DeckJr = 0, DeckSr = 1, DeckPro = 2 };

struct DeckData {
    QString DeckName;
    QString AuthorName;
    std::int16_t DeckType = DeckJr;
    QStringList Cards{QString()}; // one entry per slot; an empty entry is an empty slot
    QString Master;
    bool operator==(const DeckData&) const = default;
};

// 30 slots for Pro, 20 otherwise.
int DeckSlotCount(std::int16_t deckType);
// "Jr", "Sr", "Pro" for 0, 1, 2 (anything else "Jr").
QString DeckClassName(std::int16_t deckType);
// The class of a rule word compared in lower case: "sr" 1, "pro" 2, else 0.
std::int16_t DeckClassOfWord(const QString& word);
// "001", "002", ... for slot 1, 2, ...
QString DeckSlotKey(int slot);

// The client's deck text of a record: "[header]", "name=", "maked=",
// "master=", "rule=", an empty line, "[body]", then one "NNN=" line per
// entry of Cards, every line ended by CR LF.
QString SaveDeck(const DeckData& deck);

// Exchange sort of Cards by binary text comparison, in place; empty slots
// come first.
void DeckSortByID(DeckData& deck);
// Exchange sort of Cards by card kind (unknown cards as kind 0), in place.
void DeckSortByType(DeckData& deck, const CardDatabase& cards);

class DeckList {
public:
    // `log` receives the loading traces when given.
    explicit DeckList(const CardDatabase& cards, LogPort* log = nullptr)
        : cards_(cards), log_(log) {}

    // The one record the loaders leave their result in.
    DeckData LoadingDeck;

    // Reads a deck file into LoadingDeck: rule class, name, author, a master
    // the database knows (else the first master), exactly 20 or 30 slots,
    // unknown cards as empty slots. A missing file gives the empty Jr deck.
    void LoadDeck(const QString& path);

    // Parses deck text into LoadingDeck. Without "[body]" or without any
    // body line holding "=", reports at "DeckList.Text2DeckData", leaves
    // LoadingDeck cleared and returns false.
    bool Text2DeckData(const QString& text, const ReportTarget* report = nullptr);

    // The deck builder's save: the deck file at `path` through INIAccess,
    // keeping keys already in the file. A failed write reports at
    // "DeckList.SaveDeck" when `report` is given; false then.
    bool SaveDeck(const QString& path, const DeckData& deck, const ReportTarget* report = nullptr);

    // The cleared record: empty texts, Jr, one empty slot.
    static DeckData EmptyDeck();

private:
    void trace(const QString& line) const;

    const CardDatabase& cards_;
    LogPort* log_;
};

} // namespace lumi
