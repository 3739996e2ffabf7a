#include "common/TextFile.h"
#include "script/sys/AccessNumber.h"
#include "script/sys/Registry.h"
#include "script/sys/ZekoSys.h"

#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace lumi;

namespace {
const QString HKCU = QStringLiteral("HKEY_CURRENT_USER");
}

TEST(Registry, ValuesPersistAcrossInstancesAndIgnoreLetterCase) {
    QTemporaryDir dir;
    const QString file = dir.filePath("sub/registry.txt");
    {
        Registry reg(file);
        EXPECT_TRUE(reg.SetValue(QStringLiteral("hkey_current_user"),
                                 QStringLiteral("Software\\Kotodama\\Test"), QStringLiteral("Name"),
                                 QStringLiteral("値 \"quoted\" \\ back\r\nslash")));
        EXPECT_TRUE(reg.SetValue(HKCU, QStringLiteral("Software\\Kotodama\\Test"), QString(),
                                 QStringLiteral("default")));
        EXPECT_TRUE(reg.SetValue(HKCU, QStringLiteral("software\\KOTODAMA\\test"),
                                 QStringLiteral("NAME"), QStringLiteral("second")));
        EXPECT_TRUE(reg.SetValue(HKCU, QStringLiteral("Software\\Kotodama\\Test"),
                                 QStringLiteral("改行"), QStringLiteral("a\r\nb\tc")));
    }
    Registry reg(file);
    EXPECT_EQ(reg.Value(HKCU, QStringLiteral("SOFTWARE\\kotodama\\TEST"), QStringLiteral("name")),
              QStringLiteral("second"));
    EXPECT_EQ(reg.Value(HKCU, QStringLiteral("Software\\Kotodama\\Test"), QString()),
              QStringLiteral("default"));
    EXPECT_EQ(reg.Value(HKCU, QStringLiteral("Software\\Kotodama\\Test"), QStringLiteral("改行")),
              QStringLiteral("a\r\nb\tc"));
    EXPECT_EQ(reg.ValueNames(HKCU, QStringLiteral("Software\\Kotodama\\Test")),
              (QStringList{QStringLiteral("Name"), QString(), QStringLiteral("改行")}));
    // Parents exist once a child was written.
    EXPECT_TRUE(reg.KeyExists(HKCU, QStringLiteral("Software")));
    EXPECT_EQ(reg.SubKeys(HKCU, QStringLiteral("Software\\Kotodama")),
              QStringList{QStringLiteral("Test")});
    EXPECT_EQ(reg.Value(HKCU, QStringLiteral("Software\\Kotodama\\Test"), QStringLiteral("none")),
              std::nullopt);
    EXPECT_EQ(reg.Value(QStringLiteral("HKEY_LOCAL_MACHINE"),
                        QStringLiteral("Software\\Kotodama\\Test"), QStringLiteral("Name")),
              std::nullopt);
}

