// A whole battle between sessions on loopback: the offer, janken, the deal,
// turns, every family of operations and the special ones, with the server,
// the opponent and two viewers holding the same table after every step;
// then hand viewing, ending, the opponent leaving and resuming.
#include "CoreHarness.h"
#include "carddata/Rules.h"
#include "common/Cp932.h"

#include <QFile>
#include <QTcpSocket>
#include <gtest/gtest.h>

using namespace lumi;
using namespace lumi::test;

namespace {

const QString DeckFile = QStringLiteral("kirinami_sr.ini");

QString deckPath() {
    return InstallPaths::fromAppPath(SampleRoot()).DeckPath + DeckFile;
}

// The server's dialog: opponent, rule, deck and first-move choice, confirmed.
std::function<void(frmBattleSetting&)> offerDialog(const QString& opponent, int choice,
                                                   const QString& rule = RuleOfficialSr) {
    return [=](frmBattleSetting& d) {
        d.cboBattlerList.ListIndex = int(d.cboBattlerList.Items.indexOf(opponent));
        for (int i = 0; i < d.RuleChoices.size(); ++i)
            if (d.RuleChoices[i].Id == rule)
                d.cboRule_Click(i);
        if (d.cmdBrowseDeckEnabled)
            d.DeckChosen(deckPath());
        d.SelectJanken(choice);
        if (!d.cmdOK_Click())
            d.cmdCancel_Click();
    };
}

std::function<void(frmBattleSetting&)> acceptDialog(int hand) {
    return [=](frmBattleSetting& d) {
        if (d.cmdBrowseDeckEnabled)
            d.DeckChosen(deckPath());
        if (d.cboJanken.Enabled)
            d.cboJanken.ListIndex = hand;
        if (!d.cmdOK_Click())
            d.cmdCancel_Click();
    };
}

int firstMonsterInHand(const SideData& side) {
    for (int i = 0; i < side.Hand.size(); ++i)
        if (const CardData* c = SampleCards().find(side.Hand[i]))
            if (c->CardType == KindF || c->CardType == KindB)
                return i;
    return -1;
}

struct Table : ::testing::Test {
    Session s, o, v1, v2;

    void SetUp() override {
        s.serve(QStringLiteral("S"));
        o.join(s, QStringLiteral("O"));
        v1.join(s, QStringLiteral("V1"));
        v2.join(s, QStringLiteral("V2"));
        for (Session* x : {&s, &o, &v1, &v2})
            x->ports.fallback = BoxResult::Yes;
        o.ports.onBattleSetting = acceptDialog(2);
    }

    bool alike() const {
        return Mirrored(s.core->Data(), o.core->Data()) &&
               SameTable(o.core->Data(), v1.core->Data()) &&
               SameTable(o.core->Data(), v2.core->Data());
    }

    // Runs one step and waits until every copy of the table agrees again.
    void step(const char* what, const std::function<void()>& op,
              const std::function<bool()>& done = {}) {
        op();
        ASSERT_TRUE(waitFor([&] { return (!done || done()) && alike(); })) << what;
    }

    void start(int serverChoice, int clientHand) {
        o.ports.onBattleSetting = acceptDialog(clientHand);
        s.ports.onBattleSetting = offerDialog(QStringLiteral("O"), serverChoice);
        s.core->OfferBattle();
        ASSERT_TRUE(waitFor([&] {
            return s.core->Data().TurnNumber == 1 && v1.core->State().ViewMode &&
                   v2.core->State().ViewMode &&
                   (s.core->State().MyTurn || o.core->State().MyTurn) && alike();
        }));
    }
};

} // namespace

