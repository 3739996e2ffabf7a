// Deck files, deck text and the two sorts.
#include "Fixture.h"
#include "carddata/DeckList.h"

using namespace lumi;
using namespace lumi::test;

namespace {

class DeckFiles : public ::testing::Test {
protected:
    TempFolder tmp;
    CardDatabase db = smallDatabase();
    RecordingLog log;
    DeckList decks{db, &log};
    QString deckFile(const QString& text) {
        const QString path = tmp.path(QStringLiteral("d.ini"));
        writeCp932(path, text);
        return path;
    }
};

TEST_F(DeckFiles, LoadsHeaderAndSlots) {
    decks.LoadDeck(deckFile(
        QStringLiteral("[header]\nname=霧波の守り\nmaked=カザネ使い\nmaster=MA\nrule=Sr\n\n"
                       "[body]\n001=C01\n002=C02\n003=\n005=UNKNOWN\n020=C20\n")));
    const DeckData& d = decks.LoadingDeck;
    EXPECT_EQ(d.DeckName, QStringLiteral("霧波の守り"));
    EXPECT_EQ(d.AuthorName, QStringLiteral("カザネ使い"));
    EXPECT_EQ(d.Master, QStringLiteral("MA"));
    EXPECT_EQ(d.DeckType, DeckSr);
    ASSERT_EQ(d.Cards.size(), 20);
    EXPECT_EQ(d.Cards[0], QStringLiteral("C01"));
    EXPECT_EQ(d.Cards[1], QStringLiteral("C02"));
    EXPECT_EQ(d.Cards[2], QString()); // empty
    EXPECT_EQ(d.Cards[3], QString()); // missing
    EXPECT_EQ(d.Cards[4], QString()); // unknown to the database
    EXPECT_EQ(d.Cards[19], QStringLiteral("C20"));
    EXPECT_FALSE(log.debug.isEmpty());
}

TEST_F(DeckFiles, RuleWordsAndSlotCounts) {
    struct Case {
        const char* rule;
        std::int16_t type;
        int slots;
    };
    const Case cases[] = {{"PRO", DeckPro, 30}, {"pro", DeckPro, 30},   {"SR", DeckSr, 20},
                          {"Jr", DeckJr, 20},   {"Expert", DeckJr, 20}, {"", DeckJr, 20}};
    QString body;
    for (int n = 1; n <= 35; ++n)
        body += QStringLiteral("%1=C%2\n")
                    .arg(n, 3, 10, QLatin1Char('0'))
                    .arg(n, 2, 10, QLatin1Char('0'));
    for (const Case& c : cases) {
        decks.LoadDeck(deckFile(
            QStringLiteral("[header]\nrule=%1\nmaster=MN\n[body]\n").arg(QLatin1String(c.rule)) +
            body));
        EXPECT_EQ(decks.LoadingDeck.DeckType, c.type) << c.rule;
        EXPECT_EQ(decks.LoadingDeck.Cards, firstCards(c.slots)) << c.rule;
    }
}

TEST_F(DeckFiles, UnknownMasterAndMissingFileGiveTheFirstMaster) {
    decks.LoadDeck(deckFile(QStringLiteral("[HEADER]\nMASTER=NOBODY\nNAME=大文字\n")));
    EXPECT_EQ(decks.LoadingDeck.Master, QStringLiteral("MN"));
    EXPECT_EQ(decks.LoadingDeck.DeckName, QStringLiteral("大文字"));

    decks.LoadDeck(tmp.path(QStringLiteral("missing.ini")));
    DeckData empty;
    empty.Master = QStringLiteral("MN");
    empty.Cards = QStringList(20, QString());
    EXPECT_EQ(decks.LoadingDeck, empty);
}

TEST_F(DeckFiles, BuilderSaveRoundTripAndKeepsOtherKeys) {
    const QString path = tmp.path(QStringLiteral("saved.ini"));
    DeckData pro;
    pro.DeckName = QStringLiteral("月下の竜");
    pro.AuthorName = QStringLiteral("ヨミの従者");
    pro.Master = QStringLiteral("MW");
    pro.DeckType = DeckPro;
    pro.Cards = firstCards(30);
    ASSERT_TRUE(decks.SaveDeck(path, pro));
    decks.LoadDeck(path);
    EXPECT_EQ(decks.LoadingDeck, pro);

    DeckData jr = pro;
    jr.DeckType = DeckJr;
    jr.Master = QStringLiteral("MN");
    jr.Cards = firstCards(19);
    jr.Cards.append(QString());
    ASSERT_TRUE(decks.SaveDeck(path, jr));
    const QString text = readCp932(path);
    EXPECT_TRUE(text.startsWith(QStringLiteral(
        "[header]\r\nname=月下の竜\r\nmaked=ヨミの従者\r\nmaster=MN\r\nrule=Jr\r\n")));
    EXPECT_TRUE(
        text.contains(QStringLiteral("\r\n020=\r\n021=C21\r\n"))); // old slots stay in the file
    decks.LoadDeck(path);
    EXPECT_EQ(decks.LoadingDeck, jr);
}

TEST_F(DeckFiles, FailedBuilderSaveReports) {
    RecordingUser user;
    ReportTarget report{user, DeckBuilderTitle, true};
    EXPECT_FALSE(decks.SaveDeck(tmp.path(QStringLiteral("no/folder/d.ini")), DeckData{}, &report));
    ASSERT_EQ(user.boxes.size(), 1);
    EXPECT_TRUE(user.boxes[0].text.contains(QStringLiteral("・発生箇所：DeckList.SaveDeck")));
    EXPECT_TRUE(user.boxes[0].text.contains(
        QStringLiteral("・エラー番号：75\r\n・エラー内容：パス/ファイル アクセス エラーです。 (")));
}

TEST(DeckText, SaveDeckLayout) {
    DeckData d;
    d.DeckName = QStringLiteral("日の出");
    d.AuthorName = QStringLiteral("ハルナ");
    d.Master = QStringLiteral("MN");
    d.Cards = {QStringLiteral("C01"), QString(), QStringLiteral("C03")};
    EXPECT_EQ(
        SaveDeck(d),
        QStringLiteral("[header]\r\nname=日の出\r\nmaked=ハルナ\r\nmaster=MN\r\nrule=Jr\r\n\r\n"
                       "[body]\r\n001=C01\r\n002=\r\n003=C03\r\n"));
}

TEST(DeckText, SaveThenParseGivesTheRecordBack) {
    const CardDatabase db = smallDatabase();
    DeckList decks(db);
    for (std::int16_t type : {DeckJr, DeckSr, DeckPro}) {
        DeckData d;
        d.DeckName = QStringLiteral("名前");
        d.AuthorName = QStringLiteral("作者");
        d.Master = QStringLiteral("MA");
        d.DeckType = type;
        d.Cards = firstCards(DeckSlotCount(type));
        d.Cards[3].clear();
        ASSERT_TRUE(decks.Text2DeckData(SaveDeck(d)));
        EXPECT_EQ(decks.LoadingDeck, d) << type;
    }
}

QString deckText(const QString& header, int cardLines,
                 const QString& bodyMark = QStringLiteral("[body]")) {
    QString t = QStringLiteral("[header]\r\n") + header + QStringLiteral("\r\n") + bodyMark +
                QStringLiteral("\r\n");
    for (int n = 1; n <= cardLines; ++n)
        t += QStringLiteral("%1=C%2\r\n")
                 .arg(n, 3, 10, QLatin1Char('0'))
                 .arg(n, 2, 10, QLatin1Char('0'));
    return t;
}

TEST(DeckText, SlotsAreCutOrFilled) {
    const CardDatabase db = smallDatabase();
    DeckList decks(db);
    ASSERT_TRUE(decks.Text2DeckData(deckText(QStringLiteral("rule=Jr\r\n"), 18)));
    QStringList want = firstCards(18) << QString() << QString();
    EXPECT_EQ(decks.LoadingDeck.Cards, want);
    ASSERT_TRUE(decks.Text2DeckData(deckText(QStringLiteral("rule=Sr\r\n"), 25)));
    EXPECT_EQ(decks.LoadingDeck.Cards, firstCards(20));
    ASSERT_TRUE(decks.Text2DeckData(deckText(QStringLiteral("rule=pro\r\n"), 35)));
    EXPECT_EQ(decks.LoadingDeck.Cards, firstCards(30));
}

TEST(DeckText, HeaderItems) {
    const CardDatabase db = smallDatabase();
    DeckList decks(db);
    // Keys in capitals are found; the master is taken without a check.
    ASSERT_TRUE(decks.Text2DeckData(deckText(
        QStringLiteral("NAME=大文字\r\nMAKED=作者\r\nMASTER=NOBODY\r\nRULE=PRO\r\n"), 30)));
    EXPECT_EQ(decks.LoadingDeck.DeckName, QStringLiteral("大文字"));
    EXPECT_EQ(decks.LoadingDeck.AuthorName, QStringLiteral("作者"));
    EXPECT_EQ(decks.LoadingDeck.Master, QStringLiteral("NOBODY"));
    EXPECT_EQ(decks.LoadingDeck.DeckType, DeckPro);
    // Only ASCII letters fold: the long s is no "s".
    ASSERT_TRUE(decks.Text2DeckData(deckText(QStringLiteral("ma\u017Fter=C01\r\nRULE=Sr\r\n"), 1)));
    EXPECT_EQ(decks.LoadingDeck.Master, QStringLiteral("MN"));
    EXPECT_EQ(decks.LoadingDeck.DeckType, DeckSr);
    // Missing items keep their defaults.
    ASSERT_TRUE(decks.Text2DeckData(deckText(QStringLiteral("x=y\r\n"), 1)));
    EXPECT_EQ(decks.LoadingDeck.Master, QStringLiteral("MN"));
    EXPECT_EQ(decks.LoadingDeck.DeckType, DeckJr);
    EXPECT_TRUE(decks.LoadingDeck.DeckName.isEmpty());
    // Lines without "=" are skipped, the numbers before "=" are ignored, and
    // the last value runs to the end of the text.
    ASSERT_TRUE(
        decks.Text2DeckData(QStringLiteral("\r\n[body]\r\nnoise\r\n999=C05\r\nx=UNKNOWN\r\n=C07")));
    QStringList want = {QStringLiteral("C05"), QString(), QStringLiteral("C07")};
    while (want.size() < 20)
        want.append(QString());
    EXPECT_EQ(decks.LoadingDeck.Cards, want);
}

TEST(DeckText, MissingBodyIsReportedAndLeavesTheDeckCleared) {
    const CardDatabase db = smallDatabase();
    DeckList decks(db);
    const QString noCardLine = QStringLiteral("[header]\r\nname=x\r\n[body]\r\nnothing here\r\n");
    for (const QString& text :
         {deckText(QStringLiteral("name=x\r\n"), 20, QStringLiteral("[BODY]")), noCardLine,
          QString()}) {
        RecordingUser user;
        ReportTarget report{user};
        decks.LoadingDeck.DeckName = QStringLiteral("before");
        EXPECT_FALSE(decks.Text2DeckData(text, &report));
        EXPECT_EQ(decks.LoadingDeck, DeckList::EmptyDeck());
        ASSERT_EQ(user.boxes.size(), 1);
        EXPECT_TRUE(
            user.boxes[0].text.contains(QStringLiteral("・発生箇所：DeckList.Text2DeckData")));
    }
}

TEST(DeckSort, ByIdentifierPutsEmptySlotsFirst) {
    DeckData d;
    d.Cards = {QStringLiteral("C09"), QString(), QStringLiteral("C02")};
    DeckSortByID(d);
    EXPECT_EQ(d.Cards, (QStringList{QString(), QStringLiteral("C02"), QStringLiteral("C09")}));
    d.Cards = {QStringLiteral("b"), QStringLiteral("B"), QStringLiteral("a10"),
               QStringLiteral("a9")};
    DeckSortByID(d); // binary comparison: capitals first, no number order
    EXPECT_EQ(d.Cards, (QStringList{"B", "a10", "a9", "b"}));
}

TEST(DeckSort, ByTypeWithUnknownCardsAsKindZero) {
    const CardDatabase db = smallDatabase();
    DeckData d;
    // C04 M(3), C03 S(2), UNKNOWN (0), C02 B(1), C01 F(0)
    d.Cards = {QStringLiteral("C04"), QStringLiteral("C03"), QStringLiteral("UNKNOWN"),
               QStringLiteral("C02"), QStringLiteral("C01")};
    DeckSortByType(d, db);
    // The exchange sort is not stable: the two kind-0 entries come out as
    // the exchanges leave them.
    EXPECT_EQ(d.Cards, (QStringList{"UNKNOWN", "C01", "C02", "C03", "C04"}));
}

} // namespace
