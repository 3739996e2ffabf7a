// Rule texts, rule files and the check of a deck against a rule.
#include "carddata/Rules.h"

#include "Fixture.h"
#include "carddata/DeckList.h"
#include "carddata/InstallPaths.h"

using namespace lumi;
using namespace lumi::test;

namespace {

QString rule(const char* cls, const char* codes = "") {
    return QStringLiteral("Name:テスト\r\nClass:%1\r\nExRule:%2\r\n")
        .arg(QLatin1String(cls), QLatin1String(codes));
}

TEST(RuleText, BuiltInRules) {
    EXPECT_EQ(LoadRuleStr({}, QStringLiteral("OFFICIAL_JR")),
              QStringLiteral("Name:Jrルール\r\nClass:Jr\r\nExRule:\r\n"));
    EXPECT_EQ(LoadRuleStr({}, QStringLiteral("OFFICIAL_SR")),
              QStringLiteral("Name:Srルール\r\nClass:Sr\r\nExRule:\r\n"));
    EXPECT_EQ(LoadRuleStr({}, QStringLiteral("OFFICIAL_PRO")),
              QStringLiteral("Name:Proルール\r\nClass:Pro\r\nExRule:\r\n"));
}

TEST(RuleText, RuleFiles) {
    TempFolder tmp;
    const QString jr = LoadRuleStr({}, RuleOfficialJr);
    writeCp932(tmp.path(QStringLiteral("cup.lmr")),
               QStringLiteral("[header]\nName=星屑杯\nclass=1\n[ExRule]\n000=0\n001=1\n003="
                              "true\n004=1\n010=1\n011=1\n"));
    writeCp932(tmp.path(QStringLiteral("pro.lmr")),
               QStringLiteral("[header]\nName=月下\nClass=2\n"));
    writeCp932(tmp.path(QStringLiteral("odd.lmr")),
               QStringLiteral("[header]\nName=変\nClass=Sr\n"));
    writeCp932(tmp.path(QStringLiteral("nameless.lmr")),
               QStringLiteral("[header]\nClass=2\n[ExRule]\n002=1\n"));
    writeCp932(tmp.dir.path() + QStringLiteral("/../outside.lmr"),
               QStringLiteral("[header]\nName=外\nClass=2\n"));
    EXPECT_EQ(LoadRuleStr(tmp.path(), QStringLiteral("cup")),
              QStringLiteral("Name:星屑杯\r\nClass:Sr\r\nExRule:001/004/010\r\n"));
    EXPECT_EQ(LoadRuleStr(tmp.path(), QStringLiteral("pro")),
              QStringLiteral("Name:月下\r\nClass:Pro\r\nExRule:\r\n"));
    EXPECT_EQ(LoadRuleStr(tmp.path(), QStringLiteral("odd")),
              QStringLiteral("Name:変\r\nClass:Jr\r\nExRule:\r\n"));
    EXPECT_EQ(LoadRuleStr(tmp.path(), QStringLiteral("nameless")), jr);
    EXPECT_EQ(LoadRuleStr(tmp.path(), QStringLiteral("missing")), jr);
    EXPECT_EQ(LoadRuleStr(tmp.path(), QStringLiteral("../outside")), jr);
    QFile::remove(tmp.dir.path() + QStringLiteral("/../outside.lmr"));

    const QList<RuleChoice> list = RuleList(tmp.path());
    ASSERT_EQ(list.size(), 7);
    EXPECT_EQ(list[0], (RuleChoice{QStringLiteral("OFFICIAL_JR"), QStringLiteral("Jr ルール")}));
    EXPECT_EQ(list[1], (RuleChoice{QStringLiteral("OFFICIAL_SR"), QStringLiteral("Sr ルール")}));
    EXPECT_EQ(list[2], (RuleChoice{QStringLiteral("OFFICIAL_PRO"), QStringLiteral("Pro ルール")}));
    EXPECT_EQ(list[3].Id, QStringLiteral("cup"));
    EXPECT_EQ(list[6].Label, QStringLiteral("pro"));
}

TEST(RuleText, ExtraRuleAndClassTexts) {
    EXPECT_EQ(ExRuleText(0), QStringLiteral("先攻ペナルティ：初回ドローなし"));
    EXPECT_EQ(ExRuleText(6), QStringLiteral("拡張：同カード４枚以上使用可能"));
    EXPECT_EQ(ExRuleText(7), QStringLiteral("拡張：捨札閲覧禁止"));
    EXPECT_EQ(ExRuleText(8), QString());
    EXPECT_EQ(ClassLabel(DeckPro), QStringLiteral("Pro クラス"));
}

TEST(RuleText, GetLineValue) {
    const std::tuple<QString, QString, QString> cases[] = {
        {rule("Sr", "002/006"), QStringLiteral("ExRule"), QStringLiteral("002/006")},
        {rule("Pro"), QStringLiteral("Class"), QStringLiteral("Pro")},
        {rule("Pro"), QStringLiteral("ExRule"), QString()},
        {rule("Pro"), QStringLiteral("Nothing"), QString()},
        {QStringLiteral("Class:Jr"), QStringLiteral("Class"), QString()}, // no CR LF follows
        {QStringLiteral("nowplay\r\n"), QStringLiteral("nowplay"), QStringLiteral("nowplay")},
        {QStringLiteral("a:b:c\r\n"), QStringLiteral("a"), QStringLiteral("b:c")},
        {QStringLiteral("Name:Classic\r\nClass:Sr\r\n"), QStringLiteral("Class"),
         QStringLiteral("Sr")},
        {QStringLiteral("Class:Pro\r\nClass:Sr\r\n"), QStringLiteral("Class"),
         QStringLiteral("Pro")},
        {QStringLiteral("memo nowplay:s\r\n"), QStringLiteral("nowplay"), QStringLiteral("s")},
        {QStringLiteral("Class:Sr\rmore\r\n"), QStringLiteral("Class"), QStringLiteral("Sr\rmore")},
    };
    for (const auto& [text, key, want] : cases)
        EXPECT_EQ(GetLineValue(text, key), want) << key.toStdString();
}

struct CheckCase {
    const char* name;
    QString rule;
    QString master;
    QStringList cards;
    QStringList messages;
};

QStringList with(QStringList cards, std::initializer_list<QString> extra) {
    for (const QString& c : extra)
        cards.append(c);
    return cards;
}

class RegulationCheckTest : public ::testing::TestWithParam<CheckCase> {};

TEST_P(RegulationCheckTest, Messages) {
    const CheckCase& c = GetParam();
    const CardDatabase db = smallDatabase();
    DeckData deck;
    deck.Master = c.master;
    deck.Cards = c.cards;
    QString want;
    for (const QString& m : c.messages)
        want += m + QStringLiteral("\r\n");
    EXPECT_EQ(RegulationCheck(c.rule, deck, db), want);
}

const QStringList twenty = firstCards(20);
const QStringList fourSameLast = with(firstCards(16), {"C40", "C40", "C40", "C40"});

INSTANTIATE_TEST_SUITE_P(
    Cases, RegulationCheckTest,
    ::testing::Values(
        CheckCase{"ValidJr", rule("Jr"), "MN", twenty, {}},
        CheckCase{"ValidSr", rule("Sr"), "MA", twenty, {}},
        CheckCase{"ValidProWonder", rule("Pro"), "MW", firstCards(30), {}},
        CheckCase{"JrDeckUnderSr", rule("Sr"), "MN", twenty, {RegMasterOutside}},
        CheckCase{"SrMasterUnderJr", rule("Jr"), "MA", twenty, {RegMasterOutside}},
        CheckCase{"ClassCaseIgnored", rule("pro"), "MA", firstCards(30), {}},
        CheckCase{"ProNeedsThirty", rule("Pro"), "MA", twenty, {RegWrongCount}},
        CheckCase{"EmptySlotsDoNotCount",
                  rule("Jr"),
                  "MN",
                  with(firstCards(19), {"", ""}),
                  {RegWrongCount}},
        CheckCase{"NoCardsAtAll", rule("Jr"), "MN", QStringList(20, QString()), {RegWrongCount}},
        CheckCase{"ThreeCopiesAllowed",
                  rule("Jr"),
                  "MN",
                  with(firstCards(17), {"C01", "C01", "C02"}),
                  {}},
        CheckCase{"FourCopiesOfTheLastRun", rule("Jr"), "MN", fourSameLast, {RegTooManySame}},
        CheckCase{"FourCopiesWith006", rule("Jr", "006"), "MN", fourSameLast, {}},
        CheckCase{
            "Rare5Under002", rule("Jr", "002"), "MN", with(firstCards(19), {"R5"}), {RegRare5}},
        CheckCase{
            "Rare5Under003", rule("Jr", "003"), "MN", with(firstCards(19), {"R5"}), {RegRare3}},
        CheckCase{"Rare5UnderBoth",
                  rule("Jr", "002/003"),
                  "MN",
                  with(firstCards(19), {"R5"}),
                  {RegRare5, RegRare3}},
        CheckCase{"Rare3Under002", rule("Jr", "002"), "MN", with(firstCards(19), {"R3"}), {}},
        CheckCase{"WonderMasterUnder004", rule("Sr", "004"), "MW", twenty, {RegWonderMaster}},
        CheckCase{"UnknownClass", rule("Expert"), "MN", twenty, {RegNoRegulation}},
        CheckCase{"UnknownMaster", rule("Jr"), "NOBODY", twenty, {RegNoCardData}},
        CheckCase{"UnknownMasterUnderSr",
                  rule("Sr"),
                  "NOBODY",
                  twenty,
                  {RegNoCardData, RegMasterOutside}},
        CheckCase{"UnknownCards",
                  rule("Jr"),
                  "MN",
                  with(firstCards(18), {"ZZ", "ZZ"}),
                  {RegNoCardData, RegNoCardData}},
        CheckCase{"OrdinaryCardAsMaster", rule("Sr"), "C02", twenty, {RegMasterOutside}},
        CheckCase{"Everything",
                  rule("Sr", "002/004"),
                  "MW",
                  with(cardIds({1, 1, 1, 1}), {"R5", "ZZ"}),
                  {RegNoCardData, RegTooManySame, RegRare5, RegWonderMaster, RegWrongCount}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RegulationCheckDeck, CompactsTheCallersDeck) {
    const CardDatabase db = smallDatabase();
    DeckData deck;
    deck.Master = QStringLiteral("MN");
    deck.Cards = {QString(), QStringLiteral("C09"), QString(), QStringLiteral("C02"), QString()};
    RegulationCheck(rule("Jr"), deck, db);
    EXPECT_EQ(deck.Cards,
              (QStringList{QStringLiteral("C09"), QStringLiteral("C02")})); // not sorted
    deck.Cards = {QString(), QString()};
    RegulationCheck(rule("Jr"), deck, db);
    EXPECT_EQ(deck.Cards, QStringList{QString()});
}

// The decks of the sample installation, each under the built-in rule of its
// own class and under the sample rule files.
TEST(SampleInstallation, DecksAgainstTheirRules) {
    const InstallPaths paths = InstallPaths::fromAppPath(QStringLiteral(LUMI_SAMPLE_DIR));
    if (!QFileInfo::exists(paths.CardsPath + QStringLiteral("master.dat")))
        GTEST_SKIP() << "no sample installation";
    RecordingUser user;
    ReportTarget report{user};
    CardDatabase db;
    ASSERT_EQ(db.LoadMasterlist(paths.CardsPath, report), LoadVerdict::Loaded);
    ASSERT_EQ(db.LoadCardlist(paths.CardsPath, report), LoadVerdict::Loaded);
    ASSERT_TRUE(user.boxes.isEmpty());
    DeckList decks(db);

    // Which rules (by the name in their rule text) each sample deck is valid
    // under; every other rule must find a violation.
    const std::pair<const char*, QStringList> intended[] = {
        {"hinode_jr.ini", {QStringLiteral("Jrルール"), QStringLiteral("見習い杯")}},
        {"kirinami_sr.ini", {QStringLiteral("Srルール"), QStringLiteral("星屑杯")}},
        {"gekka_pro.ini", {QStringLiteral("Proルール"), QStringLiteral("月下大会")}},
        {"hoshiyomi_pro.ini", {QStringLiteral("月下大会")}},
        {"mayoigo_jr.ini", {}},
    };
    const QList<RuleChoice> rules = RuleList(paths.RulesPath);
    ASSERT_GE(rules.size(), 6);
    for (const auto& [file, validUnder] : intended) {
        QStringList valid;
        for (const RuleChoice& r : rules) {
            decks.LoadDeck(paths.DeckPath + QLatin1String(file));
            DeckData deck = decks.LoadingDeck;
            const QString text = LoadRuleStr(paths.RulesPath, r.Id);
            if (RegulationCheck(text, deck, db).isEmpty())
                valid.append(GetLineValue(text, QStringLiteral("Name")));
        }
        valid.sort();
        QStringList want = validUnder;
        want.sort();
        EXPECT_EQ(valid, want) << file;
    }
    // The two ways the sample decks fail, word for word.
    decks.LoadDeck(paths.DeckPath + QStringLiteral("hoshiyomi_pro.ini"));
    EXPECT_EQ(RegulationCheck(LoadRuleStr(paths.RulesPath, RuleOfficialPro), decks.LoadingDeck, db),
              RegTooManySame + CrLf);
    decks.LoadDeck(paths.DeckPath + QStringLiteral("mayoigo_jr.ini"));
    EXPECT_EQ(RegulationCheck(LoadRuleStr(paths.RulesPath, RuleOfficialJr), decks.LoadingDeck, db),
              RegWrongCount + CrLf);
}

} // namespace
