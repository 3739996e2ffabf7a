#include "common/Cp932.h"

#include <gtest/gtest.h>

using namespace lumi;

namespace {

// Code page 932 holds a few characters twice. Windows decodes both byte
// pairs to one character and encodes it back to the preferred pair, so these
// pairs come back as that pair, not as themselves.
bool isSecondaryDuplicate(unsigned lead, unsigned trail) {
    unsigned code = lead << 8 | trail;
    if (lead == 0xED || lead == 0xEE) // NEC-selected IBM extensions
        return true;
    switch (code) {
    case 0x8790: case 0x8791: case 0x8792: case 0x8795: case 0x8796: case 0x8797:
    case 0x879A: case 0x879B: case 0x879C: // NEC row 13 copies of row 2 symbols
    case 0xFA54: case 0xFA5B:               // IBM copies of ￢ and ∵
    case 0xFA58: case 0xFA59: case 0xFA5A: // IBM copies of ㈱ № ℡
        return true;
    default:
        return code >= 0xFA4A && code <= 0xFA53; // IBM copies of Roman numerals
    }
}

} // namespace

TEST(Cp932, EveryValidSequenceRoundTrips) {
    int checked = 0;
    for (unsigned b = 0; b < 0x100; ++b) {
        if (cp932::isLeadByte(b))
            continue;
        QByteArray one(1, static_cast<char>(b));
        QString text = cp932::decode(one);
        ASSERT_EQ(text.size(), 1);
        if (text[0] == QChar::ReplacementCharacter)
            continue;
        EXPECT_EQ(cp932::encode(text), one) << std::hex << b;
        ++checked;
    }
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
        if (!cp932::isLeadByte(lead))
            continue;
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
            QByteArray two;
            two.append(static_cast<char>(lead));
            two.append(static_cast<char>(trail));
            QString text = cp932::decode(two);
            if (text.contains(QChar::ReplacementCharacter))
                continue;
            ASSERT_EQ(text.size(), 1) << std::hex << lead << trail;
            QByteArray back = cp932::encode(text);
            if (isSecondaryDuplicate(lead, trail)) {
                EXPECT_EQ(cp932::decode(back), text);
                continue;
            }
            EXPECT_EQ(back, two) << std::hex << lead << " " << trail;
            ++checked;
        }
    }
    // ASCII, half-width katakana, JIS X 0208, NEC specials, IBM extensions
    // and the user-defined area together exceed 9,000 characters.
    EXPECT_GT(checked, 9000);
}

TEST(Cp932, KnownCharacters) {
    struct Case {
        const char* bytes;
        const char16_t* text;
    };
    const Case cases[] = {
        {"\x81\x60", u"\uFF5E"},           // ～ FULLWIDTH TILDE
        {"\x87\x40", u"\u2460"},           // ① NEC special
        {"\x87\x8A", u"\u3231"},           // ㈱ NEC special
        {"\xFA\x40", u"\u2170"},           // ⅰ IBM extension
        {"\xFC\x4B", u"\u9ED1"},           // last IBM extension kanji
        {"\xB1\xDD", u"\uFF71\uFF9D"},     // ｱﾝ half-width katakana
        {"abc\\~", u"abc\\~"},             // ASCII stays ASCII
        {"\x83\x8B\x83\x7E", u"ルミ"},
    };
    for (const auto& c : cases) {
        QByteArray bytes(c.bytes);
        QString text = QString::fromUtf16(c.text);
        EXPECT_EQ(cp932::decode(bytes), text) << c.bytes;
        EXPECT_EQ(cp932::encode(text), bytes) << c.bytes;
    }
}

TEST(Cp932, UnmappableTextIsWrittenAsWindowsDoes) {
    struct Case {
        const char16_t* text;
        const char* bytes;
    };
    const Case cases[] = {
        {u"\u301C", "\x81\x60"},       // 〜 WAVE DASH folds into ～
        {u"\u2212", "\x81\x7C"},       // − MINUS SIGN
        {u"\u2016", "\x81\x61"},       // ‖
        {u"\u00A2\u00A3\u00AC", "\x81\x91\x81\x92\x81\xCA"},
        {u"\u2014", "\x81\x5C"},       // — EM DASH
        {u"a\u00E9b", "a?b"},          // é has no place in code page 932
        {u"\U0001F600x", "?x"},         // a surrogate pair is one character
        {u"\uAC00", "?"},              // Hangul
    };
    for (const auto& c : cases)
        EXPECT_EQ(cp932::encode(QString::fromUtf16(c.text)), QByteArray(c.bytes));
}

TEST(Cp932, InvalidBytesDecodeToReplacementCharacters) {
    struct Case {
        QByteArray bytes;
        const char16_t* text;
    };
    const Case cases[] = {
        {QByteArray("\x81", 1), u"\uFFFD"},          // lead byte at the end
        {QByteArray("\x81\x20z", 3), u"\uFFFD z"},   // bad trail keeps the ASCII after it
        {QByteArray("\x80", 1), u"\uFFFD"},
        {QByteArray("\xFD\xFE\xFF", 3), u"\uFFFD\uFFFD\uFFFD"},
        {QByteArray("a\x00" "b", 3), u"a\u0000b"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(cp932::decode(c.bytes), QString::fromUtf16(c.text, c.bytes.size() == 3 && c.bytes[1] == 0 ? 3 : -1));
}

TEST(Cp932, CutAtCharBoundaryNeverSplitsADoubleByteCharacter) {
    QByteArray s("ab\x83\x8B\x83\x7E");
    EXPECT_EQ(cp932::cutAtCharBoundary(s, 2).toByteArray(), QByteArray("ab"));
    EXPECT_EQ(cp932::cutAtCharBoundary(s, 3).toByteArray(), QByteArray("ab"));
    EXPECT_EQ(cp932::cutAtCharBoundary(s, 4).toByteArray(), QByteArray("ab\x83\x8B"));
    EXPECT_EQ(cp932::cutAtCharBoundary(s, 10).toByteArray(), s);
}
