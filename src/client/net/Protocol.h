#pragma once
// The battle wire: requests are text fields joined by NUL and ended by SOH,
// carried in code page 932. Both roles build and cut requests only through
// this header, so the keywords and numbers exist once.

#include "common/Version.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace lumi::wire {

inline constexpr int ProgramVersion = VersionMajor * 100 + VersionMinor; // 54
inline constexpr int ProtocolNumber = 131;
inline constexpr quint16 DefaultPort = 4865;
inline constexpr quint16 DefaultSSTPPort = 9801;

inline constexpr char FieldSeparator = '\0';
inline constexpr char Terminator = '\x01';

// A connection that sends this much without a terminator is not speaking our
// protocol; a whole battle's requests stay far below it.
inline constexpr qsizetype MaxPendingBytes = 1024 * 1024;

namespace kw {
inline const QString Connect = QStringLiteral("connect");
inline const QString Connected = QStringLiteral("connected");
inline const QString Member = QStringLiteral("member");
inline const QString Chat = QStringLiteral("chat");
inline const QString Battle = QStringLiteral("battle");
inline const QString OkBattle = QStringLiteral("okbattle");
inline const QString NoBattle = QStringLiteral("nobattle");
inline const QString Deck = QStringLiteral("deck");
inline const QString Set = QStringLiteral("set");
inline const QString TurnNum = QStringLiteral("turnnum");
inline const QString StartBattle = QStringLiteral("startbattle");
inline const QString ViewBattle = QStringLiteral("viewbattle");
inline const QString EndTurn = QStringLiteral("endturn");
inline const QString TurnStandby = QStringLiteral("turnstandby");
inline const QString EndBattle = QStringLiteral("endbattle");
inline const QString VwHand = QStringLiteral("vwhand");
inline const QString Event = QStringLiteral("event");
} // namespace kw

// Fields joined with NUL (no terminator).
QString joinFields(const QStringList& fields);
// Several complete requests for one write: joined with SOH; the write adds
// the final SOH.
QString joinBatch(const QStringList& requests);

// The bytes of one write: the text in code page 932 followed by one SOH.
QByteArray encodeForWrite(const QString& text);

// One received request (without its SOH) cut into fields. The bytes are
// split on NUL before decoding, so a field never loses a trail byte.
QStringList splitRequest(const QByteArray& request);
// The request as one text for debug lines (NUL kept).
QString decodeRequest(const QByteArray& request);

// The mirrored form of a `set` request as the server relays it: areas 0-4
// and 5-9 trade places, and for a named value (area 10) the side does.
// nullopt when the request has no area field (or no side for area 10).
std::optional<QString> RemakeSetRequest(const QString& request);
int mirrorArea(int area);

// Cuts a byte stream into requests. It holds what has arrived but is not yet
// a whole request, and refuses to hold more than MaxPendingBytes.
class RequestFramer {
public:
    // False when the pending bytes would pass the cap; the buffer is then
    // left as it was and the connection should be dropped.
    bool append(const QByteArray& bytes);
    // The next whole request without its SOH (possibly empty for two SOH in
    // a row); nullopt when no SOH is pending.
    std::optional<QByteArray> next();
    bool empty() const { return buffer_.size() == start_; }
    void clear();
    qsizetype pendingBytes() const { return buffer_.size() - start_; }

private:
    QByteArray buffer_;
    qsizetype start_ = 0;
};

// A 16-bit signed number as the wire writes it.
QString number(int n);
// The decimal text read as a number, as the receiving side does: leading and
// trailing spaces are ignored; nullopt when it is no number.
std::optional<int> toNumber(const QString& text);

// A TCP port as typed by the user: 1 to 65535.
std::optional<quint16> parsePort(const QString& text);

} // namespace lumi::wire
