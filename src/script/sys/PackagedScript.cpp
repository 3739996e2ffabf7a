#include "script/sys/PackagedScript.h"

#include "common/Cp932.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <limits>

namespace lumi::packaged {
namespace {

const QByteArray FileMarker = QByteArrayLiteral("//FILE:");
const QByteArray HeaderEnd = QByteArrayLiteral("/\\");
const QByteArray EndMarker = QByteArrayLiteral("/END/");
const QByteArray InfoMarker = QByteArrayLiteral("INFO:");

// Little helpers that read fixed-width numbers and refuse to read past the
// end, so a truncated or hostile file only ever yields "no image".
struct Reader {
    QByteArrayView bytes;
    bool bigEndian = false;

    bool has(qint64 offset, qint64 width) const {
        return offset >= 0 && width >= 0 && offset <= bytes.size() &&
               width <= bytes.size() - offset;
    }
    quint64 read(qint64 offset, int width, bool& ok) const {
        if (!has(offset, width)) {
            ok = false;
            return 0;
        }
        quint64 v = 0;
        for (int i = 0; i < width; ++i) {
            const quint64 b = quint8(bytes[offset + (bigEndian ? i : width - 1 - i)]);
            v = (v << 8) | b;
        }
        return v;
    }
};

qint64 PeImageEnd(QByteArrayView image) {
    Reader r{image, false};
    bool ok = true;
    if (r.read(0, 2, ok) != 23117 || !ok) // "MZ"
        return 0;
    const qint64 h = qint64(r.read(60, 2, ok));
    if (!ok || r.read(h, 2, ok) != 17744 || !ok) // "PE"
        return 0;
    const qint64 n = qint64(r.read(h + 6, 2, ok));
    if (!ok)
        return 0;
    // The last entry of the section table, for the 224-byte optional
    // header of 32-bit images: its raw-data size and raw-data offset.
    const quint64 rawSize = r.read(h + 224 + 40 * n, 4, ok);
    const quint64 rawOffset = r.read(h + 228 + 40 * n, 4, ok);
    if (!ok)
        return 0;
    return qint64(rawSize + rawOffset);
}

qint64 ElfImageEnd(QByteArrayView image) {
    if (image.size() < 16 || image[0] != '\x7f' || image[1] != 'E' || image[2] != 'L' ||
        image[3] != 'F')
        return 0;
    const int cls = image[4];
    const int data = image[5];
    if ((cls != 1 && cls != 2) || (data != 1 && data != 2))
        return 0;
    Reader r{image, data == 2};
    const bool is64 = cls == 2;
    const int word = is64 ? 8 : 4;
    bool ok = true;
    const quint64 shoff = r.read(is64 ? 0x28 : 0x20, word, ok);
    const quint64 shentsize = r.read(is64 ? 0x3A : 0x2E, 2, ok);
    quint64 shnum = r.read(is64 ? 0x3C : 0x30, 2, ok);
    if (!ok)
        return 0;
    const quint64 limit = quint64(std::numeric_limits<qint64>::max() / 4);
    auto sum = [&](quint64 a, quint64 b) -> quint64 { return a > limit || b > limit ? 0 : a + b; };

    quint64 end = 0;
    if (shoff != 0 && shentsize != 0) {
        if (shnum == 0) // more sections than the header field holds
            shnum = r.read(qint64(shoff) + (is64 ? 0x20 : 0x14), word, ok);
        if (!ok || shnum > 65536 * 16)
            return 0;
        const quint64 tableEnd = sum(shoff, shnum * shentsize);
        if (tableEnd == 0)
            return 0;
        end = tableEnd;
        for (quint64 i = 0; i < shnum; ++i) {
            const qint64 at = qint64(shoff + i * shentsize);
            const quint64 type = r.read(at + 4, 4, ok);
            const quint64 offset = r.read(at + (is64 ? 0x18 : 0x10), word, ok);
            const quint64 size = r.read(at + (is64 ? 0x20 : 0x14), word, ok);
            if (!ok)
                return 0;
            if (type == 8) // SHT_NOBITS: takes no room in the file
                continue;
            end = std::max(end, sum(offset, size));
        }
        return qint64(end);
    }
    // No section table (a fully stripped image): the loadable segments.
    const quint64 phoff = r.read(is64 ? 0x20 : 0x1C, word, ok);
    const quint64 phentsize = r.read(is64 ? 0x36 : 0x2A, 2, ok);
    const quint64 phnum = r.read(is64 ? 0x38 : 0x2C, 2, ok);
    if (!ok || phoff == 0 || phentsize == 0)
        return 0;
    end = sum(phoff, phnum * phentsize);
    for (quint64 i = 0; i < phnum; ++i) {
        const qint64 at = qint64(phoff + i * phentsize);
        const quint64 offset = r.read(at + (is64 ? 0x08 : 0x04), word, ok);
        const quint64 size = r.read(at + (is64 ? 0x20 : 0x10), word, ok);
        if (!ok)
            return 0;
        end = std::max(end, sum(offset, size));
    }
    return qint64(end);
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The leading decimal number of a text, as the length field is read.
qint64 LeadingNumber(QByteArrayView text) {
    qsizetype i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    qint64 v = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        v = v * 10 + (text[i] - '0');
        if (v > (qint64(1) << 40))
            break;
        ++i;
    }
    return v;
}

QByteArray EncodeBytes(QByteArrayView bytes) {
    static const char digits[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(bytes.size() * 2);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = quint8(bytes[i]);
        out.append(digits[b >> 4]);
        out.append(digits[b & 15]);
        if (cp932::isLeadByte(b) && i + 1 < bytes.size()) {
            const auto t = quint8(bytes[++i]);
            out.append(digits[t >> 4]);
            out.append(digits[t & 15]);
        }
    }
    std::reverse(out.begin(), out.end());
    return out;
}

// The part of a stored name after its last folder separator; names that
// would leave the target folder are refused.
QString BareName(const QString& stored) {
    QString name = stored.mid(stored.lastIndexOf(QLatin1Char('\\')) + 1);
    name = name.mid(name.lastIndexOf(QLatin1Char('/')) + 1);
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return {};
    return name;
}

} // namespace

qint64 ImageEnd(QByteArrayView image) {
    if (image.size() >= 2 && image[0] == 'M' && image[1] == 'Z')
        return PeImageEnd(image);
    return ElfImageEnd(image);
}

QString DecodeScriptRecord(QByteArrayView digits) {
    QByteArray forward(digits.data(), digits.size());
    std::reverse(forward.begin(), forward.end());
    QByteArray bytes;
    bytes.reserve(forward.size() / 2);
    qsizetype i = 0;
    while (i < forward.size()) {
        const int first = HexValue(forward[i]);
        if (first < 0)
            break;
        // A lead byte of a double-byte character starts with 8, 9, E or F.
        // Only 8 and 9 were once recognised, which garbled every character
        // whose lead byte is E0 or above; four digits are taken for those too.
        const int width = (first == 8 || first == 9 || first >= 14) ? 4 : 2;
        if (i + width > forward.size())
            break;
        int v[4] = {0, 0, 0, 0};
        bool good = true;
        for (int k = 0; k < width; ++k) {
            v[k] = HexValue(forward[i + k]);
            good = good && v[k] >= 0;
        }
        if (!good)
            break;
        bytes.append(char(v[0] * 16 + v[1]));
        if (width == 4)
            bytes.append(char(v[2] * 16 + v[3]));
        i += width;
    }
    bytes.replace('\x04', QByteArrayLiteral("\r\n"));
    return cp932::decode(bytes);
}

QByteArray EncodeScriptRecord(const QString& script) {
    QByteArray bytes = cp932::encode(script);
    bytes.replace(QByteArrayLiteral("\r\n"), QByteArrayLiteral("\x04"));
    return EncodeBytes(bytes);
}

Trailer ParseTrailer(QByteArrayView trailer) {
    Trailer out;
    qsizetype pos = 0;
    while (pos < trailer.size()) {
        const qsizetype file = trailer.indexOf(FileMarker, pos);
        const qsizetype info = trailer.indexOf(InfoMarker, pos);
        if (file >= 0 && (info < 0 || file < info)) {
            const qsizetype headerStart = file + FileMarker.size();
            const qsizetype headerEnd = trailer.indexOf(HeaderEnd, headerStart);
            if (headerEnd < 0)
                break;
            const QByteArrayView header = trailer.sliced(headerStart, headerEnd - headerStart);
            const qsizetype comma = header.indexOf(',');
            const QByteArrayView name = comma < 0 ? header : header.first(comma);
            const qint64 length = comma < 0 ? 0 : LeadingNumber(header.sliced(comma + 1));
            const qsizetype contentStart = headerEnd + HeaderEnd.size();
            const qsizetype available = trailer.size() - contentStart;
            const qsizetype take = qsizetype(std::min<qint64>(length, available));
            out.files.append(
                AttachedFile{cp932::decode(name), QByteArray(trailer.data() + contentStart, take)});
            const qsizetype contentEnd = contentStart + take;
            const qsizetype end = trailer.indexOf(EndMarker, contentEnd);
            if (end < 0)
                break;
            pos = end + EndMarker.size();
            continue;
        }
        if (info >= 0) {
            const qsizetype start = info + InfoMarker.size();
            qsizetype nul = trailer.indexOf('\0', start);
            if (nul < 0)
                nul = trailer.size();
            out.script = DecodeScriptRecord(trailer.sliced(start, nul - start));
            out.hasScript = true;
        }
        break;
    }
    return out;
}

QByteArray BuildTrailer(const QList<AttachedFile>& files, const QString& script) {
    QByteArray out;
    for (const AttachedFile& f : files) {
        out += FileMarker;
        out += cp932::encode(f.name);
        out += ',';
        out += QByteArray::number(f.content.size());
        out += HeaderEnd;
        out += f.content;
        out += EndMarker;
    }
    out += InfoMarker;
    out += EncodeScriptRecord(script);
    out += '\0';
    return out;
}

QString ImageEndFailureMessage(const QString& programPath) {
    return QStringLiteral("実行ファイルサイズの取得に失敗しました。") + QStringLiteral("\r\r") +
           QStringLiteral("添付されたファイルを展開できません。") + QStringLiteral("\r\n") +
           programPath;
}

LoadResult LoadExe(const QString& programPath, const QString& tempFolder) {
    LoadResult result;
    QFile program(programPath);
    if (!program.open(QIODevice::ReadOnly))
        return result;
    const qint64 size = program.size();
    // Mapping keeps memory flat however large the program file is.
    uchar* mapped = size > 0 ? program.map(0, size) : nullptr;
    QByteArray copy;
    QByteArrayView bytes;
    if (mapped) {
        bytes = QByteArrayView(reinterpret_cast<const char*>(mapped), size);
    } else {
        copy = program.readAll();
        bytes = copy;
    }
    const qint64 end = ImageEnd(bytes);
    if (end <= 0)
        return result;
    result.imageEndFound = true;
    if (end >= bytes.size())
        return result;
    const Trailer trailer = ParseTrailer(bytes.sliced(end));
    for (const AttachedFile& f : trailer.files) {
        const QString name = BareName(f.name);
        if (name.isEmpty())
            continue;
        const QString target = QDir(tempFolder).filePath(name);
        QFile out(target);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            continue;
        if (out.write(f.content) == f.content.size())
            result.extractedFiles.append(target);
    }
    result.script = trailer.script;
    return result;
}

WriteResult PackProgram(const QString& enginePath, const QString& scriptPath,
                        const QStringList& attachPaths, const QString& outPath) {
    const std::optional<QByteArray> engine = readWholeFile(enginePath);
    if (!engine)
        return {false, QStringLiteral("cannot read the engine program %1").arg(enginePath)};
    const qint64 end = ImageEnd(*engine);
    if (end <= 0 || end > engine->size())
        return {false, QStringLiteral("%1 is not an executable image").arg(enginePath)};
    const std::optional<QByteArray> script = readWholeFile(scriptPath);
    if (!script)
        return {false, QStringLiteral("cannot read the script %1").arg(scriptPath)};

    QByteArray out = engine->first(end);
    for (const QString& path : attachPaths) {
        const std::optional<QByteArray> content = readWholeFile(path);
        if (!content)
            return {false, QStringLiteral("cannot read the attached file %1").arg(path)};
        out += FileMarker;
        out += cp932::encode(QFileInfo(path).fileName());
        out += ',';
        out += QByteArray::number(content->size());
        out += HeaderEnd;
        out += *content;
        out += EndMarker;
    }
    // The script goes in as its own bytes, so nothing is lost to a round
    // trip through text.
    QByteArray scriptBytes = *script;
    scriptBytes.replace(QByteArrayLiteral("\r\n"), QByteArrayLiteral("\x04"));
    out += InfoMarker;
    out += EncodeBytes(scriptBytes);
    out += '\0';

    WriteResult w = writeWholeFile(outPath, out);
    if (w.ok)
        QFile::setPermissions(outPath, QFile::permissions(outPath) | QFile::ExeOwner |
                                           QFile::ExeGroup | QFile::ExeOther | QFile::ReadOwner);
    return w;
}

} // namespace lumi::packaged
