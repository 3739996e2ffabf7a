// Loading a large card database, compared with only reading and decoding the
// same files: the loader should stay within a small factor of the bytes'
// own cost (target: 3x). Prints that ratio after the runs.
#include "carddata/CardList.h"
#include "common/Cp932.h"
#include "common/TextFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <string>

namespace {

constexpr int SeriesCount = 40;
constexpr int CardsPerSeries = 500; // 20,000 cards

QString cardId(int series, int card) {
    return QStringLiteral("S%1C%2")
        .arg(series, 2, 10, QLatin1Char('0'))
        .arg(card, 3, 10, QLatin1Char('0'));
}

void writeFile(const QString& path, const QString& text) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        std::abort();
    f.write(lumi::cp932::encode(text));
}

// The database folder, written once per process.
const QString& cardsFolder() {
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString p = dir.path() + u'/';
        QString masters;
        for (int m = 0; m < 10; ++m)
            masters += QStringLiteral("MASTER%1,マスター%1,%2\r\n")
                           .arg(m, 3, 10, QLatin1Char('0'))
                           .arg(QLatin1String(m % 3 == 0 ? "N" : "A"));
        writeFile(p + QStringLiteral("master.dat"), masters);
        for (int s = 0; s < SeriesCount; ++s) {
            QString list;
            for (int c = 0; c < CardsPerSeries; ++c) {
                const QString id = cardId(s, c);
                list +=
                    id +
                    QStringLiteral(",霧ガエル%1,%2,-\r\n").arg(c).arg(QLatin1Char("FBSM"[c % 4]));
                writeFile(p + id + QStringLiteral(".ini"),
                          QStringLiteral("[head]\r\nrare=%1\r\n\r\n[Lv1]\r\nHP=1\r\n1="
                                         "体当たり\r\n2=\r\nS=0/0/0\r\n\r\n"
                                         "[Lv2]\r\nHP=2\r\n1=体当たり\r\n2=群れの渦\r\nS=1/2/1\r\n")
                              .arg(c % 5 + 1));
            }
            writeFile(p + QStringLiteral("series%1.lml").arg(s, 2, 10, QLatin1Char('0')), list);
        }
        return p;
    }();
    return path;
}

class SilentUser : public lumi::UserPort {
public:
    lumi::BoxResult messageBox(const lumi::MessageBoxRequest&) override {
        return lumi::BoxResult::OK;
    }
};

void BM_FullLoad(benchmark::State& state) {
    const QString& folder = cardsFolder();
    SilentUser user;
    for (auto _ : state) {
        lumi::CardDatabase db;
        db.LoadMasterlist(folder, lumi::ReportTarget{user});
        db.LoadCardlist(folder, lumi::ReportTarget{user});
        if (db.cardCount() != SeriesCount * CardsPerSeries)
            state.SkipWithError("wrong card count");
        benchmark::DoNotOptimize(db);
    }
}

// The same files read whole and decoded, without any parsing.
void BM_ReadAndDecodeBaseline(benchmark::State& state) {
    const QString& folder = cardsFolder();
    for (auto _ : state) {
        qsizetype chars = 0;
        const QStringList lists =
            QDir(folder).entryList({QStringLiteral("*.lml")}, QDir::Files, QDir::Name);
        auto take = [&chars](const QString& path) {
            if (auto bytes = lumi::readWholeFile(path))
                chars += lumi::cp932::decode(*bytes).size();
        };
        take(folder + QStringLiteral("master.dat"));
        for (int s = 0; s < lists.size(); ++s) {
            take(folder + lists[s]);
            for (int c = 0; c < CardsPerSeries; ++c)
                take(folder + cardId(s, c) + QStringLiteral(".ini"));
        }
        benchmark::DoNotOptimize(chars);
    }
}

void BM_CardID2Index1000(benchmark::State& state) {
    SilentUser user;
    lumi::CardDatabase db;
    db.LoadMasterlist(cardsFolder(), lumi::ReportTarget{user});
    db.LoadCardlist(cardsFolder(), lumi::ReportTarget{user});
    QStringList ids;
    for (int i = 0; i < 1000; ++i)
        ids.append(i % 10 == 9 ? QStringLiteral("MISSING%1").arg(i)
                               : cardId((i * 7) % SeriesCount, (i * 13) % CardsPerSeries));
    for (auto _ : state) {
        int found = 0;
        for (const QString& id : ids) {
            lumi::CardPosition p;
            found += db.CardID2Index(id, p);
        }
        benchmark::DoNotOptimize(found);
    }
}

BENCHMARK(BM_ReadAndDecodeBaseline)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_FullLoad)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_CardID2Index1000)->Unit(benchmark::kMicrosecond);

// Keeps the mean real time of each benchmark for the ratio.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> realTime;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs)
            if (r.iterations > 0)
                realTime[r.benchmark_name()] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    cardsFolder();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto load = reporter.realTime.find("BM_FullLoad/min_time:2.000");
    const auto base = reporter.realTime.find("BM_ReadAndDecodeBaseline/min_time:2.000");
    if (load != reporter.realTime.end() && base != reporter.realTime.end() && base->second > 0)
        std::printf("ratio full load / read-and-decode baseline: %.2f (target: within 3)\n",
                    load->second / base->second);
    benchmark::Shutdown();
    return 0;
}
