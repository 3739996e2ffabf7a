// INI files as other tools write them, read and updated the way the card
// programs expect.
#include "Fixture.h"
#include "carddata/INIAccess.h"
#include "carddata/IniDocument.h"

using namespace lumi;
using namespace lumi::test;

namespace {

struct ReadCase {
    const char* name;
    QString file; // written raw, as code page 932
    QString section;
    QString key;
    std::optional<QString> expected;
};

class IniReadTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(IniReadTest, ReadsLikeTheProfileFunctions) {
    const ReadCase& c = GetParam();
    IniDocument doc = IniDocument::parse(cp932::encode(c.file));
    EXPECT_EQ(doc.value(c.section, c.key), c.expected);
}

const QString twoSections =
    QStringLiteral("[a]\r\nk=first\r\nk=second\r\n[b]\r\nk=other\r\n[a]\r\nk=third\r\n");

INSTANTIATE_TEST_SUITE_P(
    Cases, IniReadTest,
    ::testing::Values(
        ReadCase{"CrLf", QStringLiteral("[s]\r\nk=v\r\n"), QStringLiteral("s"), QStringLiteral("k"),
                 QStringLiteral("v")},
        ReadCase{"LfOnly", QStringLiteral("[s]\nk=v\nj=w\n"), QStringLiteral("s"),
                 QStringLiteral("j"), QStringLiteral("w")},
        ReadCase{"NoFinalLineEnd", QStringLiteral("[s]\r\nk=v"), QStringLiteral("s"),
                 QStringLiteral("k"), QStringLiteral("v")},
        ReadCase{"SpacesAroundKeyAndValue",
                 QStringLiteral("[s]\r\n \t key \t=  value with inner  \t\r\n"),
                 QStringLiteral("s"), QStringLiteral("key"), QStringLiteral("value with inner")},
        ReadCase{"QuotesRemovedOnce", QStringLiteral("[s]\r\nk= \"\"in quotes\"\" \r\n"),
                 QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("\"in quotes\"")},
        ReadCase{"QuotesKeepInnerSpaces", QStringLiteral("[s]\r\nk=\"  x  \"\r\n"),
                 QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("  x  ")},
        ReadCase{"SingleQuotesRemoved", QStringLiteral("[s]\r\nk='a b'\r\n"), QStringLiteral("s"),
                 QStringLiteral("k"), QStringLiteral("a b")},
        ReadCase{"MixedQuotesStay", QStringLiteral("[s]\r\nk=\"a b'\r\n"), QStringLiteral("s"),
                 QStringLiteral("k"), QStringLiteral("\"a b'")},
        ReadCase{"LoneQuoteStays", QStringLiteral("[s]\r\nk=\"abc\r\n"), QStringLiteral("s"),
                 QStringLiteral("k"), QStringLiteral("\"abc")},
        ReadCase{"EqualsInValue", QStringLiteral("[s]\r\nk=a=b\r\n"), QStringLiteral("s"),
                 QStringLiteral("k"), QStringLiteral("a=b")},
        ReadCase{"LetterCaseOfSectionAndKey", QStringLiteral("[SeCtIoN]\r\nMyKey=v\r\n"),
                 QStringLiteral("section"), QStringLiteral("MYKEY"), QStringLiteral("v")},
        ReadCase{"SpacesInsideBrackets", QStringLiteral("[ head ]\r\nrare=3\r\n"),
                 QStringLiteral("head"), QStringLiteral("rare"), QStringLiteral("3")},
        ReadCase{"FirstDuplicateKeyWins", twoSections, QStringLiteral("a"), QStringLiteral("k"),
                 QStringLiteral("first")},
        ReadCase{"KeyOfOtherSectionNotSeen", QStringLiteral("[a]\r\nx=1\r\n[b]\r\ny=2\r\n"),
                 QStringLiteral("a"), QStringLiteral("y"), std::nullopt},
        ReadCase{"CommentIsNoKey", QStringLiteral("[s]\r\n;k=commented\r\n"), QStringLiteral("s"),
                 QStringLiteral(";k"), std::nullopt},
        ReadCase{"KeyBeforeAnySection", QStringLiteral("k=v\r\n[s]\r\n"), QStringLiteral("s"),
                 QStringLiteral("k"), std::nullopt},
        ReadCase{"MissingSection", QStringLiteral("[s]\r\nk=v\r\n"), QStringLiteral("t"),
                 QStringLiteral("k"), std::nullopt},
        ReadCase{"EmptyValue", QStringLiteral("[s]\r\nk=\r\n"), QStringLiteral("s"),
                 QStringLiteral("k"), QString()},
        // "ゾ" ends in the byte of "]": the section name must not end there.
        ReadCase{"BracketByteInsideDoubleByteName", QStringLiteral("[ゾーン]\r\nk=v\r\n"),
                 QStringLiteral("ゾーン"), QStringLiteral("k"), QStringLiteral("v")},
        // "ア" and "ヂ" differ only in a second byte that looks like "A"/"a".
        ReadCase{"SecondBytesAreNotCaseFolded", QStringLiteral("[s]\r\nヂ=1\r\n"),
                 QStringLiteral("s"), QStringLiteral("ア"), std::nullopt},
        ReadCase{"DoubleByteValue", QStringLiteral("[header]\r\nname=月下の竜\r\n"),
                 QStringLiteral("header"), QStringLiteral("name"), QStringLiteral("月下の竜")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IniRead, ValuesAreCutTo255BytesAtACharacterBoundary) {
    const QString ascii(300, u'a');
    IniDocument doc = IniDocument::parse(
        cp932::encode(QStringLiteral("[s]\r\nlong=") + ascii + QStringLiteral("\r\nkanji=") +
                      QString(254, u'b') + QStringLiteral("漢字\r\n")));
    EXPECT_EQ(doc.get(QStringLiteral("s"), QStringLiteral("long")), QString(255, u'a'));
    // Byte 255 would be the first half of "漢": the whole character is dropped.
    EXPECT_EQ(doc.get(QStringLiteral("s"), QStringLiteral("kanji")), QString(254, u'b'));
}

TEST(IniAccess, GuardsAgainstMissingFileNameOrSection) {
    TempFolder tmp;
    INIAccess ini;
    EXPECT_FALSE(ini.SetINIData(QStringLiteral("k"), QStringLiteral("v"), QStringLiteral("s")));
    EXPECT_EQ(ini.GetINIData(QStringLiteral("k"), QStringLiteral("s")), QString());
    ini.FileName = tmp.path(QStringLiteral("x.ini"));
    EXPECT_FALSE(ini.SetINIData(QStringLiteral("k"), QStringLiteral("v")));
    EXPECT_FALSE(QFileInfo::exists(ini.FileName));
    EXPECT_EQ(ini.GetINIData(QStringLiteral("k")), QString());
    // A missing file reads as empty texts.
    EXPECT_EQ(ini.GetINIData(QStringLiteral("k"), QStringLiteral("s")), QString());
}

TEST(IniAccess, SetAppPathFilenameAddsOneSeparator) {
    INIAccess a, b;
    a.SetAppPathFilename(QStringLiteral("/opt/lumi"), QStringLiteral("Lumiplay.ini"));
    b.SetAppPathFilename(QStringLiteral("/opt/lumi/"), QStringLiteral("Lumiplay.ini"));
    EXPECT_EQ(a.FileName, QStringLiteral("/opt/lumi/Lumiplay.ini"));
    EXPECT_EQ(b.FileName, a.FileName);
}

TEST(IniAccess, WriteCreatesTheFileInCrLf) {
    TempFolder tmp;
    INIAccess ini;
    ini.FileName = tmp.path(QStringLiteral("new.ini"));
    ASSERT_TRUE(
        ini.SetINIData(QStringLiteral("name"), QStringLiteral("月下"), QStringLiteral("header")));
    ASSERT_TRUE(ini.SetINIData(QStringLiteral("rule"), QStringLiteral("Pro")));
    EXPECT_EQ(readBytes(ini.FileName),
              cp932::encode(QStringLiteral("[header]\r\nname=月下\r\nrule=Pro\r\n")));
    EXPECT_EQ(ini.GetINIData(QStringLiteral("NAME"), QStringLiteral("HEADER")),
              QStringLiteral("月下"));
}

TEST(IniAccess, WriteKeepsCommentsOrderAndOtherSections) {
    TempFolder tmp;
    const QString path = tmp.path(QStringLiteral("keep.ini"));
    writeCp932(path, QStringLiteral("; written by another tool\n"
                                    "[General]\n"
                                    "  DrawCheck = 0\n"
                                    "; about the next key\n"
                                    "AutoBackup=1\n"
                                    "DrawCheck=dup\n"
                                    "\n"
                                    "[View]\n"
                                    "FieldSign=1\n"));
    INIAccess ini;
    ini.FileName = path;
    ASSERT_TRUE(ini.SetINIData(QStringLiteral("drawcheck"), QStringLiteral("1"),
                               QStringLiteral("general")));
    ASSERT_TRUE(ini.SetINIData(QStringLiteral("UsePalette"), QStringLiteral("1")));
    ASSERT_TRUE(
        ini.SetINIData(QStringLiteral("Enabled"), QStringLiteral("1"), QStringLiteral("MyMaster")));
    EXPECT_EQ(readCp932(path), QStringLiteral("; written by another tool\r\n"
                                              "[General]\r\n"
                                              "drawcheck=1\r\n"
                                              "; about the next key\r\n"
                                              "AutoBackup=1\r\n"
                                              "DrawCheck=dup\r\n"
                                              "UsePalette=1\r\n"
                                              "\r\n"
                                              "[View]\r\n"
                                              "FieldSign=1\r\n"
                                              "[MyMaster]\r\n"
                                              "Enabled=1\r\n"));
}

TEST(IniAccess, LfFileStaysLfAndLastLineGetsItsEnd) {
    TempFolder tmp;
    const QString path = tmp.path(QStringLiteral("lf.ini"));
    writeCp932(path, QStringLiteral("[a]\nx=1"), true);
    INIAccess ini;
    ini.FileName = path;
    ASSERT_TRUE(ini.SetINIData(QStringLiteral("y"), QStringLiteral("2"), QStringLiteral("a")));
    ASSERT_TRUE(ini.SetINIData(QStringLiteral("z"), QStringLiteral("3"), QStringLiteral("b")));
    EXPECT_EQ(readBytes(path), QByteArray("[a]\nx=1\ny=2\n[b]\nz=3\n"));
}

TEST(IniAccess, SectionIsSticky) {
    TempFolder tmp;
    INIAccess ini;
    ini.FileName = tmp.path(QStringLiteral("s.ini"));
    ASSERT_TRUE(ini.SetINIData(QStringLiteral("a"), QStringLiteral("1"), QStringLiteral("first")));
    EXPECT_EQ(ini.GetINIData(QStringLiteral("a")), QStringLiteral("1"));
    ini.Section = QStringLiteral("second");
    ASSERT_TRUE(ini.SetINIData(QStringLiteral("b"), QStringLiteral("2")));
    EXPECT_EQ(ini.Section, QStringLiteral("second"));
    EXPECT_EQ(readCp932(ini.FileName), QStringLiteral("[first]\r\na=1\r\n[second]\r\nb=2\r\n"));
}

TEST(IniAccess, LongValueReadsBackCut) {
    TempFolder tmp;
    INIAccess ini;
    ini.FileName = tmp.path(QStringLiteral("long.ini"));
    const QString value = QString(200, u'x') + QString(60, u'あ');
    ASSERT_TRUE(ini.SetINIData(QStringLiteral("k"), value, QStringLiteral("s")));
    // 200 + 27 double-byte characters = 254 bytes; the 28th would pass 255.
    EXPECT_EQ(ini.GetINIData(QStringLiteral("k")), value.left(227));
}

TEST(IniAccess, ValueWithLineBreaksCannotAddKeys) {
    TempFolder tmp;
    INIAccess ini;
    ini.FileName = tmp.path(QStringLiteral("inject.ini"));
    ASSERT_TRUE(ini.SetINIData(QStringLiteral("name"), QStringLiteral("a\r\n[body]\r\n001=X"),
                               QStringLiteral("header")));
    EXPECT_EQ(ini.GetINIData(QStringLiteral("name")), QStringLiteral("a  [body]  001=X"));
    EXPECT_EQ(ini.GetINIData(QStringLiteral("001"), QStringLiteral("body")), QString());
}

TEST(IniAccess, NamesThatCannotBeReadBackAreRefused) {
    TempFolder tmp;
    INIAccess ini;
    ini.FileName = tmp.path(QStringLiteral("names.ini"));
    ASSERT_TRUE(ini.SetINIData(QStringLiteral("ok"), QStringLiteral("1"), QStringLiteral("s")));
    const QByteArray before = readBytes(ini.FileName);
    const std::pair<QString, QString> refused[] = {
        {QStringLiteral("s"), QString()},
        {QStringLiteral("s"), QStringLiteral("a=b")},
        {QStringLiteral("s"), QStringLiteral(";c")},
        {QStringLiteral("s"), QStringLiteral("[x]")},
        {QStringLiteral("s"), QStringLiteral("a\nb")},
        {QStringLiteral("a]b"), QStringLiteral("k")},
        {QStringLiteral("a\r\nb"), QStringLiteral("k")},
    };
    for (const auto& [section, key] : refused) {
        EXPECT_FALSE(ini.SetINIData(key, QStringLiteral("v"), section)) << key.toStdString();
        EXPECT_EQ(readBytes(ini.FileName), before);
    }
}

TEST(IniAccess, FailedWriteReportsAndLeavesNothing) {
    TempFolder tmp;
    INIAccess ini;
    ini.FileName = tmp.path(QStringLiteral("no/such/folder/x.ini"));
    EXPECT_FALSE(ini.SetINIData(QStringLiteral("k"), QStringLiteral("v"), QStringLiteral("s")));
    EXPECT_FALSE(ini.LastError.isEmpty());
}

} // namespace
