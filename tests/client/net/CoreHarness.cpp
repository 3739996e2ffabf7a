#include "CoreHarness.h"

#include <QDirIterator>
#include <gtest/gtest.h>

namespace lumi::test {

namespace {

void copyTree(const QString& from, const QString& to) {
    QDir().mkpath(to);
    QDirIterator it(from, QDir::AllEntries | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString rel = QDir(from).relativeFilePath(path);
        if (it.fileInfo().isDir())
            QDir().mkpath(to + u'/' + rel);
        else
            QFile::copy(path, to + u'/' + rel);
    }
}

struct NoUser : UserPort {
    BoxResult messageBox(const MessageBoxRequest&) override { return BoxResult::OK; }
};

} // namespace

const QString& SampleRoot() {
    static QTemporaryDir dir;
    static const QString root = [] {
        const QString r = dir.path() + QStringLiteral("/root");
        copyTree(QStringLiteral(LUMI_SAMPLE_DIR), r);
        QFile::remove(r + QStringLiteral("/CMakeLists.txt"));
        return r + u'/';
    }();
    return root;
}

const CardDatabase& SampleCards() {
    static const CardDatabase db = [] {
        CardDatabase d;
        NoUser user;
        const InstallPaths p = InstallPaths::fromAppPath(SampleRoot());
        d.LoadMasterlist(p.CardsPath, ReportTarget{user});
        d.LoadCardlist(p.CardsPath, ReportTarget{user});
        return d;
    }();
    return db;
}

const StatusDatabase& SampleStatuses() {
    static const StatusDatabase db = [] {
        StatusDatabase d;
        NoUser user;
        d.LoadStatusList(InstallPaths::fromAppPath(SampleRoot()).StatePath, ReportTarget{user});
        return d;
    }();
    return db;
}

BoxResult ScriptedPorts::messageBox(const MessageBoxRequest& box) {
    boxes << box.text;
    for (int i = 0; i < script.size(); ++i)
        if (box.text.startsWith(script[i].first)) {
            const BoxResult r = script[i].second;
            script.removeAt(i);
            return r;
        }
    const QList<BoxResult> buttons = buttonsOf(box.buttons);
    if (fallback && buttons.contains(*fallback))
        return *fallback;
    return buttons.value(box.defaultButton, BoxResult::OK);
}

void ScriptedPorts::showBattleSetting(frmBattleSetting& d) {
    if (onBattleSetting)
        onBattleSetting(d);
    else
        d.cmdCancel_Click();
}

void ScriptedPorts::showChangeStatus(frmChangeStatus& d) {
    if (onChangeStatus)
        onChangeStatus(d);
    else
        d.cmdCancel_Click();
}

void ScriptedPorts::showCmacNarabekae(frmCmacNarabekae& d) {
    if (onCmac)
        onCmac(d);
    else
        d.CloseByFrame();
}

Session::Session(ClientSettings settings) {
    core =
        std::make_unique<ClientCore>(ClientCore::Ports{ports, ports, ports, random, clock, nullptr},
                                     InstallPaths::fromAppPath(SampleRoot()), std::move(settings),
                                     SampleCards(), SampleStatuses());
}

void Session::serve(const QString& name) {
    ASSERT_TRUE(core->Listen(0, name));
}

void Session::join(Session& server, const QString& name) {
    const int before = int(server.core->Members().size());
    ASSERT_TRUE(core->StartClient(QStringLiteral("127.0.0.1"),
                                  QString::number(server.core->ServerPort()), name));
    ASSERT_TRUE(waitFor([&] {
        return ports.chat.contains(QStringLiteral("サーバーの受け入れが完了しました。")) &&
               int(server.core->Members().size()) > before &&
               core->Members() == server.core->Members();
    }));
}

bool waitFor(const std::function<bool()>& condition, int ms) {
    return QTest::qWaitFor(condition, ms);
}

namespace {
bool sideAlike(const SideData& a, const SideData& b) {
    // What a `set` carries: the master fields (without its statuses) and the monsters.
    return a.PlayerName == b.PlayerName && a.DeckDefaultData.Master == b.DeckDefaultData.Master &&
           a.DeckDefaultData.DeckName == b.DeckDefaultData.DeckName && a.IsFirst == b.IsFirst &&
           a.MasterHP == b.MasterHP && a.Stone == b.Stone && a.Hand == b.Hand &&
           a.Trash == b.Trash && a.Deck == b.Deck && a.Monsters == b.Monsters;
}
} // namespace

bool Mirrored(const BattleData& a, const BattleData& b) {
    return sideAlike(a.Own, b.Enemy) && sideAlike(a.Enemy, b.Own) && a.TurnNumber == b.TurnNumber;
}

bool SameTable(const BattleData& a, const BattleData& b) {
    return sideAlike(a.Own, b.Own) && sideAlike(a.Enemy, b.Enemy) && a.TurnNumber == b.TurnNumber;
}

} // namespace lumi::test
