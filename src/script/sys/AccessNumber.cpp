#include "script/sys/AccessNumber.h"

#include <cstdint>

namespace lumi {

qint32 AccessNumber(const QDate& day) {
    // A date alone would be guessable at a glance; mixing it with a fixed
    // constant through a multiplicative hash keeps the number opaque while
    // both sides can still derive it from nothing but today's date.
    const std::uint32_t ymd = std::uint32_t(day.year()) * 10000u +
                              std::uint32_t(day.month()) * 100u + std::uint32_t(day.day());
    std::uint32_t h = ymd ^ 0x4B54443Du;
    h *= 0x9E3779B1u;
    h ^= h >> 15;
    h *= 0x85EBCA77u;
    h ^= h >> 13;
    // Positive, and never 0, so that "no number given" never passes.
    return qint32(h & 0x7FFFFFFFu) | 1;
}

} // namespace lumi
