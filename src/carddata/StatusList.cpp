#include "carddata/StatusList.h"

#include "carddata/InstallPaths.h"
#include "common/TextFile.h"

namespace lumi {

std::int16_t StatusMarkOfText(const QString& text) {
    if (text == QLatin1String("-"))
        return MarkEnd;
    if (text == QLatin1String("!"))
        return MarkKiaidame;
    if (text == QLatin1String("S"))
        return MarkShield;
    if (text == QLatin1String("P"))
        return MarkPower;
    return MarkEtc;
}

std::int16_t StatusScopeOfText(const QString& text) {
    if (text == QLatin1String("1"))
        return ScopeBoth;
    if (text == QLatin1String("2"))
        return ScopeMasters;
    return ScopeMonsters;
}

QString StatusMarkPictureKey(std::int16_t mark) {
    switch (mark) {
    case MarkEnd:
        return QStringLiteral("End");
    case MarkKiaidame:
        return QStringLiteral("Kiaidame");
    case MarkShield:
        return QStringLiteral("Shield");
    case MarkPower:
        return QStringLiteral("Power");
    default:
        return QStringLiteral("EtcStatus");
    }
}

LoadVerdict StatusDatabase::LoadStatusList(const QString& statePath, const ReportTarget& report) {
    const QString place = QStringLiteral("BattleOperation.LoadStatusList");
    const QString path = statePath + QStringLiteral("state.dat");
    if (!FileExists(path)) {
        MessageBoxRequest box;
        box.text = StatusListMissingText;
        box.title = report.title;
        box.icon = BoxIcon::Warning;
        report.user.messageBox(box);
        return LoadVerdict::MustEnd;
    }
    list_.clear();
    auto bytes = ReadListFile(path);
    if (!bytes) {
        ReportError(report.user, ErrFileAccess,
                    QStringLiteral("パス/ファイル アクセス エラーです。"), place,
                    report.deckBuilder);
    } else {
        FieldReader reader(*bytes);
        while (!reader.atEnd()) {
            auto rec = reader.record(4);
            if (!rec) {
                ReportError(report.user, ErrInputPastEnd,
                            QStringLiteral("ファイルの終わりを越えて入力しようとしました。"), place,
                            report.deckBuilder);
                break;
            }
            if (list_.size() >= 32767) {
                ReportError(report.user, 6, QStringLiteral("オーバーフローしました。"), place,
                            report.deckBuilder);
                break;
            }
            list_.append(
                {(*rec)[0], (*rec)[1], StatusMarkOfText((*rec)[2]), StatusScopeOfText((*rec)[3])});
        }
    }
    // The list always holds at least its first, blank entry.
    if (list_.isEmpty())
        list_.append(StatusData{});
    return LoadVerdict::Loaded;
}

std::int16_t StatusDatabase::StatusID2StatusIndex(const QString& id) const {
    // An empty identifier (the blank entry of an empty list) names no status.
    if (id.isEmpty())
        return -1;
    for (qsizetype i = 0; i < list_.size() && i < 32767; ++i)
        if (list_[i].StatusID == id)
            return std::int16_t(i);
    return -1;
}

QString StatusDatabase::StatusID2StatusName(const QString& id) const {
    std::int16_t i = StatusID2StatusIndex(id);
    return i < 0 ? QString() : list_[i].StatusName;
}

std::int16_t StatusDatabase::StatusID2StatusType(const QString& id) const {
    std::int16_t i = StatusID2StatusIndex(id);
    return i < 0 ? std::int16_t(-1) : list_[i].Mark;
}

QString StatusDatabase::GetStatusText(const QString& statusString) const {
    if (statusString.isEmpty())
        return {};
    bool seen[5] = {};
    for (const QString& id : statusString.split(u'/')) {
        std::int16_t mark = StatusID2StatusType(id);
        if (mark >= 1 && mark <= 4)
            seen[mark] = true;
    }
    QString out;
    if (seen[MarkKiaidame])
        out += u'!';
    if (seen[MarkShield])
        out += u'S';
    if (seen[MarkPower])
        out += u'P';
    if (seen[MarkEtc])
        out += u'X';
    return out;
}

} // namespace lumi
