#include "script/core/KtdText.h"

#include <QHash>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace lumi::ktdtext {

namespace {

// Half-width katakana U+FF61..U+FF9F and their full-width forms.
const char16_t kHalfKana[] = u"。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツ"
                             u"テトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワン゛゜";

bool takesDakuten(char16_t c) {
    return (c >= u'カ' && c <= u'ド' && c != u'ッ') || (c >= u'ハ' && c <= u'ホ') || c == u'ウ';
}
bool takesHandakuten(char16_t c) {
    return c >= u'ハ' && c <= u'ホ';
}

const QHash<char16_t, QString>& narrowKanaTable() {
    static const QHash<char16_t, QString> table = [] {
        QHash<char16_t, QString> t;
        for (int i = 0; i < 63; ++i) {
            char16_t full = kHalfKana[i];
            char16_t half = char16_t(0xFF61 + i);
            if (!t.contains(full))
                t.insert(full, QString(QChar(half)));
            if (i >= 0x16 && i <= 0x3C) { // kana letters that may take marks
                // voiced forms: full-width letter + 1 (+2 for semi-voiced)
                if (takesDakuten(full) && full != u'ウ')
                    t.insert(char16_t(full + 1), QString(QChar(half)) + QChar(0xFF9E));
                if (takesHandakuten(full))
                    t.insert(char16_t(full + 2), QString(QChar(half)) + QChar(0xFF9F));
            }
        }
        t.insert(u'ヴ', QStringLiteral("\uFF73\uFF9E"));
        return t;
    }();
    return table;
}

} // namespace

QString toWide(QStringView s) {
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        char16_t c = s[i].unicode();
        if (c == u' ')
            out += QChar(0x3000);
        else if (c == u'\\')
            out += QChar(0xFFE5);
        else if (c > 0x20 && c < 0x7F)
            out += QChar(char16_t(c + 0xFEE0));
        else if (c >= 0xFF61 && c <= 0xFF9F) {
            char16_t full = kHalfKana[c - 0xFF61];
            char16_t next = i + 1 < s.size() ? s[i + 1].unicode() : 0;
            if (next == 0xFF9E && takesDakuten(full)) {
                out += QChar(full == u'ウ' ? char16_t(u'ヴ') : char16_t(full + 1));
                ++i;
            } else if (next == 0xFF9F && takesHandakuten(full)) {
                out += QChar(char16_t(full + 2));
                ++i;
            } else
                out += QChar(full);
        } else
            out += s[i];
    }
    return out;
}

QString toNarrow(QStringView s) {
    QString out;
    out.reserve(s.size());
    const auto& kana = narrowKanaTable();
    for (QChar qc : s) {
        char16_t c = qc.unicode();
        if (c == 0x3000)
            out += QLatin1Char(' ');
        else if (c == 0xFFE5 || c == 0xFF3C)
            out += QLatin1Char('\\');
        else if (c > 0xFF00 && c < 0xFF5F)
            out += QChar(char16_t(c - 0xFEE0));
        else if (c >= 0x3000 && c < 0x3100) {
            auto it = kana.constFind(c);
            if (it != kana.constEnd() && !(c >= 0x3041 && c <= 0x309F))
                out += *it;
            else
                out += qc;
        } else if (c >= 0x30A0 && c <= 0x30FF) {
            auto it = kana.constFind(c);
            out += it != kana.constEnd() ? *it : QString(qc);
        } else
            out += qc;
    }
    return out;
}

QString toHiragana(QStringView s) {
    QString out(s.toString());
    for (QChar& c : out)
        if (c.unicode() >= 0x30A1 && c.unicode() <= 0x30F6)
            c = QChar(char16_t(c.unicode() - 0x60));
    return out;
}

QString toKatakana(QStringView s) {
    QString out(s.toString());
    for (QChar& c : out)
        if (c.unicode() >= 0x3041 && c.unicode() <= 0x3096)
            c = QChar(char16_t(c.unicode() + 0x60));
    return out;
}

bool isSpace(QChar c) {
    return c == QLatin1Char(' ') || c.unicode() == 0x3000;
}

QString trimLeft(QStringView s) {
    qsizetype b = 0;
    while (b < s.size() && isSpace(s[b]))
        ++b;
    return s.mid(b).toString();
}

QString trimLeft(const QString& s) {
    if (s.isEmpty() || !isSpace(s.front()))
        return s;
    return trimLeft(QStringView(s));
}

