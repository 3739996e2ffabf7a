// Framing, mirroring and the socket layer of both roles on real loopback TCP.
#include "client/net/Wire.h"

#include "client/net/Protocol.h"
#include "client/net/Sstp.h"
#include "common/Cp932.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <gtest/gtest.h>

using namespace lumi;

namespace {

struct NullLog : LogPort {
    QStringList debug;
    void ChatPut(const QString&) override {}
    void DebugPut(const QString& line) override { debug << line; }
};

QByteArray sjis(const QString& s) {
    return cp932::encode(s);
}

} // namespace

TEST(RequestFramer, CutsStreamsIntoRequests) {
    struct Case {
        const char* name;
        QList<QByteArray> reads;
        QList<QByteArray> requests;
        QByteArray left;
    };
    const QList<Case> cases = {
        {"two in one read",
         {QByteArray("connected\x01"
                     "endbattle\x01")},
         {"connected", "endbattle"},
         {}},
        {"split over reads",
         {"ch", QByteArray("at\0hel", 6), QByteArray("lo\x01")},
         {QByteArray("chat\0hello", 10)},
         {}},
        {"double SOH gives an empty request",
         {QByteArray("a\x01\x01"
                     "b\x01")},
         {"a", "", "b"},
         {}},
        {"unfinished tail stays",
         {QByteArray("a\x01"
                     "bc")},
         {"a"},
         "bc"},
    };
    for (const Case& c : cases) {
        wire::RequestFramer f;
        QList<QByteArray> got;
        for (const QByteArray& r : c.reads) {
            ASSERT_TRUE(f.append(r)) << c.name;
            while (auto req = f.next())
                got << *req;
        }
        EXPECT_EQ(got, c.requests) << c.name;
        EXPECT_EQ(f.pendingBytes(), c.left.size()) << c.name;
    }
}

TEST(RequestFramer, RefusesToHoldMoreThanTheCap) {
    wire::RequestFramer f;
    EXPECT_TRUE(f.append(QByteArray(wire::MaxPendingBytes - 1, 'x')));
    EXPECT_FALSE(f.append(QByteArray(2, 'x')));
    // A terminator that arrives in time is still fine.
    EXPECT_TRUE(f.append(QByteArray(1, '\x01')));
    EXPECT_TRUE(f.next().has_value());
    EXPECT_TRUE(f.empty());
}

TEST(WireFields, SplitsBytesBeforeDecoding) {
    // "ソ" is 0x83 0x5C: its trail byte is a backslash, never a separator,
    // and splitting the bytes first keeps every field whole.
    const QByteArray bytes =
        QByteArray("chat") + '\0' + sjis(QStringLiteral("ソース表")) + '\0' + QByteArray("x");
    EXPECT_EQ(wire::splitRequest(bytes), (QStringList{"chat", QStringLiteral("ソース表"), "x"}));
    EXPECT_EQ(wire::splitRequest(QByteArray("set\0\0", 5)), (QStringList{"set", "", ""}));
    EXPECT_EQ(wire::encodeForWrite(QStringLiteral("chat\0表").replace(u'0', QChar(0))),
              QByteArray("chat\0", 5) + sjis(QStringLiteral("表")) + '\x01');
}

TEST(WireFields, RemakeSetRequestMirrorsAreasAndSides) {
    const QChar nul(0);
    auto r = [&](QStringList f) { return f.join(nul); };
    struct Case {
        QString in, out;
    };
    const QList<Case> cases = {
        {r({"set", "3", "C1", "4", "2", "1", "000"}), r({"set", "8", "C1", "4", "2", "1", "000"})},
        {r({"set", "7", "", "0", "0", "0", ""}), r({"set", "2", "", "0", "0", "0", ""})},
        {r({"set", "0", "A", "M", "1", "5", "0", "", "", ""}),
         r({"set", "5", "A", "M", "1", "5", "0", "", "", ""})},
        {r({"set", "9", "x"}), r({"set", "4", "x"})},
        {r({"set", "10", "5", "DeckDefaultData.DeckName", "d"}),
         r({"set", "10", "0", "DeckDefaultData.DeckName", "d"})},
        {r({"set", "10", "0", "k", "v"}), r({"set", "10", "5", "k", "v"})},
    };
    for (const Case& c : cases)
        EXPECT_EQ(wire::RemakeSetRequest(c.in), c.out) << c.in.toStdString();
    EXPECT_FALSE(wire::RemakeSetRequest(QStringLiteral("set")).has_value());
    EXPECT_FALSE(wire::RemakeSetRequest(r({"set", "10"})).has_value());
}

TEST(WireFields, PortsAcceptTheWholeTcpRange) {
    const QList<std::pair<QString, std::optional<quint16>>> cases = {
        {"1", 1},  {"4865", 4865}, {"32767", 32767}, {"32768", 32768}, {"65535", 65535},
        {"0", {}}, {"65536", {}},  {"-1", {}},       {"abc", {}},      {"", {}},
    };
    for (const auto& [text, port] : cases)
        EXPECT_EQ(wire::parsePort(text), port) << text.toStdString();
}

