// Any bytes given to the battle state file reader: it must fail cleanly or
// give a record that writes back to a file it reads as the same record.
#include "client/engine/BattleState.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const lumi::StateReadResult read = lumi::ReadBattleState(bytes);
    if (!read.data)
        return 0;
    const lumi::StateReadResult again = lumi::ReadBattleState(lumi::WriteBattleState(*read.data));
    if (!again.data || !(*again.data == *read.data))
        std::abort();
    return 0;
}
