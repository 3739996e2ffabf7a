// lumiplay: the battle client. Only the console front end exists so far.
#include "client/console/ConsoleProgram.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    if (!args.contains(QStringLiteral("--console"))) {
        fprintf(stderr, "lumiplay: the window is not built yet; run with --console "
                        "(lumiplay --console --name NAME --serve PORT | --connect HOST[:PORT])\n");
        return 2;
    }
    return lumi::RunConsoleProgram(QCoreApplication::applicationDirPath(), args);
}
