// Installation layout, path helpers and the shared error report.
#include "Fixture.h"
#include "carddata/InstallPaths.h"
#include "carddata/ReportError.h"

using namespace lumi;
using namespace lumi::test;

namespace {

TEST(InstallPathsTest, LayoutUnderTheAppFolder) {
    for (const QString& app : {QStringLiteral("/opt/lumi"), QStringLiteral("/opt/lumi/")}) {
        const InstallPaths p = InstallPaths::fromAppPath(app);
        EXPECT_EQ(p.AppPath, QStringLiteral("/opt/lumi/"));
        EXPECT_EQ(p.SystemPath, QStringLiteral("/opt/lumi/system/"));
        EXPECT_EQ(p.CardsPath, QStringLiteral("/opt/lumi/system/cards/"));
        EXPECT_EQ(p.DeckPath, QStringLiteral("/opt/lumi/deck/"));
        EXPECT_EQ(p.StatePath, QStringLiteral("/opt/lumi/system/state/"));
        EXPECT_EQ(p.RulesPath, QStringLiteral("/opt/lumi/system/rules/"));
        EXPECT_EQ(p.StatBkupPath, QStringLiteral("/opt/lumi/StatBkup/"));
        EXPECT_EQ(p.DocumentsPath, QStringLiteral("/opt/lumi/system/documents/"));
        EXPECT_EQ(p.SettingsFile, QStringLiteral("/opt/lumi/Lumiplay.ini"));
        EXPECT_EQ(p.BackupFile, QStringLiteral("/opt/lumi/backup.lms"));
    }
}

TEST(InstallPathsTest, FirstStartCreatesTheSevenFolders) {
    TempFolder tmp;
    const InstallPaths p = InstallPaths::fromAppPath(tmp.dir.path());
    ASSERT_TRUE(EnsureInstallFolders(p));
    for (const char* f : {"system", "system/cards", "system/state", "system/rules",
                          "system/documents", "deck", "StatBkup"})
        EXPECT_TRUE(QFileInfo(tmp.path(QLatin1String(f))).isDir()) << f;
    // Existing folders are fine, silently.
    EXPECT_TRUE(EnsureInstallFolders(p));
}

TEST(InstallPathsTest, EnsureFolderCreatesOneLevelOnly) {
    TempFolder tmp;
    EXPECT_FALSE(EnsureFolder(tmp.path(QStringLiteral("a/b/"))));
    EXPECT_TRUE(EnsureFolder(tmp.path(QStringLiteral("a/"))));
    EXPECT_TRUE(EnsureFolder(tmp.path(QStringLiteral("a/b/"))));
}

TEST(PathHelpers, AddDirSepGetFileNameRemoveExtension) {
    struct Case {
        QString path, withSep, fileName, noExtension;
    };
    const Case cases[] = {
        {QStringLiteral("/a/b"), QStringLiteral("/a/b/"), QStringLiteral("b"),
         QStringLiteral("/a/b")},
        {QStringLiteral("/a/b/"), QStringLiteral("/a/b/"), QStringLiteral("b/"),
         QStringLiteral("/a/b/")},
        {QStringLiteral("/c/Kirinami.lml"), QStringLiteral("/c/Kirinami.lml/"),
         QStringLiteral("Kirinami.lml"), QStringLiteral("/c/Kirinami")},
        {QStringLiteral("/c.d/file"), QStringLiteral("/c.d/file/"), QStringLiteral("file"),
         QStringLiteral("/c.d/file")},
        {QStringLiteral("x.tar.gz"), QStringLiteral("x.tar.gz/"), QStringLiteral("x.tar.gz"),
         QStringLiteral("x.tar")},
        {QStringLiteral("/e/v1.0 beta"), QStringLiteral("/e/v1.0 beta/"),
         QStringLiteral("v1.0 beta"), QStringLiteral("/e/v1.0 beta")},
        {QStringLiteral("/e/my deck.ini"), QStringLiteral("/e/my deck.ini/"),
         QStringLiteral("my deck.ini"), QStringLiteral("/e/my deck")},
        {QStringLiteral("/d/霧波.lml"), QStringLiteral("/d/霧波.lml/"), QStringLiteral("霧波.lml"),
         QStringLiteral("/d/霧波")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AddDirSep(c.path), c.withSep) << c.path.toStdString();
        EXPECT_EQ(GetFileName(c.path), c.fileName) << c.path.toStdString();
        EXPECT_EQ(RemoveExtension(c.path), c.noExtension) << c.path.toStdString();
    }
    EXPECT_EQ(AddDirSep(QString()), QString());
    EXPECT_EQ(GetFileName(QStringLiteral("/c/name") + QChar(u'\0') + QStringLiteral("rest")),
              QStringLiteral("name"));
    EXPECT_EQ(GetFileName(RemoveExtension(QStringLiteral("/x/cards/Akatsuki.lml"))),
              QStringLiteral("Akatsuki"));
}

const QString details = QStringLiteral(
    "・エラー番号：62\r\n・エラー内容：ファイルの終わりを越えて入力しようとしました。\r\n"
    "・発生箇所：CardList.LoadCardlist");

TEST(ReportErrorTest, BoxTextTitleIconAndButtons) {
    RecordingUser user;
    ReportError(user, 62, QStringLiteral("ファイルの終わりを越えて入力しようとしました。"),
                QStringLiteral("CardList.LoadCardlist"));
    ASSERT_EQ(user.boxes.size(), 1);
    const MessageBoxRequest& b = user.boxes[0];
    EXPECT_EQ(b.text, QStringLiteral("以下のエラーが発生しました。\r\n") + details +
                          QStringLiteral(
                              "\r\nこのエラーが同じ所で何度も起こる場合は作者に連絡してください。"
                              "エラーの内容をクリップボードにコピーしますか？"));
    EXPECT_EQ(b.title, QStringLiteral("エラー"));
    EXPECT_EQ(b.icon, BoxIcon::Warning);
    EXPECT_EQ(b.buttons, BoxButtons::YesNo);
    EXPECT_EQ(buttonsOf(b.buttons).at(b.defaultButton), BoxResult::No);
    EXPECT_TRUE(user.clipboard.isEmpty());
    EXPECT_TRUE(user.endCalls.isEmpty());
}

TEST(ReportErrorTest, YesCopiesOnlyTheDetails) {
    RecordingUser user;
    user.answers = {BoxResult::Yes};
    ReportError(user, 62, QStringLiteral("ファイルの終わりを越えて入力しようとしました。"),
                QStringLiteral("CardList.LoadCardlist"));
    EXPECT_EQ(user.clipboard, QStringList{details});
}

TEST(ReportErrorTest, MissingComponentEndsTheClientButNotTheDeckBuilder) {
    RecordingUser client, builder;
    ReportError(client, 339, QStringLiteral("x"), QStringLiteral("mdlMain.Main"));
    ReportError(builder, 339, QStringLiteral("x"), QStringLiteral("mdlMain.Main"), true);
    EXPECT_EQ(client.endCalls.size(), 1);
    EXPECT_TRUE(builder.endCalls.isEmpty());
    EXPECT_EQ(builder.boxes.size(), 1);
}

} // namespace