QString trimSpaces(const QString& s) {
    if (s.isEmpty() || (!isSpace(s.front()) && !isSpace(s.back())))
        return s;
    return trimSpaces(QStringView(s));
}

QString trimRight(QStringView s) {
    qsizetype e = s.size();
    while (e > 0 && isSpace(s[e - 1]))
        --e;
    return s.left(e).toString();
}

QString trimSpaces(QStringView s) {
    qsizetype b = 0, e = s.size();
    while (b < e && isSpace(s[b]))
        ++b;
    while (e > b && isSpace(s[e - 1]))
        --e;
    if (b == 0 && e == s.size())
        return s.toString();
    return s.mid(b, e - b).toString();
}

namespace {

char16_t narrowChar(char16_t c) {
    if (c > 0xFF00 && c < 0xFF5F)
        return char16_t(c - 0xFEE0);
    if (c == 0x3000)
        return u' ';
    return c;
}

bool isHex(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// Scans a number at `i`; returns the end position (== i when none).
// `full` demands digits only, no hex prefix handling differences.
qsizetype scanNumber(const QString& t, qsizetype i, bool allowHex) {
    const qsizetype n = t.size();
    qsizetype p = i;
    if (allowHex && p + 1 < n && t[p] == u'&' && (t[p + 1] == u'h' || t[p + 1] == u'H')) {
        qsizetype q = p + 2;
        while (q < n && isHex(t[q].unicode()))
            ++q;
        return q > p + 2 ? q : i;
    }
    if (p < n && (t[p] == u'+' || t[p] == u'-'))
        ++p;
    qsizetype digits = 0;
    while (p < n && t[p].isDigit() && t[p].unicode() < 0x80) {
        ++p;
        ++digits;
    }
    if (p < n && t[p] == u'.') {
        qsizetype q = p + 1;
        qsizetype frac = 0;
        while (q < n && t[q].unicode() >= u'0' && t[q].unicode() <= u'9') {
            ++q;
            ++frac;
        }
        if (digits + frac > 0) {
            p = q;
            digits += frac;
        }
    }
    if (digits == 0)
        return i;
    if (p < n && (t[p] == u'e' || t[p] == u'E' || t[p] == u'd' || t[p] == u'D')) {
        qsizetype q = p + 1;
        if (q < n && (t[q] == u'+' || t[q] == u'-'))
            ++q;
        qsizetype e = q;
        while (e < n && t[e].unicode() >= u'0' && t[e].unicode() <= u'9')
            ++e;
        if (e > q)
            p = e;
    }
    return p;
}

double parseScanned(const QString& t, qsizetype b, qsizetype e) {
    if (e - b >= 2 && t[b] == u'&') {
        bool ok = false;
        qlonglong v = t.mid(b + 2, e - b - 2).toLongLong(&ok, 16);
        if (!ok)
            return 0;
        // &h values of up to 8 digits are 32-bit and may be negative.
        if (e - b - 2 <= 4 && v > 0x7FFF)
            return double(qint16(v));
        if (e - b - 2 <= 8 && v > 0x7FFFFFFF)
            return double(qint32(quint32(v)));
        return double(v);
    }
    QByteArray num;
    num.reserve(e - b);
    for (qsizetype i = b; i < e; ++i) {
        char c = char(t[i].unicode());
        num += (c == 'd' || c == 'D') ? 'e' : c;
    }
    return num.toDouble();
}

QString narrowAscii(QStringView s) {
    QString t;
    t.reserve(s.size());
    for (QChar c : s)
        t += QChar(narrowChar(c.unicode()));
    return t;
}

} // namespace

namespace {
// Plain ASCII integers and decimals, the common case of a stored number.
bool fastNumber(QStringView s, double& out) {
    const qsizetype n = s.size();
    if (n == 0 || n > 15)
        return false;
    qsizetype i = 0;
    bool negative = false;
    if (s[0] == u'-') {
        negative = true;
        if (n == 1)
            return false;
        i = 1;
    }
    qint64 v = 0;
    for (; i < n; ++i) {
        char16_t c = s[i].unicode();
        if (c < u'0' || c > u'9')
            return false;
        v = v * 10 + (c - u'0');
    }
    out = double(negative ? -v : v);
    return true;
}
} // namespace

bool isNumeric(QStringView s) {
    if (s.isEmpty())
        return false;
    double fast = 0;
    if (fastNumber(s, fast))
        return true;
    // Fast refusal for the common case of a name.
    char16_t c0 = s[0].unicode();
    if (!(c0 == u' ' || c0 == 0x3000 || c0 == u'+' || c0 == u'-' || c0 == u'.' || c0 == u'&' ||
          (c0 >= u'0' && c0 <= u'9') || (c0 >= 0xFF0B && c0 <= 0xFF19) || c0 == 0xFF06))
        return false;
    QString t = trimSpaces(narrowAscii(s));
    if (t.isEmpty())
        return false;
    qsizetype e = scanNumber(t, 0, true);
    return e > 0 && e == t.size();
}

double numericValue(QStringView s) {
    double fast = 0;
    if (fastNumber(s, fast))
        return fast;
    QString t = trimSpaces(narrowAscii(s));
    qsizetype e = scanNumber(t, 0, true);
    return e > 0 ? parseScanned(t, 0, e) : 0.0;
}

double toNumber(QStringView s) {
    double fast = 0;
    if (fastNumber(s, fast))
        return fast;
    QString t = narrowAscii(s);
    qsizetype b = 0;
    while (b < t.size() && (t[b] == u' ' || t[b] == u'\t'))
        ++b;
    qsizetype e = scanNumber(t, b, true);
    return e > b ? parseScanned(t, b, e) : 0.0;
}

double leadingAsciiNumber(QStringView s) {
    QString t = s.toString();
    qsizetype b = 0;
    while (b < t.size() && (t[b] == u' ' || t[b] == u'\t'))
        ++b;
    qsizetype e = scanNumber(t, b, true);
    return e > b ? parseScanned(t, b, e) : 0.0;
}

namespace {
// Digits and decimal exponent of v rounded to 15 significant digits.
void significant(double v, QByteArray& digits, int& exponent) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(v));
    // d.ddddddddddddddde[+-]xx
    const char* e = std::strchr(buf, 'e');
    exponent = std::atoi(e + 1);
    digits.clear();
    for (const char* p = buf; p < e; ++p)
        if (*p != '.')
            digits += *p;
    while (digits.size() > 1 && digits.endsWith('0'))
        digits.chop(1);
}

