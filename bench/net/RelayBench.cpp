// Relay throughput and latency of the server: one opponent sends `set`
// requests, 50 viewers receive them mirrored. The same load runs through a
// minimal relay written here (framing only) as the baseline, side by side.
//
//   bench_net_relay [requests] [viewers]
#include "carddata/CardList.h"
#include "carddata/StatusList.h"
#include "client/core/ClientCore.h"
#include "client/engine/ChangeStatus.h"
#include "client/engine/CmacNarabekae.h"
#include "client/net/Protocol.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

using namespace lumi;

namespace {

struct QuietPorts : UserPort, LogPort, ClientDialogs {
    BoxResult messageBox(const MessageBoxRequest&) override { return BoxResult::OK; }
    void ChatPut(const QString&) override {}
    void DebugPut(const QString&) override {}
    void showBattleSetting(frmBattleSetting& d) override { d.cmdCancel_Click(); }
    void showChangeStatus(frmChangeStatus& d) override { d.cmdCancel_Click(); }
    void showCmacNarabekae(frmCmacNarabekae& d) override { d.CloseByFrame(); }
    std::optional<QString> chooseSaveFile(const QString&, const QString&) override {
        return std::nullopt;
    }
    std::optional<QString> chooseOpenFile(const QString&, const QString&) override {
        return std::nullopt;
    }
};

// The baseline: cut on SOH and pass each request to every other connection.
class MinimalRelay : public QObject {
public:
    MinimalRelay() {
        server_.listen(QHostAddress::LocalHost, 0);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = server_.nextPendingConnection()) {
                peers_.push_back(s);
                buffers_.emplace_back();
                const size_t i = peers_.size() - 1;
                connect(s, &QTcpSocket::readyRead, this, [this, i] {
                    QByteArray& b = buffers_[i];
                    b += peers_[i]->readAll();
                    qsizetype at;
                    while ((at = b.indexOf('\x01')) >= 0) {
                        const QByteArray request = b.left(at + 1);
                        b.remove(0, at + 1);
                        for (size_t j = 0; j < peers_.size(); ++j)
                            if (j != i)
                                peers_[j]->write(request);
                    }
                });
            }
        });
    }
    quint16 port() const { return server_.serverPort(); }

private:
    QTcpServer server_;
    std::vector<QTcpSocket*> peers_;
    std::vector<QByteArray> buffers_;
};

struct Result {
    double seconds = 0;
    double perSecond = 0;
    double p50 = 0, p99 = 0;
    bool complete = false;
};

// Connects the opponent and the viewers to `port`, sends `count` requests
// with at most `window` not yet seen by every viewer, and measures.
Result run(quint16 port, int count, int viewers, bool registerMembers) {
    const int window = 32;
    auto makeSocket = [&](const QString& name) {
        auto s = std::make_unique<QTcpSocket>();
        s->connectToHost(QHostAddress::LocalHost, port);
        s->waitForConnected(5000);
        if (registerMembers)
            s->write(
                wire::encodeForWrite(wire::joinFields({wire::kw::Connect, "54", "131", name})));
        return s;
    };
    auto opponent = makeSocket(QStringLiteral("opponent"));
    std::vector<std::unique_ptr<QTcpSocket>> watchers;
    for (int v = 0; v < viewers; ++v)
        watchers.push_back(makeSocket(QStringLiteral("viewer%1").arg(v)));
    // Let the joins and member lists settle, then forget what they sent.
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 500)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    for (auto& w : watchers)
        w->readAll();

    std::vector<qint64> sentAt(size_t(count), 0);
    std::vector<int> seenBy(size_t(count), 0);
    std::vector<qint64> doneAt(size_t(count), 0);
    std::vector<QByteArray> tails(static_cast<size_t>(viewers));
    int completed = 0;
    QElapsedTimer clock;
    clock.start();
    for (int v = 0; v < viewers; ++v) {
        QTcpSocket* w = watchers[size_t(v)].get();
        QObject::connect(w, &QTcpSocket::readyRead, w, [&, w, v] {
            QByteArray& t = tails[size_t(v)];
            t += w->readAll();
            qsizetype at;
            while ((at = t.indexOf('\x01')) >= 0) {
                const QByteArray r = t.left(at);
                t.remove(0, at + 1);
                // set NUL area NUL "B<seq>" NUL ...
                const QList<QByteArray> f = r.split('\0');
                if (f.size() < 3 || f[0] != "set" || !f[2].startsWith('B'))
                    continue;
                const int seq = f[2].mid(1).toInt();
                if (seq < 0 || seq >= count)
                    continue;
                if (++seenBy[size_t(seq)] == viewers) {
                    doneAt[size_t(seq)] = clock.nsecsElapsed();
                    ++completed;
                }
            }
        });
    }
    int sent = 0;
    const qint64 deadline = 120'000'000'000LL;
    while (completed < count && clock.nsecsElapsed() < deadline) {
        while (sent < count && sent - completed < window) {
            const QString r = wire::joinFields(
                {wire::kw::Set, "3", QStringLiteral("B%1").arg(sent), "4", "2", "1", "000"});
            sentAt[size_t(sent)] = clock.nsecsElapsed();
            opponent->write(wire::encodeForWrite(r));
            ++sent;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    Result res;
    res.complete = completed == count;
    res.seconds = double(clock.nsecsElapsed()) / 1e9;
    res.perSecond = completed / res.seconds;
    std::vector<double> lat;
    for (int i = 0; i < count; ++i)
        if (doneAt[size_t(i)] > 0)
            lat.push_back(double(doneAt[size_t(i)] - sentAt[size_t(i)]) / 1e6);
    std::sort(lat.begin(), lat.end());
    if (!lat.empty()) {
        res.p50 = lat[lat.size() / 2];
        res.p99 = lat[std::min(lat.size() - 1, lat.size() * 99 / 100)];
    }
    return res;
}

void print(const char* name, const Result& r) {
    std::printf("%-16s %10.0f req/s to every viewer   p50 %7.3f ms   p99 %7.3f ms%s\n", name,
                r.perSecond, r.p50, r.p99, r.complete ? "" : "   (incomplete)");
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, atoi(argv[1])) : 10000;
    const int viewers = argc > 2 ? std::max(1, atoi(argv[2])) : 50;

    MinimalRelay baseline;
    const Result base = run(baseline.port(), count, viewers, false);

    QTemporaryDir dir;
    QuietPorts ports;
    MersenneRandom random;
    SystemClock clock;
    CardDatabase cards;
    StatusDatabase statuses;
    ClientCore server({ports, ports, ports, random, clock, nullptr},
                      InstallPaths::fromAppPath(dir.path() + u'/'), {}, cards, statuses);
    server.Listen(0, QStringLiteral("server"));
    const Result relay = run(server.ServerPort(), count, viewers, true);

    std::printf("%d set requests, 1 opponent, %d viewers, loopback\n", count, viewers);
    print("minimal relay", base);
    print("lumiplay server", relay);
    std::printf("throughput ratio %.2f (target >= 0.50), p99 %.3f ms (target < 20 ms)\n",
                base.perSecond > 0 ? relay.perSecond / base.perSecond : 0.0, relay.p99);
    return relay.complete && base.complete ? 0 : 1;
}
