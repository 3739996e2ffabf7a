#pragma once
// The status dialog "ステータス状態の変更" as a model: the window shows
// these members and calls the handlers; tests drive them directly.

#include "carddata/StatusList.h"

#include <QList>
#include <QString>

namespace lumi {

class frmChangeStatus {
public:
    struct Line {
        QString StatusID;
        QString StatusName;
        bool Checked = false;
    };
    struct CheckBox {
        QString Caption;
        bool Enabled = true;
        bool Checked = false;
    };

    QString Caption = QStringLiteral("ステータス状態の変更");
    QList<Line> lstStatus;
    CheckBox chkCharge{QStringLiteral("きあいだめ(&C)")};
    CheckBox chkEnd{QStringLiteral("行動終了(&E)")};
    // True unless closed with OK.
    bool Canceled = true;

    // intType 0: a monster, 1: the master.
    void LoadList(int intType, const QString& NowStateID, const StatusDatabase& statuses);
    QString GetStateID() const;

    void cmdOK_Click() { Canceled = false; }
    void cmdCancel_Click() { Canceled = true; }
};

} // namespace lumi
