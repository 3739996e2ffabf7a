#include "script/sys/PackagedScript.h"

#include "common/Cp932.h"
#include "common/TextFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace lumi;
using namespace lumi::packaged;

namespace {

void Put(QByteArray& b, qsizetype at, quint64 value, int width, bool bigEndian = false) {
    if (b.size() < at + width)
        b.resize(at + width, '\0');
    for (int i = 0; i < width; ++i) {
        const int shift = 8 * (bigEndian ? width - 1 - i : i);
        b[at + i] = char((value >> shift) & 0xFF);
    }
}

// A PE-shaped image: MZ, header at 0x80, two sections; the second one's raw
// data ends at 0x300.
QByteArray PeImage() {
    QByteArray b(0x300, '\0');
    b[0] = 'M';
    b[1] = 'Z';
    Put(b, 60, 0x80, 2);
    b[0x80] = 'P';
    b[0x81] = 'E';
    Put(b, 0x80 + 6, 2, 2);
    const qsizetype table = 0x80 + 248;
    Put(b, table + 16, 0x100, 4);      // section 1: raw size
    Put(b, table + 20, 0x100, 4);      // section 1: raw offset
    Put(b, table + 40 + 16, 0x100, 4); // section 2: raw size
    Put(b, table + 40 + 20, 0x200, 4); // section 2: raw offset
    return b;
}

struct ElfSection {
    quint32 type;
    quint64 offset;
    quint64 size;
};

// An ELF-shaped image of the given class and byte order with its section
// header table at `shoff`.
QByteArray ElfImage(bool is64, bool bigEndian, quint64 shoff, const QList<ElfSection>& sections,
                    qsizetype fileSize) {
    QByteArray b(fileSize, '\0');
    b[0] = '\x7f';
    b[1] = 'E';
    b[2] = 'L';
    b[3] = 'F';
    b[4] = is64 ? 2 : 1;
    b[5] = bigEndian ? 2 : 1;
    const int word = is64 ? 8 : 4;
    const int entry = is64 ? 64 : 40;
    Put(b, is64 ? 0x28 : 0x20, shoff, word, bigEndian);
    Put(b, is64 ? 0x3A : 0x2E, entry, 2, bigEndian);
    Put(b, is64 ? 0x3C : 0x30, quint64(sections.size()), 2, bigEndian);
    for (qsizetype i = 0; i < sections.size(); ++i) {
        const qsizetype at = qsizetype(shoff) + i * entry;
        Put(b, at + 4, sections[i].type, 4, bigEndian);
        Put(b, at + (is64 ? 0x18 : 0x10), sections[i].offset, word, bigEndian);
        Put(b, at + (is64 ? 0x20 : 0x14), sections[i].size, word, bigEndian);
    }
    b.resize(fileSize, '\0');
    return b;
}

} // namespace

