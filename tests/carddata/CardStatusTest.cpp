// The card and status databases loaded from small card folders.
#include "Fixture.h"
#include "carddata/CardInfo.h"
#include "carddata/CardList.h"
#include "carddata/StatusList.h"

using namespace lumi;
using namespace lumi::test;

namespace {

TEST(FieldReaderTest, FieldsOfRecords) {
    struct Case {
        const char* name;
        QByteArray data;
        QStringList fields; // every field until the data ends
        int perRecord = 1;
    };
    const Case cases[] = {
        {"CommasAndCrLf", "a,b,c\r\nd,e,f\r\n", {"a", "b", "c", "d", "e", "f"}, 3},
        {"LfAndCrAlone", "a,b\nc,d\re,f", {"a", "b", "c", "d", "e", "f"}, 2},
        {"BlanksBeforeSkippedAfterTrimmed", "  a ,\tb\t,c  \r\n", {"a", "b", "c"}},
        {"QuotesHoldCommas", "\"x, y\",z\r\n", {"x, y", "z"}},
        {"QuotesKeepBlanks", "\" x \",z\r\n", {" x ", "z"}},
        {"TextAfterClosingQuoteDropped", "\"ab\"cd,e\r\n", {"ab", "e"}},
        {"UnterminatedQuoteRunsToEnd", "\"ab,c\r\nd", {"ab,c\r\nd"}},
        {"EmptyFieldsBetweenCommas", "a,,c\r\n", {"a", "", "c"}, 3},
        {"TrailingEmptyFieldAtLineEnd",
         "a,b,c,\r\nd,e,f,g",
         {"a", "b", "c", "", "d", "e", "f", "g"},
         4},
        {"EmptyLinesBetweenRecords", "a,b\r\n\r\n\r\nc,d\r\n\r\n", {"a", "b", "c", "d"}, 2},
    };
    for (const Case& c : cases) {
        FieldReader r(c.data);
        QStringList got;
        while (!r.atEnd())
            got.append(*r.record(c.perRecord));
        EXPECT_EQ(got, c.fields) << c.name;
    }
}

TEST(FieldReaderTest, DoubleByteFieldsAreDecoded) {
    const QByteArray data = cp932::encode(QStringLiteral("KR001,霧ガエル,F,-\r\n"));
    FieldReader r(data);
    auto rec = r.record(4);
    ASSERT_TRUE(rec);
    EXPECT_EQ(*rec, (QStringList{"KR001", QStringLiteral("霧ガエル"), "F", "-"}));
    EXPECT_TRUE(r.atEnd());
}

TEST(FieldReaderTest, RecordCutShortIsAReadError) {
    FieldReader r(QByteArray("a,b,c,d\r\ne,f\r\n"));
    EXPECT_TRUE(r.record(4));
    EXPECT_FALSE(r.atEnd());
    EXPECT_FALSE(r.record(4));
}

class CardFolder : public ::testing::Test {
protected:
    TempFolder tmp;
    RecordingUser user;
    ReportTarget report{user};
    CardDatabase db;
    QString cards() const { return tmp.path(); }
    void file(const QString& name, const QString& text) { writeCp932(tmp.path(name), text); }
};

TEST_F(CardFolder, MissingMasterListWarnsAndMustEnd) {
    file(QStringLiteral("a.lml"), QStringLiteral("X,x,F,-\n"));
    EXPECT_EQ(db.LoadMasterlist(cards(), report), LoadVerdict::MustEnd);
    ASSERT_EQ(user.boxes.size(), 1);
    EXPECT_EQ(user.boxes[0].text,
              QStringLiteral("カードリストが正しく配置されていません。確認してください。"));
    EXPECT_EQ(user.boxes[0].title, QStringLiteral("ルミナリアOnline"));
    EXPECT_EQ(user.boxes[0].icon, BoxIcon::Warning);
    EXPECT_EQ(user.boxes[0].buttons, BoxButtons::OK);
}

TEST_F(CardFolder, NoCardListWarnsWithTheProgramsTitle) {
    file(QStringLiteral("master.dat"), QStringLiteral("M0,m,N\n"));
    file(QStringLiteral("notes.txt"), QStringLiteral("X,x,F,-\n"));
    ReportTarget builder{user, DeckBuilderTitle, true};
    EXPECT_EQ(db.LoadCardlist(cards(), builder), LoadVerdict::MustEnd);
    ASSERT_EQ(user.boxes.size(), 1);
    EXPECT_EQ(user.boxes[0].text, CardListMissingText);
    EXPECT_EQ(user.boxes[0].title, QStringLiteral("ルミナリアOnline デッキビルダー"));
}

TEST_F(CardFolder, LoadsMastersSeriesKindsAndRarities) {
    file(QStringLiteral("master.dat"),
         QStringLiteral(
             "M0,見習い,N\nM1,剣士,A\n\"M2\",\"竜, 化身\",W\nM3,謎,n\nSHARED,マスター側,A\n"));
    file(QStringLiteral("B.lml"), QStringLiteral("B1,後,F,-\nDUP,後の重複,B,-\n"));
    file(QStringLiteral("a.lml"),
         QStringLiteral("A1,一,F,-\nA2,二,B,-\nA3,三,S,A1\nA4,四,M,-\nA5,五,f,*\nDUP,先,F,-\n"
                        "SHARED,カード側,F,-\n"));
    file(QStringLiteral("empty.LML"), QString());
    file(QStringLiteral("A1.ini"), QStringLiteral("[head]\nrare=3\n"));
    file(QStringLiteral("A2.ini"), QStringLiteral("[head]\nrare=many\n"));
    file(QStringLiteral("A3.ini"), QStringLiteral("[Head]\nRARE = 5 \n"));
    ASSERT_EQ(db.LoadMasterlist(cards(), report), LoadVerdict::Loaded);
    ASSERT_EQ(db.LoadCardlist(cards(), report), LoadVerdict::Loaded);
    EXPECT_TRUE(user.boxes.isEmpty());

    ASSERT_EQ(db.MasterList().size(), 5);
    EXPECT_EQ(db.MasterList()[2], (CardData{"M2", QStringLiteral("竜, 化身"), MasterW, {}, 0}));
    EXPECT_EQ(db.MasterList()[1].CardType, MasterA);
    EXPECT_EQ(db.MasterList()[3].CardType, MasterN); // lower case letter: kind 0

    // Sorted by file name regardless of letter case, as the Windows folder
    // listing returns them: a, B, empty; the extension matches in any case.
    ASSERT_EQ(db.CardLists().size(), 3);
    EXPECT_EQ(db.CardLists()[0].SeriesName, QStringLiteral("a"));
    EXPECT_EQ(db.CardLists()[1].SeriesName, QStringLiteral("B"));
    EXPECT_EQ(db.CardLists()[2].SeriesName, QStringLiteral("empty"));
    EXPECT_TRUE(db.CardLists()[2].Cards.isEmpty());
    const auto& a = db.CardLists()[0].Cards;
    ASSERT_EQ(a.size(), 7);
    EXPECT_EQ(a[2], (CardData{"A3", QStringLiteral("三"), KindS, "A1", 5}));
    EXPECT_EQ(a[0].Rare, 3);
    EXPECT_EQ(a[1].Rare, 0); // not a number
    EXPECT_EQ(a[3].CardType, KindM);
    EXPECT_EQ(a[3].Rare, 0);         // no file
    EXPECT_EQ(a[4].CardType, KindF); // "f" is not recognised
    EXPECT_EQ(a[4].BaseCardID, QStringLiteral("*"));

    struct Lookup {
        const char* id;
        bool found;
        CardPosition pos;
        QString name;
    };
    const Lookup lookups[] = {
        {"A2", true, {0, 1}, QStringLiteral("二")},
        {"B1", true, {1, 0}, QStringLiteral("後")},
        {"DUP", true, {0, 5}, QStringLiteral("先")},          // first series wins
        {"SHARED", true, {0, 6}, QStringLiteral("カード側")}, // a series card before a master
        {"M1", true, {-1, 1}, QStringLiteral("剣士")},
        {"a1", false, {-1, -1}, QString()}, // exact case
        {"NOPE", false, {-1, -1}, QString()},
        {"", false, {-1, -1}, QString()},
    };
    for (const Lookup& l : lookups) {
        CardPosition p{7, 7};
        EXPECT_EQ(db.CardID2Index(QString::fromUtf8(l.id), p), l.found) << l.id;
        EXPECT_EQ(p, l.pos) << l.id;
        EXPECT_EQ(db.CardID2CardName(QString::fromUtf8(l.id)), l.name) << l.id;
    }
}

TEST_F(CardFolder, ReadErrorInMasterListKeepsWhatWasRead) {
    file(QStringLiteral("master.dat"), QStringLiteral("M0,a,N\nM1,b,A\nM2,c\n"));
    EXPECT_EQ(db.LoadMasterlist(cards(), report), LoadVerdict::Loaded);
    ASSERT_EQ(user.boxes.size(), 1);
    EXPECT_TRUE(user.boxes[0].text.contains(QStringLiteral("・発生箇所：CardList.LoadMasterlist")));
    // "M2,c" and the line end hold only two fields before the data ends.
    ASSERT_EQ(db.MasterList().size(), 2);
    EXPECT_EQ(db.MasterList()[1].CardID, QStringLiteral("M1"));
}

TEST_F(CardFolder, ReadErrorInCardListStopsTheLoader) {
    file(QStringLiteral("master.dat"), QStringLiteral("M0,a,N\n"));
    file(QStringLiteral("a.lml"), QStringLiteral("A1,x,F,-\nA2,y,B\n"));
    file(QStringLiteral("b.lml"), QStringLiteral("B1,z,F,-\n"));
    EXPECT_EQ(db.LoadCardlist(cards(), report), LoadVerdict::Loaded);
    ASSERT_EQ(user.boxes.size(), 1);
    EXPECT_TRUE(user.boxes[0].text.contains(QStringLiteral("・発生箇所：CardList.LoadCardlist")));
    ASSERT_EQ(db.CardLists().size(), 1);
    ASSERT_EQ(db.CardLists()[0].Cards.size(), 1);
    EXPECT_EQ(db.CardID2CardName(QStringLiteral("A1")), QStringLiteral("x"));
    EXPECT_EQ(db.CardID2CardName(QStringLiteral("B1")), QString());
}

TEST_F(CardFolder, EmptyMasterListHoldsOneBlankEntry) {
    file(QStringLiteral("master.dat"), QString());
    EXPECT_EQ(db.LoadMasterlist(cards(), report), LoadVerdict::Loaded);
    ASSERT_EQ(db.MasterList().size(), 1);
    EXPECT_EQ(db.FirstMasterID(), QString());
    CardPosition p;
    EXPECT_FALSE(db.CardID2Index(QString(), p));
}

TEST_F(CardFolder, CardInfoKeys) {
    file(QStringLiteral("C1.ini"),
         QStringLiteral("[head]\nrare=2\n"
                        "[Lv1]\nHP=\n1=体当たり\n2=\nS=0/0/0\n"
                        "[Lv2]\nHP=6\n1=突進\n2=群れの渦\nS=1/2/3\n"
                        "[Lv3]\nHP=x\nS=1/2/free\n"
                        "[Magic]\nCost=two\n"
                        "[MasterAbility]\ncount=2\n1=祈り\n1cost=2\n2=加護\n2cost=無料\n"));
    const CardInfo info = ReadCardInfo(cards(), QStringLiteral("C1"));
    EXPECT_EQ(info.Rare, 2);
    EXPECT_EQ(info.level(1).HP, 4); // empty
    EXPECT_EQ(info.level(2).HP, 6);
    EXPECT_EQ(info.level(3).HP, 4); // not a number
    EXPECT_EQ(info.level(4).HP, 4); // missing
    EXPECT_EQ(info.level(1).Technique1, QStringLiteral("体当たり"));
    EXPECT_EQ(info.level(2).Technique2, QStringLiteral("群れの渦"));
    EXPECT_EQ(info.level(1).Technique2Cost, std::optional<std::int16_t>(0));
    EXPECT_EQ(info.level(2).Technique2Cost, std::optional<std::int16_t>(3));
    EXPECT_EQ(info.level(3).Technique2Cost, std::nullopt);
    EXPECT_EQ(info.level(4).Technique2Cost, std::nullopt);
    EXPECT_EQ(info.MagicCost, 0);
    ASSERT_EQ(info.MasterAbilities.size(), 2);
    EXPECT_EQ(info.MasterAbilities[0].Name, QStringLiteral("祈り"));
    EXPECT_EQ(info.MasterAbilities[0].Cost, 2);
    EXPECT_FALSE(info.MasterAbilities[0].Free);
    EXPECT_TRUE(info.MasterAbilities[1].Free);
    EXPECT_EQ(info.MasterAbilities[1].Cost, 0);

    // An identifier never reaches a file outside the cards folder.
    writeCp932(tmp.path(QStringLiteral("sub/X.ini")), QStringLiteral("[head]\nrare=5\n"));
    EXPECT_EQ(ReadCardInfo(cards(), QStringLiteral("sub/X")).Rare, 0);
    EXPECT_EQ(ReadCardRare(cards(), QStringLiteral("sub/X")), 0);
    EXPECT_EQ(ReadCardRare(cards(), QStringLiteral("C1")), 2);

    const CardInfo none = ReadCardInfo(cards(), QStringLiteral("NOFILE"));
    EXPECT_EQ(none.level(1).HP, 4);
    EXPECT_TRUE(none.MasterAbilities.isEmpty());
}

TEST(NumberRule, ParseInt16) {
    const std::pair<const char*, std::optional<std::int16_t>> cases[] = {
        {"3", 3},
        {" 7 ", 7},
        {"-2", -2},
        {"+4", 4},
        {"2.5", 2},
        {"3.5", 4},
        {"32767", 32767},
        {"32768", std::nullopt},
        {"", std::nullopt},
        {"3a", std::nullopt},
        {"1e3", std::nullopt},
        {"０", std::nullopt},
    };
    for (const auto& [text, want] : cases)
        EXPECT_EQ(ParseInt16(QString::fromUtf8(text)), want) << text;
}

class StateFolder : public ::testing::Test {
protected:
    TempFolder tmp;
    RecordingUser user;
    ReportTarget report{user};
    StatusDatabase db;
    void SetUp() override {
        writeCp932(tmp.path(QStringLiteral("state.dat")),
                   QStringLiteral(
                       "000,行動済み,-,0\n001,きあいだめ,!,0\n100,シールド,S,1\n101,パワー,P,2\n"
                       "102,毒,X,1\n103,小文字,s,3\n"));
        ASSERT_EQ(db.LoadStatusList(tmp.path(), report), LoadVerdict::Loaded);
    }
};

TEST_F(StateFolder, RecordsMarksAndScopes) {
    ASSERT_EQ(db.StatusList().size(), 6);
    EXPECT_EQ(db.StatusList()[2],
              (StatusData{"100", QStringLiteral("シールド"), MarkShield, ScopeBoth}));
    EXPECT_EQ(db.StatusList()[3].Scope, ScopeMasters);
    EXPECT_EQ(db.StatusList()[5].Mark, MarkEtc);        // "s" is not "S"
    EXPECT_EQ(db.StatusList()[5].Scope, ScopeMonsters); // "3" is no scope
    EXPECT_EQ(db.StatusID2StatusIndex(QStringLiteral("000")), 0);
    EXPECT_EQ(db.StatusID2StatusIndex(QStringLiteral("102")), 4);
    EXPECT_EQ(db.StatusID2StatusIndex(QStringLiteral("999")), -1);
    EXPECT_EQ(db.StatusID2StatusType(QStringLiteral("001")), MarkKiaidame);
    EXPECT_EQ(db.StatusID2StatusType(QStringLiteral("999")), -1);
    EXPECT_EQ(db.StatusID2StatusName(QStringLiteral("101")), QStringLiteral("パワー"));
    EXPECT_EQ(db.StatusID2StatusName(QStringLiteral("999")), QString());
    EXPECT_EQ(StatusMarkPictureKey(MarkKiaidame), QStringLiteral("Kiaidame"));
    EXPECT_EQ(StatusMarkPictureKey(MarkEtc), QStringLiteral("EtcStatus"));
}

TEST_F(StateFolder, GetStatusTextLettersInFixedOrder) {
    const std::pair<const char*, const char*> cases[] = {
        {"", ""},          {"000", ""},      {"102/103", "X"},
        {"101/001", "!P"}, {"999/101", "P"}, {"103/101/100/001/000", "!SPX"},
        {"001/001", "!"},
    };
    for (const auto& [s, want] : cases)
        EXPECT_EQ(db.GetStatusText(QString::fromUtf8(s)), QString::fromUtf8(want)) << s;
}

TEST(StatusLoad, MissingFileWarnsAndReadErrorKeepsRecords) {
    TempFolder tmp;
    RecordingUser user;
    StatusDatabase db;
    EXPECT_EQ(db.LoadStatusList(tmp.path(), ReportTarget{user}), LoadVerdict::MustEnd);
    ASSERT_EQ(user.boxes.size(), 1);
    EXPECT_EQ(
        user.boxes[0].text,
        QStringLiteral("ステータスデータベースが正しく配置されていません。確認してください。"));

    writeCp932(tmp.path(QStringLiteral("state.dat")), QStringLiteral("000,a,-,0\n001,b\n"));
    EXPECT_EQ(db.LoadStatusList(tmp.path(), ReportTarget{user}), LoadVerdict::Loaded);
    ASSERT_EQ(user.boxes.size(), 2);
    EXPECT_TRUE(
        user.boxes[1].text.contains(QStringLiteral("・発生箇所：BattleOperation.LoadStatusList")));
    EXPECT_EQ(db.StatusList().size(), 1);
}

} // namespace
