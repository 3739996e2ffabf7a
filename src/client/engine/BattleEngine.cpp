#include "client/engine/BattleEngine.h"

#include "carddata/CardInfo.h"
#include "carddata/ReportError.h"
#include "carddata/Rules.h"
#include "client/engine/BattleState.h"
#include "client/engine/ChangeStatus.h"
#include "client/engine/CmacNarabekae.h"
#include "common/Ports.h"
#include "common/TextFile.h"

#include <limits>
#include <stdexcept>

namespace lumi {

using namespace BattleOperation;

namespace {

// An error inside a handler: stops it and goes to ReportError with the
// handler's place, as the original's error traps did.
struct HandlerError {
    int number;
    QString description;
};

const QString kOverflow = QStringLiteral("オーバーフローしました。");

qint16 checked16(int value) {
    if (value < std::numeric_limits<qint16>::min() || value > std::numeric_limits<qint16>::max())
        throw HandlerError{6, kOverflow};
    return static_cast<qint16>(value);
}

void add16(qint16& target, int delta) {
    target = checked16(int(target) + delta);
}

QString num(int n) {
    return QString::number(n);
}

const QString kStatusActed = QStringLiteral("000");
const QString kStatusCharge = QStringLiteral("001");

bool validHandIndex(const CardList& hand, int index) {
    return index >= 0 && index < hand.size() && !hand[index].isEmpty();
}

void removeFromHand(CardList& hand, int index) {
    hand[index].clear();
    CompactionArray(hand);
}

} // namespace

void PositionBoxes::Click(int index) {
    if (index < 0 || index > 3)
        return;
    auto& box = chkPosition[static_cast<size_t>(index)];
    if (box) {
        box = false;
        return;
    }
    int ticked = 0;
    for (bool b : chkPosition)
        ticked += b ? 1 : 0;
    if (ticked >= 2)
        chkPosition = {};
    box = true;
}

BattleEngine::BattleEngine(BattleData& data, PlayState& state, Ports ports)
    : data_(data), state_(state), ports_(ports) {}

// ---------------------------------------------------------------------------
// Shared pieces

template <typename F> void trap(UserPort& user, const QString& place, F&& body) {
    try {
        body();
    } catch (const HandlerError& e) {
        ReportError(user, e.number, e.description, place);
    } catch (const std::exception& e) {
        ReportError(user, 5, QString::fromLocal8Bit(e.what()), place);
    }
}

bool BattleEngine::StandardGuard() const {
    return state_.BattleRunning && !state_.ViewMode;
}

bool BattleEngine::TurnGuard() const {
    return StandardGuard() && state_.MyTurn;
}

void BattleEngine::Refuse(const QString& text) {
    ports_.user.beep();
    ports_.user.statusText(1, text);
}

bool BattleEngine::Ask(const QString& text, bool noIsDefault) {
    MessageBoxRequest box{text, ClientTitle, BoxButtons::YesNo, BoxIcon::Question,
                          noIsDefault ? 1 : 0};
    return ports_.user.messageBox(box) == BoxResult::Yes;
}

namespace {
bool askPlain(UserPort& user, const QString& text) {
    // A Yes/No question without an icon, No the default.
    MessageBoxRequest box{text, ClientTitle, BoxButtons::YesNo, BoxIcon::None, 1};
    return user.messageBox(box) == BoxResult::Yes;
}
void warn(UserPort& user, const QString& text, const QString& title = ClientTitle) {
    user.messageBox(MessageBoxRequest{text, title, BoxButtons::OK, BoxIcon::Warning, 0});
}
} // namespace

QString BattleEngine::SignText(int area, bool force) const {
    if (!force && !ports_.settings.FieldSign)
        return QString();
    return AreaSign(area, data_.Own.IsFirst);
}

void BattleEngine::Announce(const QStringList& sentences) {
    RequestBatch batch;
    for (const auto& s : sentences)
        batch.append(Request{QStringLiteral("chat"), s});
    ports_.host.send(batch);
    if (state_.ServerMode)
        ports_.log.ChatPut(sentences.join(CrLf));
}

void BattleEngine::ResendField(int area) {
    ports_.host.send(RequestBatch{ResendFieldRequest(data_, area)});
}

// The name of the card shown in an own area followed by its sign in brackets.
QString BattleEngine::UnitText(int area) const {
    const auto& m = data_.Own.Monster(area);
    return ports_.cards.CardID2CardName(GetCardID(m.CardID, 0)) + u'(' + SignText(area, true) +
           u')';
}

// ---------------------------------------------------------------------------
// Hand, deck and trash

void BattleEngine::DrawOneCard() {
    trap(ports_.user, QStringLiteral("frmMain.cmdDrawCard_Click"), [&] {
        if (!StandardGuard() || CardCount(data_.Own.Deck) == 0)
            return;
        if (ports_.settings.DrawCheck && !Ask(QStringLiteral("ドローしますか？"), false))
            return;
        DrawCard(data_.Own.Deck, data_.Own.Hand);
        Announce(state_.MyName + QStringLiteral(" がカードを1枚ドローしました。"));
        ResendField(AreaOwnMaster);
        ports_.host.redraw();
    });
}

void BattleEngine::DiscardCard(int handIndex) {
    trap(ports_.user, QStringLiteral("frmMain.cmdTrash_Click"), [&] {
        auto& own = data_.Own;
        if (!StandardGuard() || !validHandIndex(own.Hand, handIndex))
            return;
        const QString id = own.Hand[handIndex];
        if (!Ask(ports_.cards.CardID2CardName(id) + QStringLiteral(" を捨てます。よろしいですか？"),
                 false))
            return;
        GoTrash(own.Trash, id);
        removeFromHand(own.Hand, handIndex);
        Announce(state_.MyName + QStringLiteral(" がカードを1枚捨てました。"));
        ResendField(AreaOwnMaster);
        ports_.host.redraw();
    });
}

void BattleEngine::UseMagicCard(int handIndex) {
    trap(ports_.user, QStringLiteral("frmMain.lstHandCard_DblClick"), [&] {
        auto& own = data_.Own;
        if (!TurnGuard() || !validHandIndex(own.Hand, handIndex))
            return;
        const QString id = own.Hand[handIndex];
        const CardData* card = ports_.cards.find(id);
        if (!card) {
            ports_.user.messageBox(MessageBoxRequest{
                QStringLiteral("このカードの情報が見つからないため、使用できません。"), ClientTitle,
                BoxButtons::OK, BoxIcon::Error, 0});
            return;
        }
        CardPosition pos;
        ports_.cards.CardID2Index(id, pos);
        if (pos.Series < 0 || card->CardType != KindM)
            return;
        const int cost = ReadCardInfo(ports_.paths.CardsPath, id).MagicCost;
        const QString name = card->CardName;
        // Declining the question uses nothing.
        if (!Ask(name + QStringLiteral(" を使います。よろしいですか？"), false))
            return;
        if (own.Stone < cost) {
            warn(ports_.user, QStringLiteral("ストーンが足りません。"),
                 name + u'(' + num(cost) + QStringLiteral("個)"));
            return;
        }
        QString sentence =
            state_.MyName + QStringLiteral(" が") + name + QStringLiteral("を使いました");
        if (cost > 0)
            sentence += CrLf + state_.MyName + QStringLiteral(" が ") + num(cost) +
                        QStringLiteral("ストーン支払いました。");
        Announce(sentence);
        GoTrash(own.Trash, id);
        removeFromHand(own.Hand, handIndex);
        add16(own.Stone, -cost);
        ResendField(AreaOwnMaster);
        ports_.host.redraw();
    });
}

void BattleEngine::StoneUp() {
    trap(ports_.user, QStringLiteral("frmMain.cmdStoneUp_Click"), [&] {
        if (!StandardGuard())
            return;
        const int n = state_.ChangeAmount;
        add16(data_.Own.Stone, n);
        Announce(state_.MyName + QStringLiteral(" が") + num(n) +
                 QStringLiteral("ストーンを増やしました。"));
        ResendField(AreaOwnMaster);
        ports_.host.redraw();
    });
}

void BattleEngine::StoneDown() {
    trap(ports_.user, QStringLiteral("frmMain.cmdStoneDown_Click"), [&] {
        if (!StandardGuard())
            return;
        const int n = state_.ChangeAmount;
        if (n > data_.Own.Stone)
            return Refuse(QStringLiteral("Error: これ以上減らせません。"));
        add16(data_.Own.Stone, -n);
        Announce(state_.MyName + QStringLiteral(" が") + num(n) +
                 QStringLiteral("ストーンを失いました。"));
        ResendField(AreaOwnMaster);
        ports_.host.redraw();
    });
}

void BattleEngine::HPUp() {
    trap(ports_.user, QStringLiteral("frmMain.cmdHPUp_Click"), [&] {
        if (!StandardGuard())
            return;
        const int n = state_.ChangeAmount;
        if (data_.Own.MasterHP + n > 10)
            return Refuse(QStringLiteral("Error: これ以上増やせません。"));
        add16(data_.Own.MasterHP, n);
        Announce(state_.MyName + QStringLiteral(" がＨＰを") + num(n) +
                 QStringLiteral("増やしました。"));
        ResendField(AreaOwnMaster);
        ports_.host.redraw();
    });
}

void BattleEngine::HPDown() {
    trap(ports_.user, QStringLiteral("frmMain.cmdHPDown_Click"), [&] {
        if (!StandardGuard())
            return;
        const int n = state_.ChangeAmount;
        if (n > data_.Own.MasterHP)
            return Refuse(QStringLiteral("Error: これ以上減らせません。"));
        add16(data_.Own.MasterHP, -n);
        ResendField(AreaOwnMaster);
        Announce(state_.MyName + QStringLiteral(" がＨＰを") + num(n) +
                 QStringLiteral("減らしました。"));
        ports_.host.redraw();
    });
}

void BattleEngine::Damage() {
    trap(ports_.user, QStringLiteral("frmMain.cmdDamage_Click"), [&] {
        if (!StandardGuard())
            return;
        const int n = state_.ChangeAmount;
        if (n > data_.Own.MasterHP)
            return Refuse(QStringLiteral("Error: マスターのHPが足りません。"));
        add16(data_.Own.Stone, n);
        add16(data_.Own.MasterHP, -n);
        Announce(state_.MyName + QStringLiteral(" が") + num(n) +
                 QStringLiteral("ダメージを受けました。"));
        ResendField(AreaOwnMaster);
        ports_.host.redraw();
    });
}

void BattleEngine::MakeStone() {
    trap(ports_.user, QStringLiteral("frmMain.cmdMakeStone_Click"), [&] {
        if (!StandardGuard())
            return;
        if (data_.Own.MasterHP < 2)
            return Refuse(QStringLiteral("Error: マスターのHPが足りません。"));
        if (!Ask(QStringLiteral(
                     "自マスターの HP を 2 減らし、ストーンを 1 個増やします。よろしいですか？"),
                 true))
            return;
        add16(data_.Own.Stone, 1);
        add16(data_.Own.MasterHP, -2);
        Announce(state_.MyName + QStringLiteral(" がメイクストーンを使いました。"));
        ResendField(AreaOwnMaster);
        ports_.host.redraw();
    });
}

void BattleEngine::MakeDraw() {
    trap(ports_.user, QStringLiteral("frmMain.cmdMakeDraw_Click"), [&] {
        if (!StandardGuard())
            return;
        if (data_.Own.MasterHP <= 0)
            return Refuse(QStringLiteral("Error: マスターのHPが足りません。"));
        if (CardCount(data_.Own.Hand) > 5)
            return Refuse(QStringLiteral("Error: 手札が多すぎます。"));
        if (!Ask(QStringLiteral(
                     "自マスターの HP を 1 減らし、カードを1枚ドローします。よろしいですか？"),
                 true))
            return;
        add16(data_.Own.MasterHP, -1);
        DrawCard(data_.Own.Deck, data_.Own.Hand);
        Announce(state_.MyName + QStringLiteral(" がメイクドローを使いました。"));
        ResendField(AreaOwnMaster);
        ports_.host.redraw();
    });
}

void BattleEngine::ShuffleDeck() {
    trap(ports_.user, QStringLiteral("frmMain.mnuBattleShuffle_Click"), [&] {
        if (!StandardGuard() || CardCount(data_.Own.Deck) == 0)
            return;
        if (!askPlain(ports_.user, QStringLiteral("デッキをシャッフルします。よろしいですか？")))
            return;
        ShuffleArray(data_.Own.Deck, ports_.random);
        Announce(state_.MyName + QStringLiteral(" がデッキをシャッフルしました。"));
        ResendField(AreaOwnMaster);
        ports_.host.redraw();
    });
}

void BattleEngine::HandToDeck() {
    trap(ports_.user, QStringLiteral("frmMain.mnuBattleHandToDeck_Click"), [&] {
        if (!StandardGuard())
            return;
        if (!askPlain(ports_.user, QStringLiteral("デッキに手札を戻します。よろしいですか？")))
            return;
        PutOnTop(data_.Own.Deck, data_.Own.Hand);
        data_.Own.Hand = CardList{QString()};
        ResendField(AreaOwnMaster);
        Announce(state_.MyName + QStringLiteral(" が手札をデッキに戻しました。"));
        ports_.host.redraw();
    });
}

void BattleEngine::RollDice() {
    trap(ports_.user, QStringLiteral("frmMain.mnuBattleDice_Click"), [&] {
        const int number = static_cast<int>(ports_.random.below(6)) + 1;
        Announce(state_.MyName + QStringLiteral(" がダイスを振りました。[ダイスの目：") +
                 num(number) + u']');
    });
}

// ---------------------------------------------------------------------------
// Field and monsters

void BattleEngine::PlaceCard(int handIndex, int area) {
    trap(ports_.user, QStringLiteral("frmMain.picField_DragDrop"), [&] {
        if (!TurnGuard()) {
            ports_.user.beep();
            return;
        }
        auto& own = data_.Own;
        if (area < 1 || area > 4 || !validHandIndex(own.Hand, handIndex))
            return;
        const QString id = own.Hand[handIndex];
        CardPosition pos;
        if (!ports_.cards.CardID2Index(id, pos) || pos.Series < 0)
            return;
        const CardData* card = ports_.cards.cardAt(pos);
        if (!card)
            return;
        auto& m = own.Monster(area);
        if (m.CardID.isEmpty() && (card->CardType == KindF || card->CardType == KindB)) {
            // Only an empty stone pool refuses: a count a level payment drove
            // below zero goes on down, as every other payment does.
            if (own.Stone == 0)
                return Refuse(QStringLiteral("Error:ストーンが足りません。"));
            add16(own.Stone, -1);
            m.CardID = id;
            m.IsOpen = false;
            m.Level = 1;
            removeFromHand(own.Hand, handIndex);
            Announce(state_.MyName + QStringLiteral(" がカードをセットしました"));
            ResendField(area);
            ResendField(AreaOwnMaster);
            ports_.host.redraw();
            return;
        }
        if (card->CardType != KindS || m.CardID.isEmpty() || m.CardID.contains(u'/'))
            return;
        CardPosition underPos;
        if (ports_.cards.CardID2Index(m.CardID, underPos) && underPos.Series >= 0) {
            const CardData* under = ports_.cards.cardAt(underPos);
            if (under && under->CardType == KindS)
                return;
        }
        const bool fits = card->BaseCardID == m.CardID || card->BaseCardID == QStringLiteral("*");
        if (!fits || m.Level < 3)
            return;
        m.CardID = id + u'/' + m.CardID;
        removeFromHand(own.Hand, handIndex);
        Announce(state_.MyName + QStringLiteral(" がスーパーカード ") + card->CardName +
                 QStringLiteral(" をセットしました。"));
        ResendField(area);
        ResendField(AreaOwnMaster);
        ports_.host.redraw();
    });
}

void BattleEngine::SwapPositions() {
    trap(ports_.user, QStringLiteral("frmMain.cmdMovePosition_Click"), [&] {
        if (!StandardGuard())
            return;
        QList<int> areas;
        for (int k = 0; k < 4; ++k)
            if (positions_.chkPosition[static_cast<size_t>(k)])
                areas.append(k + 1);
        if (areas.size() < 2)
            return;
        auto& a = data_.Own.Monster(areas[0]);
        auto& b = data_.Own.Monster(areas[1]);
        if (positions_.chkMoveAsAction) {
            for (auto* m : {&a, &b}) {
                AddStatus(m->Status, kStatusActed);
                DelStatus(m->Status, kStatusCharge);
            }
        }
        std::swap(a, b);
        for (int t = 1; t <= 4; ++t)
            ResendField(t);
        ports_.host.redraw();
        auto describe = [&](int t) {
            const auto& m = data_.Own.Monster(t);
            QString what;
            if (m.CardID.isEmpty())
                what = QStringLiteral("空きエリア");
            else if (!m.IsOpen)
                what = QStringLiteral("準備中モンスター");
            else
                what = ports_.cards.CardID2CardName(GetCardID(m.CardID, 0));
            return what + u'(' + SignText(t, true) + u')';
        };
        Announce(state_.MyName + QStringLiteral(" が ") + describe(areas[0]) +
                 QStringLiteral(" と ") + describe(areas[1]) +
                 QStringLiteral(" を入れ替えました。"));
        positions_.Clear();
    });
}

void BattleEngine::RotateLeft() {
    trap(ports_.user, QStringLiteral("frmMain.cmdRotateLeft_Click"), [&] {
        if (!StandardGuard())
            return;
        auto& m = data_.Own.Monsters;
        const auto old = m;
        m[0] = old[1];
        m[1] = old[3];
        m[3] = old[2];
        m[2] = old[0];
        Announce(state_.MyName + QStringLiteral(" が左方向ローテーションを実行しました"));
        for (int t = 1; t <= 4; ++t)
            ResendField(t);
        ports_.host.redraw();
    });
}

void BattleEngine::RotateRight() {
    trap(ports_.user, QStringLiteral("frmMain.cmdRotateRight_Click"), [&] {
        if (!StandardGuard())
            return;
        auto& m = data_.Own.Monsters;
        const auto old = m;
        m[0] = old[2];
        m[2] = old[3];
        m[3] = old[1];
        m[1] = old[0];
        Announce(state_.MyName + QStringLiteral(" が右方向ローテーションを実行しました"));
        for (int t = 1; t <= 4; ++t)
            ResendField(t);
        ports_.host.redraw();
    });
}

void BattleEngine::RunHPOperation(int t, int n) {
    auto& own = data_.Own;
    auto& m = own.Monster(t);
    if (n != m.HP)
        DelStatus(m.Status, kStatusCharge);
    m.HP = checked16(n);
    QStringList texts;
    if (!m.IsOpen) {
        texts.append(state_.MyName + QStringLiteral(" が ") + UnitText(t) +
                     QStringLiteral(" をオープンしました。"));
        m.Status.clear();
        m.IsOpen = true;
    }
    texts.append(state_.MyName + QStringLiteral(" が ") + UnitText(t) +
                 QStringLiteral(" のＨＰを") + num(n) + QStringLiteral("に変更しました"));
    if (TurnStartBatch) {
        for (const auto& text : texts)
            TurnStartOpenText += (TurnStartOpenText.isEmpty() ? QString() : CrLf) + text;
    } else {
        Announce(texts);
    }
    if (n == 0 && Ask(QStringLiteral("捨て札に送りますか？"), false)) {
        GoTrash(own.Trash, GetCardID(m.CardID, 0));
        const QString under = GetCardID(m.CardID, 1);
        if (!under.isEmpty())
            GoTrash(own.Trash, under);
        m.CardID.clear();
        m.Status.clear();
        if (Ask(QStringLiteral("レベル分のストーンを手持ちに戻しますか？"), false))
            add16(own.Stone, m.Level);
    }
    if (!TurnStartBatch) {
        ResendField(AreaOwnMaster);
        ResendField(t);
        ports_.host.redraw();
    }
}

namespace {
bool ownMonsterArea(int t) {
    return t >= 1 && t <= 4;
}
} // namespace

void BattleEngine::SetMonsterHP(int n) {
    trap(ports_.user, QStringLiteral("frmMain.mnuPopupMonsterSelfHPHPs_Click:") + num(n), [&] {
        const int t = state_.SelectedTarget;
        if (!StandardGuard() || !ownMonsterArea(t) || data_.Own.Monster(t).CardID.isEmpty())
            return;
        RunHPOperation(t, n);
    });
}

void BattleEngine::ReturnMonster() {
    trap(ports_.user, QStringLiteral("frmMain.mnuPopupMonsterSelfReturn_Click"), [&] {
        const int t = state_.SelectedTarget;
        if (!StandardGuard() || !ownMonsterArea(t))
            return;
        auto& own = data_.Own;
        auto& m = own.Monster(t);
        if (m.CardID.isEmpty() || m.IsOpen)
            return;
        if (!Ask(QStringLiteral("リターンします。よろしいですか？"), false))
            return;
        own.Deck.append(m.CardID);
        CompactionArray(own.Deck);
        m.CardID.clear();
        add16(own.Stone, 1);
        Announce(state_.MyName + QStringLiteral(" が ") + SignText(t, true) +
                 QStringLiteral(" へリターンを実行しました。"));
        ResendField(AreaOwnMaster);
        ResendField(t);
        ports_.host.redraw();
    });
}

void BattleEngine::SetMonsterLevel(int level) {
    trap(
        ports_.user, QStringLiteral("frmMain.mnuPopupMonsterSelfLevelLv_Click:") + num(level), [&] {
            const int t = state_.SelectedTarget;
            if (!StandardGuard() || !ownMonsterArea(t) || level < 1 || level > 4)
                return;
            auto& own = data_.Own;
            auto& m = own.Monster(t);
            if (m.CardID.isEmpty())
                return;
            const int c = m.Level;
            auto levelHP = [&] {
                return int(
                    ReadCardInfo(ports_.paths.CardsPath, GetCardID(m.CardID, 0)).level(level).HP);
            };
            if (level > c) {
                if (Ask(QStringLiteral("現在、このモンスターのレベルは") + num(c) +
                            QStringLiteral("です。") + CrLf + QStringLiteral("それをレベル") +
                            num(level) + QStringLiteral("に上げようとしています。") + CrLf +
                            QStringLiteral("差額ストーン(") + num(level - c) +
                            QStringLiteral("個)の自動支払いを行いますか？"),
                        false))
                    add16(own.Stone, -(level - c));
                m.Level = checked16(level);
                const bool charging = m.Status.contains(kStatusCharge);
                const QString unit = UnitText(t);
                RunHPOperation(t, levelHP());
                if (charging)
                    AddStatus(m.Status, kStatusCharge);
                Announce(state_.MyName + QStringLiteral(" が ") + unit +
                         QStringLiteral(" のレベルを") + num(level) +
                         QStringLiteral("にアップしました"));
                ResendField(AreaOwnMaster);
                ResendField(t);
                ports_.host.redraw();
                return;
            }
            if (level < c) {
                if (Ask(QStringLiteral("現在、このモンスターのレベルは") + num(c) +
                            QStringLiteral("です。") + CrLf + QStringLiteral("それをレベル") +
                            num(level) + QStringLiteral("に下げようとしています。") + CrLf +
                            QStringLiteral("差額ストーン(") + num(c - level) +
                            QStringLiteral("個)の自動払い戻しを行いますか？"),
                        false))
                    add16(own.Stone, c - level);
                m.Level = checked16(level);
                const QString unit = UnitText(t);
                RunHPOperation(t, levelHP());
                Announce(state_.MyName + QStringLiteral(" が ") + unit +
                         QStringLiteral(" のレベルを") + num(level) +
                         QStringLiteral("にダウンしました"));
                ResendField(AreaOwnMaster);
                ResendField(t);
                ports_.host.redraw();
            }
            // The level now equals the chosen one: a super card on a monster of
            // level 2 or less may go back onto the deck.
            const QString under = GetCardID(m.CardID, 1);
            if (under.isEmpty() || level > 2)
                return;
            if (Ask(QStringLiteral("スーパーカードを山札の一番上に戻しますか？"), false)) {
                const QString super = GetCardID(m.CardID, 0);
                PutOnTop(own.Deck, CardList{super});
                m.CardID = under;
                Announce(state_.MyName + QStringLiteral(" が ") +
                         ports_.cards.CardID2CardName(own.Deck.front()) +
                         QStringLiteral(" を山札に戻しました。") + u'(' + SignText(t, true) + u')');
            }
            ResendField(AreaOwnMaster);
            ResendField(t);
            ports_.host.redraw();
        });
}

void BattleEngine::DeclareTechnique1() {
    trap(ports_.user, QStringLiteral("frmMain.mnuPopupMonsterSelfWaza1_Click"), [&] {
        const int t = state_.SelectedTarget;
        if (!StandardGuard() || !ownMonsterArea(t) || data_.Own.Monster(t).CardID.isEmpty())
            return;
        auto& m = data_.Own.Monster(t);
        const QString technique =
            ReadCardInfo(ports_.paths.CardsPath, GetCardID(m.CardID, 0)).level(m.Level).Technique1;
        QString sentence = state_.MyName + QStringLiteral(" が ") + UnitText(t) +
                           QStringLiteral(" の技 ！") + technique +
                           QStringLiteral(" の使用を宣言しました。");
        if (m.Status.contains(kStatusCharge))
            sentence += QStringLiteral("(きあいだめ付き)");
        Announce(sentence);
        AddStatus(m.Status, kStatusActed);
        DelStatus(m.Status, kStatusCharge);
        ResendField(t);
        ports_.host.redraw();
    });
}

void BattleEngine::DeclareTechnique2() {
    trap(ports_.user, QStringLiteral("frmMain.mnuPopupMonsterSelfWaza2_Click"), [&] {
        const int t = state_.SelectedTarget;
        if (!StandardGuard() || !ownMonsterArea(t) || data_.Own.Monster(t).CardID.isEmpty())
            return;
        auto& own = data_.Own;
        auto& m = own.Monster(t);
        const CardLevelInfo info =
            ReadCardInfo(ports_.paths.CardsPath, GetCardID(m.CardID, 0)).level(m.Level);
        int cost = 0;
        const QStringList parts = info.S.split(u'/');
        if (parts.size() == 3) {
            if (auto v = ParseInt16(parts[2])) {
                cost = *v;
            } else {
                // A number that does not fit 16 bits is an overflow, not a free technique.
                bool isNumber = false;
                parts[2].trimmed().toDouble(&isNumber);
                if (isNumber)
                    throw HandlerError{6, kOverflow};
            }
        }
        if (own.Stone < cost) {
            warn(ports_.user, QStringLiteral("ストーンが足りません。"));
            return;
        }
        QString sentence = state_.MyName + QStringLiteral(" が ") + UnitText(t) +
                           QStringLiteral(" の技 ●") + info.Technique2 +
                           QStringLiteral(" の使用を宣言しました。");
        if (cost > 0) {
            add16(own.Stone, -cost);
            ResendField(AreaOwnMaster);
            sentence += CrLf + state_.MyName + QStringLiteral(" が技の使用コスト") + num(cost) +
                        QStringLiteral(" を支払いました。");
        }
        Announce(sentence);
        AddStatus(m.Status, kStatusActed);
        DelStatus(m.Status, kStatusCharge);
        ResendField(t);
        ports_.host.redraw();
    });
}

void BattleEngine::Banish() {
    trap(ports_.user, QStringLiteral("frmMain.mnuPopupMonsterSelfBanish_Click"), [&] {
        const int t = state_.SelectedTarget;
        if (!StandardGuard() || !ownMonsterArea(t) || data_.Own.Monster(t).CardID.isEmpty())
            return;
        if (!Ask(QStringLiteral(
                     "マスターのHPを1支払い、このモンスターを場から追放します。よろしいですか？") +
                     CrLf + QStringLiteral("(Jr ルールでの使用はルール違反となります)"),
                 true))
            return;
        auto& own = data_.Own;
        auto& m = own.Monster(t);
        if (own.MasterHP < 2)
            return Refuse(QStringLiteral("Error: マスターのHPが足りません。"));
        Announce(state_.MyName + QStringLiteral(" が ") + UnitText(t) +
                 QStringLiteral(" をついほうしました。"));
        GoTrash(own.Trash, GetCardID(m.CardID, 0));
        const QString under = GetCardID(m.CardID, 1);
        if (!under.isEmpty())
            GoTrash(own.Trash, under);
        add16(own.Stone, m.Level);
        m.CardID.clear();
        add16(own.MasterHP, -1);
        ResendField(t);
        ResendField(AreaOwnMaster);
        ports_.host.redraw();
    });
}

void BattleEngine::ToggleActed() {
    trap(ports_.user, QStringLiteral("frmMain.mnuPopupMonsterSelfEnd_Click"), [&] {
        const int t = state_.SelectedTarget;
        if (!StandardGuard() || !ownMonsterArea(t) || data_.Own.Monster(t).CardID.isEmpty())
            return;
        ReverseStatus(data_.Own.Monster(t).Status, kStatusActed);
        ResendField(t);
        ports_.host.redraw();
    });
}

void BattleEngine::ToggleCharge() {
    trap(ports_.user, QStringLiteral("frmMain.mnuPopupMonsterSelfCharge_Click"), [&] {
        const int t = state_.SelectedTarget;
        if (!StandardGuard() || !ownMonsterArea(t) || data_.Own.Monster(t).CardID.isEmpty())
            return;
        ReverseStatus(data_.Own.Monster(t).Status, kStatusCharge);
        ResendField(t);
        ports_.host.redraw();
    });
}

void BattleEngine::ChangeMonsterStatus() {
    trap(ports_.user, QStringLiteral("frmMain.mnuPopupMonsterSelfStatus_Click"), [&] {
        const int t = state_.SelectedTarget;
        if (!StandardGuard() || !ownMonsterArea(t) || data_.Own.Monster(t).CardID.isEmpty())
            return;
        auto& m = data_.Own.Monster(t);
        frmChangeStatus dialog;
        dialog.LoadList(0, m.Status, ports_.statuses);
        ports_.dialogs.showChangeStatus(dialog);
        if (!dialog.Canceled)
            m.Status = dialog.GetStateID();
        ResendField(t);
        ports_.host.redraw();
    });
}

void BattleEngine::ChangeMasterStatus() {
    trap(ports_.user, QStringLiteral("frmMain.mnuPopupMasterSelfStatus_Click"), [&] {
        if (!StandardGuard())
            return;
        frmChangeStatus dialog;
        dialog.LoadList(1, data_.Own.MasterStatus, ports_.statuses);
        ports_.dialogs.showChangeStatus(dialog);
        if (!dialog.Canceled)
            data_.Own.MasterStatus = dialog.GetStateID();
        // The master form carries no statuses; the area still goes out.
        ResendField(AreaOwnMaster);
        ports_.host.redraw();
    });
}

QList<MasterAbilityEntry> BattleEngine::MasterAbilities() const {
    QList<MasterAbilityEntry> entries;
    const CardInfo info = ReadCardInfo(ports_.paths.CardsPath, data_.Own.DeckDefaultData.Master);
    for (const auto& a : info.MasterAbilities) {
        if (a.Name.isEmpty())
            continue;
        entries.append(MasterAbilityEntry{QStringLiteral("●") + a.Name,
                                          a.Free ? QString() : QString::number(a.Cost)});
    }
    return entries;
}

void BattleEngine::DeclareMasterAbility(const MasterAbilityEntry& entry) {
    trap(ports_.user, QStringLiteral("frmMain.mnuPopupMasterSelfDimTech_Click"), [&] {
        if (!TurnGuard())
            return;
        auto& own = data_.Own;
        QString sentence;
        if (auto cost = ParseInt16(entry.Tag)) {
            if (own.Stone < *cost) {
                warn(ports_.user, QStringLiteral("ストーンが足りません。"));
                return;
            }
            add16(own.Stone, -*cost);
            sentence = state_.MyName + QStringLiteral(" が") + entry.Caption + u'(' + num(*cost) +
                       QStringLiteral("個)の使用を宣言しました。");
        } else {
            sentence = state_.MyName + QStringLiteral(" が") + entry.Caption +
                       QStringLiteral("の使用を宣言しました。");
        }
        Announce(sentence);
        ResendField(AreaOwnMaster);
        ports_.host.redraw();
    });
}

// ---------------------------------------------------------------------------
// Turns

void BattleEngine::TurnStartProcessing() {
    trap(ports_.user, QStringLiteral("frmMain.cmdTurnStart_Click"), [&] {
        if (!StandardGuard())
            return;
        auto& own = data_.Own;
        const QString& name = state_.MyName;
        QStringList lines;
        lines.append(name + QStringLiteral(" の「ターン開始処理」が実行されます。"));
        if (own.IsFirst && data_.TurnNumber == 1) {
            lines.append(QStringLiteral("ルールにより ") + name +
                         QStringLiteral(" のドローはありません。"));
        } else {
            DrawCard(own.Deck, own.Hand);
            lines.append(name + QStringLiteral(" がカードを1枚ドローしました。"));
        }
        add16(own.Stone, 3);
        lines.append(name + QStringLiteral(" が3ストーン増やしました。"));

        TurnStartBatch = true;
        TurnStartOpenText.clear();
        try {
            if (ports_.settings.AutoopenOnTurnstart) {
                for (int t = 1; t <= 4; ++t) {
                    auto& m = own.Monster(t);
                    if (m.CardID.isEmpty() || m.IsOpen)
                        continue;
                    m.Status.clear();
                    state_.SelectedTarget = t;
                    RunHPOperation(
                        t,
                        ReadCardInfo(ports_.paths.CardsPath, GetCardID(m.CardID, 0)).level(1).HP);
                }
            }
        } catch (...) {
            TurnStartBatch = false;
            throw;
        }
        TurnStartBatch = false;
        if (!TurnStartOpenText.isEmpty())
            lines.append(TurnStartOpenText);

        for (int front = 1; front <= 2; ++front) {
            auto& f = own.Monster(front);
            auto& b = own.Monster(front + 2);
            if (!f.CardID.isEmpty() || b.CardID.isEmpty() || !b.IsOpen)
                continue;
            f = b;
            b = MonsterData{};
            lines.append(name + QStringLiteral(" の ") +
                         ports_.cards.CardID2CardName(GetCardID(f.CardID, 0)) +
                         QStringLiteral(" がスライドで前に移動しました。"));
        }
        lines.append(name + QStringLiteral(" のターン開始処理、完了。"));

        const QString text = lines.join(CrLf);
        RequestBatch batch{Request{QStringLiteral("chat"), text, QStringLiteral("turnstandby")}};
        for (int area = 0; area <= 4; ++area)
            batch.append(ResendFieldRequest(data_, area));
        ports_.host.send(batch);
        if (state_.ServerMode)
            ports_.log.ChatPut(text);
        ports_.host.redraw();
    });
}

void BattleEngine::TurnEnd() {
    trap(ports_.user, QStringLiteral("frmMain.mnuPopupMasterSelfDimTurnend_Click"), [&] {
        if (!state_.BattleRunning || !state_.MyTurn || state_.ViewMode)
            return;
        auto& own = data_.Own;
        const QString& name = state_.MyName;
        if (CardCount(own.Hand) > 5) {
            warn(
                ports_.user,
                QStringLiteral("手札が6枚あります。捨てるか使うかして5枚以下に減らしてください。"));
            return;
        }
        if (!Ask(QStringLiteral("ターンエンドを宣言します。よろしいですか？"), true))
            return;
        QString text = name + QStringLiteral(" がターンエンドを宣言しました。");
        RequestBatch batch;
        const QString exRule = GetLineValue(data_.RuleText, QStringLiteral("ExRule"));
        if (exRule.contains(QStringLiteral("001")) && own.IsFirst && own.Stone > 0 &&
            data_.TurnNumber == 1) {
            own.Stone = 0;
            text += CrLf + QStringLiteral("ルールにより ") + name +
                    QStringLiteral(" のストーンが0個になりました。");
            batch.append(ResendFieldRequest(data_, AreaOwnMaster));
        }
        if (ports_.settings.TurnendFunction) {
            text += CrLf + name + QStringLiteral(" の「ターンエンド追加処理」が実行されます。");
            for (int t = 1; t <= 4; ++t) {
                auto& m = own.Monster(t);
                if (m.CardID.isEmpty() || !m.IsOpen)
                    continue;
                if (m.Status.contains(kStatusActed))
                    DelStatus(m.Status, kStatusActed);
                else
                    AddStatus(m.Status, kStatusCharge);
                batch.append(ResendFieldRequest(data_, t));
            }
            ports_.host.redraw();
        }
        state_.MyTurn = false;
        batch.append(Request{QStringLiteral("chat"), text});
        const Request endturn{QStringLiteral("endturn"), QStringLiteral("0")};
        if (state_.ServerMode) {
            if (!state_.ServerFirst) {
                add16(data_.TurnNumber, 1);
                batch.append(Request{QStringLiteral("turnnum"), num(data_.TurnNumber)});
            }
            ports_.host.send(batch);
            ports_.host.sendToOpponent(RequestBatch{endturn});
            ports_.log.ChatPut(text);
        } else {
            batch.append(endturn);
            ports_.host.send(batch);
        }
        if (ports_.settings.TurnEndReturn)
            ports_.host.showHandPage();
    });
}

void BattleEngine::StartFunction(const QString& opponentName) {
    trap(ports_.user, QStringLiteral("frmMain.StartFunction"), [&] {
        auto& own = data_.Own;
        auto& enemy = data_.Enemy;
        own.Deck = own.DeckDefaultData.Cards;
        enemy.Deck = enemy.DeckDefaultData.Cards;
        // Empty slots of a deck are no cards; the list stays compact.
        CompactionArray(own.Deck);
        CompactionArray(enemy.Deck);
        ShuffleArray(own.Deck, ports_.random);
        ShuffleArray(enemy.Deck, ports_.random);
        for (int k = 0; k < 5; ++k) {
            DrawCard(own.Deck, own.Hand);
            DrawCard(enemy.Deck, enemy.Hand);
        }
        data_.TurnNumber = 1;
        own.IsFirst = state_.ServerFirst;
        enemy.IsFirst = !state_.ServerFirst;
        const qint16 hp =
            GetLineValue(data_.RuleText, QStringLiteral("Class")) == QStringLiteral("Pro") ? 10 : 5;
        own.MasterHP = hp;
        enemy.MasterHP = hp;
        own.PlayerName = state_.MyName;
        enemy.PlayerName = opponentName;
        for (int area = 0; area <= 9; ++area)
            ResendField(area);
        const Request turnnum{QStringLiteral("turnnum"), QStringLiteral("1")};
        if (!state_.ServerFirst) {
            ports_.host.send(RequestBatch{turnnum});
            ports_.host.sendToOpponent(
                RequestBatch{Request{QStringLiteral("endturn"), QStringLiteral("0")}});
            return;
        }
        state_.MyTurn = true;
        ports_.host.send(RequestBatch{turnnum});
        Announce(state_.MyName + QStringLiteral("の1ターン開始"));
        if (!ports_.settings.ManuallyTurnstart)
            TurnStartProcessing();
        BackupBattleState();
    });
}

void BattleEngine::OnEndturn(const QString& flag) {
    const bool runStart = flag != QStringLiteral("1") && !ports_.settings.ManuallyTurnstart;
    if (state_.ServerMode) {
        trap(ports_.user, QStringLiteral("frmMain.ServerTurnBegin"), [&] {
            if (state_.ServerFirst) {
                add16(data_.TurnNumber, 1);
                ports_.host.send(
                    RequestBatch{Request{QStringLiteral("turnnum"), num(data_.TurnNumber)}});
            }
        });
        state_.MyTurn = true;
        if (runStart)
            TurnStartProcessing();
        BackupBattleState();
        Announce(state_.MyName + QStringLiteral("の") + num(data_.TurnNumber) +
                 QStringLiteral("ターン開始"));
        ports_.host.raiseEvent(QStringLiteral("OnTurnStart"), QStringLiteral("0"));
        return;
    }
    state_.MyTurn = true;
    Announce(state_.MyName + QStringLiteral("の") + num(data_.TurnNumber) +
             QStringLiteral("ターン開始"));
    ports_.host.raiseEvent(QStringLiteral("OnTurnStart"), QStringLiteral("1"));
    if (runStart)
        TurnStartProcessing();
    ports_.host.send(RequestBatch{Request{QStringLiteral("turnstandby")}});
}

bool BattleEngine::OnTurnnum(const QString& number) {
    const auto v = ParseInt16(number);
    if (!v)
        return false;
    data_.TurnNumber = *v;
    ports_.host.redraw();
    return true;
}

// ---------------------------------------------------------------------------
// Special card operations

void BattleEngine::SpecialShuffle() {
    trap(ports_.user, QStringLiteral("frmMain.mnuBattleCmacShuffle_Click"), [&] {
        if (!TurnGuard())
            return;
        frmCmacNarabekae dialog(data_, ports_.cards, ports_.user);
        dialog.Caption = QStringLiteral("シャッフル");
        dialog.Mode = 1;
        dialog.cmdOK.Enabled = false;
        dialog.cmdUp.Visible = false;
        dialog.cmdDown.Visible = false;
        dialog.lblStep2 = QStringLiteral("Step2.シャッフルを実行しますか？");
        dialog.Canceled = false;
        ports_.dialogs.showCmacNarabekae(dialog);
        if (!dialog.Opened)
            return;
        if (!dialog.Executed) {
            Announce(
                state_.MyName +
                QStringLiteral(
                    " がマジックの効果により相手のデッキをシャッフルしようとしてやめました。"));
            return;
        }
        if (dialog.optSelf) {
            ShuffleArray(data_.Own.Deck, ports_.random);
            Announce(state_.MyName +
                     QStringLiteral(" がマジックの効果により自分のデッキをシャッフルしました。"));
            ResendField(AreaOwnMaster);
        } else {
            ShuffleArray(data_.Enemy.Deck, ports_.random);
            Announce(state_.MyName +
                     QStringLiteral(" がマジックの効果により相手のデッキをシャッフルしました。"));
            ResendField(AreaEnemyMaster);
        }
        ports_.host.redraw();
    });
}

void BattleEngine::SpecialReorder() {
    trap(ports_.user, QStringLiteral("frmMain.mnuBattleCmacSort_Click"), [&] {
        if (!TurnGuard())
            return;
        frmCmacNarabekae dialog(data_, ports_.cards, ports_.user);
        dialog.Caption = QStringLiteral("ならべかえ");
        dialog.Mode = 2;
        dialog.cmdOK.Enabled = false;
        dialog.cmdUp.Enabled = false;
        dialog.cmdDown.Enabled = false;
        dialog.lblStep2 = QStringLiteral("Step2.ならべかえてください。");
        dialog.Canceled = false;
        ports_.dialogs.showCmacNarabekae(dialog);
        if (dialog.Canceled || !dialog.Opened)
            return;
        CardList& deck = dialog.optSelf ? data_.Own.Deck : data_.Enemy.Deck;
        for (qsizetype k = 0; k < dialog.lstCardIDs.size() && k < deck.size(); ++k)
            deck[k] = dialog.lstCardIDs[k];
        if (dialog.optSelf) {
            Announce(state_.MyName + QStringLiteral(" が自分のデッキのならべかえを行いました。"));
            ResendField(AreaOwnMaster);
        } else {
            Announce(state_.MyName + QStringLiteral(" が相手のデッキのならべかえを行いました。"));
            ResendField(AreaEnemyMaster);
        }
        ports_.host.redraw();
    });
}

void BattleEngine::RedrawHand() {
    trap(ports_.user, QStringLiteral("frmMain.mnuBattleCmacDenaoshi_Click"), [&] {
        if (!StandardGuard())
            return;
        auto& own = data_.Own;
        const int n = CardCount(own.Hand);
        PutOnTop(own.Deck, own.Hand);
        own.Hand = CardList{QString()};
        ShuffleArray(own.Deck, ports_.random);
        for (int k = 0; k < n; ++k)
            DrawCard(own.Deck, own.Hand);
        if (n >= 1)
            Announce(state_.MyName + QStringLiteral(" が「でなおし」を実行しました。"));
        ResendField(AreaOwnMaster);
        ports_.host.redraw();
    });
}

void BattleEngine::GraveRobbing() {
    trap(ports_.user, QStringLiteral("frmMain.mnuBattleCmacHakaarashi_Click"), [&] {
        auto& own = data_.Own;
        QList<qsizetype> candidates;
        for (qsizetype k = 0; k < own.Trash.size(); ++k) {
            CardPosition pos;
            if (!ports_.cards.CardID2Index(own.Trash[k], pos) || pos.Series < 0)
                continue;
            const CardData* card = ports_.cards.cardAt(pos);
            if (card && (card->CardType == KindF || card->CardType == KindB))
                candidates.append(k);
        }
        if (candidates.isEmpty())
            return Refuse(QStringLiteral("Error: 捨て札にモンスターカードはありません。"));
        if (!Ask(QStringLiteral("墓荒らしを実行します。よろしいですか？"), true))
            return;
        const qsizetype chosen = candidates[static_cast<qsizetype>(
            ports_.random.below(static_cast<std::uint32_t>(candidates.size())))];
        PutOnTop(own.Deck, CardList{own.Trash[chosen]});
        own.Trash[chosen].clear();
        CompactionArray(own.Trash);
        ResendField(AreaOwnMaster);
        ports_.host.redraw();
        Announce(state_.MyName + QStringLiteral(" が墓荒らしを実行しました。"));
    });
}

// ---------------------------------------------------------------------------
// Battle state files

QString BattleEngine::SaveState(const QString& path, bool serverHoldsTurn, const QString& extra) {
    data_.Memo = MakeStateMemo(serverHoldsTurn, extra);
    const WriteResult written = writeWholeFile(path, WriteBattleState(data_));
    if (!written.ok) {
        ReportError(ports_.user, ErrFileAccess, written.error,
                    QStringLiteral("BattleOperation.SaveState"));
        return QString();
    }
    return GetCRC(path);
}

void BattleEngine::ManualSave() {
    trap(ports_.user, QStringLiteral("frmMain.mnuBattleSaveLMS_Click"), [&] {
        if (!state_.BattleRunning || !state_.ServerMode)
            return;
        const int level = state_.HandViewAllowed ? 1 : 0;
        ports_.user.statusText(1, QStringLiteral("LMSセキュリティレベル：") + num(level));
        const auto path =
            ports_.dialogs.chooseSaveFile(QStringLiteral("戦況を保存"), StateFileFilter);
        if (!path)
            return;
        const QString crc =
            SaveState(*path, state_.MyTurn, QStringLiteral("SecurityLevel:") + num(level));
        Announce(state_.MyName + QStringLiteral(" が戦況の保存をしました。確認ID:") + crc +
                 QStringLiteral("/SL:") + num(level));
    });
}

void BattleEngine::BackupBattleState() {
    trap(ports_.user, QStringLiteral("frmMain.BackupBattleState"), [&] {
        if (!state_.ServerMode)
            return;
        QString path;
        if (ports_.settings.AutoBackup == 1) {
            path = ports_.paths.BackupFile;
        } else if (ports_.settings.AutoBackup == 2) {
            const SideData& holder = state_.MyTurn ? data_.Own : data_.Enemy;
            path = ports_.paths.StatBkupPath +
                   NumberedBackupName(ports_.clock.now(), data_.TurnNumber, holder.IsFirst);
        } else {
            return;
        }
        ports_.log.ChatPut(path + QStringLiteral(" へ戦況をバックアップします。"));
        const QString level = num(ports_.settings.AutoBackupSecurityLevel);
        const QString crc =
            SaveState(path, state_.MyTurn, QStringLiteral("SecurityLevel:") + level);
        Announce(state_.MyName + QStringLiteral(" の戦況自動保存が働きました。確認ID:") +
                 (crc.isEmpty() ? QStringLiteral("[失敗]") : crc) + QStringLiteral("/SL:") + level);
    });
}

std::optional<ResumeChoice> BattleEngine::ReadStateForResume(const QString& path) {
    const QString place = QStringLiteral("frmMain.mnuBattleLoadLMS_Click");
    const auto bytes = readWholeFile(path);
    if (!bytes) {
        ReportError(ports_.user, ErrFileAccess, QStringLiteral("パス名が無効です。"), place);
        return std::nullopt;
    }
    StateReadResult read = ReadBattleState(*bytes);
    if (!read.data) {
        ReportError(ports_.user, read.errorNumber, read.description, place);
        return std::nullopt;
    }
    ResumeChoice choice;
    choice.Data = std::move(*read.data);
    choice.Crc = bytes->isEmpty() ? QString() : CrcText(Crc32(*bytes));
    choice.ServerTurnAtSave = ServerTurnInMemo(choice.Data.Memo);
    for (;;) {
        const BoxResult answer = ports_.user.messageBox(
            MessageBoxRequest{ResumeSummaryText(choice.Data, choice.ServerTurnAtSave), ClientTitle,
                              BoxButtons::YesNoCancel, BoxIcon::Question, 0});
        if (answer == BoxResult::Yes)
            return choice;
        if (answer != BoxResult::No)
            return std::nullopt;
        std::swap(choice.Data.Own, choice.Data.Enemy);
        choice.ServerTurnAtSave = !choice.ServerTurnAtSave;
    }
}

void BattleEngine::AdoptResumedState(const ResumeChoice& choice, const QString& opponentName) {
    Announce(state_.MyName + QStringLiteral(" が戦況の読み込みをしました。確認ID:") + choice.Crc);
    data_ = choice.Data;
    data_.Own.PlayerName = state_.MyName;
    data_.Enemy.PlayerName = opponentName;
    ports_.host.redraw();
}

} // namespace lumi
