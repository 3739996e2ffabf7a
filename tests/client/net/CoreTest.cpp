// Client sessions of both roles on loopback: joining, refusals, chat, kicking,
// unknown requests, events, and the load of many members at once.
#include "CoreHarness.h"
#include "common/Cp932.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>

using namespace lumi;
using namespace lumi::test;

namespace {

QByteArray sj(const QString& s) {
    return cp932::encode(s);
}

QByteArray request(const QStringList& fields) {
    return cp932::encode(fields.join(QChar(0))) + '\x01';
}

std::unique_ptr<QTcpSocket> rawConnect(Session& server) {
    auto s = std::make_unique<QTcpSocket>();
    s->connectToHost(QHostAddress::LocalHost, server.core->ServerPort());
    EXPECT_TRUE(waitFor([&] { return s->state() == QAbstractSocket::ConnectedState; }));
    return s;
}

} // namespace

TEST(ServerRole, JoinSequenceByteForByte) {
    Session s;
    s.serve(QStringLiteral("あきら"));
    auto raw = rawConnect(s);
    raw->write(request({"connect", "54", "131", QStringLiteral("ゆう")}));
    const QByteArray expected =
        request({"member", QStringLiteral("あきら"), QStringLiteral("ゆう")}) +
        request({"chat", QStringLiteral("ゆう さんが接続されました。(Ver.0.54)")}) +
        request({"event", "OnJoin", QStringLiteral("ゆう")}) +
        QByteArray("connected\x01"
                   "endbattle\x01");
    QByteArray got;
    ASSERT_TRUE(waitFor([&] {
        got += raw->readAll();
        return got.size() >= expected.size();
    }));
    EXPECT_EQ(got, expected);
    EXPECT_EQ(s.core->Members(), (QStringList{QStringLiteral("あきら"), QStringLiteral("ゆう")}));
    EXPECT_EQ(s.ports.chat.last(), QStringLiteral("ゆう さんが接続されました。(Ver.0.54)"));
}

TEST(ClientRole, JoinSequenceAsTheClientSeesIt) {
    QTcpServer listener;
    ASSERT_TRUE(listener.listen(QHostAddress::LocalHost, 0));
    Session c;
    ASSERT_TRUE(c.core->StartClient(QStringLiteral("127.0.0.1"),
                                    QString::number(listener.serverPort()),
                                    QStringLiteral("ゆう")));
    ASSERT_TRUE(waitFor([&] { return listener.hasPendingConnections(); }));
    QTcpSocket* peer = listener.nextPendingConnection();
    QByteArray got;
    const QByteArray connect = request({"connect", "54", "131", QStringLiteral("ゆう")});
    ASSERT_TRUE(waitFor([&] {
        got += peer->readAll();
        return got.size() >= connect.size();
    }));
    EXPECT_EQ(got, connect);
    peer->write(request({"member", QStringLiteral("あきら"), QStringLiteral("ゆう")}) +
                request({"chat", QStringLiteral("ゆう さんが接続されました。(Ver.0.54)")}) +
                request({"event", "OnJoin", QStringLiteral("ゆう")}));
    peer->write("connected\x01"
                "endbattle\x01");
    ASSERT_TRUE(waitFor([&] { return c.ports.chat.size() == 3; }));
    EXPECT_EQ(c.ports.chat, (QStringList{QStringLiteral("接続を確立しました。"),
                                         QStringLiteral("ゆう さんが接続されました。(Ver.0.54)"),
                                         QStringLiteral("サーバーの受け入れが完了しました。")}));
    EXPECT_EQ(c.core->Members(), (QStringList{QStringLiteral("あきら"), QStringLiteral("ゆう")}));
    // endbattle without a battle shows nothing.
    EXPECT_FALSE(c.ports.chat.contains(QStringLiteral("バトル終了")));
    // The peer closing takes the close path.
    peer->disconnectFromHost();
    ASSERT_TRUE(waitFor([&] { return c.ports.chat.last() == QStringLiteral("切断されました。"); }));
    EXPECT_FALSE(c.core->IsConnection());
}

