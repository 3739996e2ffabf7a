#pragma once
// The day's access number: the program passes it when it starts a run, and
// the engine trusts a run whose number matches today's.

#include <QDate>

namespace lumi {

qint32 AccessNumber(const QDate& day);

} // namespace lumi
