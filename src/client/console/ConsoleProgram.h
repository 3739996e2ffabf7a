#pragma once
#include <QStringList>

namespace lumi {

// The console mode of lumiplay: start-up of the installation, the session,
// then commands from stdin until the end of input. `appPath` is the
// program's own folder; `args` are the arguments after the program name.
// Returns the exit status.
int RunConsoleProgram(const QString& appPath, const QStringList& args);

} // namespace lumi
