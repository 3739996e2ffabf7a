#pragma once
// Text helpers of the script language: width and kana conversions, the
// numeric reading rules, bracket awareness and argument splitting.

#include <QString>
#include <QStringList>
#include <QStringView>
#include <vector>

namespace lumi::ktdtext {

inline constexpr QChar Separator = QChar(3); // marks a recognised particle
inline constexpr QChar PageSeparator = QChar(11);

// Full-width form (ASCII, the space, half-width katakana) and its inverse.
QString toWide(QStringView s);
QString toNarrow(QStringView s);
QString toHiragana(QStringView s);
QString toKatakana(QStringView s);

bool isSpace(QChar c);
QString trimSpaces(QStringView s);
// Shares the text when there is nothing to trim.
QString trimSpaces(const QString& s);
QString trimLeft(QStringView s);
QString trimLeft(const QString& s);
QString trimRight(QStringView s);

// Whether the whole text reads as a number (full-width digits allowed).
bool isNumeric(QStringView s);
// The whole text as a number; only meaningful when isNumeric.
double numericValue(QStringView s);
// The leading number (sign, digits, fraction, exponent or &h hex) after
// narrowing; 0 when there is none.
double toNumber(QStringView s);
// The leading number of the text exactly as written (ASCII only).
double leadingAsciiNumber(QStringView s);
// A double as text with up to 15 significant digits, exponent form for
// very large or very small magnitudes.
QString numberText(double v);
// An arithmetic result: 15 significant digits without exponent; empty when
// the value does not fit a decimal number.
QString decimalText(double v);
// Rounds half to even into a 32-bit integer; false when out of range.
bool roundToInt32(double v, qint32& out);

// Bracket pairs, combinable.
enum Pairs : unsigned {
    FullParen = 1,  // （）
    AsciiParen = 2, // ()
    Square = 4,     // ［］
    Corner = 8,     // 「」
    AllPairs = 15,
};

// Which positions of a text lie inside brackets of the chosen pairs; a pair
// that is unbalanced over the whole text is ignored.
class BracketMask {
public:
    BracketMask(QStringView text, unsigned pairs);
    bool inside(qsizetype pos) const {
        return pos >= 0 && pos < qsizetype(mask_.size()) && mask_[pos];
    }
    bool any() const { return any_; }

private:
    std::vector<unsigned char> mask_;
    bool any_ = false;
};

// Position of the last `mark` starting at or before `start` (-1: from the
// end) outside every bracket pair; -1 when none.
qsizetype findLastOutside(QStringView text, QStringView mark, qsizetype start = -1,
                          unsigned pairs = AllPairs);
qsizetype findFirstOutside(QStringView text, QStringView mark, qsizetype from = 0,
                           unsigned pairs = AllPairs);

// Splits at 、，, outside 「」 and （）; pieces trimmed.
QStringList splitArgumentsRaw(QStringView text);

QString encodeEscapes(QStringView item);
QString decodeEscapes(QStringView item);

// Reads a truth value the way the original's conversions did ("True",
// "False", numbers not 0).
bool truthValue(QStringView s);

} // namespace lumi::ktdtext
