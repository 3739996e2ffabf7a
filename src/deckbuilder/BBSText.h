#pragma once
// The posting text of a deck: its name and class, author, master, then the
// cards by kind with a copy count each.

#include "carddata/CardList.h"
#include "carddata/DeckList.h"

#include <QString>
#include <QStringList>

namespace lumi {

// Lines of card name + " x" + count, one list per kind.
struct BBSKindLists {
    QStringList front; // kind 0
    QStringList back;  // kind 1
    QStringList magic; // kind 3
    QStringList super; // kind 2
    bool operator==(const BBSKindLists&) const = default;
};

// Sorts `deck` by identifier (it is the caller's private copy) and counts
// each run of equal identifiers. Identifiers that are no card of a series
// give no line.
BBSKindLists FillKindLists(DeckData& deck, const CardDatabase& cards);

// The text, every line ended by CR LF. `masterName` is the master's name or
// empty.
QString MakeBBSText(const QString& deckName, const QString& authorName, std::int16_t deckType,
                    const QString& masterName, const BBSKindLists& lists);

// The name of master `id` in the master list, empty when it is none.
QString MasterNameOf(const CardDatabase& cards, const QString& id);

} // namespace lumi
