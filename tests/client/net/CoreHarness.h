#pragma once
// Several client sessions in one test process, each with scripted ports: the
// boxes it is asked (answered by a policy or a script), its chat and debug
// logs, and the dialogs it opens.

#include "carddata/CardList.h"
#include "carddata/InstallPaths.h"
#include "carddata/StatusList.h"
#include "client/core/ClientCore.h"
#include "client/engine/ChangeStatus.h"
#include "client/engine/CmacNarabekae.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

namespace lumi::test {

// One copy of the sample installation for the whole test binary.
const QString& SampleRoot();
const CardDatabase& SampleCards();
const StatusDatabase& SampleStatuses();

class ScriptedPorts : public UserPort, public LogPort, public ClientDialogs {
public:
    QStringList chat;
    QStringList debug;
    QStringList boxes;
    QStringList status;
    int beeps = 0;
    // Answers by box text prefix, used once each, in order; otherwise `fallback`.
    QList<std::pair<QString, BoxResult>> script;
    std::optional<BoxResult> fallback = BoxResult::Yes;

    std::function<void(frmBattleSetting&)> onBattleSetting;
    std::function<void(frmCmacNarabekae&)> onCmac;
    std::function<void(frmChangeStatus&)> onChangeStatus;
    std::optional<QString> savePath, openPath;

    BoxResult messageBox(const MessageBoxRequest& box) override;
    void statusText(int panel, const QString& text) override { status << text; }
    void beep() override { ++beeps; }
    void ChatPut(const QString& line) override { chat << line; }
    void DebugPut(const QString& line) override { debug << line; }
    void showBattleSetting(frmBattleSetting& d) override;
    void showChangeStatus(frmChangeStatus& d) override;
    void showCmacNarabekae(frmCmacNarabekae& d) override;
    std::optional<QString> chooseSaveFile(const QString&, const QString&) override {
        return savePath;
    }
    std::optional<QString> chooseOpenFile(const QString&, const QString&) override {
        return openPath;
    }
};

struct Session {
    ScriptedPorts ports;
    MersenneRandom random{7};
    SystemClock clock;
    std::unique_ptr<ClientCore> core;

    explicit Session(ClientSettings settings = {});
    // Server on a port chosen by the system.
    void serve(const QString& name);
    // Connects to a server session and waits until the join completed.
    void join(Session& server, const QString& name);
};

// Waits until `condition` holds (the event loop runs meanwhile).
bool waitFor(const std::function<bool()>& condition, int ms = 5000);

// True when two tables are alike once the second is seen from the other side.
bool Mirrored(const BattleData& a, const BattleData& b);
// The same, but comparing only what every viewer must see alike.
bool SameTable(const BattleData& a, const BattleData& b);

} // namespace lumi::test
