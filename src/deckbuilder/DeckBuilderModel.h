#pragma once
// The deck being edited in the deck builder and every rule the main window
// applies to it: the slots and the deck list that mirrors them, the
// three-copy warning, the class change, new deck, loading and sorting. The
// window only shows what this holds.

#include "carddata/CardList.h"
#include "carddata/DeckList.h"
#include "common/Ports.h"

#include <QList>
#include <QString>

namespace lumi {

// One line of the deck list box: the card's name and the slot it stands for.
struct DeckListEntry {
    QString text;
    int slot = -1;
    bool operator==(const DeckListEntry&) const = default;
};

inline const QString UnsetText = QStringLiteral("(未設定)");

class DeckBuilderModel {
public:
    DeckBuilderModel(const CardDatabase& cards, QString defaultAuthorName);

    const CardDatabase& Cards;
    QString DefaultAuthorName;
    DeckData CurrentDeck;
    QString CurrentDeckPath;

    // What the deck list box holds, in its order.
    const QList<DeckListEntry>& deckList() const { return deckList_; }
    int cardCount() const { return int(deckList_.size()); }
    // "現在の枚数：" + count + "枚"
    QString MaisuuText() const;

    // The deck as the window starts: 20 empty slots, Jr, the default author,
    // no name yet.
    void StartDeck();

    enum class AddResult { NoCard, Added, Full };
    // Puts `cardId` into the first empty slot and appends it to the list;
    // warns (once, and still adds) when the deck already holds three or more.
    AddResult AddCard(const QString& cardId, UserPort& user);
    // Empties the slot of list entry `listIndex` and removes the entry.
    bool RemoveEntry(int listIndex);

    // Returns false when the user kept the Pro class; the deck is then
    // unchanged. Otherwise the deck has the new class and the list is
    // rebuilt.
    bool ChangeDeckClass(std::int16_t newClass, UserPort& user);

    // Lists the slots again in index order.
    void RefreshDeckList();

    // "現在編集中のデータは消えます。よろしいですか？"; true on Yes.
    bool ConfirmDiscard(UserPort& user) const;
    // The new deck of the "新規デッキ" command (after the question).
    void NewDeck();
    // Takes a loaded deck whole, as opening a file does.
    void TakeDeck(const DeckData& deck, const QString& path);

    void SortByID();
    void SortByType();

    // Index in MasterList of the master `id`, -1 when none.
    int MasterIndexOf(const QString& id) const;

    // "終了します。…"; true on Yes.
    bool ConfirmClose(UserPort& user) const;

private:
    QList<DeckListEntry> deckList_;
};

inline const QString ThreeCopiesText =
    QStringLiteral("通常のルールでは同じカードは同じデッキに3枚までしか入れられません。");
inline const QString DiscardQuestionText =
    QStringLiteral("現在編集中のデータは消えます。よろしいですか？");
inline const QString CloseQuestionText =
    QStringLiteral("終了します。保存していないデータは消えてしまいますが、よろしいですか？");
// The class question when going down from Pro with `count` cards in the deck.
QString ClassDownQuestionText(int count);

} // namespace lumi