namespace {

// A server fixture: the wire's server role with a recording dispatcher.
struct ServerFixture {
    NullLog log;
    QList<std::tuple<int, QString, QString>> reports;
    QList<std::pair<int, QStringList>> received;
    WireServer server{log, [this](int n, const QString& d, const QString& place) {
                          reports << std::tuple{n, d, place};
                      }};
    ServerFixture() {
        server.setDispatcher([this](int slot, const QStringList& f) {
            received << std::pair{slot, f};
            if (f[0] == QLatin1String("needs2"))
                (void)fieldAt(f, 2);
        });
        EXPECT_TRUE(server.listen(0));
    }
    std::unique_ptr<QTcpSocket> connectRaw() {
        auto s = std::make_unique<QTcpSocket>();
        QSignalSpy accepted(&server, &WireServer::slotAccepted);
        s->connectToHost(QHostAddress::LocalHost, server.port());
        EXPECT_TRUE(s->waitForConnected(3000));
        EXPECT_TRUE(accepted.count() > 0 || accepted.wait(3000));
        return s;
    }
};

} // namespace

TEST(WireServer, HandlesRequestsInOrderAndSurvivesShortRequests) {
    ServerFixture fx;
    auto peer = fx.connectRaw();
    peer->write(QByteArray("needs2\0only", 11) + '\x01' + QByteArray("chat\0ok\x01", 8));
    peer->flush();
    ASSERT_TRUE(QTest::qWaitFor([&] { return fx.received.size() == 2; }, 3000));
    EXPECT_EQ(fx.received[1].second, (QStringList{"chat", "ok"}));
    ASSERT_EQ(fx.reports.size(), 1);
    EXPECT_EQ(std::get<2>(fx.reports[0]), QStringLiteral("frmMain.wskServer_DataArrival:0"));
    EXPECT_TRUE(
        fx.log.debug.contains(QStringLiteral("Receive 0> chat") + QChar(0) + QStringLiteral("ok")));
}

TEST(WireServer, ReusesTheLowestFreeSlot) {
    ServerFixture fx;
    auto a = fx.connectRaw();
    auto b = fx.connectRaw();
    auto c = fx.connectRaw();
    EXPECT_EQ(fx.server.topSlot(), 2);
    fx.server.closeSlot(1);
    QSignalSpy accepted(&fx.server, &WireServer::slotAccepted);
    auto d = std::make_unique<QTcpSocket>();
    d->connectToHost(QHostAddress::LocalHost, fx.server.port());
    ASSERT_TRUE(accepted.wait(3000));
    EXPECT_EQ(accepted.takeFirst().at(0).toInt(), 1);
    auto e = std::make_unique<QTcpSocket>();
    e->connectToHost(QHostAddress::LocalHost, fx.server.port());
    ASSERT_TRUE(accepted.wait(3000));
    EXPECT_EQ(accepted.takeFirst().at(0).toInt(), 3);
    EXPECT_EQ(fx.server.topSlot(), 3);
}

TEST(WireServer, DropsAConnectionThatNeverTerminatesAndServesTheOthers) {
    ServerFixture fx;
    auto flood = fx.connectRaw();
    auto good = fx.connectRaw();
    QSignalSpy closed(&fx.server, &WireServer::peerClosed);
    const QByteArray chunk(64 * 1024, 'x');
    for (int i = 0; i < 20 && flood->state() == QAbstractSocket::ConnectedState; ++i) {
        flood->write(chunk);
        flood->waitForBytesWritten(1000);
        QTest::qWait(1);
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return closed.count() > 0; }, 5000));
    EXPECT_EQ(closed.first().at(0).toInt(), 0);
    EXPECT_FALSE(fx.server.isSlotOpen(0));
    good->write(QByteArray("chat\0still\x01", 11));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !fx.received.isEmpty(); }, 3000));
    EXPECT_EQ(fx.received.last(), (std::pair{1, QStringList{"chat", "still"}}));
}

TEST(WireServer, SendsToAllExceptAndOne) {
    ServerFixture fx;
    auto a = fx.connectRaw();
    auto b = fx.connectRaw();
    fx.server.ServerSend(QStringLiteral("all"));
    fx.server.ExceptionSend(QStringLiteral("notA"), 0);
    fx.server.PinpointSend(QStringLiteral("onlyA"), 0);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return a->bytesAvailable() >= 10 && b->bytesAvailable() >= 9; }, 3000));
    QTest::qWait(20);
    EXPECT_EQ(a->readAll(), QByteArray("all\x01onlyA\x01"));
    EXPECT_EQ(b->readAll(), QByteArray("all\x01notA\x01"));
    EXPECT_TRUE(fx.log.debug.contains("Send ALL>all"));
    EXPECT_TRUE(fx.log.debug.contains("Send !0>notA"));
    EXPECT_TRUE(fx.log.debug.contains("Send 0>onlyA"));
}

