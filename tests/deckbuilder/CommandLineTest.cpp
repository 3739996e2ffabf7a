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
        EXPECT_EQ(r.status, 1) << args.join(' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_FALSE(r.err.isEmpty());
    }
    // No card lists at all: the warning, then the end.
    QTemporaryDir empty;
    const CliRun r = runIn(empty.path(), {QStringLiteral("--check"), QStringLiteral("x")});
    EXPECT_EQ(r.status, 1);
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

// The bytes the built program prints for the sample decks, worked out by
// hand from the sample database (a rule's class, codes, rarities, masters and
// runs), so a fault shared by the program and the check it calls shows too.
TEST(CommandLineProgramTest, SampleDecksGiveTheseBytesAndStatuses) {
    struct Case {
        QStringList args;
        int status;
        const char* out;
    };
    const Case cases[] = {
        {{"--check", "hinode_jr.ini"}, 0, "異常ありません\n"},
        {{"--check", "kirinami_sr.ini"}, 0, "異常ありません\n"},
        {{"--check", "gekka_pro.ini"}, 0, "異常ありません\n"},
        // Four copies of the identifier that sorts last.
        {{"--check", "hoshiyomi_pro.ini"}, 1, "同じカードが４枚以上あります。\n"},
        // The empty slot 020 leaves 19 cards.
        {{"--check", "mayoigo_jr.ini"}, 1, "デッキに含まれるカードの枚数が違います。\n"},
        {{"--check", "hoshiyomi_pro.ini", "--rule", "gekka"}, 0, "異常ありません\n"},
        {{"--check", "hinode_jr.ini", "--rule", "見習い杯"}, 0, "異常ありません\n"},
        {{"--check", "gekka_pro.ini", "--rule", "星屑杯"},
         1,
         "☆5のカードが含まれています。\nワンダーマスターは使用禁止です。\n"
         "デッキに含まれるカードの枚数が違います。\n"},
        {{"--check", "kirinami_sr.ini", "--rule", "OFFICIAL_JR"},
         1,
         "マスターがレギュレーション外です。\n"},
        // A rule file that is not there is the Jr rule.
        {{"--check", "kirinami_sr.ini", "--rule", "no such rule"},
         1,
         "マスターがレギュレーション外です。\n"},
        {{"--check", "hinode_jr.ini", "--rule", "no such rule"}, 0, "異常ありません\n"},
        {{"--check", "no_such_deck.ini"}, 1, ""},
        {{"--post", "hinode_jr.ini"},
         0,
         "デッキ名：日の出の子ら (Jr)\n作者：ハルナ\nマスター：見習い巫女ハルナ\n"
         "---前衛---\nヒノコ x3\nアカトカゲ x3\n焔狐ホムラ x2\nいたずら火鼠 x2\n"
         "---後衛---\n岩亀ガンジ x3\n朝焼け鳥コトリ x2\n灯籠童子 x2\n"
         "---マジック---\n火の粉の祝福 x2\n朝露の癒し x1\n---スーパー---\n"},
        {{"--post", "hoshiyomi_pro.ini"},
         0,
         "デッキ名：星読みの夜 (Pro)\n作者：シオン\nマスター：星読みのシオン\n"
         "---前衛---\n炎獅子レオン x2\n鉄角牛 x2\n霧の大鷲 x2\n蒼鱗竜ミズチ x2\n潮騒の歌姫 x2\n"
         "銀狼ギンガ x2\nほたる火 x4\n---後衛---\n夢見の獏 x2\n"
         "---マジック---\n大噴火 x1\n大津波 x1\n月光の導き x3\n流れ星 x2\n影送り x2\n"
         "---スーパー---\n覇炎獅子レオン x1\n燃える魂 x1\n蒼海竜王ミズチ x1\n"},
        {{"--post", "mayoigo_jr.ini"},
         0,
         "デッキ名：迷子の寄せ集め (Jr)\n作者：ポポロ\nマスター：旅の商人ポポロ\n"
         "---前衛---\nヒノコ x2\nアカトカゲ x2\n霧ガエル x2\n夜光虫 x2\n宵闇こうもり x2\n"
         "---後衛---\n波乗りペンギン x2\n雨雲ひつじ x2\n月見うさぎ x2\n"
         "---マジック---\n恵みの雨 x2\n月光の導き x1\n---スーパー---\n"},
    };
    const QString bin = QStringLiteral(LUMI_BIN_DIR);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        QProcess p;
        p.start(bin + QStringLiteral("/lumideck"), c.args + QStringList{"--root", bin});
        ASSERT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), c.status);
        EXPECT_EQ(p.readAllStandardOutput(), QByteArray(c.out));
    }
}

} // namespace
} // namespace lumi::test
