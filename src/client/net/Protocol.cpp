#include "client/net/Protocol.h"

#include "common/Cp932.h"

namespace lumi::wire {

QString joinFields(const QStringList& fields) {
    return fields.join(QChar(FieldSeparator));
}

QString joinBatch(const QStringList& requests) {
    return requests.join(QChar(Terminator));
}

QByteArray encodeForWrite(const QString& text) {
    QByteArray bytes = cp932::encode(text);
    bytes.append(Terminator);
    return bytes;
}

QStringList splitRequest(const QByteArray& request) {
    QStringList fields;
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = request.indexOf(FieldSeparator, from);
        if (at < 0) {
            fields.append(cp932::decode(QByteArrayView(request).sliced(from)));
            break;
        }
        fields.append(cp932::decode(QByteArrayView(request).sliced(from, at - from)));
        from = at + 1;
    }
    return fields;
}

QString decodeRequest(const QByteArray& request) {
    return joinFields(splitRequest(request));
}

int mirrorArea(int area) {
    if (area >= 0 && area <= 4)
        return area + 5;
    if (area >= 5 && area <= 9)
        return area - 5;
    return area;
}

std::optional<QString> RemakeSetRequest(const QString& request) {
    QStringList fields = request.split(QChar(FieldSeparator));
    if (fields.size() < 2)
        return std::nullopt;
    const std::optional<int> area = toNumber(fields[1]);
    if (!area)
        return std::nullopt;
    if (*area == 10) {
        if (fields.size() < 3)
            return std::nullopt;
        const std::optional<int> side = toNumber(fields[2]);
        if (!side)
            return std::nullopt;
        fields[2] = number(mirrorArea(*side));
    } else {
        fields[1] = number(mirrorArea(*area));
    }
    return joinFields(fields);
}

bool RequestFramer::append(const QByteArray& bytes) {
    if (pendingBytes() + bytes.size() > MaxPendingBytes)
        return false;
    if (start_ > 0 && start_ == buffer_.size()) {
        buffer_.clear();
        start_ = 0;
    }
    buffer_.append(bytes);
    return true;
}

std::optional<QByteArray> RequestFramer::next() {
    const qsizetype at = buffer_.indexOf(Terminator, start_);
    if (at < 0) {
        // Keep only the unfinished tail so the buffer does not creep.
        if (start_ > 0) {
            buffer_.remove(0, start_);
            start_ = 0;
        }
        return std::nullopt;
    }
    QByteArray request = buffer_.mid(start_, at - start_);
    start_ = at + 1;
    if (start_ == buffer_.size()) {
        buffer_.clear();
        start_ = 0;
    }
    return request;
}

void RequestFramer::clear() {
    buffer_.clear();
    start_ = 0;
}

QString number(int n) {
    return QString::number(n);
}

std::optional<int> toNumber(const QString& text) {
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    if (!ok)
        return std::nullopt;
    return n;
}

std::optional<quint16> parsePort(const QString& text) {
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    if (!ok || n < 1 || n > 65535)
        return std::nullopt;
    return static_cast<quint16>(n);
}

} // namespace lumi::wire
