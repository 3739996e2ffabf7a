#include "client/net/Wire.h"

namespace lumi {

const QString& fieldAt(const QStringList& fields, int i) {
    if (i < 0 || i >= fields.size())
        throw HandlerError{9, QStringLiteral("インデックスが有効範囲にありません。")};
    return fields[i];
}

int socketErrorCode(QAbstractSocket::SocketError error) {
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return 10061;
    case QAbstractSocket::RemoteHostClosedError:
        return 10054;
    case QAbstractSocket::HostNotFoundError:
        return 11001;
    case QAbstractSocket::SocketAccessError:
        return 10013;
    case QAbstractSocket::SocketResourceError:
        return 10055;
    case QAbstractSocket::SocketTimeoutError:
        return 10060;
    case QAbstractSocket::NetworkError:
        return 10050;
    case QAbstractSocket::AddressInUseError:
        return 10048;
    case QAbstractSocket::SocketAddressNotAvailableError:
        return 10049;
    case QAbstractSocket::UnsupportedSocketOperationError:
        return 10045;
    default:
        return 10053;
    }
}

namespace {

// Addresses as users know them: an IPv4 peer on a dual-stack listener is
// shown in its IPv4 form.
QString addressText(const QHostAddress& a) {
    bool v4 = false;
    const quint32 ip4 = a.toIPv4Address(&v4);
    return v4 ? QHostAddress(ip4).toString() : a.toString();
}

bool isOpenState(const QTcpSocket* s) {
    return s && s->state() != QAbstractSocket::UnconnectedState;
}

// A socket we are done with: its pending writes still go out (a refusal
// sends its reason before closing), then it is deleted.
void retire(QTcpSocket* socket) {
    if (!socket)
        return;
    socket->disconnect();
    if (socket->state() == QAbstractSocket::UnconnectedState) {
        socket->deleteLater();
        return;
    }
    QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    QObject::connect(socket, &QTcpSocket::errorOccurred, socket, &QObject::deleteLater);
    socket->disconnectFromHost();
}

} // namespace

// ---------------------------------------------------------------- server

WireServer::WireServer(LogPort& log, ErrorReporter report, QObject* parent)
    : QObject(parent), log_(log), report_(std::move(report)) {
    slots_.resize(1);
    connect(&listener_, &QTcpServer::newConnection, this, &WireServer::onNewConnection);
}

WireServer::~WireServer() {
    for (Slot& s : slots_)
        if (s.socket) {
            s.socket->disconnect();
            s.socket->abort();
            delete s.socket.data();
        }
}

bool WireServer::listen(quint16 port, QString* error) {
    listener_.close();
    if (listener_.listen(QHostAddress::Any, port))
        return true;
    if (error)
        *error = listener_.errorString();
    return false;
}

QHostAddress WireServer::localAddress() const {
    return listener_.serverAddress();
}

void WireServer::closeAll() {
    listener_.close();
    for (int i = 0; i <= topSlot(); ++i)
        closeSlot(i);
}

bool WireServer::isSlotOpen(int slot) const {
    return slot >= 0 && slot <= topSlot() && isOpenState(slots_[slot].socket);
}

QString WireServer::remoteAddress(int slot) const {
    if (!isSlotOpen(slot))
        return {};
    return addressText(slots_[slot].socket->peerAddress());
}

void WireServer::dropSocket(QTcpSocket* socket) {
    retire(socket);
}

void WireServer::closeSlot(int slot) {
    if (slot < 0 || slot > topSlot())
        return;
    Slot& s = slots_[slot];
    QTcpSocket* socket = s.socket;
    s.socket = nullptr;
    s.framer.clear();
    // A loop still running on the old connection notices the new generation
    // and stops; the next connection in this slot starts its own.
    s.receiving = false;
    ++s.generation;
    dropSocket(socket);
}

