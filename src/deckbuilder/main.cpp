// The deck builder's entry (`mdlDeckBMain`): the window, or one of the
// command-line uses that need no display.

#include "carddata/ReportError.h"
#include "deckbuilder/DeckBuilderSetup.h"
#include "deckbuilder/WidgetUserPort.h"
#include "deckbuilder/frmLMNDeckBulid.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

int main(int argc, char** argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    const lumi::DeckCommand command = lumi::ParseDeckCommand(args);

    if (command.kind != lumi::DeckCommand::Kind::Window) {
        QCoreApplication app(argc, argv);
        QTextStream out(stdout);
        QTextStream err(stderr);
        return lumi::RunDeckCommand(command, QCoreApplication::applicationDirPath(), out, err);
    }

    QApplication app(argc, argv);
    lumi::WidgetUserPort user(lumi::DeckBuilderTitle);
    lumi::DeckBuilderSetup setup;
    lumi::PrepareDeckBuilder(setup, command.root.isEmpty() ? QCoreApplication::applicationDirPath()
                                                           : command.root);
    if (!lumi::LoadDeckBuilderCards(setup, user))
        return 1;
    lumi::frmLMNDeckBulid window(setup.Paths, setup.Cards, setup.DefaultAuthorName, user);
    user.setOwner(&window);
    window.show();
    return app.exec();
}
