#include "carddata/DeckList.h"

#include "carddata/IniDocument.h"
#include "carddata/InstallPaths.h"
#include "common/Ports.h"
#include "common/TextFile.h"

#include <utility>

namespace lumi {

int DeckSlotCount(std::int16_t deckType) {
    return deckType == DeckPro ? 30 : 20;
}

QString DeckClassName(std::int16_t deckType) {
    switch (deckType) {
    case DeckSr:
        return QStringLiteral("Sr");
    case DeckPro:
        return QStringLiteral("Pro");
    default:
        return QStringLiteral("Jr");
    }
}

std::int16_t DeckClassOfWord(const QString& word) {
    const QString w = word.toLower();
    if (w == QLatin1String("sr"))
        return DeckSr;
    if (w == QLatin1String("pro"))
        return DeckPro;
    return DeckJr;
}

QString DeckSlotKey(int slot) {
    return QStringLiteral("%1").arg(slot, 3, 10, QLatin1Char('0'));
}

namespace {

// A header value never carries a line break into the deck text, where it
// would start a line of its own.
QString oneLine(QString s) {
    return s.replace(u'\r', u' ').replace(u'\n', u' ');
}

} // namespace

QString SaveDeck(const DeckData& deck) {
    QString t;
    t += QStringLiteral("[header]") + CrLf;
    t += QStringLiteral("name=") + oneLine(deck.DeckName) + CrLf;
    t += QStringLiteral("maked=") + oneLine(deck.AuthorName) + CrLf;
    t += QStringLiteral("master=") + oneLine(deck.Master) + CrLf;
    t += QStringLiteral("rule=") + DeckClassName(deck.DeckType) + CrLf;
    t += CrLf;
    t += QStringLiteral("[body]") + CrLf;
    for (qsizetype i = 0; i < deck.Cards.size(); ++i)
        t += DeckSlotKey(int(i + 1)) + u'=' + oneLine(deck.Cards[i]) + CrLf;
    return t;
}

void DeckSortByID(DeckData& deck) {
    QStringList& c = deck.Cards;
    for (qsizetype i = 0; i < c.size(); ++i)
        for (qsizetype j = i + 1; j < c.size(); ++j)
            if (QString::compare(c[i], c[j], Qt::CaseSensitive) > 0)
                c.swapItemsAt(i, j);
}

void DeckSortByType(DeckData& deck, const CardDatabase& cards) {
    QStringList& c = deck.Cards;
    QList<std::int16_t> key;
    key.reserve(c.size());
    for (const QString& id : c) {
        const CardData* card = cards.find(id);
        key.append(card ? card->CardType : std::int16_t(0));
    }
    for (qsizetype i = 0; i < c.size(); ++i)
        for (qsizetype j = i + 1; j < c.size(); ++j)
            if (key[j] < key[i]) {
                c.swapItemsAt(i, j);
                key.swapItemsAt(i, j);
            }
}

DeckData DeckList::EmptyDeck() {
    return DeckData{};
}

void DeckList::trace(const QString& line) const {
    if (log_)
        log_->DebugPut(line);
}

void DeckList::LoadDeck(const QString& path) {
    LoadingDeck = EmptyDeck();
    trace(QStringLiteral("LoadDeck> ") + path);
    const IniDocument ini = IniDocument::load(path).value_or(IniDocument());
    const QString header = QStringLiteral("header");
    DeckData d;
    d.DeckType = DeckClassOfWord(ini.get(header, QStringLiteral("rule")));
    d.DeckName = ini.get(header, QStringLiteral("name"));
    d.AuthorName = ini.get(header, QStringLiteral("maked"));
    const QString master = ini.get(header, QStringLiteral("master"));
    d.Master = cards_.CardID2CardName(master).isEmpty() ? cards_.FirstMasterID() : master;
    const int slots = DeckSlotCount(d.DeckType);
    d.Cards.clear();
    const QString body = QStringLiteral("body");
    for (int n = 1; n <= slots; ++n) {
        const QString id = ini.get(body, DeckSlotKey(n));
        d.Cards.append(cards_.CardID2CardName(id).isEmpty() ? QString() : id);
    }
    LoadingDeck = std::move(d);
    trace(QStringLiteral("LoadDeck> ") + DeckClassName(LoadingDeck.DeckType) + u' ' +
          LoadingDeck.DeckName);
}

bool DeckList::Text2DeckData(const QString& text, const ReportTarget* report) {
    LoadingDeck = EmptyDeck();
    // Keys match regardless of ASCII letter case only; a search folding
    // other letters would take "maſter=" for "master=".
    QString folded = text;
    for (QChar& ch : folded)
        if (ch >= u'A' && ch <= u'Z')
            ch = QChar(ch.unicode() + (u'a' - u'A'));
    auto item = [&text, &folded](const char* key) -> std::optional<QString> {
        const QString needle = CrLf + QLatin1String(key);
        qsizetype at = folded.indexOf(needle);
        if (at < 0)
            return std::nullopt;
        qsizetype start = at + needle.size();
        qsizetype end = text.indexOf(CrLf, start);
        return text.mid(start, end < 0 ? -1 : end - start);
    };
    auto fail = [&](const QString& why) {
        LoadingDeck = EmptyDeck();
        trace(QStringLiteral("Text2DeckData> ") + why);
        if (report)
            ReportError(report->user, 9, QStringLiteral("インデックスが有効範囲にありません。"),
                        QStringLiteral("DeckList.Text2DeckData"), report->deckBuilder);
        return false;
    };

    DeckData d;
    d.DeckType = DeckClassOfWord(item("rule=").value_or(QString()));
    d.DeckName = item("name=").value_or(QString());
    d.AuthorName = item("maked=").value_or(QString());
    d.Master = item("master=").value_or(cards_.FirstMasterID());

    const QString bodyMark = CrLf + QStringLiteral("[body]") + CrLf;
    qsizetype bodyAt = text.indexOf(bodyMark);
    if (bodyAt < 0)
        return fail(QStringLiteral("no [body]"));
    const int slots = DeckSlotCount(d.DeckType);
    d.Cards.clear();
    bool anyCardLine = false;
    const QStringView body = QStringView(text).sliced(bodyAt + bodyMark.size());
    for (QStringView line : body.split(CrLf)) {
        qsizetype eq = line.indexOf(u'=');
        if (eq < 0)
            continue;
        anyCardLine = true;
        // Only the first slots count; the rest would be cut anyway.
        if (d.Cards.size() >= slots)
            break;
        const QString id = line.sliced(eq + 1).toString();
        d.Cards.append(cards_.CardID2CardName(id).isEmpty() ? QString() : id);
    }
    if (!anyCardLine)
        return fail(QStringLiteral("no card line"));
    while (d.Cards.size() < slots)
        d.Cards.append(QString());
    LoadingDeck = std::move(d);
    trace(QStringLiteral("Text2DeckData> ") + DeckClassName(LoadingDeck.DeckType) + u' ' +
          LoadingDeck.DeckName);
    return true;
}

bool DeckList::SaveDeck(const QString& path, const DeckData& deck, const ReportTarget* report) {
    // Keys already in the file stay; the file is replaced in one step.
    IniDocument ini;
    if (FileExists(path)) {
        auto loaded = IniDocument::load(path);
        if (!loaded) {
            if (report)
                ReportError(report->user, ErrFileAccess, FileAccessErrorText(path),
                            QStringLiteral("DeckList.SaveDeck"), report->deckBuilder);
            return false;
        }
        ini = std::move(*loaded);
    }
    const QString header = QStringLiteral("header");
    ini.set(header, QStringLiteral("name"), deck.DeckName);
    ini.set(header, QStringLiteral("maked"), deck.AuthorName);
    ini.set(header, QStringLiteral("master"), deck.Master);
    ini.set(header, QStringLiteral("rule"), DeckClassName(deck.DeckType));
    const QString body = QStringLiteral("body");
    for (qsizetype i = 0; i < deck.Cards.size(); ++i)
        ini.set(body, DeckSlotKey(int(i + 1)), deck.Cards[i]);
    WriteResult r = writeWholeFile(path, ini.toBytes());
    if (!r.ok && report)
        ReportError(report->user, ErrFileAccess, FileAccessErrorText(r.error),
                    QStringLiteral("DeckList.SaveDeck"), report->deckBuilder);
    return r.ok;
}

} // namespace lumi
