#include "carddata/CardInfo.h"

#include "carddata/CardList.h"
#include "carddata/IniDocument.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace lumi {

std::optional<std::int16_t> ParseInt16(const QString& text) {
    static const QRegularExpression number(QStringLiteral("^[+-]?(\\d+(\\.\\d*)?|\\.\\d+)$"));
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 64 || !number.match(t).hasMatch())
        return std::nullopt;
    bool ok = false;
    double v = t.toDouble(&ok);
    if (!ok)
        return std::nullopt;
    // Whole numbers the way the original conversion rounds: half to even.
    double r = std::nearbyint(v);
    if (r < -32768.0 || r > 32767.0)
        return std::nullopt;
    return static_cast<std::int16_t>(r);
}

const CardLevelInfo& CardInfo::level(int lv) const {
    return Levels[std::size_t(std::clamp(lv, 1, 4) - 1)];
}

CardInfo ReadCardInfo(const QString& cardsPath, const QString& cardId) {
    CardInfo info;
    if (!IsPlainCardId(cardId))
        return info;
    auto doc = IniDocument::load(cardsPath + cardId + QStringLiteral(".ini"));
    if (!doc)
        return info;
    info.Rare = ParseInt16(doc->get(QStringLiteral("head"), QStringLiteral("rare"))).value_or(0);
    for (int lv = 1; lv <= 4; ++lv) {
        CardLevelInfo& L = info.Levels[std::size_t(lv - 1)];
        const QString section = QStringLiteral("Lv%1").arg(lv);
        L.HP = ParseInt16(doc->get(section, QStringLiteral("HP"))).value_or(4);
        L.Technique1 = doc->get(section, QStringLiteral("1"));
        L.Technique2 = doc->get(section, QStringLiteral("2"));
        L.S = doc->get(section, QStringLiteral("S"));
        const QStringList parts = L.S.split(u'/');
        if (parts.size() >= 3)
            L.Technique2Cost = ParseInt16(parts[2]);
    }
    info.MagicCost =
        ParseInt16(doc->get(QStringLiteral("Magic"), QStringLiteral("Cost"))).value_or(0);
    const QString ability = QStringLiteral("MasterAbility");
    int count = std::clamp(int(ParseInt16(doc->get(ability, QStringLiteral("count"))).value_or(0)),
                           0, MaxMasterAbilities);
    for (int n = 1; n <= count; ++n) {
        MasterAbilityInfo a;
        a.Name = doc->get(ability, QString::number(n));
        auto cost = ParseInt16(doc->get(ability, QString::number(n) + QStringLiteral("cost")));
        a.Free = !cost.has_value();
        a.Cost = cost.value_or(0);
        info.MasterAbilities.append(a);
    }
    return info;
}

} // namespace lumi
