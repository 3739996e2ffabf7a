#pragma once
// Shared helpers of the card-data tests: files in code page 932 inside a
// temporary folder, and a user port that records what it was shown.

#include "carddata/CardList.h"
#include "common/Cp932.h"
#include "common/Ports.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace lumi::test {

// Writes `text` encoded as code page 932 (LF turned into CR LF unless `raw`).
inline void writeCp932(const QString& path, const QString& text, bool raw = false) {
    QString t = text;
    if (!raw)
        t.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(cp932::encode(t));
}

inline QByteArray readBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

inline QString readCp932(const QString& path) {
    return cp932::decode(readBytes(path));
}

// A temporary folder whose path ends in a separator.
struct TempFolder {
    QTemporaryDir dir;
    QString path(const QString& name = {}) const { return dir.path() + u'/' + name; }
};

// Records every box; answers with the queued results, then with `fallback`.
class RecordingUser : public UserPort {
public:
    QList<MessageBoxRequest> boxes;
    QList<BoxResult> answers;
    BoxResult fallback = BoxResult::No;
    QStringList clipboard;
    QList<int> endCalls;

    BoxResult messageBox(const MessageBoxRequest& box) override {
        boxes.append(box);
        if (!answers.isEmpty())
            return answers.takeFirst();
        return box.buttons == BoxButtons::OK ? BoxResult::OK : fallback;
    }
    void setClipboardText(const QString& text) override { clipboard.append(text); }
    void endProgram(int code) override { endCalls.append(code); }
};

class RecordingLog : public LogPort {
public:
    QStringList chat, debug;
    void ChatPut(const QString& line) override { chat.append(line); }
    void DebugPut(const QString& line) override { debug.append(line); }
};

// A small database in memory: masters "MN" (kind N), "MA" (A) and "MW" (W);
// cards "C01" to "C40" (rarity 1, kinds cycling F, B, S, M), "R3" and "R5"
// (rarity 3 and 5).
inline CardDatabase smallDatabase() {
    QList<CardData> masters = {
        {QStringLiteral("MN"), QStringLiteral("見習い"), MasterN, {}, 0},
        {QStringLiteral("MA"), QStringLiteral("剣士"), MasterA, {}, 0},
        {QStringLiteral("MW"), QStringLiteral("竜"), MasterW, {}, 0},
    };
    CardSeries s;
    s.SeriesName = QStringLiteral("small");
    for (int i = 1; i <= 40; ++i)
        s.Cards.append({QStringLiteral("C%1").arg(i, 2, 10, QLatin1Char('0')),
                        QStringLiteral("カード%1").arg(i), std::int16_t((i - 1) % 4),
                        QStringLiteral("-"), 1});
    s.Cards.append({QStringLiteral("R3"), QStringLiteral("三つ星"), KindF, QStringLiteral("-"), 3});
    s.Cards.append({QStringLiteral("R5"), QStringLiteral("五つ星"), KindF, QStringLiteral("-"), 5});
    CardDatabase db;
    db.setData(masters, {s});
    return db;
}

// "C01", "C02", ... "Cnn" for the given numbers.
inline QStringList cardIds(std::initializer_list<int> numbers) {
    QStringList out;
    for (int n : numbers)
        out.append(QStringLiteral("C%1").arg(n, 2, 10, QLatin1Char('0')));
    return out;
}

// Cards C01..C(count).
inline QStringList firstCards(int count) {
    QStringList out;
    for (int n = 1; n <= count; ++n)
        out.append(QStringLiteral("C%1").arg(n, 2, 10, QLatin1Char('0')));
    return out;
}

} // namespace lumi::test

// Readable QString output in gtest messages.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE
