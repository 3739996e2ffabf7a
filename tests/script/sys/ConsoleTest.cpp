// The kotodama program as the outside world drives it: a real process,
// scripts in real files, UTF-8 on stdin and stdout.

#include "common/Cp932.h"
#include "common/TextFile.h"
#include "script/sys/PackagedScript.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>

using namespace lumi;

// Outputs are compared as UTF-8 so that a failure reads as text.
static std::string U(const QString& s) {
    return s.toStdString();
}

namespace {

struct Outcome {
    QString out;
    QString err;
    int status = -1;
    bool crashed = false;
};

class Console {
public:
    Console() {
        env_ = QProcessEnvironment::systemEnvironment();
        env_.insert(QStringLiteral("XDG_CONFIG_HOME"), dir_.filePath(QStringLiteral("config")));
        env_.insert(QStringLiteral("TMPDIR"), temp());
        QDir().mkpath(temp());
        env_.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    }
    QString path(const QString& name) const { return dir_.filePath(name); }
    QString temp() const { return dir_.filePath(QStringLiteral("tmp")); }

    QString write(const QString& name, const QString& script) const {
        const QString p = path(name);
        EXPECT_TRUE(writeWholeFile(p, cp932::encode(script)).ok);
        return p;
    }

    Outcome run(const QStringList& args, const QByteArray& input = {},
                const QString& program = QStringLiteral(KOTODAMA_PROGRAM)) const {
        QProcess p;
        p.setProcessEnvironment(env_);
        p.setWorkingDirectory(dir_.path());
        p.start(program, args);
        Outcome o;
        if (!p.waitForStarted(10000))
            return o;
        p.write(input);
        p.closeWriteChannel();
        if (!p.waitForFinished(30000)) {
            p.kill();
            p.waitForFinished();
            o.crashed = true;
        }
        o.out = QString::fromUtf8(p.readAllStandardOutput());
        o.err = QString::fromUtf8(p.readAllStandardError());
        o.crashed = o.crashed || p.exitStatus() != QProcess::NormalExit;
        o.status = p.exitCode();
        return o;
    }

    // A copy of the engine program under another name.
    QString copyProgram(const QString& name) const {
        const QString p = path(name);
        QFile::remove(p);
        EXPECT_TRUE(QFile::copy(QStringLiteral(KOTODAMA_PROGRAM), p));
        return p;
    }

private:
    QTemporaryDir dir_;
    QProcessEnvironment env_;
};

} // namespace

TEST(Console, BoxesGoToStdoutAndAreAnsweredByTheirDefaultButton) {
    struct Case {
        const char* what;
        QString script;
        QByteArray input;
        QString out;
    };
    const Case cases[] = {
        {"a message", QStringLiteral("「こんにちは」を　表示"), {}, QStringLiteral("こんにちは\n")},
        {"CR LF inside a box becomes a line feed",
         QStringLiteral("「一」＆改行＆「二」を　表示"),
         {},
         QStringLiteral("一\n二\n")},
        {"the box's message, not its title",
         QStringLiteral("タイトルは　「題」\r\n「本文」を　表示"),
         {},
         QStringLiteral("本文\n")},
        {"a question is answered by its first button (Yes = 6)",
         QStringLiteral("Ａは　質問（「よい？」，はいといいえ）\r\nＡを　表示"),
         {},
         QStringLiteral("よい？\n6\n")},
        {"input reads one line without its line end",
         QStringLiteral("Ａは　入力（「名前は？」）\r\n「［」＆Ａ＆「］」を　表示"),
         "太郎\r\n次の行\n", QStringLiteral("［太郎］\n")},
        {"end of input is an empty answer",
         QStringLiteral("Ａは　入力（「名前は？」）\r\n「［」＆Ａ＆「］」を　表示"),
         {},
         QStringLiteral("［］\n")},
        {"an error box shows its whole text, OK lets the script go on",
         QStringLiteral("「前」を　表示\r\n’comment\r\nふがふが\r\n「後」を　表示"),
         {},
         QStringLiteral("前\n知らない命令です。\n命令が正しいか確認してください。\nふがふが\n"
                        "［3行目　エラー番号1］\n後\n")},
        {"終了 ends the run",
         QStringLiteral("「a」を　表示\r\n終了\r\n「b」を　表示"),
         {},
         QStringLiteral("a\n")},
    };
    Console console;
    for (const Case& c : cases) {
        const QString file = console.write(QStringLiteral("case.ktd"), c.script);
        const Outcome o = console.run({QStringLiteral("--console"), file}, c.input);
        EXPECT_FALSE(o.crashed) << c.what;
        EXPECT_EQ(U(o.out), U(c.out)) << c.what;
        EXPECT_EQ(o.status, 0) << c.what;
    }
}

