#pragma once
// The battle client's settings file ("Lumiplay.ini"): one field per key with
// its default, the read rules of start-up and the write order of a save.

#include "carddata/ReportError.h"

#include <QString>
#include <cstdint>

namespace lumi {

// The host of the default lobby and address lookup pages; a build may
// define LUMI_LOBBY_HOST to point them elsewhere.
QString DefaultLobbyHost();
// DefaultLobbyHost() + "ipaddr.php" and DefaultLobbyHost() + "lmnlobby.php".
QString DefaultGetIPURL();
QString DefaultLobbyURL();

inline constexpr int DefaultSSTPPort = 9801;
inline constexpr std::int32_t DefaultFieldColor =
    12648384; // 0xC0FFC0, a Windows colour (0x00BBGGRR)

struct ClientSettings {
    // [Connection]
    QString DefaultName;
    bool GetIPfromWeb = false;
    QString GetIPURL = DefaultGetIPURL();
    QString LobbyURL = DefaultLobbyURL();
    // [General]
    bool AutoopenOnTurnstart = false;
    bool ManuallyTurnstart = false;
    bool TurnendFunction = false;
    bool DrawCheck = false;
    bool Moonpetal = false;
    bool UsePalette = false;
    bool TurnEndReturn = false;
    std::int16_t AutoBackup = 0;              // 0 none, 1 "backup.lms", 2 numbered files
    std::int16_t AutoBackupSecurityLevel = 0; // 0 to 2
    std::int16_t SSTPLevel = 0;               // above 0: send SSTP notices
    int SSTPPort = DefaultSSTPPort;           // 1 to 65535
    // [View]
    bool ChangeFieldColor = false;
    std::int32_t FieldColor = DefaultFieldColor;
    bool FieldSign = false;
    // [Sound]
    QString OnJoin, OnLeave, OnBattleStart, OnBattleEnd, OnTurnStart;
    // [MyMaster]
    bool MyMasterEnabled = false;
    QString MyMasterPath;

    bool operator==(const ClientSettings&) const = default;
};

// Fills a record from the file; every key on its own, a key that is missing
// or does not read as its type keeps the field's default. A missing or
// unreadable file gives all defaults.
ClientSettings LoadINISetting(const QString& settingsFile);

// Writes the record in the fixed key order (SSTPLevel and SSTPPort only when
// SSTPLevel is above 0; Moonpetal never). A failed write stops the save and,
// when `report` is given, goes to ReportError at "mdlMain.SaveINISetting";
// keys written before stay written. True when every key was written.
bool SaveINISetting(const ClientSettings& settings, const QString& settingsFile,
                    UserPort* report = nullptr, bool deckBuilder = false);

// Writes [General] Moonpetal alone, as the version window does when its
// hidden key toggles the mode.
bool SaveMoonpetal(bool on, const QString& settingsFile);

} // namespace lumi
