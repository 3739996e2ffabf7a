// Battle state files: the exact bytes, reading back, bad files, the
// confirmation identifier, saves, backups and the resume confirmation.
#include "EngineFixture.h"
#include "client/engine/BattleState.h"
#include "common/Cp932.h"
#include "common/TextFile.h"

#include <QFile>

namespace lumi::test {
namespace {

// Builds the expected file independently of the engine's writer.
struct Bytes {
    QByteArray b;
    Bytes& n16(int v) {
        b.append(char(v & 0xFF));
        b.append(char((v >> 8) & 0xFF));
        return *this;
    }
    Bytes& n32(qint64 v) {
        for (int k = 0; k < 4; ++k)
            b.append(char((v >> (8 * k)) & 0xFF));
        return *this;
    }
    Bytes& text(const QString& s) {
        const QByteArray e = cp932::encode(s);
        n16(int(e.size()));
        b.append(e);
        return *this;
    }
    Bytes& list(const QStringList& l) {
        n16(1).n32(l.size()).n32(0);
        for (const auto& s : l)
            text(s);
        return *this;
    }
    Bytes& emptySide() {
        text("")
            .text("")
            .text("")
            .n16(1)
            .list({""})
            .text("MASTER000")
            .list({""})
            .list({""})
            .list({""});
        n16(5).n16(0).n16(0).text("");
        for (int k = 0; k < 4; ++k)
            text("").n16(0).n16(0).n16(0).text("");
        return *this;
    }
};

BattleData sampleRecord() {
    BattleData d = EmptyBattleData();
    SideData& o = d.Own;
    o.PlayerName = "Ann";
    o.DeckDefaultData.DeckName = "竜デッキ";
    o.DeckDefaultData.AuthorName = "作者";
    o.DeckDefaultData.DeckType = 2;
    o.DeckDefaultData.Cards = {"F001", ""};
    o.DeckDefaultData.Master = "MASTER001";
    o.Deck = {"F002"};
    o.Hand = {""};
    o.Trash = {"M001", "M002"};
    o.MasterHP = 5;
    o.Stone = -3;
    o.IsFirst = true;
    o.MasterStatus = "012";
    o.Monsters[0] = MonsterData{"S001/F001", true, 3, 9, "000/001"};
    d.TurnNumber = 4;
    d.RuleText = "Name:x\r\nClass:Sr\r\nExRule:001\r\n";
    d.Memo = "nowplay:s\r\nSecurityLevel:1\r\n";
    return d;
}

QByteArray sampleBytes() {
    Bytes x;
    x.text("Ann").text("竜デッキ").text("作者").n16(2).list({"F001", ""}).text("MASTER001");
    x.list({"F002"}).list({""}).list({"M001", "M002"}).n16(5).n16(-3).n16(-1).text("012");
    x.text("S001/F001").n16(-1).n16(3).n16(9).text("000/001");
    for (int k = 0; k < 3; ++k)
        x.text("").n16(0).n16(0).n16(0).text("");
    x.emptySide();
    x.n16(4).text("Name:x\r\nClass:Sr\r\nExRule:001\r\n").text("nowplay:s\r\nSecurityLevel:1\r\n");
    for (int k = 0; k < 5; ++k)
        x.text("");
    return x.b;
}

TEST(StateFileFormatTest, BytesFieldByField) {
    const QByteArray written = WriteBattleState(sampleRecord());
    EXPECT_EQ(written.toHex().toStdString(), sampleBytes().toHex().toStdString());
}

TEST(StateFileFormatTest, EmptyHandIsOneElementOfLengthZero) {
    const QByteArray written = WriteBattleState(sampleRecord());
    // After name, deck name, author, type, cards, master and the deck list.
    const QByteArray hand = QByteArray::fromHex("0100"
                                                "01000000"
                                                "00000000"
                                                "0000");
    EXPECT_TRUE(written.contains(hand));
    auto read = ReadBattleState(written);
    ASSERT_TRUE(read.data);
    EXPECT_EQ(read.data->Own.Hand, CardList{QString()});
}

TEST(StateFileFormatTest, ReadsBackEqual) {
    auto read = ReadBattleState(WriteBattleState(sampleRecord()));
    ASSERT_TRUE(read.data);
    EXPECT_EQ(*read.data, sampleRecord());
}

TEST(StateFileFormatTest, ListWithoutDimensionsReadsAsTheEmptyList) {
    QByteArray bytes = sampleBytes();
    const QByteArray trash = QByteArray::fromHex("0100"
                                                 "02000000"
                                                 "00000000") +
                             Bytes().text("M001").text("M002").b;
    const auto at = bytes.indexOf(trash);
    ASSERT_GE(at, 0);
    bytes.replace(at, trash.size(), QByteArray::fromHex("0000"));
    auto read = ReadBattleState(bytes);
    ASSERT_TRUE(read.data);
    EXPECT_EQ(read.data->Own.Trash, CardList{QString()});
    EXPECT_EQ(read.data->Own.MasterHP, 5);
}

TEST(StateFileFormatTest, EveryTruncationFailsCleanly) {
    const QByteArray full = sampleBytes();
    for (qsizetype n = 0; n < full.size(); ++n) {
        auto read = ReadBattleState(QByteArrayView(full).first(n));
        ASSERT_FALSE(read.data) << n;
        EXPECT_EQ(read.errorNumber, 62);
    }
}

TEST(StateFileFormatTest, HostileCountsAndBadTextFail) {
    // The player name field of the own side is the first text; its deck card list the first list.
    const qsizetype cardsAt = Bytes().text("Ann").text("竜デッキ").text("作者").n16(2).b.size();
    struct Case {
        const char* name;
        std::function<void(QByteArray&)> damage;
        int error;
    };
    const Case cases[] = {
        {"two dimensions", [&](QByteArray& b) { b[cardsAt] = 2; }, 13},
        {"negative dimensions",
         [&](QByteArray& b) { b[cardsAt] = char(0xFF), b[cardsAt + 1] = char(0xFF); }, 13},
        {"count beyond the file",
         [&](QByteArray& b) { b.replace(cardsAt + 2, 4, QByteArray::fromHex("ffffff7f")); }, 62},
        {"negative count",
         [&](QByteArray& b) { b.replace(cardsAt + 2, 4, QByteArray::fromHex("ffffffff")); }, 13},
        {"text length beyond the file",
         [&](QByteArray& b) { b.replace(0, 2, QByteArray::fromHex("ffff")); }, 62},
        {"cut double-byte character",
         [&](QByteArray& b) { b.replace(2, 3, QByteArray("An\x82", 3)); }, 13},
        {"invalid trail byte", [&](QByteArray& b) { b.replace(2, 3, QByteArray("\x81\x20n", 3)); },
         13},
    };
    for (const auto& c : cases) {
        QByteArray bytes = sampleBytes();
        c.damage(bytes);
        auto read = ReadBattleState(bytes);
        EXPECT_FALSE(read.data) << c.name;
        EXPECT_EQ(read.errorNumber, c.error) << c.name;
    }
}

TEST(StateFileFormatTest, ConfirmationIdentifier) {
    EXPECT_EQ(Crc32("123456789"), 0xCBF43926u);
    EXPECT_EQ(CrcText(0xCBF43926u), "CBF43926");
    EXPECT_EQ(CrcText(0x0A0B0C0Du), "0A0B0C0D");
    EXPECT_EQ(CrcText(Crc32("")), "00000000");
}

TEST(StateFileFormatTest, MemoAndNumberedName) {
    EXPECT_EQ(MakeStateMemo(true, "SecurityLevel:0"), "nowplay:s\r\nSecurityLevel:0\r\n");
    EXPECT_EQ(MakeStateMemo(false, ""), "nowplay:c\r\n");
    EXPECT_TRUE(ServerTurnInMemo("nowplay:s\r\nSecurityLevel:0\r\n"));
    EXPECT_FALSE(ServerTurnInMemo("nowplay:c\r\n"));
    EXPECT_EQ(NumberedBackupName(QDateTime(QDate(2026, 3, 7), QTime(9, 5)), 3, false),
              "26-03-07-09-05-3-後攻.lms");
    EXPECT_EQ(NumberedBackupName(QDateTime(QDate(2031, 12, 24), QTime(23, 59)), 12, true),
              "31-12-24-23-59-12-先攻.lms");
}

class StateFileTest : public EngineTest {
public:
    QString file(const QString& name) { return dir.path() + u'/' + name; }
};

TEST_F(StateFileTest, SaveReturnsTheFilesIdentifierAndTheMemoFollowsTheTurn) {
    const QString path = file("a.lms");
    const QString first = engine->SaveState(path, true, "SecurityLevel:0");
    EXPECT_EQ(first, CrcText(Crc32(*readWholeFile(path))));
    EXPECT_EQ(data.Memo, "nowplay:s\r\nSecurityLevel:0\r\n");
    EXPECT_EQ(engine->SaveState(path, true, "SecurityLevel:0"), first)
        << "no change, same identifier";
    const QString after = engine->SaveState(path, false, "SecurityLevel:0");
    EXPECT_NE(after, first);
    EXPECT_EQ(data.Memo, "nowplay:c\r\nSecurityLevel:0\r\n");
    EXPECT_EQ(GetCRC(file("missing.lms")), "");
    writeWholeFile(file("empty.lms"), QByteArray());
    EXPECT_EQ(GetCRC(file("empty.lms")), "");
}

TEST_F(StateFileTest, FailedSaveReportsAndReturnsNothing) {
    user.errorReport("BattleOperation.SaveState", 75);
    EXPECT_EQ(engine->SaveState(file("no/such/folder/a.lms"), true, ""), "");
}

TEST_F(StateFileTest, ManualSaveAnnouncesIdentifierAndLevel) {
    state.HandViewAllowed = true;
    dialogs.savePath = file("manual.lms");
    engine->ManualSave();
    EXPECT_EQ(dialogs.lastTitle, "戦況を保存");
    EXPECT_EQ(dialogs.lastFilter, "ルミナリアOnline バトル情報(*.lms)|*.lms");
    EXPECT_EQ(user.status, QStringList{"1:LMSセキュリティレベル：1"});
    const QString crc = GetCRC(file("manual.lms"));
    ASSERT_EQ(crc.size(), 8);
    const QString sentence = "Ann が戦況の保存をしました。確認ID:" + crc + "/SL:1";
    EXPECT_EQ(host.events, QStringList{"chat:" + sentence});
    EXPECT_EQ(log.chat, QStringList{sentence});
    EXPECT_EQ(data.Memo, "nowplay:s\r\nSecurityLevel:1\r\n");
}

TEST_F(StateFileTest, ManualSaveCancelledOrNotServing) {
    dialogs.savePath.reset();
    engine->ManualSave();
    EXPECT_EQ(user.status, QStringList{"1:LMSセキュリティレベル：0"});
    EXPECT_TRUE(host.events.isEmpty());
    user.status.clear();
    state.ServerMode = false;
    engine->ManualSave();
    EXPECT_TRUE(user.status.isEmpty());
}

TEST_F(StateFileTest, BackupToTheFixedFile) {
    settings.AutoBackup = 1;
    settings.AutoBackupSecurityLevel = 2;
    engine->BackupBattleState();
    const QString crc = GetCRC(paths.BackupFile);
    ASSERT_FALSE(crc.isEmpty());
    EXPECT_EQ(log.chat, (QStringList{paths.BackupFile + " へ戦況をバックアップします。",
                                     "Ann の戦況自動保存が働きました。確認ID:" + crc + "/SL:2"}));
    EXPECT_EQ(host.events,
              QStringList{"chat:Ann の戦況自動保存が働きました。確認ID:" + crc + "/SL:2"})
        << "the path line goes into the own log only";
}

TEST_F(StateFileTest, NumberedBackupNamesTheTurnHolder) {
    settings.AutoBackup = 2;
    data.TurnNumber = 3;
    data.Own.IsFirst = false;
    data.Enemy.IsFirst = true;
    engine->BackupBattleState();
    EXPECT_TRUE(QFile::exists(paths.StatBkupPath + "26-03-07-09-05-3-後攻.lms"));
    state.MyTurn = false;
    engine->BackupBattleState();
    EXPECT_TRUE(QFile::exists(paths.StatBkupPath + "26-03-07-09-05-3-先攻.lms"));
}

TEST_F(StateFileTest, NoBackupWhenSwitchedOff) {
    settings.AutoBackup = 0;
    engine->BackupBattleState();
    EXPECT_FALSE(QFile::exists(paths.BackupFile));
    EXPECT_TRUE(host.events.isEmpty());
    EXPECT_TRUE(log.chat.isEmpty());
}

TEST_F(StateFileTest, FailedBackupAnnouncesFailure) {
    settings.AutoBackup = 2;
    paths.StatBkupPath = file("gone/");
    user.errorReport("BattleOperation.SaveState", 75);
    engine->BackupBattleState();
    EXPECT_EQ(host.events, QStringList{"chat:Ann の戦況自動保存が働きました。確認ID:[失敗]/SL:0"});
}

QString summary(const QString& serverName, const QString& serverDeck, const QString& clientName,
                const QString& clientDeck, const QString& holder, int turn, const QString& first) {
    return "戦況を確認してください。\r\n\r\nサーバー側名前　　　　：" + serverName +
           "\r\nサーバー側デッキ名　　：" + serverDeck + "\r\n\r\nクライアント側名前　　：" +
           clientName + "\r\nクライアント側デッキ名：" + clientDeck + "\r\n\r\n現在のターン：" +
           holder + "側" + QString::number(turn) + "ターン目\r\n先攻　　　　　：" + first +
           "\r\n\r\nこの設定でバトルを再開してもよろしいですか？\r\n[はい]でバトル開始、[いいえ]"
           "でサーバー側とクライアン"
           "ト側を交換、[キャンセル]でキャンセル";
}

TEST_F(StateFileTest, ResumeAnsweredNoOnceExchangesTheSides) {
    data.Own.PlayerName = "Ann";
    data.Own.DeckDefaultData.DeckName = "竜";
    data.Enemy.PlayerName = "Bob";
    data.Enemy.DeckDefaultData.DeckName = "騎士";
    data.TurnNumber = 5;
    const QString path = file("resume.lms");
    const QString crc = engine->SaveState(path, true, "SecurityLevel:0");
    const BattleData saved = data;

    user.expect(summary("Ann", "竜", "Bob", "騎士", "サーバー", 5, "サーバー"),
                BoxButtons::YesNoCancel, BoxIcon::Question, 0, BoxResult::No);
    user.expect(summary("Bob", "騎士", "Ann", "竜", "クライアント", 5, "クライアント"),
                BoxButtons::YesNoCancel, BoxIcon::Question, 0, BoxResult::Yes);
    auto choice = engine->ReadStateForResume(path);
    ASSERT_TRUE(choice);
    EXPECT_FALSE(choice->ServerTurnAtSave);
    EXPECT_EQ(choice->Crc, crc);
    EXPECT_EQ(choice->Data.Own, saved.Enemy);
    EXPECT_EQ(choice->Data.Enemy, saved.Own);

    state.MyName = "Cid";
    data = EmptyBattleData();
    engine->AdoptResumedState(*choice, "Dan");
    EXPECT_EQ(host.events,
              (QStringList{"chat:Cid が戦況の読み込みをしました。確認ID:" + crc, "redraw"}));
    EXPECT_EQ(data.Own.PlayerName, "Cid");
    EXPECT_EQ(data.Enemy.PlayerName, "Dan");
    EXPECT_EQ(data.Own.DeckDefaultData.DeckName, "騎士");
    EXPECT_EQ(data.TurnNumber, 5);
}

TEST_F(StateFileTest, ResumeCancelled) {
    const QString path = file("c.lms");
    engine->SaveState(path, false, "");
    user.expect(summary("", "", "", "", "クライアント", 2, "サーバー"), BoxButtons::YesNoCancel,
                BoxIcon::Question, 0, BoxResult::Cancel);
    EXPECT_FALSE(engine->ReadStateForResume(path));
}

TEST_F(StateFileTest, NotAStateFileIsReportedAndStartsNothing) {
    writeWholeFile(file("bad.lms"), QByteArray("\x05\x00Ann", 5));
    user.errorReport("frmMain.mnuBattleLoadLMS_Click", 62);
    EXPECT_FALSE(engine->ReadStateForResume(file("bad.lms")));
    user.errorReport("frmMain.mnuBattleLoadLMS_Click", 75);
    EXPECT_FALSE(engine->ReadStateForResume(file("missing.lms")));
    EXPECT_TRUE(host.events.isEmpty());
}

} // namespace
} // namespace lumi::test
