#pragma once
// The error trap of the deck programs' handlers: an unexpected failure stops
// the handler and goes to the shared error report with the handler's place;
// whatever the handler changed before stays changed.

#include "common/Ports.h"

#include <QString>
#include <functional>

namespace lumi {

// Numbers the report shows for failures that carry none of their own.
inline constexpr int ErrOutOfMemory = 7;
inline constexpr int ErrUnexpected = 5;

void RunTrapped(UserPort& user, const QString& place, bool deckBuilder,
                const std::function<void()>& handler);

} // namespace lumi
