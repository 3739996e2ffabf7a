#pragma once
// The sockets of both roles: the server's listening socket with its slots,
// and the client's one connection. They frame, write the debug lines of
// every send and receipt, and hand each whole request to the owner's
// dispatcher; what a request means is the owner's business.

#include "client/net/Protocol.h"
#include "common/Ports.h"

#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <functional>
#include <vector>

namespace lumi {

// A failure inside a handler that the receive loop reports and survives.
struct HandlerError {
    int number = 0;
    QString description;
};

// Field i of a request; a request with fewer fields than its handler reads
// is a HandlerError (the subscript error of the original runtime).
const QString& fieldAt(const QStringList& fields, int i);

// Winsock-style numbers for socket errors, which the error boxes show.
int socketErrorCode(QAbstractSocket::SocketError error);

// Reports an error that a handler or a write ran into: (number, description, place).
using ErrorReporter = std::function<void(int, const QString&, const QString&)>;

class WireServer : public QObject {
    Q_OBJECT
public:
    using Dispatcher = std::function<void(int slot, const QStringList& fields)>;

    WireServer(LogPort& log, ErrorReporter report, QObject* parent = nullptr);
    ~WireServer() override;

    void setDispatcher(Dispatcher d) { dispatch_ = std::move(d); }

    bool listen(quint16 port, QString* error = nullptr);
    bool isListening() const { return listener_.isListening(); }
    quint16 port() const { return listener_.serverPort(); }
    QHostAddress localAddress() const;
    // Closes the listening socket and every slot.
    void closeAll();

    // Slots exist from 0 to topSlot(); TopSlot starts at 0.
    int topSlot() const { return int(slots_.size()) - 1; }
    bool isSlotOpen(int slot) const;
    void closeSlot(int slot);
    QString remoteAddress(int slot) const;

    // Bytes that arrived on a slot, as its socket hands them over.
    void feed(int slot, const QByteArray& bytes);

    void ServerSend(const QString& text);
    void ExceptionSend(const QString& text, int slot);
    void PinpointSend(const QString& text, int slot);

Q_SIGNALS:
    void slotAccepted(int slot);
    void peerClosed(int slot);
    void slotError(int slot, int code, const QString& description);

private:
    struct Slot {
        QPointer<QTcpSocket> socket;
        wire::RequestFramer framer;
        bool receiving = false;
        quint64 generation = 0;
    };
    void onNewConnection();
    void onReadyRead(int slot, QTcpSocket* socket);
    void onDisconnected(int slot, QTcpSocket* socket);
    bool writeTo(int slot, const QByteArray& bytes, const QString& place);
    void dropSocket(QTcpSocket* socket);

    LogPort& log_;
    ErrorReporter report_;
    Dispatcher dispatch_;
    QTcpServer listener_;
    std::vector<Slot> slots_;
};

class WireClient : public QObject {
    Q_OBJECT
public:
    using Dispatcher = std::function<void(const QStringList& fields)>;

    WireClient(LogPort& log, ErrorReporter report, QObject* parent = nullptr);
    ~WireClient() override;

    void setDispatcher(Dispatcher d) { dispatch_ = std::move(d); }

    void connectTo(const QString& host, quint16 port);
    void close();
    // Neither closed nor in error.
    bool IsConnection() const;
    bool isConnected() const;
    QString peerAddress() const;

    // Bytes that arrived from the server, as the socket hands them over.
    void feed(const QByteArray& bytes);

    void ClientSend(const QString& text);

Q_SIGNALS:
    void connected();
    void peerClosed();
    void socketError(int code, const QString& description);

private:
    void onReadyRead();
    void attach();

    LogPort& log_;
    ErrorReporter report_;
    Dispatcher dispatch_;
    QPointer<QTcpSocket> socket_;
    wire::RequestFramer framer_;
    bool receiving_ = false;
    bool inError_ = false;
    quint64 generation_ = 0;
};

} // namespace lumi