TEST(WireClient, ReceivesBatchesAndReportsRefusal) {
    NullLog log;
    QTcpServer listener;
    ASSERT_TRUE(listener.listen(QHostAddress::LocalHost, 0));
    QList<QStringList> got;
    WireClient client(log, [](int, const QString&, const QString&) {});
    client.setDispatcher([&](const QStringList& f) { got << f; });
    QSignalSpy connected(&client, &WireClient::connected);
    client.connectTo(QStringLiteral("127.0.0.1"), listener.serverPort());
    ASSERT_TRUE(connected.wait(3000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return listener.hasPendingConnections(); }, 3000));
    QTcpSocket* peer = listener.nextPendingConnection();
    peer->write("connected\x01");
    peer->write(QByteArray("member\0S\0", 9));
    peer->write("A\x01");
    ASSERT_TRUE(QTest::qWaitFor([&] { return got.size() == 2; }, 3000));
    EXPECT_EQ(got[1], (QStringList{"member", "S", "A"}));
    EXPECT_TRUE(log.debug.contains("Receive C> connected"));

    // Nobody listening: the refusal carries the code the error box shows.
    const quint16 freePort = listener.serverPort();
    listener.close();
    QSignalSpy error(&client, &WireClient::socketError);
    client.connectTo(QStringLiteral("127.0.0.1"), freePort);
    ASSERT_TRUE(error.wait(3000));
    EXPECT_EQ(error.first().at(0).toInt(), 10061);
}

TEST(Sstp, MessageBytesReachALocalListener) {
    NullLog log;
    QTcpServer listener;
    ASSERT_TRUE(listener.listen(QHostAddress::AnyIPv4, 0));
    SstpNotifier notifier(log);
    SstpBattleView view{QStringLiteral("あきら"), true, QStringLiteral("あきら"),
                        QStringLiteral("ゆう"),   5,    3};
    const QString message =
        BuildSSTPMessage(QStringLiteral("OnTurnStart"), QStringLiteral("1"), view);
    notifier.send(message, listener.serverPort());
    ASSERT_TRUE(QTest::qWaitFor([&] { return listener.hasPendingConnections(); }, 3000));
    QTcpSocket* peer = listener.nextPendingConnection();
    const QByteArray expected = cp932::encode(QStringLiteral(
        "NOTIFY SSTP/1.1\r\nSender: ルミナリアOnline ver.0.54\r\nEvent: OnLMNTurnStart\r\n"
        "Reference0: ゆう\r\nReference1: あきら\r\nReference2: 3\r\nReference3: 5\r\nReference4: "
        "0\r\n"
        "Script: \\h\\s0ゆうさんのターンです。\r\nCharset: Shift_JIS\r\n\r\n"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return peer->bytesAvailable() >= expected.size(); }, 3000));
    EXPECT_EQ(peer->readAll(), expected);
    QSignalSpy finished(&notifier, &SstpNotifier::finished);
    peer->write("SSTP/1.1 200 OK\r\n\r\n");
    ASSERT_TRUE(finished.wait(3000));
    EXPECT_TRUE(log.debug.contains("SSTP Connect"));
    EXPECT_TRUE(log.debug.contains("SSTP Connected"));
    EXPECT_TRUE(log.debug.contains("SSTP Close"));
}

TEST(Sstp, EventPartsNameTheRightSides) {
    const SstpBattleView server{QStringLiteral("S"), true, QStringLiteral("S"),
                                QStringLiteral("C"), 5,    4};
    const SstpBattleView viewer{QStringLiteral("V"), false, QStringLiteral("C"),
                                QStringLiteral("S"), 4,     5};
    struct Case {
        QString event, reference;
        SstpBattleView view;
        QString expectedLine;
    };
    const QList<Case> cases = {
        {"OnJoin", "ゆう", server, "Reference0: ゆう"},
        {"OnLeave", "ゆう", server, QStringLiteral("Script: \\h\\s0ゆうさんが退室しました。")},
        {"OnBattleStart", "", server, "Reference2: 1"},
        {"OnBattleEnd", "", viewer, "Reference2: 0"},
        // A viewer: reference 0 is the server's turn, its opponent side.
        {"OnTurnStart", "0", viewer, "Reference0: S"},
        {"OnTurnStart", "1", viewer, "Reference0: C"},
        {"OnTurnStart", "0", server, "Reference4: 1"},
    };
    for (const Case& c : cases) {
        const QStringList lines = BuildSSTPMessage(c.event, c.reference, c.view).split(CrLf);
        EXPECT_TRUE(lines.contains(c.expectedLine))
            << c.event.toStdString() << " " << c.reference.toStdString();
    }
    EXPECT_TRUE(BuildSSTPMessage(QStringLiteral("OnOther"), {}, server).isEmpty());
}
