#pragma once
// The start-up routine of the kotodama program: where the script comes from
// and how its one run is framed.

#include "common/Ports.h"

#include <QString>
#include <QStringList>

namespace lumi {

class KTD;

struct StartUp {
    QString programPath; // the program file
    QString commandLine; // the arguments after the program name, joined by spaces
    QString tempFolder;  // where attached files go
};

// Runs the one script the command line, the program's name or its trailer
// names and returns the exit status: 0 when the run ended, 3 when it was
// stopped by Cancel.
int Main(KTD& engine, UserPort& user, const StartUp& start);

// `kotodama --pack SCRIPT [FILE…] -o OUT`; `args` are the words after
// "--pack". Returns the exit status and writes errors to stderr.
int PackMain(const QString& enginePath, const QStringList& args);

// `kotodama --security on|off`: writes the security entry "Kotodama\Sec" of
// the engine's settings file in `programFolder`, the one configuration this
// program's users otherwise have no way to make.
int SecurityMain(const QString& programFolder, const QStringList& args);

} // namespace lumi
