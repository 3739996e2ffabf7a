#pragma once
// The card database: the master list ("master.dat") and one series per card
// list file ("*.lml") in the cards folder, loaded once and then searched by
// identifier. The database is an object its program owns and passes by
// reference.

#include "carddata/ReportError.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace lumi {

// Kinds of ordinary cards and of masters.
enum CardKind : std::int16_t { KindF = 0, KindB = 1, KindS = 2, KindM = 3 };
enum MasterKind : std::int16_t { MasterN = 0, MasterA = 1, MasterW = 2 };

struct CardData {
    QString CardID;
    QString CardName;
    std::int16_t CardType = 0;
    QString BaseCardID;
    std::int16_t Rare = 0;

    bool operator==(const CardData&) const = default;
};

struct CardSeries {
    QString SeriesName;
    QList<CardData> Cards;
};

// (series index, card index); series -1 for a master; (-1, -1) when not found.
struct CardPosition {
    std::int16_t Series = -1;
    std::int16_t Card = -1;
    bool operator==(const CardPosition&) const = default;
};

// Whether start-up may go on after a loader: a missing file has been
// warned about and the program must end (the caller ends it).
enum class LoadVerdict { Loaded, MustEnd };

inline const QString CardListMissingText =
    QStringLiteral("カードリストが正しく配置されていません。確認してください。");

// Reads the comma-separated records of "master.dat", "*.lml" and
// "state.dat": fields end at a comma or a line end (CR LF, LF or CR); spaces
// and tabs before a field are skipped, and so are empty lines before a
// record; a field in double quotes may hold commas and line ends, text
// after its closing quote up to the separator is dropped; an unquoted field
// loses its trailing spaces and tabs.
class FieldReader {
public:
    // Keeps a (shared, not copied) reference to the bytes.
    explicit FieldReader(QByteArray bytes) : bytes_(std::move(bytes)), data_(bytes_) {}
    // Skips blanks and empty lines; true when no record remains.
    bool atEnd();
    // The next field, decoded; nullopt when the data ended before it.
    std::optional<QString> next();
    // The next `count` fields of one record; nullopt when the data ends
    // before the last of them (a read error: the record is incomplete).
    std::optional<QStringList> record(int count);

private:
    QByteArray bytes_;
    QByteArrayView data_;
    qsizetype pos_ = 0;
};

class CardDatabase {
public:
    // Fills the master list from `cardsPath` + "master.dat". A missing file:
    // the warning box, then MustEnd. A read error: ReportError at
    // "CardList.LoadMasterlist", the records before it stay, Loaded.
    LoadVerdict LoadMasterlist(const QString& cardsPath, const ReportTarget& report);

    // Fills the series from the "*.lml" files of `cardsPath`, sorted by file
    // name, reading each card's rarity from its ".ini" file. No file: the
    // warning box, then MustEnd. A read error: ReportError at
    // "CardList.LoadCardlist"; the series and cards before it stay.
    LoadVerdict LoadCardlist(const QString& cardsPath, const ReportTarget& report);

    // Replaces the contents, for programs and tests that build a database
    // in memory.
    void setData(QList<CardData> masters, QList<CardSeries> series);

    // The name of the first card with that identifier (series in order, then
    // the master list); empty when none.
    QString CardID2CardName(const QString& id) const;
    // True when found; `position` gets the place (or (-1, -1)).
    bool CardID2Index(const QString& id, CardPosition& position) const;
    // The record at a position from CardID2Index; nullptr for (-1, -1) or
    // a position out of range.
    const CardData* cardAt(CardPosition position) const;
    // The record of an identifier, nullptr when unknown.
    const CardData* find(const QString& id) const;

    const QList<CardData>& MasterList() const { return masters_; }
    const QList<CardSeries>& CardLists() const { return series_; }
    // The identifier of the first master, empty when there is none.
    QString FirstMasterID() const;
    // Number of ordinary cards over all series.
    qsizetype cardCount() const;

private:
    void rebuildIndex();

    QList<CardData> masters_;
    QList<CardSeries> series_;
    // The first position of each identifier in search order.
    QHash<QString, CardPosition> index_;
};

// The card kind for its letter ("F" 0, "B" 1, "S" 2, "M" 3; others 0) and
// the master kind ("N" 0, "A" 1, "W" 2; others 0). Exact case.
std::int16_t CardKindOfLetter(const QString& letter);
std::int16_t MasterKindOfLetter(const QString& letter);

// The bytes of a list file ("master.dat", "*.lml", "state.dat"); nullopt
// when it cannot be read or is larger than any real list (MaxListFileBytes).
inline constexpr qint64 MaxListFileBytes = 256 * 1024 * 1024;
std::optional<QByteArray> ReadListFile(const QString& path);

// True when an identifier can name a file of the cards folder itself: not
// empty, no separator, no NUL, not "..". Identifiers from peers or files
// never reach a file elsewhere.
bool IsPlainCardId(const QString& cardId);

// The rarity of a card from its INI file ([head] rare), 0 when missing or not
// a number.
std::int16_t ReadCardRare(const QString& cardsPath, const QString& cardId);

} // namespace lumi
