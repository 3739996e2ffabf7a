#include "script/sys/ZekoSys.h"

#include "common/TextFile.h"

#include <QDir>

namespace lumi {
namespace {

constexpr char16_t N = u'ん';
constexpr char16_t Dot = u'・';
constexpr char16_t NCode = 11;
// Digits onto control codes that are neither tab, line feed, carriage
// return nor the code that "ん" takes.
constexpr char16_t DigitCodes[10] = {1, 2, 3, 4, 5, 6, 7, 8, 12, 14};

// Beyond ASCII the scrambler steps through two circular ranges that hold no
// surrogates, so every step lands on a character again.
constexpr char16_t WideLow1 = 0x80, WideHigh1 = 0xD7FF, WideLow2 = 0xE000, WideHigh2 = 0xFFFD;

char16_t WideNext(char16_t c) {
    if (c == WideHigh1)
        return WideLow2;
    if (c == WideHigh2)
        return WideLow1;
    return char16_t(c + 1);
}
char16_t WidePrevious(char16_t c) {
    if (c == WideLow2)
        return WideHigh1;
    if (c == WideLow1)
        return WideHigh2;
    return char16_t(c - 1);
}
bool IsWide(char16_t c) {
    return (c >= WideLow1 && c <= WideHigh1) || (c >= WideLow2 && c <= WideHigh2);
}

// Printable ASCII moves ten codes down within 0x20…0x7E.
char16_t PrintableShift(char16_t c, int by) {
    return char16_t(0x20 + ((c - 0x20 + by) % 95 + 95) % 95);
}

const QString FileName = QStringLiteral("sysdatze.zrf");
const QString DeleteValue = QStringLiteral("{{{Del}}}");

QStringList ReadLines(const QString& path, bool& exists) {
    const std::optional<QByteArray> bytes = readWholeFile(path);
    exists = bytes.has_value();
    if (!bytes)
        return {};
    QStringList lines = QString::fromUtf8(*bytes).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

const QString& ZekoSys::Word() {
    static const QString word = QStringLiteral("ZKTD");
    return word;
}

QString ZekoSys::AngouOut(const QString& text, const QString& word) {
    if (word != Word())
        return {};
    QString out;
    out.reserve(text.size());
    for (QChar qc : text) {
        const char16_t c = qc.unicode();
        if (c == N) {
            out += QChar(NCode);
        } else if (c == Dot) {
            out += QChar(Dot);
        } else if (IsWide(c)) {
            char16_t next = WideNext(c);
            if (next == Dot)
                next = WideNext(next);
            out += QChar(next);
        } else if (c >= '0' && c <= '9') {
            out += QChar(DigitCodes[c - '0']);
        } else if (c >= 0x20 && c <= 0x7E) {
            out += QChar(PrintableShift(c, -10));
        }
        // Control characters and lone surrogates have no scrambled form.
    }
    return out;
}

QString ZekoSys::AngouIn(const QString& text, const QString& word) {
    if (word != Word())
        return {};
    QString out;
    out.reserve(text.size());
    for (QChar qc : text) {
        const char16_t c = qc.unicode();
        if (c == NCode) {
            out += QChar(N);
            continue;
        }
        if (c == Dot) {
            out += QChar(Dot);
            continue;
        }
        if (IsWide(c)) {
            char16_t previous = WidePrevious(c);
            if (previous == Dot)
                previous = WidePrevious(previous);
            out += QChar(previous);
            continue;
        }
        bool digit = false;
        for (int d = 0; d < 10; ++d) {
            if (DigitCodes[d] == c) {
                out += QChar(char16_t('0' + d));
                digit = true;
                break;
            }
        }
        if (!digit && c >= 0x20 && c <= 0x7E)
            out += QChar(PrintableShift(c, 10));
    }
    return out;
}

QString ZekoSys::FilePathIn(const QString& programFolder) {
    return QDir(programFolder).filePath(FileName);
}

QString ZekoSys::GetYSetting(const QString& name, const QString& defaultValue) const {
    bool exists = false;
    const QString head = AngouOut(name, Word()) + QLatin1Char('=');
    for (const QString& line : ReadLines(path_, exists))
        if (line.startsWith(head))
            return AngouIn(line.mid(head.size()), Word());
    return defaultValue;
}

bool ZekoSys::HasYSetting(const QString& name) const {
    bool exists = false;
    const QString head = AngouOut(name, Word()) + QLatin1Char('=');
    for (const QString& line : ReadLines(path_, exists))
        if (line.startsWith(head))
            return true;
    return false;
}

bool ZekoSys::SetYSetting(const QString& name, const QString& value) {
    bool exists = false;
    QStringList lines = ReadLines(path_, exists);
    const QString head = AngouOut(name, Word()) + QLatin1Char('=');
    QString clean = value;
    clean.remove(QLatin1Char('\r'));
    clean.remove(QLatin1Char('\n'));
    const bool remove = clean == DeleteValue;
    const QString entry = head + AngouOut(clean, Word());
    bool done = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!lines[i].startsWith(head))
            continue;
        if (remove)
            lines.removeAt(i);
        else
            lines[i] = entry;
        done = true;
        break;
    }
    if (!done && !remove)
        lines.prepend(entry);
    QString text;
    for (const QString& line : lines)
        text += line + QStringLiteral("\r\n");
    return writeWholeFile(path_, text.toUtf8()).ok;
}

} // namespace lumi
