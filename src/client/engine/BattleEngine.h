#pragma once
// Every battle operation of the client, the turn routines and the battle
// state files, behind one class. The engine changes the battle record, asks
// its questions through UserPort, logs through LogPort and reaches the
// network and the field view through BattleHost.

#include "carddata/CardList.h"
#include "carddata/ClientSettings.h"
#include "carddata/InstallPaths.h"
#include "carddata/StatusList.h"
#include "client/engine/BattleData.h"
#include "client/engine/BattleHost.h"
#include "client/engine/PlayState.h"
#include "client/engine/SetRequest.h"

#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace lumi {

class UserPort;
class LogPort;
class RandomSource;
class Clock;

// The four position boxes of the operation panel (areas 1..4) and the box
// "行動としての移動(&A)".
struct PositionBoxes {
    std::array<bool, 4> chkPosition{};
    bool chkMoveAsAction = true;

    // Ticking a third box clears all four and leaves only the one just ticked.
    void Click(int index);
    void Clear() { chkPosition = {}; }
};

// A master ability entry of the master popup: caption "●" + name, cost text as tag.
struct MasterAbilityEntry {
    QString Caption;
    QString Tag;
};

// Outcome of reading a state file for a resume, after the user confirmed the sides.
struct ResumeChoice {
    BattleData Data;
    QString Crc;
    bool ServerTurnAtSave = false;
};

class BattleEngine {
public:
    struct Ports {
        UserPort& user;
        LogPort& log;
        BattleHost& host;
        BattleDialogs& dialogs;
        const CardDatabase& cards;
        const StatusDatabase& statuses;
        // Read at each use, so a settings dialog takes effect at once.
        const ClientSettings& settings;
        // CardsPath for the card files; BackupFile and StatBkupPath for backups.
        const InstallPaths& paths;
        RandomSource& random;
        const Clock& clock;
    };

    BattleEngine(BattleData& data, PlayState& state, Ports ports);

    BattleData& Data() { return data_; }
    PlayState& State() { return state_; }
    PositionBoxes& Positions() { return positions_; }

    // The sign of an area for sentences (force) or the field view.
    QString SignText(int area, bool force) const;
    // Server: chat to all and the own log (one entry, lines joined by CR LF);
    // client: chat to the server only. One write, one chat request per sentence.
    void Announce(const QStringList& sentences);
    void Announce(const QString& sentence) { Announce(QStringList{sentence}); }
    // One write with the set request of an area (0..9).
    void ResendField(int area);

    // Hand, deck and trash. handIndex is the card's position in Hand.
    void DrawOneCard();
    void DiscardCard(int handIndex);
    void UseMagicCard(int handIndex);
    void StoneUp();
    void StoneDown();
    void HPUp();
    void HPDown();
    void Damage();
    void MakeStone();
    void MakeDraw();
    void ShuffleDeck();
    void HandToDeck();
    void RollDice();

    // Field and monsters; the monster commands act on State().SelectedTarget.
    void PlaceCard(int handIndex, int area);
    void SwapPositions();
    void RotateLeft();
    void RotateRight();
    void SetMonsterHP(int n);
    void ReturnMonster();
    void SetMonsterLevel(int level);
    void DeclareTechnique1();
    void DeclareTechnique2();
    void Banish();
    void ToggleActed();
    void ToggleCharge();
    void ChangeMonsterStatus();
    void ChangeMasterStatus();
    QList<MasterAbilityEntry> MasterAbilities() const;
    void DeclareMasterAbility(const MasterAbilityEntry& entry);

    // Turns.
    void TurnStartProcessing();
    void TurnEnd();
    // Server, new battle: deal, set the first player and begin the first turn.
    void StartFunction(const QString& opponentName);
    // A request "endturn" arrived (the flag is its field 1): the local turn begins.
    void OnEndturn(const QString& flag);
    // A request "turnnum" arrived.
    // false when the field is not a number; nothing changes then.
    bool OnTurnnum(const QString& number);
    // Server: the client reported "turnstandby".
    void OnTurnstandby() { BackupBattleState(); }

    // Special card operations.
    void SpecialShuffle();
    void SpecialReorder();
    void RedrawHand();
    void GraveRobbing();

    // Battle state files (server).
    QString SaveState(const QString& path, bool serverHoldsTurn, const QString& extra);
    void ManualSave();
    void BackupBattleState();
    // Reads a state file and confirms the sides with the user (Yes / No
    // exchanges / Cancel). nullopt when cancelled or when the file is not a
    // battle state file (reported at "frmMain.mnuBattleLoadLMS_Click").
    std::optional<ResumeChoice> ReadStateForResume(const QString& path);
    // After the battle dialog was accepted: announce the load and adopt the record.
    void AdoptResumedState(const ResumeChoice& choice, const QString& opponentName);

private:
    bool StandardGuard() const;
    bool TurnGuard() const;
    void Refuse(const QString& text);
    bool Ask(const QString& text, bool noIsDefault);
    QString UnitText(int area) const;
    void RunHPOperation(int area, int n);

    BattleData& data_;
    PlayState& state_;
    Ports ports_;
    PositionBoxes positions_;
    bool TurnStartBatch = false;
    QString TurnStartOpenText;
};

} // namespace lumi
