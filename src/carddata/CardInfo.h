#pragma once
// The per-card details kept in each card's own INI file, read on demand by
// the battle engine and the deck builder.

#include <QList>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace lumi {

struct CardLevelInfo {
    std::int16_t HP = 4;                        // [LvN] HP; 4 when empty, missing or not a number
    QString Technique1;                         // [LvN] 1, the "！" technique
    QString Technique2;                         // [LvN] 2, the "●" technique
    QString S;                                  // [LvN] S as written: three values separated by "/"
    std::optional<std::int16_t> Technique2Cost; // the third value of S when it is a number
};

struct MasterAbilityInfo {
    QString Name;          // [MasterAbility] n
    std::int16_t Cost = 0; // [MasterAbility] "ncost"; not a number = free (0)
    bool Free = true;      // the cost was not a number
};

struct CardInfo {
    std::array<CardLevelInfo, 4> Levels;      // Lv1 to Lv4
    std::int16_t Rare = 0;                    // [head] rare
    std::int16_t MagicCost = 0;               // [Magic] Cost; 0 when not a number
    QList<MasterAbilityInfo> MasterAbilities; // [MasterAbility] count entries

    // The level's record for level 1 to 4 (clamped into that range).
    const CardLevelInfo& level(int lv) const;
};

// Reads `cardsPath` + id + ".ini" once. A missing file gives the defaults.
// The ability count is capped at MaxMasterAbilities.
inline constexpr int MaxMasterAbilities = 99;
CardInfo ReadCardInfo(const QString& cardsPath, const QString& cardId);

// Shared number rule of the card files: a decimal number (sign, digits and an
// optional fraction, rounded half to even) that fits 16 bits; nullopt
// otherwise.
std::optional<std::int16_t> ParseInt16(const QString& text);

} // namespace lumi
