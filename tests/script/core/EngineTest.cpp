// The engine object's operations, its events, the persistent stores and
// script files run from a script.
#include "ScriptTestSupport.h"
#include "common/Cp932.h"
#include "common/TextFile.h"
#include "script/core/KtdEngine.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace lumi;
using namespace lumi::test;

namespace {
QString lines(const char* s) {
    return QString::fromUtf8(s).replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}
std::string text(const QString& s) {
    return s.toStdString();
}

// A DLL layer that knows one function: "libtest"'s "twice" doubles its first
// number, "upper" writes its text argument back in capitals.
class DllSystem : public MemorySystem {
public:
    QStringList calls;
    KtdDllStatus callDll(const QString& library, const QString& function,
                         QList<KtdDllArgument>& args, qint32& result) override {
        calls << library + QLatin1Char('|') + function;
        if (library != QStringLiteral("libtest"))
            return KtdDllStatus::LibraryNotFound;
        if (function == QStringLiteral("twice") && !args.isEmpty()) {
            result = args[0].number * 2;
            return KtdDllStatus::Ok;
        }
        if (function == QStringLiteral("upper") && !args.isEmpty()) {
            args[0].text = args[0].text.toUpper();
            result = int(args[0].text.size());
            return KtdDllStatus::Ok;
        }
        if (function == QStringLiteral("fields") && !args.isEmpty()) {
            for (KtdDllField& f : args[0].fields)
                f.number += 1;
            return KtdDllStatus::Ok;
        }
        return KtdDllStatus::FunctionNotFound;
    }
};
} // namespace

TEST(Engine, MainLoopSkipsProceduresAndLabels) {
    ScriptRun r;
    EXPECT_EQ(
        text(r.run(lines("手順は　挨拶\n「hello」を表示\n終わり\nラベル：\n「after」を表示"))),
        "after\n");
    EXPECT_EQ(r.ktd.GetStatus(), 0);
}

TEST(Engine, NormalisationTurnsOwariReadingAndTabs) {
    ScriptRun r;
    EXPECT_EQ(text(r.run(lines("手順は　Ｐ\n\t「in」を表示\nおわり\nＰ"))), "in\n");
}

TEST(Engine, GetForEditorListsVariablesInCreationOrder) {
    ScriptRun r;
    r.run(lines("b は　1\nＡ（２）は　「x,y」\nb は　2"));
    EXPECT_EQ(text(r.ktd.GetForEditor(1)), text(QStringLiteral("◆ｂ\r\n2\r\n◆Ａ\r\n,x,y\r\n")));
    EXPECT_EQ(text(r.ktd.GetForEditor(2)), "");
}

TEST(Engine, GetSetInfoKinds) {
    ScriptRun r;
    r.run(lines("Ａは　５\n手順は　Ｐ\n「p」を表示\n終わり"));
    EXPECT_EQ(text(r.ktd.GetSetInfo(QStringLiteral("変数"), QStringLiteral("Ａ＋１")).toString()),
              "6");
    r.ktd.GetSetInfo(QStringLiteral("手順"), QStringLiteral("Ｐ"));
    EXPECT_EQ(text(r.user.output), "p\n");
    EXPECT_EQ(text(r.ktd.GetSetInfo(QStringLiteral("分割"), QStringLiteral("のＡのＢ「xのy」のＣ"))
                       .toString()),
              text(QStringLiteral("のＡ\tＢ「xのy」\tＣ")));
    EXPECT_EQ(text(r.ktd.GetSetInfo(QStringLiteral("バージョン"), QString()).toString()),
              "0.52.292");
    EXPECT_TRUE(r.ktd.GetSetInfo(QStringLiteral("チェック"), QString()).toBool());
    r.ktd.GetSetInfo(QStringLiteral("コマンドライン"), QStringLiteral("\"a b\""));
    r.ktd.RunComnd(QStringLiteral("起動時設定を表示"));
    EXPECT_TRUE(r.user.output.endsWith(QStringLiteral("a b\n")));
    r.ktd.RunComnd(QStringLiteral("Ａに　Ｂを　送れ"));
    EXPECT_EQ(text(r.ktd.GetSetInfo(QStringLiteral("引数"), QStringLiteral("を\tへ")).toString()),
              "Ｂ\tＡ");
}