TEST(Console, TheCommandLineNamesTheScript) {
    Console console;
    const QString file =
        console.write(QStringLiteral("my script.ktd"), QStringLiteral("「走った」を　表示"));
    struct Case {
        QStringList args;
        QByteArray input;
    };
    // The rest of the line is the file name, spaces included; "/run " in
    // any letter case; with nothing given the name is asked for.
    const Case cases[] = {
        {{"--console", file}, {}},
        {{"--console", "/run", file}, {}},
        {{"--console", "/RUN", file}, {}},
        {{"--console", "/Run " + file}, {}},
        {{"--console"}, file.toUtf8() + "\n"},
        {{file}, {}},
    };
    for (const Case& c : cases) {
        const Outcome o = console.run(c.args, c.input);
        EXPECT_EQ(U(o.out), U(QStringLiteral("走った\n"))) << c.args.join(' ').toStdString();
        EXPECT_EQ(o.status, 0);
    }
    // No answer, or a file that does not exist: nothing runs, nothing fails.
    EXPECT_EQ(U(console.run({"--console"}).out), "");
    const Outcome missing = console.run({"--console", console.path("none.ktd")});
    EXPECT_EQ(U(missing.out), "");
    EXPECT_EQ(missing.status, 0);
}

TEST(Console, ACopyUnderAnotherNamePrefersTheScriptBesideItToItsTrailer) {
    Console console;
    const QString script = console.write(QStringLiteral("src.ktd"),
                                         QStringLiteral("「同梱」を　表示\r\n"
                                                        "使うファイルは　「data.bin」\r\n"));
    const QString attach = console.path(QStringLiteral("data.bin"));
    ASSERT_TRUE(writeWholeFile(attach, QByteArray("\x00\x01/END/\xff", 8)).ok);
    const QString game = console.path(QStringLiteral("Game"));
    const Outcome packed = console.run({"--pack", script, attach, "-o", game});
    ASSERT_EQ(packed.status, 0) << packed.err.toStdString();

    // Only the trailer: its script runs, the attached file is extracted
    // into the temporary folder while it runs.
    Outcome o = console.run({"--console"}, {}, game);
    EXPECT_EQ(U(o.out), U(QStringLiteral("同梱\n")));
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(readWholeFile(QDir(console.temp()).filePath("data.bin")),
              QByteArray("\x00\x01/END/\xff", 8));

    // A script named after the program (lower case) beside it wins; the
    // command line reaches it without one pair of enclosing quotes.
    console.write(QStringLiteral("game.ktd"),
                  QStringLiteral("「隣のファイル」を　表示\r\nコマンドラインを　表示"));
    o = console.run({"--console", "\"x  y\""}, {}, game);
    EXPECT_EQ(U(o.out), "隣のファイル\nx  y\n");

    // "/run " still runs the named file, whatever the program's name.
    const QString other =
        console.write(QStringLiteral("other.ktd"), QStringLiteral("「別」を　表示"));
    o = console.run({"--console", "/RUN " + other}, {}, game);
    EXPECT_EQ(U(o.out), U(QStringLiteral("別\n")));
}

