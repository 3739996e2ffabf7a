// Random byte streams into a server slot and into a client: framing, the
// dispatchers and every handler they reach must survive whatever arrives.
#include "carddata/CardList.h"
#include "carddata/StatusList.h"
#include "client/core/ClientCore.h"
#include "client/engine/ChangeStatus.h"
#include "client/engine/CmacNarabekae.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdint>

namespace {

using namespace lumi;

struct QuietPorts : UserPort, LogPort, ClientDialogs {
    BoxResult messageBox(const MessageBoxRequest& box) override {
        const QList<BoxResult> b = buttonsOf(box.buttons);
        return b.value(box.defaultButton, BoxResult::OK);
    }
    void ChatPut(const QString&) override {}
    void DebugPut(const QString&) override {}
    void showBattleSetting(frmBattleSetting& d) override { d.cmdCancel_Click(); }
    void showChangeStatus(frmChangeStatus& d) override { d.cmdCancel_Click(); }
    void showCmacNarabekae(frmCmacNarabekae& d) override { d.CloseByFrame(); }
    std::optional<QString> chooseSaveFile(const QString&, const QString&) override {
        return std::nullopt;
    }
    std::optional<QString> chooseOpenFile(const QString&, const QString&) override {
        return std::nullopt;
    }
};

struct World {
    int argc = 1;
    char name[8] = "fuzz";
    char* argv[2] = {name, nullptr};
    QCoreApplication app{argc, argv};
    QTemporaryDir dir;
    QuietPorts ports;
    MersenneRandom random{1};
    SystemClock clock;
    CardDatabase cards;
    StatusDatabase statuses;
    InstallPaths paths = InstallPaths::fromAppPath(dir.path() + u'/');
    ClientCore server{{ports, ports, ports, random, clock, nullptr}, paths, {}, cards, statuses};
    ClientCore client{{ports, ports, ports, random, clock, nullptr}, paths, {}, cards, statuses};
    World() { server.Listen(0, QStringLiteral("S")); }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    static World world;
    if (size == 0)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    if (data[0] & 1)
        world.server.Server().feed(0, bytes);
    else
        world.client.Client().feed(bytes);
    return 0;
}
