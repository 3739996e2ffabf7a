#include "carddata/CardList.h"

#include "carddata/CardInfo.h"
#include "carddata/IniDocument.h"
#include "carddata/InstallPaths.h"
#include "common/Cp932.h"
#include "common/TextFile.h"

#include <QDir>
#include <QFileInfo>

namespace lumi {

namespace {

constexpr qsizetype MaxEntries = 32767; // positions are 16-bit

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

const QString InputPastEndText = QStringLiteral("ファイルの終わりを越えて入力しようとしました。");
const QString OverflowText = QStringLiteral("オーバーフローしました。");
const QString FileAccessText = QStringLiteral("パス/ファイル アクセス エラーです。");

void warnMissing(const ReportTarget& report, const QString& text) {
    MessageBoxRequest box;
    box.text = text;
    box.title = report.title;
    box.buttons = BoxButtons::OK;
    box.icon = BoxIcon::Warning;
    report.user.messageBox(box);
}

} // namespace

// ---- FieldReader

bool FieldReader::atEnd() {
    while (pos_ < data_.size() && (isBlank(data_[pos_]) || isLineEnd(data_[pos_])))
        ++pos_;
    return pos_ >= data_.size();
}

std::optional<QString> FieldReader::next() {
    while (pos_ < data_.size() && isBlank(data_[pos_]))
        ++pos_;
    if (pos_ >= data_.size())
        return std::nullopt;

    auto consumeSeparator = [this] {
        if (pos_ >= data_.size())
            return;
        if (data_[pos_] == ',') {
            ++pos_;
        } else if (data_[pos_] == '\r') {
            ++pos_;
            if (pos_ < data_.size() && data_[pos_] == '\n')
                ++pos_;
        } else if (data_[pos_] == '\n') {
            ++pos_;
        }
    };

    QByteArrayView field;
    if (data_[pos_] == '"') {
        qsizetype close = data_.indexOf('"', pos_ + 1);
        if (close < 0) {
            field = data_.sliced(pos_ + 1);
            pos_ = data_.size();
        } else {
            field = data_.sliced(pos_ + 1, close - pos_ - 1);
            pos_ = close + 1;
            while (pos_ < data_.size() && data_[pos_] != ',' && !isLineEnd(data_[pos_]))
                ++pos_;
        }
    } else {
        qsizetype end = pos_;
        while (end < data_.size() && data_[end] != ',' && !isLineEnd(data_[end]))
            ++end;
        qsizetype last = end;
        while (last > pos_ && isBlank(data_[last - 1]))
            --last;
        field = data_.sliced(pos_, last - pos_);
        pos_ = end;
    }
    consumeSeparator();
    return cp932::decode(field);
}

std::optional<QStringList> FieldReader::record(int count) {
    QStringList fields;
    fields.reserve(count);
    for (int i = 0; i < count; ++i) {
        auto f = next();
        if (!f)
            return std::nullopt;
        fields.append(std::move(*f));
    }
    return fields;
}

// ---- kinds

std::int16_t CardKindOfLetter(const QString& letter) {
    if (letter == QLatin1String("B"))
        return KindB;
    if (letter == QLatin1String("S"))
        return KindS;
    if (letter == QLatin1String("M"))
        return KindM;
    return KindF;
}

std::int16_t MasterKindOfLetter(const QString& letter) {
    if (letter == QLatin1String("A"))
        return MasterA;
    if (letter == QLatin1String("W"))
        return MasterW;
    return MasterN;
}

std::int16_t ReadCardRare(const QString& cardsPath, const QString& cardId) {
    if (!IsPlainCardId(cardId))
        return 0;
    auto doc = IniDocument::load(cardsPath + cardId + QStringLiteral(".ini"));
    if (!doc)
        return 0;
    return ParseInt16(doc->get(QStringLiteral("head"), QStringLiteral("rare"))).value_or(0);
}

std::optional<QByteArray> ReadListFile(const QString& path) {
    if (QFileInfo(path).size() > MaxListFileBytes)
        return std::nullopt;
    return readWholeFile(path);
}

bool IsPlainCardId(const QString& cardId) {
    return !cardId.isEmpty() && !cardId.contains(u'/') && !cardId.contains(u'\\') &&
           !cardId.contains(QChar(u'\0')) && cardId != QLatin1String("..");
}

// ---- CardDatabase

LoadVerdict CardDatabase::LoadMasterlist(const QString& cardsPath, const ReportTarget& report) {
    const QString place = QStringLiteral("CardList.LoadMasterlist");
    const QString path = cardsPath + QStringLiteral("master.dat");
    if (!FileExists(path)) {
        warnMissing(report, CardListMissingText);
        return LoadVerdict::MustEnd;
    }
    masters_.clear();
    auto finish = [this] {
        // The list always holds at least its first, blank entry.
        if (masters_.isEmpty())
            masters_.append(CardData{});
        rebuildIndex();
        return LoadVerdict::Loaded;
    };
    auto bytes = ReadListFile(path);
    if (!bytes) {
        ReportError(report.user, ErrFileAccess, FileAccessText, place, report.deckBuilder);
        return finish();
    }
    FieldReader reader(*bytes);
    while (!reader.atEnd()) {
        auto rec = reader.record(3);
        if (!rec) {
            ReportError(report.user, ErrInputPastEnd, InputPastEndText, place, report.deckBuilder);
            break;
        }
        if (masters_.size() >= MaxEntries) {
            ReportError(report.user, 6, OverflowText, place, report.deckBuilder);
            break;
        }
        CardData m;
        m.CardID = (*rec)[0];
        m.CardName = (*rec)[1];
        m.CardType = MasterKindOfLetter((*rec)[2]);
        masters_.append(std::move(m));
    }
    return finish();
}

LoadVerdict CardDatabase::LoadCardlist(const QString& cardsPath, const ReportTarget& report) {
    const QString place = QStringLiteral("CardList.LoadCardlist");
    // Name filters match in any letter case; the order ignores case too, as
    // a Windows folder listing would give it.
    const QStringList files = QDir(cardsPath).entryList({QStringLiteral("*.lml")}, QDir::Files,
                                                        QDir::Name | QDir::IgnoreCase);
    if (files.isEmpty()) {
        warnMissing(report, CardListMissingText);
        return LoadVerdict::MustEnd;
    }
    series_.clear();
    for (const QString& file : files) {
        if (series_.size() >= MaxEntries) {
            ReportError(report.user, 6, OverflowText, place, report.deckBuilder);
            break;
        }
        const QString path = cardsPath + file;
        CardSeries series;
        series.SeriesName = GetFileName(RemoveExtension(path));
        auto bytes = ReadListFile(path);
        if (!bytes) {
            series_.append(std::move(series));
            ReportError(report.user, ErrFileAccess, FileAccessText, place, report.deckBuilder);
            break;
        }
        FieldReader reader(*bytes);
        bool failed = false;
        while (!reader.atEnd()) {
            auto rec = reader.record(4);
            if (!rec) {
                ReportError(report.user, ErrInputPastEnd, InputPastEndText, place,
                            report.deckBuilder);
                failed = true;
                break;
            }
            if (series.Cards.size() >= MaxEntries) {
                ReportError(report.user, 6, OverflowText, place, report.deckBuilder);
                failed = true;
                break;
            }
            CardData c;
            c.CardID = (*rec)[0];
            c.CardName = (*rec)[1];
            c.CardType = CardKindOfLetter((*rec)[2]);
            c.BaseCardID = (*rec)[3];
            c.Rare = ReadCardRare(cardsPath, c.CardID);
            series.Cards.append(std::move(c));
        }
        series_.append(std::move(series));
        // The loader stops at its first error; what it read stays.
        if (failed)
            break;
    }
    rebuildIndex();
    return LoadVerdict::Loaded;
}

void CardDatabase::setData(QList<CardData> masters, QList<CardSeries> series) {
    masters_ = std::move(masters);
    series_ = std::move(series);
    rebuildIndex();
}

void CardDatabase::rebuildIndex() {
    index_.clear();
    index_.reserve(cardCount() + masters_.size());
    auto addFirst = [this](const QString& id, CardPosition p) {
        auto it = index_.find(id);
        if (it == index_.end())
            index_.insert(id, p);
    };
    // Series first, each in order, then the masters: the first holder of an
    // identifier wins, as a scan in that order would find it. An empty
    // identifier (the blank entry of an empty list) names no card.
    for (qsizetype s = 0; s < series_.size() && s < MaxEntries; ++s) {
        const auto& cards = series_[s].Cards;
        for (qsizetype c = 0; c < cards.size() && c < MaxEntries; ++c)
            if (!cards[c].CardID.isEmpty())
                addFirst(cards[c].CardID, CardPosition{std::int16_t(s), std::int16_t(c)});
    }
    for (qsizetype m = 0; m < masters_.size() && m < MaxEntries; ++m)
        if (!masters_[m].CardID.isEmpty())
            addFirst(masters_[m].CardID, CardPosition{-1, std::int16_t(m)});
}

bool CardDatabase::CardID2Index(const QString& id, CardPosition& position) const {
    auto it = index_.constFind(id);
    if (it == index_.constEnd()) {
        position = {};
        return false;
    }
    position = *it;
    return true;
}

const CardData* CardDatabase::cardAt(CardPosition p) const {
    if (p.Card < 0)
        return nullptr;
    if (p.Series < 0)
        return p.Card < masters_.size() ? &masters_[p.Card] : nullptr;
    if (p.Series >= series_.size() || p.Card >= series_[p.Series].Cards.size())
        return nullptr;
    return &series_[p.Series].Cards[p.Card];
}

const CardData* CardDatabase::find(const QString& id) const {
    CardPosition p;
    return CardID2Index(id, p) ? cardAt(p) : nullptr;
}

QString CardDatabase::CardID2CardName(const QString& id) const {
    const CardData* c = find(id);
    return c ? c->CardName : QString();
}

QString CardDatabase::FirstMasterID() const {
    return masters_.isEmpty() ? QString() : masters_.front().CardID;
}

qsizetype CardDatabase::cardCount() const {
    qsizetype n = 0;
    for (const auto& s : series_)
        n += s.Cards.size();
    return n;
}

} // namespace lumi
