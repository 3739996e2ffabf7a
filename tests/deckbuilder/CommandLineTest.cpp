// `lumideck --check` and `lumideck --post`: in process on a small
// installation, and the built program on the sample installation.

#include "Support.h"
#include "carddata/DeckList.h"
#include "carddata/Rules.h"
#include "deckbuilder/DeckBuilderSetup.h"

#include <QProcess>

namespace lumi::test {
namespace {

struct CliRun {
    int status;
    QString out;
    QString err;
};

CliRun runIn(const QString& appPath, const QStringList& args) {
    QString out, err;
    QTextStream o(&out), e(&err);
    const int status = RunDeckCommand(ParseDeckCommand(args), appPath, o, e);
    return {status, out, err};
}

class CommandLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        QStringList jr;
        for (int i = 0; i < 20; ++i)
            jr.append(QStringLiteral("C%1").arg(10 + i / 2)); // ten cards twice each
        install.writeDeck(QStringLiteral("valid.ini"), QStringLiteral("正しい"),
                          QStringLiteral("太郎"), QStringLiteral("Jr"), QStringLiteral("M1"), jr);
        QStringList four = jr;
        four[0] = four[1] = four[2] = four[3] = QStringLiteral("C07");
        install.writeDeck(QStringLiteral("four.ini"), QStringLiteral("四枚"),
                          QStringLiteral("次郎"), QStringLiteral("Sr"), QStringLiteral("M3"), four);
        writeCp932(
            install.paths.RulesPath + QStringLiteral("Star.lmr"),
            QStringLiteral("[header]\r\nName=Star\r\nclass=1\r\n[ExRule]\r\n002=1\r\n004=1\r\n"));
    }
    Installation install;
};

TEST_F(CommandLineTest, CheckPrintsTheViolationsOneALine) {
    struct Case {
        QStringList args;
        int status;
        const char* out;
    };
    const QString deckFile = install.paths.DeckPath + QStringLiteral("valid.ini");
    const Case cases[] = {
        {{QStringLiteral("--check"), QStringLiteral("valid.ini")}, 0, "異常ありません\n"},
        {{QStringLiteral("--check"), QStringLiteral("valid")}, 0, "異常ありません\n"},
        {{QStringLiteral("--check"), deckFile}, 0, "異常ありません\n"},
        {{QStringLiteral("--check"), QStringLiteral("valid.ini"), QStringLiteral("--rule"),
          QStringLiteral("OFFICIAL_SR")},
         1,
         "マスターがレギュレーション外です。\n"},
        {{QStringLiteral("--rule"), QStringLiteral("OFFICIAL_PRO"), QStringLiteral("--check"),
          QStringLiteral("valid.ini")},
         1,
         "マスターがレギュレーション外です。\nデッキに含まれるカードの枚数が違います。\n"},
        // The deck's own class (Sr) by default.
        {{QStringLiteral("--check"), QStringLiteral("four.ini")},
         1,
         "同じカードが４枚以上あります。\n"},
        {{QStringLiteral("--check"), QStringLiteral("four.ini"), QStringLiteral("--rule"),
          QStringLiteral("Star")},
         1,
         "同じカードが４枚以上あります。\n☆5のカードが含まれています。\nワンダーマスターは使用禁止"
         "です。\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const CliRun r =
            runIn(install.root, c.args + QStringList{QStringLiteral("--root"), install.root});
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.out, QString::fromUtf8(c.out));
    }
}

TEST_F(CommandLineTest, PostPrintsTheTextWithTheFilesNameAndAuthor) {
    const CliRun r = runIn(install.root, {QStringLiteral("--post"), QStringLiteral("four.ini")});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out,
              QStringLiteral(
                  "デッキ名：四枚 (Sr)\n作者：次郎\nマスター：ワンダー師匠\n---前衛---\n"
                  "伝説の竜 x4\n兵士12 x2\n兵士13 x2\n兵士14 x2\n兵士15 x2\n兵士16 x2\n兵士17 x2\n"
                  "兵士18 x2\n兵士19 x2\n---後衛---\n---マジック---\n---スーパー---\n"));
}

TEST_F(CommandLineTest, BadUseAndMissingFilesAreErrors) {
    for (const QStringList& args :
         {QStringList{QStringLiteral("--check")},
          QStringList{QStringLiteral("--check"), QStringLiteral("nothing.ini")},
          QStringList{QStringLiteral("--post"), QStringLiteral("a"), QStringLiteral("--check"),
                      QStringLiteral("b")},
          QStringList{QStringLiteral("--post"), QStringLiteral("valid"), QStringLiteral("--rule"),
                      QStringLiteral("Star")},
          QStringList{QStringLiteral("--bogus")}}) {
        const CliRun r = runIn(install.root, args);
        EXPECT_EQ(r.status, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_FALSE(r.err.isEmpty());
    }
    // No card lists at all: the warning, then the end.
    QTemporaryDir empty;
    const CliRun r = runIn(empty.path(), {QStringLiteral("--check"), QStringLiteral("x")});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains(CardListMissingText));
}

// The built program on the sample installation beside it: the same answer
// RegulationCheck gives, as UTF-8 with line feeds.
TEST(CommandLineProgramTest, SampleDecksGiveWhatRegulationCheckGives) {
    const QString bin = QStringLiteral(LUMI_BIN_DIR);
    DeckBuilderSetup setup;
    PrepareDeckBuilder(setup, bin);
    ScriptedUser user;
    ASSERT_TRUE(LoadDeckBuilderCards(setup, user));
    const QStringList decks =
        QDir(setup.Paths.DeckPath).entryList({QStringLiteral("*.ini")}, QDir::Files, QDir::Name);
    ASSERT_FALSE(decks.isEmpty());
    for (const QString& file : decks) {
        SCOPED_TRACE(file.toStdString());
        DeckList list(setup.Cards);
        list.LoadDeck(setup.Paths.DeckPath + file);
        DeckData deck = list.LoadingDeck;
        const QString rule = deck.DeckType == DeckPro  ? RuleOfficialPro
                             : deck.DeckType == DeckSr ? RuleOfficialSr
                                                       : RuleOfficialJr;
        QString expected =
            RegulationCheck(LoadRuleStr(setup.Paths.RulesPath, rule), deck, setup.Cards);
        const int expectedStatus = expected.isEmpty() ? 0 : 1;
        expected = expected.isEmpty() ? QStringLiteral("異常ありません\n")
                                      : expected.replace(CrLf, QStringLiteral("\n"));

        QProcess p;
        p.start(bin + QStringLiteral("/lumideck"), {QStringLiteral("--check"), file});
        ASSERT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(p.exitCode(), expectedStatus);
        EXPECT_EQ(QString::fromUtf8(p.readAllStandardOutput()), expected);
    }
    QProcess p;
    p.start(bin + QStringLiteral("/lumideck"),
            {QStringLiteral("--post"), decks.first(), QStringLiteral("--root"), bin});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0);
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_TRUE(text.startsWith(QStringLiteral("デッキ名："))) << text.toStdString();
    EXPECT_FALSE(text.contains(QLatin1Char('\r')));
    EXPECT_TRUE(text.endsWith(QStringLiteral("---スーパー---\n")) ||
                text.contains(QStringLiteral("---スーパー---\n")));
}

} // namespace
} // namespace lumi::test