TEST(ServerRole, RefusesOtherVersionsAndTakenNames) {
    Session s;
    s.serve(QStringLiteral("あきら"));
    struct Case {
        QStringList connect;
        QString log;
        QByteArray reply; // what the refused client receives before the close
        bool accepted;
    };
    const QList<Case> cases = {
        {{"connect", "53", QStringLiteral("古い")},
         QStringLiteral(
             "古い さんからの接続要求がありましたが、バージョンが異なるため拒否しました。"),
         {},
         false},
        {{"connect", "53", "130", QStringLiteral("違う")},
         QStringLiteral(
             "違う さんからの接続要求がありましたが、バージョンが異なるため拒否しました。"),
         {},
         false},
        {{"connect", "53", "131", QStringLiteral("新しい")},
         QStringLiteral("新しい さんが接続されました。(Ver.0.53)"),
         {},
         true},
        {{"connect", "54", "131", QStringLiteral("あきら")},
         QStringLiteral(
             "あきら さんからの接続要求がありましたが、同じ名前の人が居るため拒否しました。"),
         request({"chat", QStringLiteral("サーバー上でその名前はすでに使われています。")}),
         false},
    };
    std::vector<std::unique_ptr<QTcpSocket>> members;
    for (const Case& c : cases) {
        auto raw = rawConnect(s);
        raw->write(request(c.connect));
        ASSERT_TRUE(waitFor([&] { return s.ports.chat.contains(c.log); })) << c.log.toStdString();
        if (c.accepted) {
            EXPECT_TRUE(s.core->Members().contains(c.connect.last()));
            members.push_back(std::move(raw));
            continue;
        }
        QByteArray got;
        ASSERT_TRUE(waitFor([&] {
            got += raw->readAll();
            return raw->state() == QAbstractSocket::UnconnectedState;
        })) << c.log.toStdString();
        got += raw->readAll();
        EXPECT_EQ(got, c.reply) << c.log.toStdString();
    }
    EXPECT_EQ(s.core->Members(), (QStringList{QStringLiteral("あきら"), QStringLiteral("新しい")}));
}

TEST(ServerRole, RelaysChatAndKeepsMemberListsWhenKicking) {
    Session s, a, b;
    s.serve(QStringLiteral("S"));
    a.join(s, QStringLiteral("A"));
    b.join(s, QStringLiteral("B"));
    a.core->ChatEnter(QStringLiteral("こんにちは"));
    const QString line = QStringLiteral("A > こんにちは");
    ASSERT_TRUE(waitFor([&] {
        return s.ports.chat.contains(line) && a.ports.chat.contains(line) &&
               b.ports.chat.contains(line);
    }));
    // A chat line whose request has a third field shows its second only.
    s.core->AnyRequest(QStringLiteral("-1"), QStringLiteral("chat<>三つ目<>turnstandby"));
    ASSERT_TRUE(waitFor([&] { return b.ports.chat.contains(QStringLiteral("三つ目")); }));

    // The server's own entry cannot be kicked; "no" keeps the member.
    s.core->Kick(QStringLiteral("S"));
    s.ports.script = {{QStringLiteral("B さんを追い出します。"), BoxResult::No}};
    s.core->Kick(QStringLiteral("B"));
    EXPECT_EQ(s.core->Members().size(), 3);
    s.core->Kick(QStringLiteral("B"));
    ASSERT_TRUE(waitFor([&] {
        return a.core->Members() == QStringList{"S", "A"} &&
               b.ports.chat.contains(QStringLiteral("切断されました。"));
    }));
    EXPECT_TRUE(a.ports.chat.contains(QStringLiteral("B さんを追い出しました。")));
    EXPECT_TRUE(a.ports.chat.contains(QStringLiteral("Bさんが切断されました。")));
    EXPECT_EQ(s.core->Members(), (QStringList{"S", "A"}));

    // The freed name may join again.
    Session b2;
    b2.join(s, QStringLiteral("B"));
    EXPECT_EQ(a.core->Members(), (QStringList{"S", "A", "B"}));
}

TEST(ServerRole, WarnsAboutUnknownKeywordsAndGoesOn) {
    Session s, a;
    s.serve(QStringLiteral("S"));
    a.join(s, QStringLiteral("A"));
    // "Chat" in another letter case is no keyword; the request after it still runs.
    a.core->AnyRequest(QStringLiteral("-1"), QStringLiteral("Chat<>x"));
    a.core->SendChat(QStringLiteral("after"), true);
    ASSERT_TRUE(waitFor([&] { return s.ports.chat.contains(QStringLiteral("after")); }));
    EXPECT_TRUE(s.ports.boxes.contains(QStringLiteral("不明なデータが送信されてきました。")));
    EXPECT_TRUE(s.ports.debug.contains(QStringLiteral("不明リクエスト:Chat") + QChar(0) +
                                       QStringLiteral("x")));
    // Too few fields: reported with its place, and the session goes on.
    a.core->AnyRequest(QStringLiteral("-1"), QStringLiteral("turnnum"));
    a.core->SendChat(QStringLiteral("still"), true);
    ASSERT_TRUE(waitFor([&] { return s.ports.chat.contains(QStringLiteral("still")); }));
    EXPECT_TRUE(std::any_of(s.ports.boxes.begin(), s.ports.boxes.end(), [](const QString& b) {
        return b.contains(QStringLiteral("・発生箇所：frmMain.wskServer_DataArrival:0"));
    }));
    // A client's battle offer is refused with nobattle, which the client does not know.
    a.core->AnyRequest(QStringLiteral("-1"), QStringLiteral("battle<>A<>0<>r<>0"));
    ASSERT_TRUE(
        waitFor([&] { return a.ports.debug.contains(QStringLiteral("不明リクエスト:nobattle")); }));
}

