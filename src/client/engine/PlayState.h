#pragma once
// The play-state flags of the client that the battle operations guard on.
// The client core owns one PlayState and keeps it current; the engine reads
// it and changes only MyTurn and SelectedTarget.

#include <QString>

namespace lumi {

// TurnNumber and RuleText live in BattleData and the settings in
// ClientSettings; they are not repeated here.
struct PlayState {
    bool ServerMode = false;
    bool BattleRunning = false;
    bool ViewMode = false;
    bool MyTurn = false;
    bool HandViewAllowed = false;
    bool ServerFirst = false;
    QString MyName;
    // The area the player last opened a popup on (0 master, 1..4 monsters).
    int SelectedTarget = 0;
    // The change amount of the stone and HP buttons, 1..10.
    int ChangeAmount = 1;
};

} // namespace lumi