TEST_F(Table, WholeBattleKeepsEveryTableAlike) {
    start(1, 2); // チョキ against パー: the server moves first
    EXPECT_TRUE(s.ports.chat.contains(QStringLiteral("S[チョキ]：[パー]O")));
    EXPECT_TRUE(v1.ports.chat.contains(QStringLiteral("S(サーバー)先攻です")));
    EXPECT_TRUE(v1.ports.chat.contains(QStringLiteral("観覧モードです。")));
    EXPECT_FALSE(o.core->State().ViewMode);
    EXPECT_EQ(s.core->Data().Own.Hand.size(), 5); // no draw on the first player's first turn
    EXPECT_EQ(s.core->Data().Own.Stone, 3);
    EXPECT_EQ(v1.core->Data().Enemy.DeckDefaultData.DeckName,
              s.core->Data().Own.DeckDefaultData.DeckName);
    // The opponent never receives vwhand.
    for (const QString& line : o.ports.debug)
        EXPECT_FALSE(line.startsWith(QStringLiteral("Receive C> vwhand")));

    BattleEngine& se = s.core->Engine();
    BattleEngine& oe = o.core->Engine();
    step(
        "draw", [&] { se.DrawOneCard(); }, [&] { return o.core->Data().Enemy.Hand.size() == 6; });
    step(
        "stones",
        [&] {
            s.core->State().ChangeAmount = 2;
            se.StoneUp();
        },
        [&] { return v2.core->Data().Enemy.Stone == 5; });
    const int monster = firstMonsterInHand(s.core->Data().Own);
    ASSERT_GE(monster, 0);
    step(
        "place", [&] { se.PlaceCard(monster, 1); },
        [&] { return !v1.core->Data().Enemy.Monster(1).CardID.isEmpty(); });
    step("level", [&] {
        s.core->State().SelectedTarget = 1;
        se.SetMonsterLevel(2);
    });
    step(
        "hp",
        [&] {
            s.core->State().SelectedTarget = 1;
            se.SetMonsterHP(3);
        },
        [&] { return o.core->Data().Enemy.Monster(1).HP == 3; });
    step("acted", [&] {
        s.core->State().SelectedTarget = 1;
        se.ToggleActed();
    });
    step(
        "master damage",
        [&] {
            s.core->State().ChangeAmount = 1;
            se.Damage();
        },
        [&] { return v1.core->Data().Enemy.MasterHP == 4; });
    step("dice", [&] { se.RollDice(); });
    s.ports.onCmac = [](frmCmacNarabekae& d) {
        d.optSelf = true;
        d.cmdExecute_Click();
        d.cmdOK_Click();
    };
    const CardList deckBefore = s.core->Data().Own.Deck;
    step("special shuffle", [&] { se.SpecialShuffle(); });
    EXPECT_NE(s.core->Data().Own.Deck, deckBefore);
    step(
        "turn end", [&] { se.TurnEnd(); }, [&] { return o.core->State().MyTurn; });
    EXPECT_FALSE(s.core->State().MyTurn);
    EXPECT_EQ(s.core->Data().TurnNumber, 1);
    EXPECT_EQ(o.core->Data().Own.Hand.size(), 6); // the second player draws at its turn start
    EXPECT_TRUE(v2.ports.chat.contains(QStringLiteral("Oの1ターン開始")));

    // The opponent's operations reach the server, which relays them mirrored.
    const int oMonster = firstMonsterInHand(o.core->Data().Own);
    ASSERT_GE(oMonster, 0);
    step(
        "client place", [&] { oe.PlaceCard(oMonster, 2); },
        [&] { return !s.core->Data().Enemy.Monster(2).CardID.isEmpty(); });
    EXPECT_TRUE(std::any_of(v1.ports.debug.begin(), v1.ports.debug.end(), [](const QString& l) {
        return l.startsWith(QStringLiteral("Receive C> set") + QChar(0) + QStringLiteral("7") +
                            QChar(0));
    }));
    step(
        "client rotate", [&] { oe.RotateRight(); },
        [&] { return !v2.core->Data().Own.Monster(4).CardID.isEmpty(); });
    o.ports.onCmac = [&](frmCmacNarabekae& d) {
        d.optSelf = true;
        d.cmdExecute_Click();
        std::reverse(d.lstCardIDs.begin(), d.lstCardIDs.end());
        d.cmdOK_Click();
    };
    const CardList oDeck = o.core->Data().Own.Deck;
    step(
        "client reorder", [&] { oe.SpecialReorder(); },
        [&] { return o.core->Data().Own.Deck != oDeck; });
    EXPECT_EQ(o.core->Data().Own.Deck.first(), oDeck[4]);
    step("client redraw", [&] { oe.RedrawHand(); });
    step(
        "client hand to deck", [&] { oe.HandToDeck(); },
        [&] { return s.core->Data().Enemy.Hand.join("").isEmpty(); });
    step("client draw", [&] { oe.DrawOneCard(); });
    step(
        "client turn end", [&] { oe.TurnEnd(); }, [&] { return s.core->State().MyTurn; });
    EXPECT_EQ(s.core->Data().TurnNumber, 2);
    EXPECT_EQ(v1.core->Data().TurnNumber, 2);
    EXPECT_TRUE(o.ports.chat.contains(QStringLiteral("Sの2ターン開始")));

    // A member joining now becomes a viewer of the running battle.
    Session late;
    late.join(s, QStringLiteral("L"));
    ASSERT_TRUE(waitFor([&] { return SameTable(late.core->Data(), o.core->Data()); }));
    EXPECT_TRUE(
        late.ports.chat.contains(QStringLiteral("現在、S さんと O さんのバトルが進行中です。")));
    EXPECT_TRUE(late.core->State().ViewMode);
    EXPECT_EQ(late.core->Data().TurnNumber, 2);

    // A watching member ignores an offer.
    const int lateSlot = s.core->Name2ClientIndex(QStringLiteral("L"));
    s.core->AnyRequest(QString::number(lateSlot), QStringLiteral("battle<>S<>0<>Name:x\r\n<>0"));
    s.core->AnyRequest(QString::number(lateSlot), QStringLiteral("chat<>marker"));
    ASSERT_TRUE(waitFor([&] { return late.ports.chat.contains(QStringLiteral("marker")); }));
    EXPECT_TRUE(late.ports.boxes.isEmpty());

    // The resend command: area 5 is the opponent's master, sent as "5"; 10 and above beep.
    v1.ports.debug.clear();
    s.core->ResendFieldCommand(QStringLiteral("5"));
    const QString area5 = QStringLiteral("Receive C> set") + QChar(0) + QStringLiteral("5") +
                          QChar(0) + QStringLiteral("O") + QChar(0);
    ASSERT_TRUE(waitFor([&] {
        return std::any_of(v1.ports.debug.begin(), v1.ports.debug.end(),
                           [&](const QString& l) { return l.startsWith(area5); });
    }));
    const int beeps = s.ports.beeps;
    s.core->ResendFieldCommand(QStringLiteral("10"));
    EXPECT_EQ(s.ports.beeps, beeps + 1);
    // A named value's key is matched without regard to letter case.
    s.core->AnyRequest(QStringLiteral("-1"),
                       QStringLiteral("set<>10<>0<>deckdefaultdata.DECKNAME<>別名"));
    ASSERT_TRUE(waitFor(
        [&] { return v2.core->Data().Enemy.DeckDefaultData.DeckName == QStringLiteral("別名"); }));

    // Hand viewing: viewers are told, the opponent is not.
    s.core->HandViewCommand();
    ASSERT_TRUE(waitFor(
        [&] { return v1.core->State().HandViewAllowed && late.core->State().HandViewAllowed; }));
    EXPECT_TRUE(s.core->State().HandViewAllowed);

    // Ending: everybody leaves the battle, hand viewing is withdrawn.
    s.core->EndBattleCommand();
    ASSERT_TRUE(waitFor([&] {
        return !o.core->State().BattleRunning && !v1.core->State().BattleRunning &&
               !v2.core->State().BattleRunning;
    }));
    EXPECT_FALSE(s.core->State().BattleRunning);
    EXPECT_FALSE(v1.core->State().HandViewAllowed);
    EXPECT_TRUE(o.ports.chat.contains(QStringLiteral("バトル終了")));
}

