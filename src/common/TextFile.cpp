#include "common/TextFile.h"

#include <QFile>
#include <QSaveFile>

namespace lumi {

std::optional<QByteArray> readWholeFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray data = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return std::nullopt;
    return data;
}

WriteResult writeWholeFile(const QString& path, const QByteArray& bytes) {
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return {false, f.errorString()};
    if (f.write(bytes) != bytes.size()) {
        QString why = f.errorString();
        f.cancelWriting();
        return {false, why};
    }
    if (!f.commit())
        return {false, f.errorString()};
    return {true, {}};
}

} // namespace lumi
