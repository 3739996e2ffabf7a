#include "deckbuilder/DeckBuilderModel.h"

#include "carddata/ReportError.h"

namespace lumi {

QString ClassDownQuestionText(int count) {
    return QStringLiteral("ProクラスからJr/Srクラスに下げようとしています。") + CrLf +
           QStringLiteral("クラスを下げると一部データが損なわれる可能性があります。") + CrLf +
           QStringLiteral(
               "・レシピに含まれるカードが20枚以下ならデータは整理されて保持されます。") +
           CrLf + QStringLiteral("・21枚以上のカードが含まれる場合、一部のデータは失われます。") +
           CrLf + QStringLiteral("現在このデッキに含まれるデータは") + QString::number(count) +
           QStringLiteral("枚です。") + CrLf + QStringLiteral("操作を実行してもよろしいですか？");
}

DeckBuilderModel::DeckBuilderModel(const CardDatabase& cards, QString defaultAuthorName)
    : Cards(cards), DefaultAuthorName(std::move(defaultAuthorName)) {
    StartDeck();
}

QString DeckBuilderModel::MaisuuText() const {
    return QStringLiteral("現在の枚数：") + QString::number(cardCount()) + QStringLiteral("枚");
}

void DeckBuilderModel::StartDeck() {
    CurrentDeck = DeckData{};
    CurrentDeck.Cards = QStringList(DeckSlotCount(DeckJr), QString());
    CurrentDeck.DeckType = DeckJr;
    CurrentDeck.AuthorName = DefaultAuthorName;
    CurrentDeck.Master = Cards.FirstMasterID();
    CurrentDeckPath.clear();
    deckList_.clear();
}

DeckBuilderModel::AddResult DeckBuilderModel::AddCard(const QString& cardId, UserPort& user) {
    if (cardId.isEmpty())
        return AddResult::NoCard;
    int same = 0;
    for (const DeckListEntry& e : deckList_)
        if (e.slot >= 0 && e.slot < CurrentDeck.Cards.size() && CurrentDeck.Cards[e.slot] == cardId)
            ++same;
    if (same >= 3)
        user.messageBox({ThreeCopiesText, DeckBuilderTitle, BoxButtons::OK, BoxIcon::None, 0});
    const qsizetype slot = CurrentDeck.Cards.indexOf(QString());
    if (slot < 0)
        return AddResult::Full;
    CurrentDeck.Cards[slot] = cardId;
    deckList_.append({Cards.CardID2CardName(cardId), int(slot)});
    return AddResult::Added;
}

bool DeckBuilderModel::RemoveEntry(int listIndex) {
    if (listIndex < 0 || listIndex >= deckList_.size())
        return false;
    const int slot = deckList_[listIndex].slot;
    if (slot >= 0 && slot < CurrentDeck.Cards.size())
        CurrentDeck.Cards[slot].clear();
    deckList_.removeAt(listIndex);
    return true;
}

bool DeckBuilderModel::ChangeDeckClass(std::int16_t newClass, UserPort& user) {
    const std::int16_t old = CurrentDeck.DeckType;
    if (old == DeckPro && newClass != DeckPro) {
        const BoxResult r =
            user.messageBox({ClassDownQuestionText(cardCount()), QStringLiteral("クラス変更"),
                             BoxButtons::YesNo, BoxIcon::Warning, 1});
        if (r != BoxResult::Yes)
            return false;
        QStringList kept;
        for (const QString& id : CurrentDeck.Cards)
            if (!id.isEmpty() && kept.size() < 20)
                kept.append(id);
        while (kept.size() < 20)
            kept.append(QString());
        CurrentDeck.Cards = kept;
    } else if (old != DeckPro && newClass == DeckPro) {
        // Keep slots 0 to 19 and add ten empty ones.
        QStringList grown = CurrentDeck.Cards.mid(0, 20);
        while (grown.size() < 30)
            grown.append(QString());
        CurrentDeck.Cards = grown;
    }
    CurrentDeck.DeckType = newClass;
    RefreshDeckList();
    return true;
}

void DeckBuilderModel::RefreshDeckList() {
    deckList_.clear();
    for (int i = 0; i < CurrentDeck.Cards.size(); ++i)
        if (!CurrentDeck.Cards[i].isEmpty())
            deckList_.append({Cards.CardID2CardName(CurrentDeck.Cards[i]), i});
}

bool DeckBuilderModel::ConfirmDiscard(UserPort& user) const {
    return user.messageBox({DiscardQuestionText, DeckBuilderTitle, BoxButtons::YesNo,
                            BoxIcon::Question, 1}) == BoxResult::Yes;
}

void DeckBuilderModel::NewDeck() {
    CurrentDeck = DeckData{};
    CurrentDeck.DeckType = DeckJr;
    CurrentDeck.Cards = QStringList(DeckSlotCount(DeckJr), QString());
    CurrentDeck.Master = Cards.FirstMasterID();
    CurrentDeck.AuthorName = DefaultAuthorName;
    CurrentDeck.DeckName = UnsetText;
    CurrentDeckPath.clear();
    RefreshDeckList();
}

void DeckBuilderModel::TakeDeck(const DeckData& deck, const QString& path) {
    CurrentDeckPath = path;
    CurrentDeck = deck;
    RefreshDeckList();
}

void DeckBuilderModel::SortByID() {
    DeckSortByID(CurrentDeck);
    RefreshDeckList();
}

void DeckBuilderModel::SortByType() {
    DeckSortByType(CurrentDeck, Cards);
    RefreshDeckList();
}

int DeckBuilderModel::MasterIndexOf(const QString& id) const {
    const QList<CardData>& masters = Cards.MasterList();
    for (int i = 0; i < masters.size(); ++i)
        if (masters[i].CardID == id)
            return i;
    return -1;
}

bool DeckBuilderModel::ConfirmClose(UserPort& user) const {
    return user.messageBox({CloseQuestionText, DeckBuilderTitle, BoxButtons::YesNo,
                            BoxIcon::Question, 0}) == BoxResult::Yes;
}

} // namespace lumi
