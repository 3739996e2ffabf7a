#pragma once
// Notices to a local desktop companion over SSTP: the message text for each
// event, and the notifier that delivers the newest one over a fresh
// connection to this computer.

#include "common/Ports.h"

#include <QObject>
#include <QPointer>
#include <QTcpSocket>

namespace lumi {

// What the notice tells about the battle: the local copy's two masters.
struct SstpBattleView {
    QString MyName;
    bool ServerMode = false;
    QString OwnName;
    QString EnemyName;
    int OwnHP = 0;
    int EnemyHP = 0;
};

// The whole "NOTIFY SSTP/1.1" message, every line ended by CR LF and an
// empty line last; empty for a name that is not one of the five events.
QString BuildSSTPMessage(const QString& eventName, const QString& reference,
                         const SstpBattleView& view);

class SstpNotifier : public QObject {
    Q_OBJECT
public:
    explicit SstpNotifier(LogPort& log, QObject* parent = nullptr);
    ~SstpNotifier() override;
    // Drops a notice still pending and starts a fresh connection to
    // "localhost" on the port, which writes `message` once connected.
    void send(const QString& message, quint16 port);

Q_SIGNALS:
    void finished();

private:
    LogPort& log_;
    QPointer<QTcpSocket> socket_;
    QString SSTPMessage;
};

} // namespace lumi