void WireServer::onNewConnection() {
    while (QTcpSocket* socket = listener_.nextPendingConnection()) {
        log_.DebugPut(QStringLiteral("Connection Request from ") +
                      addressText(socket->peerAddress()));
        int slot = -1;
        for (int i = 0; i <= topSlot(); ++i)
            if (!isOpenState(slots_[i].socket)) {
                slot = i;
                break;
            }
        if (slot < 0) {
            // Slot numbers are 16-bit on the wire and in the debug lines.
            if (topSlot() >= 32767) {
                log_.DebugPut(QStringLiteral("Connection refused: no free slot"));
                socket->abort();
                socket->deleteLater();
                continue;
            }
            slots_.emplace_back();
            slot = topSlot();
        }
        closeSlot(slot);
        Slot& s = slots_[slot];
        s.socket = socket;
        socket->setParent(this);
        const quint64 gen = s.generation;
        connect(socket, &QTcpSocket::readyRead, this,
                [this, slot, socket] { onReadyRead(slot, socket); });
        connect(socket, &QTcpSocket::disconnected, this,
                [this, slot, socket] { onDisconnected(slot, socket); });
        connect(socket, &QTcpSocket::errorOccurred, this,
                [this, slot, socket, gen](QAbstractSocket::SocketError e) {
                    // The peer closing is reported by `disconnected`.
                    if (e == QAbstractSocket::RemoteHostClosedError)
                        return;
                    if (slot <= topSlot() && slots_[slot].socket == socket &&
                        slots_[slot].generation == gen)
                        Q_EMIT slotError(slot, socketErrorCode(e), socket->errorString());
                });
        Q_EMIT slotAccepted(slot);
        if (socket->bytesAvailable() > 0)
            onReadyRead(slot, socket);
    }
}

void WireServer::onDisconnected(int slot, QTcpSocket* socket) {
    if (slot > topSlot() || slots_[slot].socket != socket)
        return;
    // Whatever arrived with the close is still handled first.
    if (socket->bytesAvailable() > 0)
        onReadyRead(slot, socket);
    if (slot > topSlot() || slots_[slot].socket != socket)
        return;
    Q_EMIT peerClosed(slot);
}

void WireServer::onReadyRead(int slot, QTcpSocket* socket) {
    if (slot > topSlot() || slots_[slot].socket != socket)
        return;
    feed(slot, socket->readAll());
}

void WireServer::feed(int slot, const QByteArray& bytes) {
    if (slot < 0 || slot > topSlot())
        return;
    {
        Slot& s = slots_[slot];
        if (!s.framer.append(bytes)) {
            log_.DebugPut(
                QStringLiteral("Receive ") + QString::number(slot) +
                QStringLiteral("> buffer overflow without terminator; connection dropped"));
            closeSlot(slot);
            Q_EMIT peerClosed(slot);
            return;
        }
        // A loop already running on this slot (we are nested inside one of
        // its handlers) drains what was just appended.
        if (s.receiving)
            return;
        s.receiving = true;
    }
    const quint64 gen = slots_[slot].generation;
    for (;;) {
        if (slot > topSlot() || slots_[slot].generation != gen)
            return; // the slot was closed or reused while a handler ran
        std::optional<QByteArray> request = slots_[slot].framer.next();
        if (!request)
            break;
        const QStringList fields = wire::splitRequest(*request);
        log_.DebugPut(QStringLiteral("Receive ") + QString::number(slot) + QStringLiteral("> ") +
                      wire::joinFields(fields));
        if (request->isEmpty())
            continue;
        try {
            if (dispatch_)
                dispatch_(slot, fields);
        } catch (const HandlerError& e) {
            report_(e.number, e.description,
                    QStringLiteral("frmMain.wskServer_DataArrival:") + QString::number(slot));
        } catch (const std::exception& e) {
            report_(5, QString::fromLocal8Bit(e.what()),
                    QStringLiteral("frmMain.wskServer_DataArrival:") + QString::number(slot));
        }
    }
    if (slot <= topSlot() && slots_[slot].generation == gen)
        slots_[slot].receiving = false;
}

bool WireServer::writeTo(int slot, const QByteArray& bytes, const QString& place) {
    QTcpSocket* socket = slots_[slot].socket;
    if (socket->write(bytes) < 0) {
        report_(socketErrorCode(socket->error()), socket->errorString(), place);
        return false;
    }
    return true;
}

void WireServer::ServerSend(const QString& text) {
    log_.DebugPut(QStringLiteral("Send ALL>") + text);
    const QByteArray bytes = wire::encodeForWrite(text);
    for (int i = 0; i <= topSlot(); ++i)
        if (isSlotOpen(i))
            writeTo(i, bytes, QStringLiteral("frmMain.ServerSend"));
}

