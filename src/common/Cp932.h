#pragma once
// The one boundary between text inside the programs (QString) and the code
// page 932 bytes of every data file and of the wire.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace lumi::cp932 {

// Decodes code page 932 bytes. A byte sequence that is not valid code page
// 932 becomes U+FFFD (one per offending byte) and decoding goes on.
QString decode(QByteArrayView bytes);

// Encodes text as Windows' converter does with its default flags: the few
// characters that Windows folds onto code page 932 (WAVE DASH, MINUS SIGN,
// DOUBLE VERTICAL LINE, CENT, POUND, NOT and EM DASH) become their folded
// bytes, and every other character that code page 932 cannot hold becomes
// one "?".
QByteArray encode(QStringView text);

// True for a byte that starts a double-byte character.
constexpr bool isLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// The longest prefix of `bytes` no longer than `maxBytes` that does not end
// in the middle of a double-byte character.
QByteArrayView cutAtCharBoundary(QByteArrayView bytes, qsizetype maxBytes);

} // namespace lumi::cp932
