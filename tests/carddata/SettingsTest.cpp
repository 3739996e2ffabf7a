// The client's settings file: defaults, read rules and the order of a save.
#include "Fixture.h"
#include "carddata/ClientSettings.h"
#include "carddata/INIAccess.h"

#include <functional>

using namespace lumi;
using namespace lumi::test;

namespace {

TEST(Settings, NoFileGivesEveryDefault) {
    TempFolder tmp;
    const ClientSettings s = LoadINISetting(tmp.path(QStringLiteral("Lumiplay.ini")));
    EXPECT_EQ(s, ClientSettings{});
    EXPECT_EQ(s.FieldColor, 12648384);
    EXPECT_EQ(s.SSTPPort, 9801);
    EXPECT_EQ(s.SSTPLevel, 0);
    EXPECT_EQ(s.AutoBackup, 0);
    EXPECT_FALSE(s.DrawCheck || s.Moonpetal || s.MyMasterEnabled || s.GetIPfromWeb);
    EXPECT_TRUE(s.GetIPURL.endsWith(QStringLiteral("/ipaddr.php")));
    EXPECT_TRUE(s.LobbyURL.endsWith(QStringLiteral("/lmnlobby.php")));
    EXPECT_TRUE(s.DefaultName.isEmpty() && s.OnJoin.isEmpty() && s.MyMasterPath.isEmpty());
}

struct ReadRule {
    const char* name;
    const char* section;
    const char* key;
    QString value;
    std::function<bool(const ClientSettings&)> holds;
};

class SettingsReadTest : public ::testing::TestWithParam<ReadRule> {};

TEST_P(SettingsReadTest, ReadRule) {
    const ReadRule& r = GetParam();
    TempFolder tmp;
    const QString path = tmp.path(QStringLiteral("Lumiplay.ini"));
    writeCp932(path, QStringLiteral("[%1]\n%2=%3\n")
                         .arg(QLatin1String(r.section), QLatin1String(r.key), r.value));
    EXPECT_TRUE(r.holds(LoadINISetting(path))) << r.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsReadTest,
    ::testing::Values(
        ReadRule{"FlagOne", "General", "DrawCheck", QStringLiteral("1"),
                 [](auto& s) { return s.DrawCheck; }},
        ReadRule{"FlagZero", "General", "DrawCheck", QStringLiteral("0"),
                 [](auto& s) { return !s.DrawCheck; }},
        ReadRule{"FlagTrueIsOff", "View", "FieldSign", QStringLiteral("true"),
                 [](auto& s) { return !s.FieldSign; }},
        ReadRule{"FlagTwoIsOff", "General", "UsePalette", QStringLiteral("2"),
                 [](auto& s) { return !s.UsePalette; }},
        ReadRule{"MyMasterOnlyForOne", "MyMaster", "Enabled", QStringLiteral("-1"),
                 [](auto& s) { return !s.MyMasterEnabled; }},
        ReadRule{"MoonpetalRead", "General", "Moonpetal", QStringLiteral("1"),
                 [](auto& s) { return s.Moonpetal; }},
        ReadRule{"AutoBackupNumber", "General", "AutoBackup", QStringLiteral("2"),
                 [](auto& s) { return s.AutoBackup == 2; }},
        ReadRule{"AutoBackupNotANumber", "General", "AutoBackup", QStringLiteral("often"),
                 [](auto& s) { return s.AutoBackup == 0; }},
        ReadRule{"SecurityLevel", "General", "AutoBackupSecurityLevel", QStringLiteral("1"),
                 [](auto& s) { return s.AutoBackupSecurityLevel == 1; }},
        ReadRule{"FieldColorEmpty", "View", "FieldColor", QString(),
                 [](auto& s) { return s.FieldColor == 12648384; }},
        ReadRule{"FieldColorRed", "View", "FieldColor", QStringLiteral("255"),
                 [](auto& s) { return s.FieldColor == 255; }},
        ReadRule{"SSTPLevel", "General", "SSTPLevel", QStringLiteral("2"),
                 [](auto& s) { return s.SSTPLevel == 2; }},
        ReadRule{"SSTPPortEmpty", "General", "SSTPPort", QString(),
                 [](auto& s) { return s.SSTPPort == 9801; }},
        ReadRule{"SSTPPortAbove16BitSigned", "General", "SSTPPort", QStringLiteral("40000"),
                 [](auto& s) { return s.SSTPPort == 40000; }},
        ReadRule{"SSTPPortOutOfRange", "General", "SSTPPort", QStringLiteral("70000"),
                 [](auto& s) { return s.SSTPPort == 9801; }},
        ReadRule{"LobbyURLEmptyKeepsDefault", "Connection", "LobbyURL", QString(),
                 [](auto& s) { return s.LobbyURL == DefaultLobbyURL(); }},
        ReadRule{"GetIPURLReplaced", "Connection", "GetIPURL", QStringLiteral("http://h/ip.php"),
                 [](auto& s) { return s.GetIPURL == QStringLiteral("http://h/ip.php"); }},
        ReadRule{"TextUnchanged", "Sound", "OnJoin", QStringLiteral("/snd/入室.wav"),
                 [](auto& s) { return s.OnJoin == QStringLiteral("/snd/入室.wav"); }},
        ReadRule{"DefaultName", "Connection", "DefaultName", QStringLiteral("ハルナ"),
                 [](auto& s) { return s.DefaultName == QStringLiteral("ハルナ"); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Settings, SaveWritesEveryKeyInOrder) {
    TempFolder tmp;
    const QString path = tmp.path(QStringLiteral("Lumiplay.ini"));
    ClientSettings s;
    s.DefaultName = QStringLiteral("ハルナ");
    s.Moonpetal = true; // never written by the save
    ASSERT_TRUE(SaveINISetting(s, path));
    const QString expected = QStringLiteral("[Connection]\r\n"
                                            "DefaultName=ハルナ\r\n"
                                            "GetIPURL=") +
                             DefaultGetIPURL() +
                             QStringLiteral("\r\n"
                                            "GetIPfromWeb=0\r\n"
                                            "LobbyURL=") +
                             DefaultLobbyURL() +
                             QStringLiteral("\r\n"
                                            "[General]\r\n"
                                            "AutoopenOnTurnstart=0\r\n"
                                            "ManuallyTurnstart=0\r\n"
                                            "TurnendFunction=0\r\n"
                                            "DrawCheck=0\r\n"
                                            "UsePalette=0\r\n"
                                            "TurnEndReturn=0\r\n"
                                            "AutoBackup=0\r\n"
                                            "AutoBackupSecurityLevel=0\r\n"
                                            "[View]\r\n"
                                            "ChangeFieldColor=0\r\n"
                                            "FieldColor=12648384\r\n"
                                            "FieldSign=0\r\n"
                                            "[Sound]\r\n"
                                            "OnJoin=\r\n"
                                            "OnLeave=\r\n"
                                            "OnBattleStart=\r\n"
                                            "OnBattleEnd=\r\n"
                                            "OnTurnStart=\r\n"
                                            "[MyMaster]\r\n"
                                            "Enabled=0\r\n"
                                            "Path=\r\n");
    EXPECT_EQ(readCp932(path), expected);
}

TEST(Settings, SSTPKeysOnlyAboveLevelZeroAndOldLinesStay) {
    TempFolder tmp;
    const QString path = tmp.path(QStringLiteral("Lumiplay.ini"));
    ClientSettings s;
    s.SSTPLevel = 1;
    s.SSTPPort = 40000;
    ASSERT_TRUE(SaveINISetting(s, path));
    const QString withSstp = readCp932(path);
    EXPECT_TRUE(withSstp.contains(
        QStringLiteral("AutoBackupSecurityLevel=0\r\nSSTPLevel=1\r\nSSTPPort=40000\r\n[View]")));
    s.SSTPLevel = 0;
    ASSERT_TRUE(SaveINISetting(s, path));
    EXPECT_EQ(readCp932(path), withSstp);
    EXPECT_EQ(LoadINISetting(path).SSTPLevel, 1);
}

TEST(Settings, SaveThenLoadGivesTheRecordBack) {
    TempFolder tmp;
    const QString path = tmp.path(QStringLiteral("Lumiplay.ini"));
    ClientSettings s;
    s.DefaultName = QStringLiteral("カザネ使い");
    s.GetIPfromWeb = s.AutoopenOnTurnstart = s.ManuallyTurnstart = s.TurnendFunction = true;
    s.DrawCheck = s.UsePalette = s.TurnEndReturn = s.ChangeFieldColor = s.FieldSign = true;
    s.AutoBackup = 2;
    s.AutoBackupSecurityLevel = 1;
    s.SSTPLevel = 3;
    s.SSTPPort = 65535;
    s.FieldColor = 255;
    s.OnJoin = QStringLiteral("/a/j.wav");
    s.OnTurnStart = QStringLiteral("/a/t.wav");
    s.MyMasterEnabled = true;
    s.MyMasterPath = QStringLiteral("/a/自分.bmp");
    ASSERT_TRUE(SaveINISetting(s, path));
    EXPECT_TRUE(readCp932(path).contains(QStringLiteral("[MyMaster]\r\nEnabled=1\r\n")));
    EXPECT_EQ(LoadINISetting(path), s);
}

TEST(Settings, MoonpetalIsWrittenOnlyByItsOwnCall) {
    TempFolder tmp;
    const QString path = tmp.path(QStringLiteral("Lumiplay.ini"));
    ASSERT_TRUE(SaveMoonpetal(true, path));
    ClientSettings s;
    ASSERT_TRUE(SaveINISetting(s, path));
    EXPECT_TRUE(LoadINISetting(path).Moonpetal);
    ASSERT_TRUE(SaveMoonpetal(false, path));
    EXPECT_FALSE(LoadINISetting(path).Moonpetal);
}

TEST(Settings, FailedSaveReportsItsPlace) {
    TempFolder tmp;
    RecordingUser user;
    EXPECT_FALSE(
        SaveINISetting(ClientSettings{}, tmp.path(QStringLiteral("missing/Lumiplay.ini")), &user));
    ASSERT_EQ(user.boxes.size(), 1);
    EXPECT_EQ(user.boxes[0].title, QStringLiteral("エラー"));
    EXPECT_TRUE(user.boxes[0].text.contains(QStringLiteral("・発生箇所：mdlMain.SaveINISetting")));
    EXPECT_TRUE(user.boxes[0].text.contains(
        QStringLiteral("・エラー番号：75\r\n・エラー内容：パス/ファイル アクセス エラーです。 (")));
    EXPECT_TRUE(user.endCalls.isEmpty());
}

} // namespace
