#include "client/net/Sstp.h"

#include "common/Cp932.h"
#include "common/Version.h"

namespace lumi {

QString BuildSSTPMessage(const QString& eventName, const QString& reference,
                         const SstpBattleView& v) {
    const QString s0 = QStringLiteral("Script: \\h\\s0");
    QStringList r;
    const QString me = v.MyName == v.OwnName ? QStringLiteral("1") : QStringLiteral("0");
    if (eventName == QLatin1String("OnJoin")) {
        r << QStringLiteral("Event: OnLMNJoin") << QStringLiteral("Reference0: ") + reference
          << s0 + reference + QStringLiteral("さんが入室しました。");
    } else if (eventName == QLatin1String("OnLeave")) {
        r << QStringLiteral("Event: OnLMNPart") << QStringLiteral("Reference0: ") + reference
          << s0 + reference + QStringLiteral("さんが退室しました。");
    } else if (eventName == QLatin1String("OnBattleStart")) {
        r << QStringLiteral("Event: OnLMNBattleStart") << QStringLiteral("Reference0: ") + v.OwnName
          << QStringLiteral("Reference1: ") + v.EnemyName << QStringLiteral("Reference2: ") + me
          << s0 + v.OwnName + QStringLiteral("さん vs ") + v.EnemyName +
                 QStringLiteral("さんのバトル開始です。");
    } else if (eventName == QLatin1String("OnBattleEnd")) {
        r << QStringLiteral("Event: OnLMNBattleEnd") << QStringLiteral("Reference0: ") + v.OwnName
          << QStringLiteral("Reference1: ") + v.EnemyName << QStringLiteral("Reference2: ") + me
          << s0 + QStringLiteral("バトル終了です。");
    } else if (eventName == QLatin1String("OnTurnStart")) {
        const bool refZero = reference == QLatin1String("0");
        const bool enemyTurn = (!refZero && v.ServerMode) || (refZero && !v.ServerMode);
        const QString turnName = enemyTurn ? v.EnemyName : v.OwnName;
        const QString otherName = enemyTurn ? v.OwnName : v.EnemyName;
        const int turnHP = enemyTurn ? v.EnemyHP : v.OwnHP;
        const int otherHP = enemyTurn ? v.OwnHP : v.EnemyHP;
        r << QStringLiteral("Event: OnLMNTurnStart") << QStringLiteral("Reference0: ") + turnName
          << QStringLiteral("Reference1: ") + otherName
          << QStringLiteral("Reference2: ") + QString::number(turnHP)
          << QStringLiteral("Reference3: ") + QString::number(otherHP)
          << QStringLiteral("Reference4: ") +
                 (v.MyName == turnName ? QStringLiteral("1") : QStringLiteral("0"))
          << s0 + turnName + QStringLiteral("さんのターンです。");
    } else {
        return {};
    }
    QStringList lines;
    lines << QStringLiteral("NOTIFY SSTP/1.1")
          << QStringLiteral("Sender: ルミナリアOnline ver.%1.%2")
                 .arg(VersionMajor)
                 .arg(VersionMinor, 2, 10, QLatin1Char('0'));
    lines << r << QStringLiteral("Charset: Shift_JIS") << QString();
    return lines.join(CrLf) + CrLf;
}

SstpNotifier::SstpNotifier(LogPort& log, QObject* parent) : QObject(parent), log_(log) {}

SstpNotifier::~SstpNotifier() {
    if (socket_) {
        socket_->disconnect();
        socket_->abort();
        delete socket_.data();
    }
}

void SstpNotifier::send(const QString& message, quint16 port) {
    SSTPMessage = message;
    if (socket_) {
        // Only the newest notice is delivered.
        QTcpSocket* old = socket_;
        socket_ = nullptr;
        old->disconnect();
        old->abort();
        old->deleteLater();
    }
    auto* socket = new QTcpSocket(this);
    socket_ = socket;
    connect(socket, &QTcpSocket::connected, this, [this, socket] {
        log_.DebugPut(QStringLiteral("SSTP Connected"));
        socket->write(cp932::encode(SSTPMessage));
    });
    connect(socket, &QTcpSocket::readyRead, this, [socket] {
        socket->readAll();
        socket->disconnectFromHost();
    });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
        log_.DebugPut(QStringLiteral("SSTP Close"));
        if (socket_ == socket)
            socket_ = nullptr;
        socket->deleteLater();
        Q_EMIT finished();
    });
    connect(socket, &QTcpSocket::errorOccurred, this,
            [this, socket](QAbstractSocket::SocketError e) {
                if (socket->state() == QAbstractSocket::UnconnectedState) {
                    // Nobody listening: the notice is lost, quietly.
                    if (socket_ == socket)
                        socket_ = nullptr;
                    socket->deleteLater();
                    Q_EMIT finished();
                } else if (e == QAbstractSocket::RemoteHostClosedError) {
                    socket->abort();
                }
            });
    log_.DebugPut(QStringLiteral("SSTP Connect"));
    // Qt tries each address "localhost" resolves to in turn, so a listener
    // on IPv4 only is reached even when ::1 comes first.
    socket->connectToHost(QStringLiteral("localhost"), port);
}

} // namespace lumi