QString fixedFrom(bool negative, const QByteArray& digits, int exponent) {
    QString out;
    if (negative)
        out += QLatin1Char('-');
    const int nd = int(digits.size());
    if (exponent < 0) {
        out += QStringLiteral("0.");
        out += QString(-exponent - 1, QLatin1Char('0'));
        out += QString::fromLatin1(digits);
    } else if (exponent + 1 >= nd) {
        out += QString::fromLatin1(digits);
        out += QString(exponent + 1 - nd, QLatin1Char('0'));
    } else {
        out += QString::fromLatin1(digits.left(exponent + 1));
        out += QLatin1Char('.');
        out += QString::fromLatin1(digits.mid(exponent + 1));
    }
    return out;
}
} // namespace

QString numberText(double v) {
    if (std::isnan(v))
        return QStringLiteral("NaN");
    if (std::isinf(v))
        return v > 0 ? QStringLiteral("1.#INF") : QStringLiteral("-1.#INF");
    if (v == 0)
        return QStringLiteral("0");
    if (std::fabs(v) < 1e15 && v == std::floor(v))
        return QString::number(qint64(v));
    QByteArray digits;
    int exponent = 0;
    significant(v, digits, exponent);
    if (exponent >= 15 || exponent < -4) {
        QString out;
        if (v < 0)
            out += QLatin1Char('-');
        out += QLatin1Char(digits[0]);
        if (digits.size() > 1)
            out += QLatin1Char('.') + QString::fromLatin1(digits.mid(1));
        out += QStringLiteral("E%1%2")
                   .arg(exponent < 0 ? QLatin1Char('-') : QLatin1Char('+'))
                   .arg(std::abs(exponent), 2, 10, QLatin1Char('0'));
        return out;
    }
    return fixedFrom(v < 0, digits, exponent);
}

QString decimalText(double v) {
    if (std::isnan(v) || std::isinf(v) || std::fabs(v) >= 7.9228162514264337593543950335e28)
        return {};
    if (v == 0)
        return QStringLiteral("0");
    if (std::fabs(v) < 1e15 && v == std::floor(v))
        return QString::number(qint64(v));
    QByteArray digits;
    int exponent = 0;
    significant(v, digits, exponent);
    // A decimal holds at most 28 places after the point.
    if (exponent < -28)
        return QStringLiteral("0");
    int keep = 28 + exponent + 1; // digits that stay within 28 places
    if (exponent < 0 && digits.size() > keep)
        digits.truncate(qMax(1, keep));
    return fixedFrom(v < 0, digits, exponent);
}

