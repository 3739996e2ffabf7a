#include "EngineFixture.h"

#include "common/Cp932.h"
#include "common/TextFile.h"

namespace lumi::test {

void writeCp932(const QString& path, const QString& text) {
    ASSERT_TRUE(writeWholeFile(path, cp932::encode(text)).ok) << path.toStdString();
}

namespace {

// The card and status files are only read, so one installation serves
// every test; each test gets its own folder for the files it writes.
struct SharedInstall {
    QTemporaryDir dir;
    InstallPaths paths;
    CardDatabase cards;
    StatusDatabase statuses;

    SharedInstall() {
        paths = InstallPaths::fromAppPath(dir.path());
        EXPECT_TRUE(EnsureInstallFolders(paths));
        const QString c = paths.CardsPath;
        writeCp932(c + "master.dat",
                   "MASTER000,\"基本マスター\",N\r\nMASTER001,\"マスター壱\",N\r\n");
        writeCp932(c + "s1.lml", "F001,\"ドラゴン\",F,-\r\n"
                                 "F002,\"ナイト\",B,-\r\n"
                                 "S001,\"スーパードラゴン\",S,F001\r\n"
                                 "S002,\"スーパー何でも\",S,*\r\n"
                                 "M001,\"ファイア\",M,-\r\n"
                                 "M002,\"ただの魔法\",M,-\r\n"
                                 "M003,\"高い魔法\",M,-\r\n");
        writeCp932(c + "F001.ini", "[Lv1]\r\nHP=3\r\n1=かみつく\r\n2=ほのお\r\nS=a/b/2\r\n"
                                   "[Lv2]\r\nHP=5\r\n1=つめ\r\n2=ブレス\r\nS=a/b/40000\r\n"
                                   "[Lv3]\r\nHP=6\r\n1=ひっかく\r\n2=だいブレス\r\nS=a/b/5\r\n"
                                   "[Lv4]\r\nHP=\r\n");
        writeCp932(c + "F002.ini", "[Lv1]\r\nHP=2\r\n1=きる\r\n2=つく\r\nS=x/y/z\r\n");
        writeCp932(c + "S001.ini", "[Lv1]\r\nHP=8\r\n[Lv2]\r\nHP=8\r\n[Lv3]\r\nHP=9\r\n");
        writeCp932(c + "M001.ini", "[Magic]\r\nCost=1\r\n");
        writeCp932(c + "M003.ini", "[Magic]\r\nCost=3\r\n");
        writeCp932(
            c + "MASTER001.ini",
            "[MasterAbility]\r\ncount=2\r\n1=ヒール\r\n1cost=2\r\n2=いのり\r\n2cost=なし\r\n");
        writeCp932(paths.StatePath + "state.dat", "000,\"行動済み\",-,0\r\n"
                                                  "001,\"きあいだめ\",!,0\r\n"
                                                  "010,\"シールド\",S,0\r\n"
                                                  "011,\"パワー\",P,1\r\n"
                                                  "012,\"呪い\",X,2\r\n");
        ScriptedUser quiet;
        ReportTarget report{quiet};
        EXPECT_EQ(cards.LoadMasterlist(c, report), LoadVerdict::Loaded);
        EXPECT_EQ(cards.LoadCardlist(c, report), LoadVerdict::Loaded);
        EXPECT_EQ(statuses.LoadStatusList(paths.StatePath, report), LoadVerdict::Loaded);
    }
};

SharedInstall& sharedInstall() {
    static SharedInstall install;
    return install;
}

} // namespace

EngineTest::EngineTest()
    : paths(sharedInstall().paths), cards(sharedInstall().cards),
      statuses(sharedInstall().statuses) {
    paths.AppPath = dir.path() + u'/';
    paths.BackupFile = paths.AppPath + "backup.lms";
    paths.StatBkupPath = paths.AppPath + "StatBkup/";
    EXPECT_TRUE(EnsureFolder(paths.StatBkupPath));

    data = EmptyBattleData();
    data.TurnNumber = 2;
    data.Own.DeckDefaultData.Master = QStringLiteral("MASTER001");
    data.Own.IsFirst = true;
    state.ServerMode = true;
    state.BattleRunning = true;
    state.MyTurn = true;
    state.MyName = QStringLiteral("Ann");
    engine = std::make_unique<BattleEngine>(data, state,
                                            BattleEngine::Ports{user, log, host, dialogs, cards,
                                                                statuses, settings, paths, random,
                                                                clock});
}

void EngineTest::TearDown() {
    user.verifyDone();
}

void EngineTest::setOwn(const QStringList& hand, const QStringList& deck, int stones) {
    data.Own.Hand = hand.isEmpty() ? CardList{QString()} : hand;
    data.Own.Deck = deck.isEmpty() ? CardList{QString()} : deck;
    data.Own.Stone = static_cast<qint16>(stones);
}

void EngineTest::putMonster(int t, const QString& id, bool open, int level, int hp,
                            const QString& status) {
    auto& m = area(t);
    m.CardID = id;
    m.IsOpen = open;
    m.Level = static_cast<qint16>(level);
    m.HP = static_cast<qint16>(hp);
    m.Status = status;
}

} // namespace lumi::test