TEST(ClientRole, RefusedConnectionShowsItsBoxAndChatIsDroppedWhileClosed) {
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    const quint16 port = probe.serverPort();
    probe.close();
    Session c;
    c.core->StartClient(QStringLiteral("127.0.0.1"), QString::number(port), QStringLiteral("C"));
    ASSERT_TRUE(waitFor([&] { return !c.ports.boxes.isEmpty(); }));
    EXPECT_EQ(
        c.ports.boxes.first(),
        QStringLiteral("接続できませんでした。\r\n"
                       "接続先がサーバーを起動していないか、ネットワークに接続されていません。"));
    c.core->ChatEnter(QStringLiteral("nobody hears this"));
    EXPECT_TRUE(c.ports.chat.isEmpty());
    // Ports above the 16-bit signed range are ports all the same.
    EXPECT_TRUE(c.core->StartClient(QStringLiteral("127.0.0.1"), QStringLiteral("40000"),
                                    QStringLiteral("C")));
    EXPECT_FALSE(c.core->StartClient(QStringLiteral("127.0.0.1"), QStringLiteral("65536"),
                                     QStringLiteral("C")));
}

TEST(Events, EveryMemberLearnsOfAJoinAndSendsItsNotice) {
    QTcpServer serverSide, clientSide;
    ASSERT_TRUE(serverSide.listen(QHostAddress::AnyIPv4, 0));
    ASSERT_TRUE(clientSide.listen(QHostAddress::AnyIPv4, 0));
    ClientSettings on;
    on.SSTPLevel = 2;
    on.SSTPPort = serverSide.serverPort();
    Session s(on);
    s.serve(QStringLiteral("S"));
    on.SSTPPort = clientSide.serverPort();
    Session a(on);
    a.join(s, QStringLiteral("A"));
    // Drop the notices of A's own join.
    ASSERT_TRUE(waitFor(
        [&] { return serverSide.hasPendingConnections() && clientSide.hasPendingConnections(); }));
    while (serverSide.hasPendingConnections())
        delete serverSide.nextPendingConnection();
    while (clientSide.hasPendingConnections())
        delete clientSide.nextPendingConnection();

    ClientSettings level1;
    level1.SSTPLevel = 1;
    Session b(level1);
    b.join(s, QStringLiteral("B"));
    for (QTcpServer* l : {&serverSide, &clientSide}) {
        ASSERT_TRUE(waitFor([&] { return l->hasPendingConnections(); }));
        QTcpSocket* peer = l->nextPendingConnection();
        QByteArray got;
        ASSERT_TRUE(waitFor([&] {
            got += peer->readAll();
            return got.endsWith("\r\n\r\n");
        }));
        EXPECT_TRUE(got.contains("Event: OnLMNJoin\r\nReference0: B\r\n"));
        EXPECT_TRUE(got.contains(sj(QStringLiteral("Script: \\h\\s0Bさんが入室しました。"))));
    }
    EXPECT_TRUE(b.ports.debug.contains(QStringLiteral("Receive C> event") + QChar(0) +
                                       QStringLiteral("OnJoin") + QChar(0) + QStringLiteral("B")));
    // Level 1: no notice connection at all.
    EXPECT_FALSE(b.ports.debug.contains(QStringLiteral("SSTP Connect")));

    // A client's event goes to the server, which raises it for everyone.
    b.core->NotifyEvent(QStringLiteral("OnTurnStart"), QStringLiteral("1"));
    const QString relayed = QStringLiteral("Receive C> event") + QChar(0) +
                            QStringLiteral("OnTurnStart") + QChar(0) + QStringLiteral("1");
    ASSERT_TRUE(waitFor(
        [&] { return a.ports.debug.contains(relayed) && b.ports.debug.contains(relayed); }));
}

