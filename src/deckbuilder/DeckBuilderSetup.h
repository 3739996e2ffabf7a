#pragma once
// Start-up of the deck builder (`mdlDeckBMain`) without its window: the
// folders, the default author, the card database; and the command-line uses
// `--check` and `--post` that need no display.

#include "carddata/CardList.h"
#include "carddata/InstallPaths.h"
#include "common/Ports.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace lumi {

struct DeckBuilderSetup {
    InstallPaths Paths;
    QString DefaultAuthorName;
    CardDatabase Cards;
};

// Folders and the default author from `appPath` ([Connection] DefaultName of
// the client's settings file, "(未設定)" when empty).
void PrepareDeckBuilder(DeckBuilderSetup& setup, const QString& appPath);

// Loads the card lists and then the master list; false when a file is
// missing (its warning was shown and the program must end).
bool LoadDeckBuilderCards(DeckBuilderSetup& setup, UserPort& user);

// A user port for the command line: boxes go to the error stream as text and
// answer with their default button.
class StreamUserPort : public UserPort {
public:
    explicit StreamUserPort(QTextStream& err) : err_(err) {}
    BoxResult messageBox(const MessageBoxRequest& box) override;

private:
    QTextStream& err_;
};

// The parsed command line.
struct DeckCommand {
    enum class Kind { Window, Check, Post, Usage };
    Kind kind = Kind::Window;
    QString root;     // --root DIR, empty when not given
    QString deckFile; // --check / --post
    QString ruleId;   // --rule, empty for the deck's own class
    QString error;    // for Usage: what was wrong
};

// `args` without the program name.
DeckCommand ParseDeckCommand(const QStringList& args);

// Runs --check or --post: 0 valid (or posted), 1 otherwise: a deck that
// breaks the rule, bad arguments, a missing database or deck file. Callers
// tell the last kinds apart by the error stream, which is the only one they
// write to.
// Output is UTF-8 with CR LF written as a line feed.
int RunDeckCommand(const DeckCommand& command, const QString& appPath, QTextStream& out,
                   QTextStream& err);

inline const QString DeckUsageText =
    QStringLiteral("使い方: lumideck [--root DIR]\n"
                   "        lumideck --check DECKFILE [--rule RULEID] [--root DIR]\n"
                   "        lumideck --post DECKFILE [--root DIR]\n");

} // namespace lumi