TEST(ImageEnd, FindsWhereTheImageOfEachFormatEnds) {
    struct Case {
        const char* what;
        QByteArray image;
        qint64 end;
    };
    const QList<ElfSection> tableLast{{0, 0, 0}, {1, 0x40, 0x100}, {8, 0x140, 0x10000}};
    const QList<ElfSection> sectionLast{{0, 0, 0}, {1, 0x40, 0x80}, {3, 0x200, 0x60}};
    const Case cases[] = {
        {"PE: raw end of the last section", PeImage(), 0x300},
        // 0x140 + 3 * 64; the NOBITS section takes no room in the file.
        {"ELF64 LE, table last", ElfImage(true, false, 0x140, tableLast, 0x200), 0x200},
        {"ELF64 LE, a section after the table", ElfImage(true, false, 0x100, sectionLast, 0x260),
         0x260},
        {"ELF32 LE", ElfImage(false, false, 0x140, tableLast, 0x1B8), 0x140 + 3 * 40},
        {"ELF64 BE", ElfImage(true, true, 0x100, sectionLast, 0x260), 0x260},
        {"not an image", QByteArray("#!/bin/sh\necho hi\n"), 0},
        {"MZ without PE", QByteArray("MZ").leftJustified(0x100, '\0'), 0},
        {"truncated PE header", PeImage().first(0x90), 0},
        {"truncated ELF", ElfImage(true, false, 0x140, tableLast, 0x200).first(0x30), 0},
        {"ELF whose section table lies past the end",
         ElfImage(true, false, 0x140, tableLast, 0x200).first(0x150), 0},
        {"empty", QByteArray(), 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ImageEnd(c.image), c.end) << c.what;
}

TEST(ScriptRecord, DecodesDigitsReversedBack) {
    struct Case {
        QByteArray digits;
        QString script;
    };
    const Case cases[] = {
        {"14", QStringLiteral("A")},
        // 82A0 reversed: a leading 8 takes four digits.
        {"0A28", QStringLiteral("あ")},
        {"0a28", QStringLiteral("あ")},
        // Byte 4 stands for a line end.
        {"24"
         "40"
         "14",
         QStringLiteral("A\r\nB")},
        // Half-width katakana is one byte even though its digits begin with B.
        {"1B", QStringLiteral("ｱ")},
        // Lead bytes from E0 up take four digits as well.
        {"5C0E", QStringLiteral("倏")},
        {"4AAE"
         "14",
         QStringLiteral("A熙")},
        // Digits that stop making sense end the script; what came before stays.
        {"zz14", QStringLiteral("A")},
        {"", QString()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecodeScriptRecord(c.digits), c.script) << c.digits.constData();
}

TEST(ScriptRecord, EncodingRoundTripsEveryKindOfCharacter) {
    const QString script = QStringLiteral("「こんにちは」を表示\r\nＡは　倏熙ｱｲ123\r\n終わり");
    const QByteArray digits = EncodeScriptRecord(script);
    EXPECT_EQ(DecodeScriptRecord(digits), script);
    EXPECT_EQ(EncodeScriptRecord(QStringLiteral("A")), QByteArray("14"));
}

TEST(Trailer, AttachedFileContentIsTakenByLengthNotScanned) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // Three content bytes that look like the end of a header.
    const QByteArray content("/\\/", 3);
    QByteArray program = PeImage();
    program += "//FILE:C:\\work\\a.bin,3/\\" + content + "/END/";
    program += "INFO:" + EncodeScriptRecord(QStringLiteral("「ok」を表示")) + '\0';
    program += "garbage after the record";
    const QString exe = dir.filePath("prog.exe");
    ASSERT_TRUE(writeWholeFile(exe, program).ok);
    const QString temp = dir.filePath("temp");
    ASSERT_TRUE(QDir().mkpath(temp));

    const LoadResult r = LoadExe(exe, temp);
    EXPECT_TRUE(r.imageEndFound);
    EXPECT_EQ(r.script, QStringLiteral("「ok」を表示"));
    ASSERT_EQ(r.extractedFiles, QStringList{QDir(temp).filePath("a.bin")});
    EXPECT_EQ(readWholeFile(r.extractedFiles[0]), content);
}

TEST(Trailer, BinaryFilesComeOutByteIdentical) {
    QTemporaryDir dir;
    QByteArray all;
    for (int i = 0; i < 256; ++i)
        all.append(char(i));
    all += "//FILE:x,1/\\INFO:/END/";
    all += all; // over one chunk of 1024 bytes
    all = all.repeated(3);
    const QList<AttachedFile> files{
        {QStringLiteral("data.bin"), all},
        {QStringLiteral("empty.txt"), QByteArray()},
        {QStringLiteral("画像.txt"), cp932::encode(QStringLiteral("漢字"))}};
    const QString exe = dir.filePath("p");
    ASSERT_TRUE(writeWholeFile(exe, ElfImage(true, false, 0x40, {{0, 0, 0}}, 0x80) +
                                        BuildTrailer(files, QStringLiteral("x")))
                    .ok);
    const LoadResult r = LoadExe(exe, dir.path());
    ASSERT_EQ(r.extractedFiles.size(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(QFileInfo(r.extractedFiles[i]).fileName(), files[i].name);
        EXPECT_EQ(readWholeFile(r.extractedFiles[i]), files[i].content) << i;
    }
    EXPECT_EQ(r.script, QStringLiteral("x"));
}

TEST(Trailer, HostileAndDamagedTrailersStayInsideTheirBounds) {
    // A name that tries to leave the temporary folder keeps only its last
    // part; a length past the end keeps what is there; no record, no script.
    const Trailer t = ParseTrailer(QByteArray("//FILE:..\\../evil,99999/\\abc"));
    ASSERT_EQ(t.files.size(), 1);
    EXPECT_EQ(t.files[0].content, QByteArray("abc"));
    EXPECT_FALSE(t.hasScript);

    QTemporaryDir dir;
    const QString exe = dir.filePath("p");
    const QString temp = dir.filePath("t");
    QDir().mkpath(temp);
    ASSERT_TRUE(writeWholeFile(exe, PeImage() + "//FILE:../../escape,1/\\x/END/"
                                                "//FILE:..,1/\\y/END/INFO:14")
                    .ok);
    const LoadResult r = LoadExe(exe, temp);
    EXPECT_EQ(r.extractedFiles, QStringList{QDir(temp).filePath("escape")});
    EXPECT_FALSE(QFile::exists(dir.filePath("escape")));
    EXPECT_EQ(r.script, QStringLiteral("A")); // a record without its NUL ends at the end
}

TEST(Trailer, ProgramWithoutImageEndReportsTheFailure) {
    QTemporaryDir dir;
    const QString exe = dir.filePath("p");
    ASSERT_TRUE(writeWholeFile(exe, "plain text INFO:14").ok);
    const LoadResult r = LoadExe(exe, dir.path());
    EXPECT_FALSE(r.imageEndFound);
    EXPECT_TRUE(r.script.isEmpty());
    EXPECT_EQ(ImageEndFailureMessage(QStringLiteral("/opt/x")),
              QStringLiteral("実行ファイルサイズの取得に失敗しました。\r\r"
                             "添付されたファイルを展開できません。\r\n/opt/x"));
}

TEST(Pack, WritesACopyWithTrailerAndReplacesAnOldOne) {
    QTemporaryDir dir;
    const QByteArray image = ElfImage(true, false, 0x40, {{0, 0, 0}, {1, 0xC0, 0x20}}, 0xE0);
    const QString engine = dir.filePath("kotodama");
    ASSERT_TRUE(writeWholeFile(engine, image + BuildTrailer({}, QStringLiteral("old"))).ok);
    const QString script = dir.filePath("s.ktd");
    const QByteArray scriptBytes = cp932::encode(QStringLiteral("「やあ」を表示\r\n終わり\r\n"));
    ASSERT_TRUE(writeWholeFile(script, scriptBytes).ok);
    const QString attach = dir.filePath("pic.bmp");
    ASSERT_TRUE(writeWholeFile(attach, QByteArray("BM\0\1\2", 5)).ok);

    const QString out = dir.filePath("game");
    const WriteResult w = PackProgram(engine, script, {attach}, out);
    ASSERT_TRUE(w.ok) << w.error.toStdString();
    const QByteArray packed = *readWholeFile(out);
    EXPECT_TRUE(packed.startsWith(image));
    EXPECT_FALSE(packed.contains("INFO:" + EncodeScriptRecord(QStringLiteral("old"))));
    EXPECT_TRUE(QFileInfo(out).isExecutable());

    const QString temp = dir.filePath("t");
    QDir().mkpath(temp);
    const LoadResult r = LoadExe(out, temp);
    EXPECT_EQ(r.script, cp932::decode(scriptBytes));
    ASSERT_EQ(r.extractedFiles.size(), 1);
    EXPECT_EQ(readWholeFile(r.extractedFiles[0]), QByteArray("BM\0\1\2", 5));

    EXPECT_FALSE(PackProgram(script, script, {}, dir.filePath("x")).ok); // not an image
    EXPECT_FALSE(PackProgram(engine, dir.filePath("missing.ktd"), {}, dir.filePath("x")).ok);
    EXPECT_FALSE(PackProgram(engine, script, {dir.filePath("missing")}, dir.filePath("x")).ok);
}

TEST(ImageEnd, RealProgramsOfThisSystemEndAtTheirFileEnd) {
    for (const QString& path :
         {QCoreApplication::applicationFilePath(), QStringLiteral("/bin/sh")}) {
        const std::optional<QByteArray> bytes = readWholeFile(QFileInfo(path).canonicalFilePath());
        ASSERT_TRUE(bytes) << path.toStdString();
        EXPECT_EQ(ImageEnd(*bytes), bytes->size()) << path.toStdString();
    }
}

TEST(Trailer, DamagedImagesAndTrailersNeverReadOutOfBounds) {
    // Every prefix and a run of seeded byte changes of both image kinds with
    // a trailer: the readers must only ever answer, never read past the end
    // (the sanitizers watch) nor keep more than the input holds.
    const QByteArray trailer = BuildTrailer({{QStringLiteral("a.bin"), QByteArray("xyz")}},
                                            QStringLiteral("「あ」を　表示"));
    const QByteArray samples[] = {
        PeImage() + trailer,
        ElfImage(true, false, 0x40, {{0, 0, 0}, {1, 0xC0, 0x20}}, 0xE0) + trailer,
        ElfImage(false, true, 0x40, {{0, 0, 0}, {1, 0x90, 0x20}}, 0xB0) + trailer,
    };
    std::uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    for (const QByteArray& sample : samples) {
        for (qsizetype n = 0; n <= sample.size(); ++n) {
            const QByteArrayView prefix(sample.constData(), n);
            const qint64 end = ImageEnd(prefix);
            EXPECT_GE(end, 0);
            const Trailer t = ParseTrailer(prefix);
            for (const AttachedFile& f : t.files)
                EXPECT_LE(f.content.size(), n);
        }
        for (int round = 0; round < 2000; ++round) {
            QByteArray damaged = sample;
            for (int k = 0; k < 4; ++k)
                damaged[qsizetype(next() % std::uint32_t(damaged.size()))] = char(next());
            EXPECT_GE(ImageEnd(damaged), 0);
            const Trailer t = ParseTrailer(damaged);
            for (const AttachedFile& f : t.files)
                EXPECT_LE(f.content.size(), damaged.size());
            DecodeScriptRecord(damaged);
        }
    }
}