TEST(SstpCommand, EnablesOnlyWhileNotConnected) {
    Session c;
    int saved = 0;
    c.core->saveSettings = [&](const ClientSettings& s) {
        ++saved;
        EXPECT_EQ(s.SSTPLevel, 1);
    };
    c.core->ChatEnter(QStringLiteral("/sstpEnable"));
    EXPECT_EQ(c.core->Settings().SSTPLevel, 1);
    EXPECT_EQ(saved, 1);
    EXPECT_EQ(c.ports.chat, (QStringList{QStringLiteral("隠し機能「SSTP」を有効にしました。"),
                                         QStringLiteral("設定画面から使用設定ができます。")}));

    Session s, a;
    s.serve(QStringLiteral("S"));
    a.join(s, QStringLiteral("A"));
    a.core->ChatEnter(QStringLiteral("/sstpEnable"));
    ASSERT_TRUE(waitFor([&] { return s.ports.chat.contains(QStringLiteral("A > /sstpEnable")); }));
    EXPECT_EQ(a.core->Settings().SSTPLevel, 0);
}

TEST(Load, TwoHundredMembersJoinAndChatAtOnce) {
    Session s;
    s.serve(QStringLiteral("S"));
    constexpr int N = 200;
    std::vector<std::unique_ptr<QTcpSocket>> peers;
    std::vector<QByteArray> got(N);
    for (int i = 0; i < N; ++i) {
        peers.push_back(std::make_unique<QTcpSocket>());
        QTcpSocket* p = peers.back().get();
        QObject::connect(p, &QTcpSocket::connected, p, [p, i] {
            p->write(request({"connect", "54", "131", QStringLiteral("m%1").arg(i)}));
        });
        QObject::connect(p, &QTcpSocket::readyRead, p,
                         [p, &got, i] { got[size_t(i)] += p->readAll(); });
        p->connectToHost(QHostAddress::LocalHost, s.core->ServerPort());
    }
    ASSERT_TRUE(waitFor([&] { return s.core->Members().size() == N + 1; }, 30000));
    for (int i = 0; i < N; ++i)
        peers[size_t(i)]->write(request({"chat", QStringLiteral("m%1 > hi").arg(i)}));
    ASSERT_TRUE(waitFor(
        [&] {
            for (int i = 0; i < N; ++i)
                if (got[size_t(i)].count(" > hi\x01") < N)
                    return false;
            return true;
        },
        30000));
    const QByteArray lastList = request(QStringList{"member"} + s.core->Members());
    for (int i = 0; i < N; ++i) {
        for (int j = 0; j < N; ++j)
            ASSERT_TRUE(
                got[size_t(i)].contains(request({"chat", QStringLiteral("m%1 > hi").arg(j)})))
                << i << " " << j;
        // The newest member list each one received is the full one.
        EXPECT_EQ(got[size_t(i)].lastIndexOf(QByteArray("member\0", 7)),
                  got[size_t(i)].lastIndexOf(lastList))
            << i;
    }
    // The two start lines, then one join line and one chat line per member.
    EXPECT_EQ(s.ports.chat.count(), 2 + 2 * N);
}

TEST(ServerRole, AnnouncesTheAddressTheWebReports) {
    // A page server on loopback answering like the address page; a closed
    // port stands for a lookup that fails.
    QTcpServer page;
    ASSERT_TRUE(page.listen(QHostAddress::LocalHost, 0));
    QByteArray seenRequest;
    QObject::connect(&page, &QTcpServer::newConnection, [&] {
        QTcpSocket* s = page.nextPendingConnection();
        QObject::connect(s, &QTcpSocket::readyRead, [&seenRequest, s] {
            seenRequest += s->readAll();
            if (!seenRequest.contains("\r\n\r\n"))
                return;
            s->write("HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n198.51.100.1234567\r\n");
            s->disconnectFromHost();
        });
    });
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    const quint16 closedPort = closed.serverPort();
    closed.close();

    const struct {
        QString url;
        QString line;
    } cases[] = {
        {QStringLiteral("http://127.0.0.1:%1/ipaddr.php").arg(page.serverPort()),
         QStringLiteral("あなたのIPアドレスは[198.51.100.1234]です。")},
        {QStringLiteral("http://127.0.0.1:%1/ipaddr.php").arg(closedPort),
         QStringLiteral("あなたのIPアドレスは[<収得失敗>]です。")},
    };
    for (const auto& c : cases) {
        ClientSettings settings;
        settings.GetIPfromWeb = true;
        settings.GetIPURL = c.url;
        Session s(settings);
        s.serve(QStringLiteral("あきら"));
        EXPECT_TRUE(s.ports.chat.contains(c.line)) << c.url.toStdString();
    }
    EXPECT_TRUE(seenRequest.startsWith("GET /ipaddr.php ")) << seenRequest.constData();
    EXPECT_TRUE(seenRequest.contains("User-Agent: LuminariaOnline/0.54\r\n"))
        << seenRequest.constData();
}
