#pragma once
// The engine's port to the network and the field view.
// The client core implements it; tests record what passes through it.

#include "client/engine/SetRequest.h"

#include <QString>
#include <optional>

namespace lumi {

class frmChangeStatus;
class frmCmacNarabekae;

class BattleHost {
public:
    virtual ~BattleHost() = default;
    // One write holding the requests in order: the server sends it to every
    // member (ServerSend), a client to the server (ClientSend).
    virtual void send(const RequestBatch& batch) = 0;
    // Server only: one write to the battle opponent alone (PinpointSend).
    virtual void sendToOpponent(const RequestBatch& batch) = 0;
    // Redraw the field view (and whatever follows it).
    virtual void redraw() = 0;
    // TurnEndReturn: switch the operation tabs to their first page.
    virtual void showHandPage() {}
    // Raise an event of the notifications ("OnTurnStart" with its reference).
    virtual void raiseEvent(const QString& name, const QString& reference) {}
};

// The modal dialogs the operations open. Each call shows the dialog and
// returns once it is closed; the dialog's result members tell the outcome.
class BattleDialogs {
public:
    virtual ~BattleDialogs() = default;
    virtual void showChangeStatus(frmChangeStatus& dialog) = 0;
    virtual void showCmacNarabekae(frmCmacNarabekae& dialog) = 0;
    // Save dialog asking before overwriting; nullopt when cancelled.
    virtual std::optional<QString> chooseSaveFile(const QString& title, const QString& filter) = 0;
    // Open dialog accepting only existing files; nullopt when cancelled.
    virtual std::optional<QString> chooseOpenFile(const QString& title, const QString& filter) = 0;
};

} // namespace lumi