bool roundToInt32(double v, qint32& out) {
    if (std::isnan(v) || v >= 2147483647.5 || v < -2147483648.5)
        return false;
    double r = std::nearbyint(v); // the default rounding mode rounds halves to even
    if (r > 2147483647.0 || r < -2147483648.0)
        return false;
    out = qint32(r);
    return true;
}

BracketMask::BracketMask(QStringView text, unsigned pairs) {
    struct Pair {
        unsigned flag;
        char16_t open, close;
    };
    static const Pair all[] = {{FullParen, u'（', u'）'},
                               {AsciiParen, u'(', u')'},
                               {Square, u'［', u'］'},
                               {Corner, u'「', u'」'}};
    Pair active[4];
    int na = 0;
    for (const Pair& p : all) {
        if (!(pairs & p.flag))
            continue;
        qsizetype o = 0, c = 0;
        for (QChar ch : text) {
            if (ch.unicode() == p.open)
                ++o;
            else if (ch.unicode() == p.close)
                ++c;
        }
        if (o > 0 && o == c)
            active[na++] = p;
    }
    if (na == 0)
        return;
    any_ = true;
    mask_.assign(size_t(text.size()), 0);
    qsizetype level[4] = {0, 0, 0, 0};
    for (qsizetype i = 0; i < text.size(); ++i) {
        char16_t ch = text[i].unicode();
        bool in = false;
        for (int k = 0; k < na; ++k) {
            if (ch == active[k].open)
                ++level[k];
            else if (ch == active[k].close)
                --level[k];
            if (level[k] != 0)
                in = true;
        }
        mask_[size_t(i)] = in;
    }
}

qsizetype findLastOutside(QStringView text, QStringView mark, qsizetype start, unsigned pairs) {
    if (mark.isEmpty() || text.size() < mark.size())
        return -1;
    qsizetype from = start < 0 ? text.size() - mark.size() : qMin(start, text.size() - mark.size());
    qsizetype p = text.lastIndexOf(mark, from);
    if (p < 0)
        return -1;
    BracketMask mask(text, pairs);
    if (!mask.any())
        return p;
    while (p >= 0) {
        if (!mask.inside(p))
            return p;
        if (p == 0)
            break;
        p = text.lastIndexOf(mark, p - 1);
    }
    return -1;
}

qsizetype findFirstOutside(QStringView text, QStringView mark, qsizetype from, unsigned pairs) {
    qsizetype p = text.indexOf(mark, from);
    if (p < 0)
        return -1;
    BracketMask mask(text, pairs);
    if (!mask.any())
        return p;
    while (p >= 0) {
        if (!mask.inside(p))
            return p;
        p = text.indexOf(mark, p + 1);
    }
    return -1;
}

QStringList splitArgumentsRaw(QStringView text) {
    QStringList out;
    if (text.isEmpty())
        return out;
    BracketMask mask(text, Corner | FullParen);
    qsizetype b = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char16_t c = text[i].unicode();
        if ((c == u'、' || c == u'，' || c == u',') && !mask.inside(i)) {
            out << trimSpaces(text.mid(b, i - b));
            b = i + 1;
        }
    }
    out << trimSpaces(text.mid(b));
    return out;
}

QString encodeEscapes(QStringView item) {
    QString out;
    out.reserve(item.size());
    for (QChar c : item) {
        if (c == u',')
            out += QStringLiteral("{**}");
        else if (c == u'，')
            out += QStringLiteral("{*/}");
        else if (c == u'、')
            out += QStringLiteral("{//}");
        else
            out += c;
    }
    return out;
}

QString decodeEscapes(QStringView item) {
    if (!item.contains(u'{'))
        return item.toString();
    QString out = item.toString();
    out.replace(QStringLiteral("{**}"), QStringLiteral(","));
    out.replace(QStringLiteral("{*/}"), QStringLiteral("，"));
    out.replace(QStringLiteral("{//}"), QStringLiteral("、"));
    return out;
}

bool truthValue(QStringView s) {
    QString t = trimSpaces(s);
    if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0 || t.isEmpty())
        return false;
    if (isNumeric(t))
        return numericValue(t) != 0;
    return false;
}

} // namespace lumi::ktdtext