TEST(Registry, RefusesWhatItCannotKeep) {
    QTemporaryDir dir;
    Registry reg(dir.filePath("r.txt"));
    EXPECT_FALSE(reg.SetValue(QStringLiteral("HKEY_NOWHERE"), QStringLiteral("a"),
                              QStringLiteral("b"), QStringLiteral("c")));
    EXPECT_FALSE(
        reg.SetValue(HKCU, QStringLiteral("a]\r\n[b"), QStringLiteral("x"), QStringLiteral("c")));
    EXPECT_FALSE(reg.DeleteKey(HKCU, QStringLiteral("missing")));
    EXPECT_FALSE(reg.DeleteKey(HKCU, QString())); // a root stays
    EXPECT_FALSE(reg.DeleteValue(HKCU, QStringLiteral("missing"), QStringLiteral("x")));
    EXPECT_FALSE(QFile::exists(dir.filePath("r.txt")));
    // A registry file that cannot be written reports it.
    Registry blocked(dir.filePath("r.txt/inside"));
    ASSERT_TRUE(writeWholeFile(dir.filePath("r.txt"), "not a folder").ok);
    EXPECT_FALSE(
        blocked.SetValue(HKCU, QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")));
    EXPECT_EQ(Registry::NormaliseRoot(QStringLiteral("Hkey_Dyn_Data")),
              QStringLiteral("HKEY_DYN_DATA"));
    EXPECT_EQ(Registry::RootNames().size(), 7);
}

TEST(Registry, DeletingAKeyTakesItsSubKeysButNotItsNamesakes) {
    QTemporaryDir dir;
    Registry reg(dir.filePath("r.txt"));
    reg.SetValue(QStringLiteral("HKEY_CLASSES_ROOT"), QStringLiteral(".txt"), QString(),
                 QStringLiteral("TXTFile"));
    reg.SetValue(QStringLiteral("HKEY_CLASSES_ROOT"),
                 QStringLiteral("TXTFile\\shell\\open\\command"), QString(),
                 QStringLiteral("edit %1"));
    reg.SetValue(QStringLiteral("HKEY_CLASSES_ROOT"), QStringLiteral("TXTFileOther"),
                 QStringLiteral("v"), QStringLiteral("keep"));
    EXPECT_TRUE(reg.DeleteKey(QStringLiteral("HKEY_CLASSES_ROOT"), QStringLiteral("txtfile")));
    EXPECT_FALSE(
        reg.KeyExists(QStringLiteral("HKEY_CLASSES_ROOT"), QStringLiteral("TXTFile\\shell")));
    EXPECT_EQ(reg.Value(QStringLiteral("HKEY_CLASSES_ROOT"), QStringLiteral("TXTFileOther"),
                        QStringLiteral("v")),
              QStringLiteral("keep"));
    EXPECT_EQ(reg.Value(QStringLiteral("HKEY_CLASSES_ROOT"), QStringLiteral(".txt"), QString()),
              QStringLiteral("TXTFile"));
}

TEST(AppSettings, SaveGetAndDeleteKeysAndSections) {
    QTemporaryDir dir;
    Registry reg(dir.filePath("r.txt"));
    AppSettings s(reg);
    const QString app = QStringLiteral("Kotodama");
    const QString section = QStringLiteral("AppSettings\\スコア");
    EXPECT_TRUE(s.SaveSetting(app, section, QStringLiteral("最高"), QStringLiteral("100")));
    EXPECT_TRUE(s.SaveSetting(app, section, QStringLiteral("名前"), QStringLiteral("太郎")));
    EXPECT_EQ(s.GetSetting(app, section, QStringLiteral("最高")), QStringLiteral("100"));
    EXPECT_EQ(s.GetSetting(app, section, QStringLiteral("無い"), QStringLiteral("dflt")),
              QStringLiteral("dflt"));
    EXPECT_TRUE(s.DeleteSetting(app, section, QStringLiteral("最高")));
    EXPECT_EQ(s.GetSetting(app, section, QStringLiteral("最高")), QString());
    EXPECT_EQ(s.GetSetting(app, section, QStringLiteral("名前")), QStringLiteral("太郎"));
    EXPECT_TRUE(s.DeleteSetting(app, section));
    EXPECT_EQ(s.GetSetting(app, section, QStringLiteral("名前")), QString());
    EXPECT_FALSE(s.DeleteSetting(app, section));
}

TEST(ZekoSys, ScramblerKeepsLengthAndInvertsExactly) {
    const QString word = ZekoSys::Word();
    const QString samples[] = {
        QStringLiteral("Kotodama\\Sec"), QStringLiteral("True"),
        QStringLiteral("0123456789"),    QStringLiteral("ん・ヺーあ漢字"),
        QStringLiteral(" ~!\"#=ｱ"),      QString(QChar(0xD7FF)) + QChar(0xE000) + QChar(0xFFFD),
    };
    QSet<QChar> seen;
    for (const QString& s : samples) {
        const QString out = ZekoSys::AngouOut(s, word);
        EXPECT_EQ(out.size(), s.size()) << s.toStdString();
        EXPECT_NE(out, s) << s.toStdString();
        EXPECT_FALSE(out.contains(QLatin1Char('\r')) || out.contains(QLatin1Char('\n')));
        EXPECT_EQ(ZekoSys::AngouIn(out, word), s) << s.toStdString();
    }
    EXPECT_EQ(ZekoSys::AngouOut(QStringLiteral("ん"), word), QString(QChar(11)));
    EXPECT_EQ(ZekoSys::AngouOut(QStringLiteral("ヺ"), word), QStringLiteral("ー")); // skips ・
    EXPECT_EQ(ZekoSys::AngouOut(QStringLiteral("K"), word), QStringLiteral("A"));
    EXPECT_EQ(ZekoSys::AngouOut(QStringLiteral("True"), QStringLiteral("nope")), QString());
    EXPECT_EQ(ZekoSys::AngouIn(QStringLiteral("True"), QString()), QString());
}

TEST(ZekoSys, EntriesAreReadReplacedInsertedAndDeleted) {
    QTemporaryDir dir;
    const QString file = ZekoSys::FilePathIn(dir.path());
    EXPECT_TRUE(file.endsWith(QStringLiteral("/sysdatze.zrf")));
    ZekoSys z(file);
    EXPECT_EQ(z.GetYSetting(QStringLiteral("Kotodama\\Sec"), QStringLiteral("True")),
              QStringLiteral("True"));

    ASSERT_TRUE(z.SetYSetting(QStringLiteral("Kotodama\\Sec"), QStringLiteral("False")));
    ASSERT_TRUE(z.SetYSetting(QStringLiteral("Other"), QStringLiteral("line\r\nfeeds")));
    EXPECT_EQ(z.GetYSetting(QStringLiteral("Kotodama\\Sec")), QStringLiteral("False"));
    EXPECT_EQ(z.GetYSetting(QStringLiteral("Other")), QStringLiteral("linefeeds"));
    // Inserted first, replaced in place, ends with CR LF.
    QByteArray bytes = *readWholeFile(file);
    EXPECT_TRUE(bytes.endsWith("\r\n"));
    EXPECT_TRUE(bytes.startsWith(
        (ZekoSys::AngouOut(QStringLiteral("Other"), ZekoSys::Word()) + QLatin1Char('=')).toUtf8()));
    ASSERT_TRUE(z.SetYSetting(QStringLiteral("Kotodama\\Sec"), QStringLiteral("1")));
    bytes = *readWholeFile(file);
    EXPECT_EQ(bytes.count("\r\n"), 2);
    EXPECT_TRUE(bytes.endsWith(
        (ZekoSys::AngouOut(QStringLiteral("Kotodama\\Sec"), ZekoSys::Word()) + QLatin1Char('=') +
         ZekoSys::AngouOut(QStringLiteral("1"), ZekoSys::Word()) + QStringLiteral("\r\n"))
            .toUtf8()));
    // The clear name appears nowhere.
    EXPECT_FALSE(bytes.contains("Kotodama"));

    ASSERT_TRUE(z.SetYSetting(QStringLiteral("Kotodama\\Sec"), QStringLiteral("{{{Del}}}")));
    EXPECT_FALSE(z.HasYSetting(QStringLiteral("Kotodama\\Sec")));
    EXPECT_EQ(z.GetYSetting(QStringLiteral("Kotodama\\Sec"), QStringLiteral("d")),
              QStringLiteral("d"));
    EXPECT_TRUE(z.HasYSetting(QStringLiteral("Other")));
}

TEST(AccessNumber, DependsOnTheDayAndIsNeverZero) {
    QSet<qint32> numbers;
    for (QDate d(2026, 1, 1); d.year() == 2026; d = d.addDays(1)) {
        const qint32 n = AccessNumber(d);
        EXPECT_NE(n, 0);
        EXPECT_EQ(n, AccessNumber(QDate(d.year(), d.month(), d.day())));
        numbers.insert(n);
    }
    EXPECT_EQ(numbers.size(), 365);
}
