// Three lumiplay console programs on loopback, driven through stdin: a server,
// its opponent and a viewer play a battle, and after each operation the
// tables the three print are alike.
#include "CoreHarness.h"

#include <QMap>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>

using namespace lumi;
using namespace lumi::test;

namespace {

class ConsoleProc {
public:
    QStringList out, err;

    explicit ConsoleProc(const QStringList& args) {
        QObject::connect(&p_, &QProcess::readyReadStandardOutput,
                         [this] { take(p_.readAllStandardOutput(), outTail_, out); });
        QObject::connect(&p_, &QProcess::readyReadStandardError,
                         [this] { take(p_.readAllStandardError(), errTail_, err); });
        p_.start(QStringLiteral(LUMI_BIN_DIR "/lumiplay"),
                 QStringList{"--console", "--root", SampleRoot()} + args);
        EXPECT_TRUE(p_.waitForStarted(10000));
    }
    ~ConsoleProc() {
        if (p_.state() != QProcess::NotRunning) {
            p_.kill();
            p_.waitForFinished(5000);
        }
    }
    void send(const QString& line) { p_.write(line.toUtf8() + '\n'); }
    bool waitOut(const QString& line, int ms = 15000) {
        return waitFor([&] { return out.contains(line); }, ms);
    }
    // Asks for the table and returns it once printed, keyed "own ..." / "enemy ...".
    QMap<QString, QString> table() {
        const qsizetype from = err.size();
        send(QStringLiteral("/state"));
        QMap<QString, QString> t;
        waitFor(
            [&] {
                return err.mid(from).count() >= 1 + 2 * 8 &&
                       err.mid(from).filter("state: ").size() >= 17;
            },
            10000);
        for (const QString& l : err.mid(from)) {
            if (!l.startsWith(QStringLiteral("state: ")))
                continue;
            const QString body = l.mid(7);
            if (body.startsWith(QStringLiteral("turn="))) {
                t[QStringLiteral("turn")] = body.section(u' ', 0, 0);
                continue;
            }
            const QString side = body.section(u' ', 0, 0);
            QString key = body.section(u' ', 1, 1);
            if (key.contains(u'='))
                key = key.section(u'=', 0, 0);
            t[side + u' ' + key] = body.section(u' ', 1);
        }
        return t;
    }
    int finish() {
        p_.closeWriteChannel();
        EXPECT_TRUE(p_.waitForFinished(15000));
        take(p_.readAllStandardError(), errTail_, err);
        take(p_.readAllStandardOutput(), outTail_, out);
        return p_.exitStatus() == QProcess::NormalExit ? p_.exitCode() : -1;
    }

private:
    static void take(const QByteArray& bytes, QByteArray& tail, QStringList& lines) {
        tail += bytes;
        qsizetype at;
        while ((at = tail.indexOf('\n')) >= 0) {
            lines << QString::fromUtf8(tail.left(at));
            tail.remove(0, at + 1);
        }
    }
    QProcess p_;
    QByteArray outTail_, errTail_;
};

QMap<QString, QString> mirror(const QMap<QString, QString>& t) {
    QMap<QString, QString> m;
    for (auto it = t.begin(); it != t.end(); ++it) {
        QString k = it.key();
        if (k.startsWith(QStringLiteral("own ")))
            k = QStringLiteral("enemy ") + k.mid(4);
        else if (k.startsWith(QStringLiteral("enemy ")))
            k = QStringLiteral("own ") + k.mid(6);
        m[k] = it.value();
    }
    return m;
}

// The master status is not carried by `set`, so it is left out of the comparison.
QMap<QString, QString> comparable(QMap<QString, QString> t) {
    for (const char* side : {"own", "enemy"}) {
        QString& name = t[QLatin1String(side) + QStringLiteral(" name")];
        name = name.section(QStringLiteral(" status="), 0, 0);
    }
    return t;
}

quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::Any, 0);
    return probe.serverPort();
}

int monsterIndex(const QString& handField) {
    const QStringList hand = handField.section(u'=', 1).split(u'/');
    for (int i = 0; i < hand.size(); ++i)
        if (const CardData* c = SampleCards().find(hand[i]))
            if (c->CardType == KindF || c->CardType == KindB)
                return i;
    return -1;
}

} // namespace

