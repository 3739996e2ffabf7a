#pragma once
// The special-operation dialog "ならべかえ / シャッフル" as a model: look at
// the top cards of one side's deck, then shuffle (mode 1) or reorder (mode 2).

#include "carddata/CardList.h"
#include "client/engine/BattleData.h"

#include <QString>
#include <QStringList>

namespace lumi {

class UserPort;

class frmCmacNarabekae {
public:
    struct Button {
        QString Caption;
        bool Enabled = true;
        bool Visible = true;
    };

    QString Caption = QStringLiteral("ならべかえ / シャッフル");
    QString lblStep1 = QStringLiteral("Step1.どちらがわで実行しますか？");
    bool optSelf = true;    // "自分(&S)"; false: "相手(&E)"
    bool optEnabled = true; // the side is fixed once the top cards are shown
    QString lblStep2 = QStringLiteral("Step2.ならべかえてください。");
    Button cmdExecute{QStringLiteral("実行(&X)")};
    Button cmdUp{QStringLiteral("↑")};
    Button cmdDown{QStringLiteral("↓")};
    Button cmdOK{QStringLiteral("OK")};
    Button cmdCancel{QStringLiteral("キャンセル")};
    QStringList lstCards;   // names shown
    QStringList lstCardIDs; // hidden list: identifiers in the same order
    int ListIndex = -1;     // selected line

    int Mode = 1; // 1 shuffle, 2 reorder
    bool Canceled = true;
    bool Opened = false;
    bool Executed = false;

    // The battle record whose deck "実行(&X)" shows, the card names, and the beep.
    frmCmacNarabekae(const BattleData& data, const CardDatabase& cards, UserPort& user);

    void Form_Load();
    void cmdExecute_Click();
    void cmdUp_Click();
    void cmdDown_Click();
    void cmdOK_Click();
    void cmdCancel_Click();
    void CloseByFrame();

private:
    const BattleData& data_;
    const CardDatabase& cards_;
    UserPort& user_;
};

} // namespace lumi
