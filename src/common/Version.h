#pragma once
#include <QString>

namespace lumi {

// The programs' own version: 0.54.292, shown as "0.54.0292".
inline constexpr int VersionMajor = 0;
inline constexpr int VersionMinor = 54;
inline constexpr int VersionRevision = 292;

inline QString VersionText() {
    return QStringLiteral("%1.%2.%3")
        .arg(VersionMajor)
        .arg(VersionMinor, 2, 10, QLatin1Char('0'))
        .arg(VersionRevision, 4, 10, QLatin1Char('0'));
}

} // namespace lumi
