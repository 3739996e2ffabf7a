#include "client/engine/ChangeStatus.h"

namespace lumi {

void frmChangeStatus::LoadList(int intType, const QString& NowStateID,
                               const StatusDatabase& statuses) {
    lstStatus.clear();
    const bool master = intType == 1;
    for (const auto& st : statuses.StatusList()) {
        if (st.StatusID == StatusActed || st.StatusID == StatusCharging)
            continue;
        const bool fits = master ? (st.Scope == ScopeBoth || st.Scope == ScopeMasters)
                                 : (st.Scope == ScopeMonsters || st.Scope == ScopeBoth);
        if (!fits)
            continue;
        // Status strings are tested by substring, as everywhere else.
        lstStatus.append(Line{st.StatusID, st.StatusName,
                              !st.StatusID.isEmpty() && NowStateID.contains(st.StatusID)});
    }
    chkCharge.Enabled = chkEnd.Enabled = !master;
    chkCharge.Checked = !master && NowStateID.contains(StatusCharging);
    chkEnd.Checked = !master && NowStateID.contains(StatusActed);
    Canceled = true;
}

QString frmChangeStatus::GetStateID() const {
    QStringList ids;
    if (chkCharge.Checked)
        ids.append(StatusCharging);
    if (chkEnd.Checked)
        ids.append(StatusActed);
    for (const auto& line : lstStatus)
        if (line.Checked)
            ids.append(line.StatusID);
    return ids.join(u'/');
}

} // namespace lumi
