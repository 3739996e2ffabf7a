#include "common/Cp932.h"

#include <cerrno>
#include <iconv.h>
#include <cstring>

namespace lumi::cp932 {
namespace {

// iconv descriptors are not thread-safe but cheap to keep: one pair per
// thread, opened on first use.
struct Converter {
    iconv_t handle;
    explicit Converter(const char* to, const char* from) : handle(iconv_open(to, from)) {}
    ~Converter() {
        if (handle != reinterpret_cast<iconv_t>(-1))
            iconv_close(handle);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool ok() const { return handle != reinterpret_cast<iconv_t>(-1); }
    void reset() const { iconv(handle, nullptr, nullptr, nullptr, nullptr); }
};

const Converter& decoder() {
    thread_local Converter c("UTF-16LE", "CP932");
    return c;
}
const Converter& encoder() {
    thread_local Converter c("CP932", "UTF-16LE");
    return c;
}

char16_t foldForWindows(char16_t c) {
    switch (c) {
    case 0x301C: return 0xFF5E; // WAVE DASH -> FULLWIDTH TILDE (0x8160)
    case 0x2212: return 0xFF0D; // MINUS SIGN -> FULLWIDTH HYPHEN-MINUS (0x817C)
    case 0x2016: return 0x2225; // DOUBLE VERTICAL LINE -> PARALLEL TO (0x8161)
    case 0x00A2: return 0xFFE0; // CENT SIGN (0x8191)
    case 0x00A3: return 0xFFE1; // POUND SIGN (0x8192)
    case 0x00AC: return 0xFFE2; // NOT SIGN (0x81CA)
    case 0x2014: return 0x2015; // EM DASH -> HORIZONTAL BAR (0x815C)
    default: return c;
    }
}

} // namespace

QString decode(QByteArrayView bytes) {
    QString out;
    if (bytes.isEmpty())
        return out;
    // Pure ASCII is by far the common case in data files.
    bool ascii = true;
    for (char ch : bytes) {
        if (static_cast<unsigned char>(ch) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii)
        return QString::fromLatin1(bytes.data(), bytes.size());

    const Converter& cv = decoder();
    out.resize(bytes.size()); // never more UTF-16 units than input bytes
    if (!cv.ok()) {
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            auto b = static_cast<unsigned char>(bytes[i]);
            out[i] = b < 0x80 ? QChar(b) : QChar(QChar::ReplacementCharacter);
        }
        return out;
    }
    cv.reset();
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = static_cast<size_t>(bytes.size());
    char* dst = reinterpret_cast<char*>(out.data());
    size_t outLeft = static_cast<size_t>(out.size()) * 2;
    while (inLeft > 0) {
        size_t r = iconv(cv.handle, &in, &inLeft, &dst, &outLeft);
        if (r != static_cast<size_t>(-1))
            break;
        if (errno == EILSEQ || errno == EINVAL) {
            // Skip one byte: a broken lead byte must not swallow the ASCII
            // character after it.
            if (outLeft < 2)
                break;
            char16_t rep = 0xFFFD;
            std::memcpy(dst, &rep, 2);
            dst += 2;
            outLeft -= 2;
            ++in;
            --inLeft;
            cv.reset();
        } else {
            break; // E2BIG cannot happen with the size chosen above
        }
    }
    out.resize((dst - reinterpret_cast<char*>(out.data())) / 2);
    return out;
}

QByteArray encode(QStringView text) {
    QByteArray out;
    if (text.isEmpty())
        return out;
    bool ascii = true;
    for (QChar ch : text) {
        if (ch.unicode() >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii) {
        out.resize(text.size());
        for (qsizetype i = 0; i < text.size(); ++i)
            out[i] = static_cast<char>(text[i].unicode());
        return out;
    }

    const Converter& cv = encoder();
    out.reserve(text.size() * 2);
    char buf[4];
    for (qsizetype i = 0; i < text.size(); ++i) {
        char16_t c = text[i].unicode();
        if (c < 0x80) {
            out.append(static_cast<char>(c));
            continue;
        }
        if (QChar::isHighSurrogate(c)) {
            // No character outside the Basic Multilingual Plane exists in
            // code page 932: the pair becomes a single "?".
            if (i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode()))
                ++i;
            out.append('?');
            continue;
        }
        c = foldForWindows(c);
        bool done = false;
        if (cv.ok()) {
            cv.reset();
            char* in = reinterpret_cast<char*>(&c);
            size_t inLeft = 2;
            char* dst = buf;
            size_t outLeft = sizeof buf;
            if (iconv(cv.handle, &in, &inLeft, &dst, &outLeft) != static_cast<size_t>(-1)) {
                out.append(buf, dst - buf);
                done = true;
            }
        }
        if (!done)
            out.append('?');
    }
    return out;
}

QByteArrayView cutAtCharBoundary(QByteArrayView bytes, qsizetype maxBytes) {
    if (bytes.size() <= maxBytes)
        return bytes;
    qsizetype i = 0;
    while (i < maxBytes) {
        auto b = static_cast<unsigned char>(bytes[i]);
        qsizetype width = isLeadByte(b) ? 2 : 1;
        if (i + width > maxBytes)
            break;
        i += width;
    }
    return bytes.first(i);
}

} // namespace lumi::cp932
