// A set request as the network layer hands it over: split at NUL, decoded.
// The parsers must never read past the fields, whatever their number.
#include "client/engine/SetRequest.h"
#include "common/Cp932.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    lumi::Request fields;
    for (const QByteArray& part : bytes.split('\0'))
        fields.append(lumi::cp932::decode(part));
    lumi::SideData side = lumi::EmptyBattleData().Own;
    lumi::setString2MasterType(fields, side);
    lumi::MonsterData monster;
    lumi::setString2MonsterType(fields, monster);
    // What was parsed serialises and parses back alike.
    lumi::MonsterData back;
    lumi::setString2MonsterType(lumi::MonsterType2setString(monster, 1), back);
    if (!(back.CardID == monster.CardID && back.HP == monster.HP && back.Level == monster.Level))
        __builtin_trap();
    return 0;
}
