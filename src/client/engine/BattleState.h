#pragma once
// Battle state files (".lms"): the battle record written field by field,
// 16-bit little-endian numbers and flags (true = -1), texts as a 16-bit byte
// count and code page 932 bytes, card lists as dimension count, element
// count, lower bound and elements.

#include "client/engine/BattleData.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <optional>

namespace lumi {

inline const QString StateFileFilter = QStringLiteral("ルミナリアOnline バトル情報(*.lms)|*.lms");

QByteArray WriteBattleState(const BattleData& data);

struct StateReadResult {
    std::optional<BattleData> data;
    int errorNumber = 0; // when !data
    QString description;
};

// Reads a record from the start of `bytes`; never allocates more than the
// input can hold, whatever its counts say.
StateReadResult ReadBattleState(QByteArrayView bytes);

// CRC-32 of ZIP (reflected EDB88320, start FFFFFFFF, final inversion).
quint32 Crc32(QByteArrayView bytes);
// Eight capital hexadecimal digits, most significant first.
QString CrcText(quint32 crc);
// The confirmation identifier of a file; empty when missing or empty.
QString GetCRC(const QString& path);

// "nowplay:s" or "nowplay:c", CR LF, then extra and CR LF when extra is not empty.
QString MakeStateMemo(bool serverHoldsTurn, const QString& extra);

// "yy-mm-dd-hh-nn-<turn>-先攻.lms" or "...-後攻.lms".
QString NumberedBackupName(const QDateTime& localTime, int turnNumber, bool holderMovedFirst);

// The memo says the server held the turn ("nowplay" is "s").
bool ServerTurnInMemo(const QString& memo);

// The text of the resume confirmation box.
QString ResumeSummaryText(const BattleData& data, bool serverTurnAtSave);

} // namespace lumi
