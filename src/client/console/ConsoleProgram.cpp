#include "client/console/ConsoleProgram.h"

#include "carddata/CardList.h"
#include "carddata/ClientSettings.h"
#include "carddata/InstallPaths.h"
#include "carddata/StatusList.h"
#include "client/console/ConsoleFrontEnd.h"
#include "client/core/EventSound.h"
#include "common/Version.h"

#include <QCoreApplication>
#include <QDir>

namespace lumi {

int RunConsoleProgram(const QString& appPath, const QStringList& args) {
    QString why;
    const std::optional<ConsoleOptions> options = ParseConsoleOptions(args, &why);
    LineWriter err(stderr);
    if (!options) {
        err.line(QStringLiteral("lumiplay: ") + why);
        err.line(ConsoleUsage());
        return 2;
    }
    const QString root = options->Root.isEmpty() ? appPath : QDir(options->Root).absolutePath();
    const InstallPaths paths = InstallPaths::fromAppPath(AddDirSep(root));

    ConsoleFrontEnd frontEnd(*options);
    EnsureInstallFolders(paths);
    // The console reads the settings but never writes them: it must not
    // change the installation a window user keeps.
    const ClientSettings settings = LoadINISetting(paths.SettingsFile);
    const ReportTarget report{frontEnd};
    CardDatabase cards;
    StatusDatabase statuses;
    if (cards.LoadMasterlist(paths.CardsPath, report) == LoadVerdict::MustEnd)
        return 1;
    if (cards.LoadCardlist(paths.CardsPath, report) == LoadVerdict::MustEnd)
        return 1;
    if (statuses.LoadStatusList(paths.StatePath, report) == LoadVerdict::MustEnd)
        return 1;
    if (frontEnd.ended())
        return frontEnd.exitCode();
    // The debug window introduces itself when it is loaded, after the databases.
    for (const QString& l :
         {QStringLiteral("Luminaria Online ver.") + VersionText(),
          QStringLiteral("Public Beta Edition"), QString(), QStringLiteral("Zenith ver.1.10"),
          QStringLiteral("Falcon ver.1.13"), QStringLiteral("Walrus ver.1.13"), QString()})
        frontEnd.DebugPut(l);

    MersenneRandom random;
    SystemClock clock;
    QtEventSound sound;
    ClientCore core({frontEnd, frontEnd, frontEnd, random, clock, &sound}, paths, settings, cards,
                    statuses);
    frontEnd.attach(core);
    InstallSignalHandlers(frontEnd);

    frontEnd.ChatPut(QStringLiteral("Luminaria Online Version") + VersionText() +
                     QStringLiteral("(Public Beta Edition)"));
    if (options->ServePort) {
        if (!core.StartServer(*options->ServePort, options->Name))
            return 1;
    } else {
        core.StartClient(*options->ConnectHost, options->ConnectPort, options->Name);
    }
    frontEnd.startReading(0);
    const int status = QCoreApplication::exec();
    core.ShutDown();
    return status;
}

} // namespace lumi