TEST(ConsolePrograms, PlayABattleWithAViewerAndAgreeOnEveryTable) {
    const QString port = QString::number(freePort());
    ConsoleProc s({"--name", "S", "--serve", port, "--answer", "yes"});
    ASSERT_TRUE(s.waitOut(QStringLiteral("サーバーを起動しました。")));
    EXPECT_EQ(s.out.first(),
              QStringLiteral("Luminaria Online Version0.54.0292(Public Beta Edition)"));
    ConsoleProc o({"--name", "O", "--connect", "127.0.0.1:" + port, "--deck", "kirinami_sr.ini",
                   "--hand", "2", "--answer", "yes"});
    ASSERT_TRUE(o.waitOut(QStringLiteral("サーバーの受け入れが完了しました。")));
    ConsoleProc v({"--name", "V", "--connect", "127.0.0.1:" + port, "--answer", "yes"});
    ASSERT_TRUE(v.waitOut(QStringLiteral("サーバーの受け入れが完了しました。")));
    EXPECT_EQ(o.out.mid(0, 4),
              (QStringList{QStringLiteral("Luminaria Online Version0.54.0292(Public Beta Edition)"),
                           QStringLiteral("接続を確立しました。"),
                           QStringLiteral("O さんが接続されました。(Ver.0.54)"),
                           QStringLiteral("サーバーの受け入れが完了しました。")}));

    v.send(QStringLiteral("ごきげんよう"));
    ASSERT_TRUE(o.waitOut(QStringLiteral("V > ごきげんよう")));

    s.send(QStringLiteral("/battle O OFFICIAL_SR kirinami_sr.ini 1"));
    ASSERT_TRUE(v.waitOut(QStringLiteral("S のターン開始処理、完了。")));
    EXPECT_TRUE(
        o.err.contains(QStringLiteral("box: Sさんからバトルの申し込みを受けました。受けますか？")));
    EXPECT_TRUE(o.err.contains(QStringLiteral("check: 異常ありません")));
    EXPECT_TRUE(s.err.contains(QStringLiteral("check: 異常ありません")));

    auto agree = [&](const char* what) {
        QMap<QString, QString> ts, to, tv;
        const bool ok = waitFor(
            [&] {
                ts = comparable(s.table());
                to = comparable(o.table());
                tv = comparable(v.table());
                return ts == mirror(to) && to == tv;
            },
            20000);
        EXPECT_TRUE(ok) << what;
        return ts;
    };
    QMap<QString, QString> t = agree("start");
    EXPECT_EQ(t[QStringLiteral("turn")], QStringLiteral("turn=1"));

    s.send(QStringLiteral("/draw"));
    ASSERT_TRUE(v.waitOut(QStringLiteral("S がカードを1枚ドローしました。")));
    agree("draw");
    s.send(QStringLiteral("/stone +2"));
    ASSERT_TRUE(o.waitOut(QStringLiteral("S が2ストーンを増やしました。")));
    t = agree("stone");
    const int monster = monsterIndex(t[QStringLiteral("own hand")]);
    ASSERT_GE(monster, 0);
    s.send(QStringLiteral("/place %1 1").arg(monster));
    ASSERT_TRUE(v.waitOut(QStringLiteral("S がカードをセットしました")));
    agree("place");
    s.send(QStringLiteral("/discard 0"));
    ASSERT_TRUE(v.waitOut(QStringLiteral("S がカードを1枚捨てました。")));
    agree("discard");
    s.send(QStringLiteral("/special shuffle own"));
    ASSERT_TRUE(
        v.waitOut(QStringLiteral("S がマジックの効果により自分のデッキをシャッフルしました。")));
    agree("special shuffle");
    s.send(QStringLiteral("/turnend"));
    ASSERT_TRUE(v.waitOut(QStringLiteral("O のターン開始処理、完了。")));
    t = agree("turn end");

    const int oMonster = monsterIndex(mirror(t)[QStringLiteral("own hand")]);
    ASSERT_GE(oMonster, 0);
    o.send(QStringLiteral("/place %1 2").arg(oMonster));
    ASSERT_TRUE(s.waitOut(QStringLiteral("O がカードをセットしました")));
    agree("client place");
    o.send(QStringLiteral("/rotate left"));
    ASSERT_TRUE(v.waitOut(QStringLiteral("O が左方向ローテーションを実行しました")));
    agree("client rotate");
    o.send(QStringLiteral("/special reorder own 4 3 2 1 0"));
    ASSERT_TRUE(v.waitOut(QStringLiteral("O が自分のデッキのならべかえを行いました。")));
    agree("client reorder");
    o.send(QStringLiteral("/turnend"));
    ASSERT_TRUE(v.waitOut(QStringLiteral("Sの2ターン開始")));
    t = agree("client turn end");
    EXPECT_EQ(t[QStringLiteral("turn")], QStringLiteral("turn=2"));

    s.send(QStringLiteral("/endbattle"));
    ASSERT_TRUE(v.waitOut(QStringLiteral("バトル終了")));
    ASSERT_TRUE(o.waitOut(QStringLiteral("バトル終了")));

    // A program without --deck declines in the accepting dialog.
    s.send(QStringLiteral("/battle V OFFICIAL_SR kirinami_sr.ini 0"));
    ASSERT_TRUE(s.waitOut(QStringLiteral("Vさんへの対戦要求は却下されました。")));
    EXPECT_TRUE(
        v.err.contains(QStringLiteral("box: Sさんからバトルの申し込みを受けました。受けますか？")));

    EXPECT_EQ(o.finish(), 0);
    EXPECT_EQ(v.finish(), 0);
    ASSERT_TRUE(s.waitOut(QStringLiteral("Vさんが切断されました。")));
    EXPECT_EQ(s.finish(), 0);
}