TEST_F(Table, JankenDecidesTheFirstPlayer) {
    struct Case {
        int server, client;
        QString janken; // empty: no janken line
        bool serverFirst;
    };
    const QList<Case> cases = {
        {1, 2, QStringLiteral("S[チョキ]：[パー]O"), true},
        {0, 2, QStringLiteral("S[グー]：[パー]O"), false},
        {2, 0, QStringLiteral("S[パー]：[グー]O"), true},
        {3, 0, {}, true},
        {4, 0, {}, false},
    };
    for (const Case& c : cases) {
        s.ports.chat.clear();
        start(c.server, c.client);
        EXPECT_EQ(s.core->State().ServerFirst, c.serverFirst) << c.server << " " << c.client;
        EXPECT_EQ(s.core->State().MyTurn, c.serverFirst);
        EXPECT_EQ(o.core->State().MyTurn, !c.serverFirst);
        if (c.janken.isEmpty())
            EXPECT_FALSE(
                std::any_of(s.ports.chat.begin(), s.ports.chat.end(),
                            [](const QString& l) { return l.startsWith(QStringLiteral("S[")); }));
        else
            EXPECT_TRUE(s.ports.chat.contains(c.janken));
        EXPECT_TRUE(s.ports.chat.contains(c.serverFirst
                                              ? QStringLiteral("S(サーバー)先攻です")
                                              : QStringLiteral("O(クライアント)先攻です")));
    }
    // Equal hands: the tie line, then either side.
    s.ports.chat.clear();
    start(0, 0);
    EXPECT_TRUE(
        s.ports.chat.contains(QStringLiteral("あいこなので先攻後攻はコンピュータが決定します。")));
    // A fixed first move fixes the client's box on the other entry.
    QString fixedEntry;
    bool fixedEnabled = true;
    o.ports.onBattleSetting = [&](frmBattleSetting& d) {
        fixedEntry = d.cboJanken.text();
        fixedEnabled = d.cboJanken.Enabled;
        d.cmdCancel_Click();
    };
    s.ports.onBattleSetting = offerDialog(QStringLiteral("O"), 3);
    s.core->OfferBattle();
    ASSERT_TRUE(waitFor([&] {
        return s.ports.chat.contains(QStringLiteral("Oさんへの対戦要求は却下されました。"));
    }));
    EXPECT_EQ(fixedEntry, QStringLiteral("(後攻)"));
    EXPECT_FALSE(fixedEnabled);
    EXPECT_FALSE(s.core->State().BattleRunning);
}

