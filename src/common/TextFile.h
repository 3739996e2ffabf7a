#pragma once
// Reading and writing whole files. Writes go to a temporary file that then
// replaces the target, so a crash or a full disk never leaves a half-written
// settings or deck file behind.

#include <QByteArray>
#include <QString>
#include <optional>

namespace lumi {

// The whole file, or nullopt when it cannot be opened or read.
std::optional<QByteArray> readWholeFile(const QString& path);

struct WriteResult {
    bool ok = false;
    QString error; // the system's reason when !ok
};

// Replaces `path` with `bytes` through a temporary file and a rename.
WriteResult writeWholeFile(const QString& path, const QByteArray& bytes);

} // namespace lumi