void WireServer::ExceptionSend(const QString& text, int slot) {
    log_.DebugPut(QStringLiteral("Send !") + QString::number(slot) + QStringLiteral(">") + text);
    const QByteArray bytes = wire::encodeForWrite(text);
    for (int i = 0; i <= topSlot(); ++i)
        if (i != slot && isSlotOpen(i))
            writeTo(i, bytes, QStringLiteral("frmMain.ExceptionSend"));
}

void WireServer::PinpointSend(const QString& text, int slot) {
    log_.DebugPut(QStringLiteral("Send ") + QString::number(slot) + QStringLiteral(">") + text);
    if (!isSlotOpen(slot)) {
        report_(10057, QStringLiteral("ソケットは接続されていません。"),
                QStringLiteral("frmMain.PinpointSend"));
        return;
    }
    writeTo(slot, wire::encodeForWrite(text), QStringLiteral("frmMain.PinpointSend"));
}

// ---------------------------------------------------------------- client

WireClient::WireClient(LogPort& log, ErrorReporter report, QObject* parent)
    : QObject(parent), log_(log), report_(std::move(report)) {}

WireClient::~WireClient() {
    if (socket_) {
        socket_->disconnect();
        socket_->abort();
        delete socket_.data();
    }
}

void WireClient::attach() {
    QTcpSocket* socket = socket_;
    connect(socket, &QTcpSocket::connected, this, [this, socket] {
        if (socket == socket_)
            Q_EMIT connected();
    });
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
        if (socket == socket_)
            onReadyRead();
    });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
        if (socket != socket_)
            return;
        if (socket->bytesAvailable() > 0)
            onReadyRead();
        if (socket == socket_)
            Q_EMIT peerClosed();
    });
    connect(socket, &QTcpSocket::errorOccurred, this,
            [this, socket](QAbstractSocket::SocketError e) {
                if (socket != socket_ || e == QAbstractSocket::RemoteHostClosedError)
                    return;
                inError_ = true;
                Q_EMIT socketError(socketErrorCode(e), socket->errorString());
            });
}

void WireClient::connectTo(const QString& host, quint16 port) {
    close();
    socket_ = new QTcpSocket(this);
    inError_ = false;
    attach();
    socket_->connectToHost(host, port);
}

void WireClient::close() {
    QTcpSocket* socket = socket_;
    socket_ = nullptr;
    framer_.clear();
    receiving_ = false;
    inError_ = false;
    ++generation_;
    retire(socket);
}

bool WireClient::IsConnection() const {
    return socket_ && !inError_ && socket_->state() != QAbstractSocket::UnconnectedState;
}

bool WireClient::isConnected() const {
    return socket_ && socket_->state() == QAbstractSocket::ConnectedState;
}

QString WireClient::peerAddress() const {
    return socket_ ? addressText(socket_->peerAddress()) : QString();
}

void WireClient::onReadyRead() {
    feed(socket_->readAll());
}

void WireClient::feed(const QByteArray& bytes) {
    if (!framer_.append(bytes)) {
        log_.DebugPut(
            QStringLiteral("Receive C> buffer overflow without terminator; connection dropped"));
        close();
        Q_EMIT peerClosed();
        return;
    }
    if (receiving_)
        return;
    receiving_ = true;
    const quint64 gen = generation_;
    while (gen == generation_) {
        std::optional<QByteArray> request = framer_.next();
        if (!request)
            break;
        const QStringList fields = wire::splitRequest(*request);
        log_.DebugPut(QStringLiteral("Receive C> ") + wire::joinFields(fields));
        if (request->isEmpty())
            continue;
        try {
            if (dispatch_)
                dispatch_(fields);
        } catch (const HandlerError& e) {
            report_(e.number, e.description, QStringLiteral("frmMain.wskClient_DataArrival"));
        } catch (const std::exception& e) {
            report_(5, QString::fromLocal8Bit(e.what()),
                    QStringLiteral("frmMain.wskClient_DataArrival"));
        }
    }
    if (gen == generation_)
        receiving_ = false;
}

void WireClient::ClientSend(const QString& text) {
    log_.DebugPut(QStringLiteral("Send C>") + text);
    if (!isConnected()) {
        report_(10057, QStringLiteral("ソケットは接続されていません。"),
                QStringLiteral("frmMain.ClientSend"));
        return;
    }
    if (socket_->write(wire::encodeForWrite(text)) < 0)
        report_(socketErrorCode(socket_->error()), socket_->errorString(),
                QStringLiteral("frmMain.ClientSend"));
}

} // namespace lumi