TEST(Engine, TrustFollowsTheAccessNumber) {
    ScriptRun r;
    r.system.security = QStringLiteral("False");
    r.run(lines("「x」を　保存"), false);
    EXPECT_EQ(r.user.boxes.size(), 1); // refused
    r.ktd.GetSetInfo(QStringLiteral("チェック番号"), QString::number(r.system.number));
    r.user.boxes.clear();
    r.ktd.RunComnd(QStringLiteral("「x」を　保存"));
    EXPECT_EQ(r.user.boxes.size(), 0);
}

TEST(Engine, EventsReachTheHost) {
    ScriptRun r;
    QStringList seen;
    r.ktd.RunCmd = [&](bool& cancel, const QString& target, const QString& command) {
        seen << command + QLatin1Char('|') + target;
    };
    r.ktd.GetData = [&](QString& answer, const QString& name) {
        answer = name == QStringLiteral("x") ? QStringLiteral("True") : QStringLiteral("v");
    };
    r.ktd.SetData = [&](bool& cancel, const QString& argument, const QVariant& number,
                        const QString& value, const QString& name) {
        seen << QStringLiteral("set|") + name + QLatin1Char('|') + value + QLatin1Char('|') +
                    number.toString();
        cancel = true;
    };
    r.run(lines("呼び出し元の窓を　知らせる"));
    EXPECT_EQ(text(r.ktd.xCallBack(0, QStringLiteral("x"), QString())), "{no}");
    EXPECT_EQ(text(r.ktd.xCallBack(0, QStringLiteral("y"), QString())), "v");
    EXPECT_EQ(text(r.ktd.xCallBack(1, QStringLiteral("n"), QStringLiteral("１＋２"))), "False");
    EXPECT_EQ(text(r.ktd.xCallBack(2, QStringLiteral("cmd"), QStringLiteral("arg"))), "True");
    EXPECT_EQ(text(seen.join(QLatin1Char(';'))),
              text(QStringLiteral("知らせる|呼び出し元の窓;set|n|3|3;cmd|arg")));
    EXPECT_EQ(r.user.boxes.size(), 0);
}

TEST(Engine, DebugHostReceivesErrorsAndReports) {
    ScriptRun r;
    QStringList seen;
    r.ktd.SetDebugObj(true);
    r.ktd.GetSetInfo(QStringLiteral("高度エラーメッセージ"), QStringLiteral("True"));
    r.ktd.RunCmd = [&](bool&, const QString& target, const QString& command) {
        seen << command + QLatin1Char('|') + target;
    };
    r.ktd.GetData = [&](QString& answer, const QString&) { answer = QStringLiteral("2"); };
    r.ktd.Run(lines("Ａは　１\n「x」を　報告\n見せろ\n「never」を表示"), r.system.number, QString(),
              1);
    ASSERT_EQ(seen.size(), 2);
    EXPECT_EQ(text(seen[0]), "報告|x");
    EXPECT_TRUE(seen[1].startsWith(QStringLiteral("エラー|知らない命令です。")));
    EXPECT_TRUE(seen[1].endsWith(QStringLiteral("［3行目　エラー番号1］")));
    EXPECT_EQ(r.user.boxes.size(), 0); // the host answered Cancel
    EXPECT_EQ(r.ktd.GetStatus(), 3);
    EXPECT_EQ(text(r.ktd.GetErrWord()), "見せろ");
}

TEST(Engine, UsedFilesAndTheirDeletion) {
    QTemporaryDir dir;
    const QString f = dir.filePath(QStringLiteral("used.txt"));
    ASSERT_TRUE(writeWholeFile(f, "x").ok);
    ScriptRun r;
    r.run(QStringLiteral("使うファイルは　「%1」\r\n使うファイルは、b\r\n使うファイルは c\r\n")
              .arg(f));
    EXPECT_EQ(r.ktd.UsedFiles(), (QStringList{QStringLiteral("「%1」").arg(f), QStringLiteral("b"),
                                              QStringLiteral("c")}));
    EXPECT_EQ(r.user.boxes.size(), 0);
    r.ktd.DeleteUsedFiles();
    EXPECT_FALSE(QFile::exists(f));
}

