#pragma once
// The client session: the non-window half of the main window. It holds the
// play-state flags and the battle record, owns the sockets of both roles,
// dispatches every request, negotiates battles, keeps the tables of all
// participants alike, raises events, and runs the battle engine. The window
// and the console front end drive it and implement its ports.

#include "carddata/CardList.h"
#include "carddata/ClientSettings.h"
#include "carddata/InstallPaths.h"
#include "carddata/StatusList.h"
#include "client/engine/BattleData.h"
#include "client/engine/BattleEngine.h"
#include "client/engine/BattleHost.h"
#include "client/engine/PlayState.h"
#include "client/net/BattleSetting.h"
#include "client/net/Sstp.h"
#include "client/net/Wire.h"
#include "common/Ports.h"

#include <QObject>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

namespace lumi {

// Plays an event's sound file, asynchronously; silently nothing when it cannot.
class SoundPort {
public:
    virtual ~SoundPort() = default;
    virtual void play(const QString& path) = 0;
};

// The modal dialogs of the client: the engine's, and the battle dialog.
class ClientDialogs : public BattleDialogs {
public:
    // Shows the battle dialog; returns once it is hidden (Canceled tells how).
    virtual void showBattleSetting(frmBattleSetting& dialog) = 0;
};

// The enabled state of the connection and battle menus, for the window.
struct MenuState {
    bool Server = true;
    bool Client = true;
    bool Disconnect = false;
    bool BattleMenu = false;
    bool BattlePrepare = true;
    bool BattleEnd = false;
    bool HandView = false;
    bool HandViewChecked = false;
};

class ClientCore : public QObject, public BattleHost {
    Q_OBJECT
public:
    struct Ports {
        UserPort& user;
        LogPort& log;
        ClientDialogs& dialogs;
        RandomSource& random;
        const Clock& clock;
        SoundPort* sound = nullptr;
    };

    ClientCore(Ports ports, InstallPaths paths, ClientSettings settings, const CardDatabase& cards,
               const StatusDatabase& statuses, QObject* parent = nullptr);
    ~ClientCore() override;

    // Called after "/sstpEnable" changed the settings; the window saves them,
    // the console (which never writes the settings file) does not.
    std::function<void(const ClientSettings&)> saveSettings;

    // ---- connecting (the connection dialog has been confirmed)
    // False (with the warning shown) when a field is bad or listening fails.
    bool StartServer(const QString& portText, const QString& name);
    // Listening once the port is known good (0 lets the system choose).
    bool Listen(quint16 port, const QString& name);
    bool StartClient(const QString& host, const QString& portText, const QString& name);
    // Enter in the chat input.
    void ChatEnter(const QString& text);
    void SendChat(const QString& text, bool raw);
    // Asks, and disconnects on yes; false when the user declined.
    bool CloseMessage();
    void Disconnect();
    void MenuReset();
    // Closes every connection without asking (end of the program).
    void ShutDown();
    bool IsConnection() const;

    // ---- server
    void ResendMemberList();
    int Name2ClientIndex(const QString& name) const;
    bool IsMemberName(const QString& name) const;
    void MemberLeave(int slot);
    void Kick(const QString& name);
    QString ClientName(int slot) const;
    int TopSlot() const { return server_->topSlot(); }
    bool IsSlotOpen(int slot) const { return server_->isSlotOpen(slot); }
    quint16 ServerPort() const { return server_->port(); }

    // ---- debug commands
    void AnyRequest(const QString& target, const QString& text);
    void ResendFieldCommand(const QString& answer);

    // ---- battle
    void OfferBattle();
    void EndBattleCommand();
    void HandViewCommand();
    // Load and resume; an empty path asks through the open dialog.
    void LoadAndResume(const QString& path);
    BattleEngine& Engine() { return *engine_; }

    // ---- synchronisation and events
    void ResendField(int area);
    void SetField(const QStringList& fields);
    void NotifyEvent(const QString& name, const QString& reference);
    void PlayEventSound(const QString& name);
    void SendSSTPNotify(const QString& name, const QString& reference);

    // ---- the sockets of both roles (the fuzz targets feed them bytes)
    WireServer& Server() { return *server_; }
    WireClient& Client() { return *client_; }

    // ---- state
    PlayState& State() { return state_; }
    const PlayState& State() const { return state_; }
    BattleData& Data() { return data_; }
    const BattleData& Data() const { return data_; }
    const QStringList& Members() const { return members_; }
    const MenuState& Menus() const { return menus_; }
    const ClientSettings& Settings() const { return settings_; }
    const InstallPaths& Paths() const { return paths_; }
    int OpponentSlot() const { return opponentSlot_; }
    int BattleKind() const { return battleKind_; }
    QString OriginalCaption;

    // ---- BattleHost
    void send(const RequestBatch& batch) override;
    void sendToOpponent(const RequestBatch& batch) override;
    void redraw() override;
    void reportError(int number, const QString& description, const QString& place);
    void raiseEvent(const QString& name, const QString& reference) override;

Q_SIGNALS:
    void redrawRequested();
    void membersChanged();
    void menusChanged();
    // UpdateViewer: 0 rebuild, 1 the opponent's side, 2 the own side.
    void viewerUpdate(int kind);

private:
    // The connection commands refuse an empty field with a plain box naming it.
    bool RequireFilled(const QString& value, const QString& message);
    void ServerDispatch(int slot, const QStringList& fields);
    void ClientDispatch(const QStringList& fields);
    void OnConnect(int slot, const QStringList& fields);
    void OnSlotError(int slot, int code, const QString& description);
    void OnClientError(int code, const QString& description);
    void OnPeerClosed(int slot);
    bool CommunicationErrorBox(int code, const QString& description);
    // A port field that is no port from 1 to 65535.
    void ReportBadPort(const QString& portText, const QString& place);

    // Server: a chat line to everybody and into the own log.
    void AnnounceAll(const QString& text);
    void ServerOkBattle(const QStringList& fields);
    void ServerDeck(const QStringList& fields);
    void StartBattleServer();
    void ServerTurnBegins(const QString& flag);
    void SendDeckNames();
    void ClientBattleOffer(const QStringList& fields);
    void EndBattleLocal();

    Ports ports_;
    InstallPaths paths_;
    ClientSettings settings_;
    const CardDatabase& cards_;
    const StatusDatabase& statuses_;

    PlayState state_;
    BattleData data_;
    std::unique_ptr<BattleEngine> engine_;

    std::unique_ptr<WireServer> server_;
    std::unique_ptr<WireClient> client_;
    std::unique_ptr<SstpNotifier> sstp_;
    bool listening_ = false;

    QStringList members_;
    std::vector<QString> ClientNames{QString()};
    MenuState menus_;

    int opponentSlot_ = -1;
    int battleKind_ = 0;
    int FirstMoveChoice = 0;
    bool ServerTurnAtSave = false;
    // Server: an offer is out and the battle has not started yet.
    bool negotiating_ = false;
    bool okReceived_ = false;
    // Client: counts offers so a pending deck send knows it is stale.
    quint64 offerGeneration_ = 0;
};

} // namespace lumi