TEST_F(Table, OpponentLeavingOffersTheSaveAndResumingExchangesSides) {
    start(1, 2);
    s.core->Engine().StoneUp();
    ASSERT_TRUE(waitFor([&] { return alike() && o.core->Data().Enemy.Stone == 4; }));
    const BattleData before = s.core->Data();
    QTemporaryDir dir;
    const QString saved = dir.path() + QStringLiteral("/left.lms");
    s.ports.savePath = saved;
    o.core->Disconnect();
    ASSERT_TRUE(
        waitFor([&] { return !v1.core->State().BattleRunning && !s.core->State().BattleRunning; }));
    EXPECT_TRUE(s.ports.boxes.contains(
        QStringLiteral("対戦中に切断されました。現在の状況を保存しますか？")));
    EXPECT_TRUE(QFile::exists(saved));
    EXPECT_TRUE(v2.ports.chat.contains(QStringLiteral("Oさんが切断されました。")));
    EXPECT_TRUE(std::any_of(v1.ports.chat.begin(), v1.ports.chat.end(), [](const QString& l) {
        return l.startsWith(QStringLiteral("S が戦況の保存をしました。確認ID:"));
    }));

    // The opponent comes back; the server resumes with the sides exchanged once.
    Session back;
    back.join(s, QStringLiteral("O"));
    back.ports.onBattleSetting = acceptDialog(0);
    s.ports.script = {{QStringLiteral("戦況を確認してください。"), BoxResult::No},
                      {QStringLiteral("戦況を確認してください。"), BoxResult::Yes}};
    s.ports.onBattleSetting = [](frmBattleSetting& d) {
        d.cboBattlerList.ListIndex = int(d.cboBattlerList.Items.indexOf(QStringLiteral("O")));
        if (!d.cmdOK_Click())
            d.cmdCancel_Click();
    };
    s.ports.debug.clear();
    s.core->LoadAndResume(saved);
    ASSERT_TRUE(waitFor([&] {
        return back.core->State().MyTurn && Mirrored(s.core->Data(), back.core->Data()) &&
               SameTable(back.core->Data(), v1.core->Data());
    }));
    // The server now plays what the client held, and the client the server's side.
    EXPECT_EQ(s.core->Data().Own.Hand, before.Enemy.Hand);
    EXPECT_EQ(back.core->Data().Own.Hand, before.Own.Hand);
    EXPECT_EQ(s.core->Data().Own.PlayerName, QStringLiteral("S"));
    EXPECT_EQ(s.core->Data().TurnNumber, before.TurnNumber);
    EXPECT_FALSE(s.core->State().MyTurn);
    // The server side had moved first; exchanged, the client has.
    EXPECT_FALSE(s.core->State().ServerFirst);
    // No deck was sent for a resumed battle.
    for (const QString& line : s.ports.debug)
        EXPECT_FALSE(line.startsWith(QStringLiteral("Receive 0> deck")) ||
                     line.startsWith(QStringLiteral("Receive 4> deck")));
    EXPECT_TRUE(
        waitFor([&] { return back.ports.chat.contains(QStringLiteral("Oの1ターン開始")); }));
    // The client's turn end now advances the turn, because it moved first after the exchange.
    back.core->Engine().TurnEnd();
    ASSERT_TRUE(waitFor([&] { return s.core->State().MyTurn; }));
    EXPECT_EQ(s.core->Data().TurnNumber, before.TurnNumber);
    // Its turn start drew a sixth card, which must go before the turn can end.
    s.core->Engine().DiscardCard(0);
    s.core->Engine().TurnEnd();
    ASSERT_TRUE(waitFor([&] { return back.core->State().MyTurn; }));
    EXPECT_EQ(back.core->Data().TurnNumber, before.TurnNumber + 1);
}

TEST_F(Table, ADeckThatFailsTheRuleCannotBeOffered) {
    s.ports.onBattleSetting = offerDialog(QStringLiteral("O"), 0, RuleOfficialJr);
    s.core->OfferBattle();
    EXPECT_TRUE(s.ports.boxes.contains(QStringLiteral("デッキが異常です。")));
    EXPECT_FALSE(s.core->State().BattleRunning);
    // Without an opponent chosen.
    s.ports.onBattleSetting = offerDialog(QStringLiteral("nobody"), 0);
    s.core->OfferBattle();
    EXPECT_TRUE(s.ports.boxes.contains(QStringLiteral("対戦相手を選んでください。")));
    EXPECT_FALSE(s.core->State().BattleRunning);
}