TEST(Engine, ExecuteReferenceAndJapaneseProcessing) {
    QTemporaryDir dir;
    const QString sub = dir.filePath(QStringLiteral("sub.ktd"));
    ASSERT_TRUE(writeWholeFile(
                    sub, cp932::encode(QStringLiteral(
                             "「sub」を表示\r\n手順は　外\r\n「outer proc」を表示\r\n終わり\r\n")))
                    .ok);
    const QString self = dir.filePath(QStringLiteral("self.ktd"));
    ASSERT_TRUE(
        writeWholeFile(self, cp932::encode(QStringLiteral("「%1」を　実行\r\n").arg(self))).ok);
    {
        ScriptRun r;
        r.run(QStringLiteral(
                  "「%"
                  "1」を　実行\r\n「main」を表示\r\n挨拶\r\n手順は　挨拶\r\n「hi」を表示\r\n終わり")
                  .arg(sub));
        EXPECT_EQ(text(r.user.output), "sub\nmain\nhi\n");
    }
    {
        ScriptRun r;
        r.run(QStringLiteral("「%1」を　参照\r\n外\r\n「end」を表示").arg(sub));
        EXPECT_EQ(text(r.user.output), "outer proc\nend\n");
    }
    {
        ScriptRun r;
        r.run(lines("「無い.ktd」を　実行"));
        EXPECT_EQ(text(r.user.output), "無い.ktdが見つかりません。\n［1行目　エラー番号201］\n");
    }
    {
        ScriptRun r; // a script that runs itself stops with an error instead of overflowing
        r.run(QStringLiteral("「%1」を　実行").arg(self));
        EXPECT_TRUE(r.user.output.startsWith(QStringLiteral("実行の入れ子が深すぎます。")))
            << text(r.user.output);
    }
    {
        ScriptRun r;
        r.run(lines("「「new」を表示」を　日本語処理\n「old」を表示"));
        EXPECT_EQ(text(r.user.output), "new\n");
    }
    {
        ScriptRun r; // a scrambled file: reversed, with byte 5 for each line end
        const QString packed = dir.filePath(QStringLiteral("packed.ktd"));
        QString body = QStringLiteral("「a」を表示\x05「b」を表示");
        std::reverse(body.begin(), body.end());
        ASSERT_TRUE(writeWholeFile(packed, cp932::encode(body)).ok);
        r.run(QStringLiteral("「%1」を　実行").arg(packed));
        EXPECT_EQ(text(r.user.output), "a\nb\n");
        EXPECT_FALSE(QFile::exists(packed));
    }
}

TEST(Engine, PersistentStores) {
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("s.ini"));
    ScriptRun r;
    r.run(QStringLiteral("設定ファイルは　「%1」\r\n").arg(ini) +
          lines("「v1」を　設定ファイルの「sec」の「key」に　設定\n"
                "設定（設定ファイルの「sec」の「key」）を表示\n"
                "「rv」を　レジストリの「HKEY_CURRENT_USER\\Software\\k\\name」に　設定\n"
                "設定（レジストリの「hkey_current_user\\Software\\k\\name」）を表示\n"
                "「x」を　レジストリの「HKEY_NOPE\\a\\b」に　設定\n"
                "「x」を　レジストリの「nokey」に　設定\n"
                "「av」を　「app」の「k」に　設定\n"
                "設定（「app」の「k」）を表示\n"
                "設定（「app」）を表示"));
    EXPECT_EQ(text(r.user.output),
              "v1\nrv\nキーが正しくありません。\nHKEY_NOPE\n［6行目　エラー番号32］\n"
              "キーが不正です。\nキーを指定するときは「 "
              "」をつける必要があります。\n［7行目　エラー番号0］\n"
              "av\n命令に必要な情報（助詞・引数）が不足しています。\n［10行目　エラー番号35］\n\n");
    EXPECT_EQ(r.system.registry.count(QStringLiteral("HKEY_CURRENT_USER\\Software\\k\\name")), 1u);
    EXPECT_EQ(r.system.appSettings.count(QStringLiteral("AppSettings\\app|k")), 1u);
    std::optional<QByteArray> bytes = readWholeFile(ini);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->toStdString(), "[sec]\r\nkey=v1\r\n");
}

