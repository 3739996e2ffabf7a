#pragma once
// The status database ("state.dat"): the statuses a master or monster may
// carry, with the mark letter the field view shows and the scope of units
// that may receive them.

#include "carddata/CardList.h"
#include "carddata/ReportError.h"

#include <QList>
#include <QString>
#include <cstdint>

namespace lumi {

enum StatusMark : std::int16_t {
    MarkEnd = 0,
    MarkKiaidame = 1,
    MarkShield = 2,
    MarkPower = 3,
    MarkEtc = 4
};
enum StatusScope : std::int16_t { ScopeMonsters = 0, ScopeBoth = 1, ScopeMasters = 2 };

// Identifiers the battle engine gives fixed meanings to.
inline const QString StatusActed = QStringLiteral("000");    // 行動済み
inline const QString StatusCharging = QStringLiteral("001"); // きあいだめ

inline const QString StatusListMissingText =
    QStringLiteral("ステータスデータベースが正しく配置されていません。確認してください。");

struct StatusData {
    QString StatusID;
    QString StatusName;
    std::int16_t Mark = 0;
    std::int16_t Scope = 0;
    bool operator==(const StatusData&) const = default;
};

// Mark kind of a mark letter: "-" 0, "!" 1, "S" 2, "P" 3, anything else 4.
std::int16_t StatusMarkOfText(const QString& text);
// Scope of a scope digit: "0" 0, "1" 1, "2" 2, anything else 0.
std::int16_t StatusScopeOfText(const QString& text);
// The picture key of a mark kind: "End", "Kiaidame", "Shield", "Power", "EtcStatus".
QString StatusMarkPictureKey(std::int16_t mark);

class StatusDatabase {
public:
    // Fills the list from `statePath` + "state.dat". A missing file: the
    // warning box, then MustEnd. A read error: ReportError at
    // "BattleOperation.LoadStatusList"; the records before stay.
    LoadVerdict LoadStatusList(const QString& statePath, const ReportTarget& report);
    void setData(QList<StatusData> statuses) { list_ = std::move(statuses); }

    QString StatusID2StatusName(const QString& id) const;
    std::int16_t StatusID2StatusType(const QString& id) const;  // Mark, -1 when unknown
    std::int16_t StatusID2StatusIndex(const QString& id) const; // place, -1 when unknown
    // The mark letters of a status string ("/"-joined identifiers), in the
    // fixed order "!", "S", "P", "X", each at most once.
    QString GetStatusText(const QString& statusString) const;

    const QList<StatusData>& StatusList() const { return list_; }

private:
    QList<StatusData> list_;
};

} // namespace lumi
