// The kotodama program: the script engine's own start-up.

#include "script/app/ConsoleHost.h"
#include "script/app/RunModule.h"
#include "script/app/SystemPort.h"
#include "script/core/KTD.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <csignal>

namespace {

lumi::KTD* runningEngine = nullptr;

extern "C" void StopOnInterrupt(int) {
    if (runningEngine)
        runningEngine->DoStop();
    // A second interrupt ends the program the ordinary way.
    std::signal(SIGINT, SIG_DFL);
}

void InstallInterruptHandler() {
    struct sigaction action {};
    action.sa_handler = StopOnInterrupt;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a read of the console's input is interrupted and ends
    // as a cancelled input, so the stopped script is not left waiting.
    action.sa_flags = 0;
    sigaction(SIGINT, &action, nullptr);
}

} // namespace

int main(int argc, char** argv) {
    // The program's own path is taken before Qt sees the arguments.
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    const QString programPath =
        QFileInfo(QCoreApplication::applicationFilePath()).absoluteFilePath();
    args.removeFirst();

    if (!args.isEmpty() && args.first() == QLatin1String("--pack")) {
        args.removeFirst();
        return lumi::PackMain(programPath, args);
    }
    if (!args.isEmpty() && args.first() == QLatin1String("--security")) {
        args.removeFirst();
        return lumi::SecurityMain(QFileInfo(programPath).absolutePath(), args);
    }
    // Windows are not there yet, so both forms run on the console.
    if (!args.isEmpty() && args.first() == QLatin1String("--console"))
        args.removeFirst();

    lumi::ConsoleHost host;
    lumi::SystemPort system(QFileInfo(programPath).absolutePath());
    lumi::KTD engine(host, &system);
    runningEngine = &engine;
    InstallInterruptHandler();

    lumi::StartUp start;
    start.programPath = programPath;
    start.commandLine = args.join(QLatin1Char(' '));
    start.tempFolder = QDir::tempPath() + QLatin1Char('/');
    const int status = lumi::Main(engine, host, start);
    runningEngine = nullptr;
    return status;
}