TEST(Engine, DeclaredWordsAndDllCalls) {
    DllSystem system;
    RecordingUser user;
    KTD ktd(user, &system);
    ktd.Run(lines("libtestのtwiceを　倍として　宣言\n"
                  "libtestのupperを　大として　宣言\n"
                  "libtestのfieldsを　欄として　宣言\n"
                  "21を　倍\n"
                  "それを表示\n"
                  "Ｔは　「abc」\n"
                  "Ｔを　大\n"
                  "Ｔ＆それを表示\n"
                  "Ｆは　「p,q」\npは　1\nqは　5\n"
                  "＠Ｆを　欄\n"
                  "p＆qを表示\n"
                  "nolibのfで　呼び出せ\n"
                  "libtestのnoneで　呼び出せ"),
            system.number, QString(), 0);
    EXPECT_EQ(text(user.output),
              "42\nABC3\n26\nDLLファイル　nolibが見つかりません。\n［14行目　エラー番号601］\n"
              "DLL関数　noneが見つかりません。\n［15行目　エラー番号602］\n");
    EXPECT_EQ(system.calls.first().toStdString(), "libtest|twice");
}

TEST(Engine, DeclaredDllWordsInTheirOtherForms) {
    struct Row {
        const char* script;
        const char* output;
    };
    const Row rows[] = {
        // A quoted object names the library and function without its quotes.
        {"「libtestのtwice」を　倍として　宣言\n21を　倍\nそれを表示", "42\n"},
        {"「libtestのnone」を　無として　宣言\n1を　無",
         "DLL関数　noneが見つかりません。\n［5行目　エラー番号602］\n"},
        // The value form passes its arguments as the command form does.
        {"libtestのtwiceを　倍として　宣言\n倍（-7）を表示", "-14\n"},
        {"libtestのtwiceを　倍として　宣言\nＸは　倍（３）＋１\nＸを表示", "7\n"},
        {"libtestのupperを　大として　宣言\nＴは　「abc」\n大（Ｔ）＆Ｔを表示", "3ABC\n"},
        {"libtestのtwiceを　ｄｂとして　宣言\ndb（4）を表示", "8\n"},
    };
    for (const Row& row : rows) {
        DllSystem system;
        RecordingUser user;
        KTD ktd(user, &system);
        ktd.Run(lines(row.script), system.number, QString(), 0);
        EXPECT_EQ(text(user.output), row.output) << row.script;
    }
}

TEST(Tables, CommandLookups) {
    struct Row {
        const char* word;
        int exact;
        int contained;
    };
    const Row rows[] = {
        {"追加保存する", -1, 14},     {"表示しろ", -1, 1}, {"起動して待てよ", -1, 4},
        {"起動して待て", 5, 4},       {"すす", 42, 42},    {"パターンマッチ", 40, 40},
        {"メニューかいし", -1, -1},   {"右へ", 700, 700},  {"ファイル属性変更する", -1, 404},
        {"大きくスタンプ", 710, 710},
    };
    RecordingUser user;
    KTD ktd(user);
    for (const Row& r : rows) {
        const QString w = QString::fromUtf8(r.word);
        EXPECT_EQ(ktd.engine().LookupCommand(w), r.exact) << r.word;
        EXPECT_EQ(KtdEngine::ContainedCommand(w), r.contained) << r.word;
    }
    // Row counts as the tables are published.
    EXPECT_EQ(ktdTable(101).words.size(), 225);
    EXPECT_EQ(ktdTable(102).words.size(), 166);
    EXPECT_EQ(ktdTable(206).words.size(), 42);
    EXPECT_EQ(ktdTable(106).values.value(ktdTable(106).lookup(QStringLiteral("22"))).toStdString(),
              "\"「」\"がありません。");
}

TEST(Tables, ShowNamesItsTextWithTo) {
    ScriptRun r;
    EXPECT_EQ(text(r.run(lines("「a。b」と表示\n「はい」を　質問で　表示\nそれを表示"))),
              "a。b\nはい\n1\n");
    EXPECT_EQ(r.user.boxes[1].icon, BoxIcon::Question);
}