TEST(ConsolePrograms, RefusesBadArgumentsAndMissingDatabases) {
    QProcess p;
    p.start(QStringLiteral(LUMI_BIN_DIR "/lumiplay"), {});
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(p.exitCode(), 2);
    p.start(QStringLiteral(LUMI_BIN_DIR "/lumiplay"),
            {"--console", "--name", "x", "--serve", "70000"});
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(p.exitCode(), 2);

    QTemporaryDir empty;
    p.start(QStringLiteral(LUMI_BIN_DIR "/lumiplay"),
            {"--console", "--root", empty.path(), "--name", "x", "--serve",
             QString::number(freePort())});
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(p.exitCode(), 1);
    const QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_TRUE(err.startsWith(QStringLiteral("box: "))) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("\nanswer: OK\n"))) << err.toStdString();
    EXPECT_TRUE(p.readAllStandardOutput().isEmpty());
}

TEST(ConsolePrograms, DebugLinesAreTheDebugWindowsLines) {
    const QString port = QString::number(freePort());
    ConsoleProc s({"--name", "S", "--serve", port, "--debug"});
    ASSERT_TRUE(s.waitOut(QStringLiteral("サーバーを起動しました。")));
    // The debug window introduces itself once it is loaded.
    const QStringList intro{QStringLiteral("debug: Luminaria Online ver.0.54.0292"),
                            QStringLiteral("debug: Public Beta Edition"),
                            QStringLiteral("debug: "),
                            QStringLiteral("debug: Zenith ver.1.10"),
                            QStringLiteral("debug: Falcon ver.1.13"),
                            QStringLiteral("debug: Walrus ver.1.13"),
                            QStringLiteral("debug: ")};
    ASSERT_GE(s.err.size(), intro.size());
    EXPECT_EQ(s.err.mid(0, intro.size()), intro);

    QTcpSocket raw;
    raw.connectToHost(QHostAddress::LocalHost, port.toUShort());
    ASSERT_TRUE(waitFor([&] { return raw.state() == QAbstractSocket::ConnectedState; }));
    raw.write(QByteArray("connect\x00"
                         "54\x00"
                         "131\x00"
                         "B\x01",
                         17));
    ASSERT_TRUE(s.waitOut(QStringLiteral("B さんが接続されました。(Ver.0.54)")));
    // Separators show as marks; a batch's terminators stay inside its one line.
    const QString mark = QStringLiteral("◆");
    EXPECT_TRUE(waitFor([&] {
        return s.err.contains(QStringLiteral("debug: Receive 0> connect") + mark + "54" + mark +
                              "131" + mark + "B") &&
               s.err.contains(QStringLiteral("debug: Send ALL>member") + mark + "S" + mark + "B") &&
               s.err.contains(QStringLiteral("debug: Send 0>connected\x01"
                                             "endbattle"));
    })) << s.err.join(u'\n').toStdString();
    for (const QString& l : s.err)
        EXPECT_FALSE(l.contains(QChar(0))) << l.toStdString();
    raw.disconnectFromHost();
    ASSERT_TRUE(s.waitOut(QStringLiteral("Bさんが切断されました。")));
    EXPECT_EQ(s.finish(), 0);
}

TEST(ConsolePrograms, ARefusedConnectionIsReportedEvenWhenTheInputEndsAtOnce) {
    QProcess p;
    p.start(QStringLiteral(LUMI_BIN_DIR "/lumiplay"),
            {"--console", "--root", SampleRoot(), "--name", "Z", "--connect",
             "127.0.0.1:" + QString::number(freePort())});
    ASSERT_TRUE(p.waitForStarted(10000));
    p.closeWriteChannel();
    ASSERT_TRUE(p.waitForFinished(15000));
    EXPECT_EQ(p.exitCode(), 0);
    const QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_TRUE(err.contains(
        QStringLiteral("box: 接続できませんでした。\\n"
                       "接続先がサーバーを起動していないか、ネットワークに接続されていません。\n"
                       "answer: No\n")))
        << err.toStdString();
}

TEST(ConsolePrograms, LinesGivenBeforeTheConnectionIsMadeWaitForIt) {
    const QString port = QString::number(freePort());
    ConsoleProc s({"--name", "S", "--serve", port});
    ASSERT_TRUE(s.waitOut(QStringLiteral("サーバーを起動しました。")));
    QProcess c;
    c.start(QStringLiteral(LUMI_BIN_DIR "/lumiplay"),
            {"--console", "--root", SampleRoot(), "--name", "B", "--connect", "127.0.0.1:" + port});
    ASSERT_TRUE(c.waitForStarted(10000));
    c.write("hello\n");
    c.closeWriteChannel();
    ASSERT_TRUE(s.waitOut(QStringLiteral("B > hello")));
    ASSERT_TRUE(c.waitForFinished(15000));
    EXPECT_EQ(c.exitCode(), 0);
    EXPECT_FALSE(QString::fromUtf8(c.readAllStandardError()).contains(QStringLiteral("box: ")));
}