TEST(Console, PersistentStoresAndDllCallsReachThePlatformLayer) {
    Console console;
    const QString write = console.write(
        QStringLiteral("w.ktd"),
        QStringLiteral(
            "「値です」を　レジストリの「HKEY_CURRENT_USER\\Software\\Test\\名前」に　設定\r\n"
            "「100」を　スコアの最高に　設定\r\n"
            "「x」を　レジストリの「HKEY_NOPE\\a\\b」に　設定\r\n"
            "cのabsを　絶対として　宣言\r\n"
            "-5を　絶対\r\n"
            "絶対を　表示\r\n"
            "no_libのfを　無いとして　宣言\r\n"
            "1を　無い"));
    Outcome o = console.run({"--console", write});
    EXPECT_EQ(U(o.out), "キーが正しくありません。\nHKEY_NOPE\n［3行目　エラー番号32］\n"
                        "5\n"
                        "DLLファイル　no_libが見つかりません。\n［16行目　エラー番号601］\n");
    // A second process finds what the first one stored.
    const QString read = console.write(
        QStringLiteral("r.ktd"),
        QStringLiteral("設定（レジストリの「HKEY_CURRENT_USER\\Software\\Test\\名前」）を　表示\r\n"
                       "設定（スコアの最高）を　表示\r\n"
                       "「」を　スコアの最高に　設定\r\n"
                       "「［」＆設定（スコアの最高）＆「］」を　表示"));
    o = console.run({"--console", read});
    EXPECT_EQ(U(o.out), "値です\n100\n［］\n");
    EXPECT_TRUE(QFile::exists(console.path("config/Kotodama/registry.txt")));
}

TEST(Console, TheSecuritySettingBesideTheProgramHoldsBackUntrustedRuns) {
    Console console;
    // The settings file lies beside the program, so a copy keeps the
    // build's own folder untouched.
    const QString program = console.copyProgram(QStringLiteral("kotodama"));
    // 日本語処理 starts a fresh run that was not given the day's number.
    const QString script = console.write(
        QStringLiteral("s.ktd"), QStringLiteral("「「abc」を　「o.txt」に　保存」を　日本語処理"));
    ASSERT_EQ(console.run({"--security", "off"}, {}, program).status, 0);
    EXPECT_TRUE(QFile::exists(console.path("sysdatze.zrf")));
    EXPECT_EQ(U(console.run({"--console", script}, {}, program).out),
              "セキュリティが有効です。現在の設定では、以下の命令を実行できません。\n"
              "「abc」を　「o.txt」へ　保存\n［1行目　エラー番号99］\n");
    ASSERT_EQ(console.run({"--security", "ON"}, {}, program).status, 0);
    EXPECT_EQ(U(console.run({"--console", script}, {}, program).out), "");
    EXPECT_EQ(console.run({"--security", "maybe"}, {}, program).status, 2);
    EXPECT_EQ(console.run({"--security"}, {}, program).status, 2);
}

TEST(Console, PackingNeedsAScriptAndAnOutput) {
    Console console;
    const QString script = console.write(QStringLiteral("s.ktd"), QStringLiteral("「x」を　表示"));
    EXPECT_EQ(console.run({"--pack"}).status, 2);
    EXPECT_EQ(console.run({"--pack", script}).status, 2);
    EXPECT_EQ(console.run({"--pack", script, "-o"}).status, 2);
    EXPECT_EQ(console.run({"--pack", console.path("missing.ktd"), "-o", console.path("o")}).status,
              1);
    EXPECT_FALSE(QFile::exists(console.path("o")));
}

TEST(Console, InterruptStopsARunningScript) {
    Console console;
    const QString file =
        console.write(QStringLiteral("loop.ktd"),
                      QStringLiteral("「始め」を　表示\r\n永遠に　繰り返す\r\n休憩\r\n"
                                     "繰り返し終わり\r\n「後」を　表示"));
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(KOTODAMA_PROGRAM), {QStringLiteral("--console"), file});
    ASSERT_TRUE(p.waitForStarted(10000));
    ASSERT_TRUE(p.waitForReadyRead(10000));
    ::kill(pid_t(p.processId()), SIGINT);
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0);
    // The loop ends and so does the run: nothing after it runs.
    EXPECT_EQ(p.readAllStandardOutput().toStdString(), "始め\n");
}
