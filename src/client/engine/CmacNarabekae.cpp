#include "client/engine/CmacNarabekae.h"

#include "common/Ports.h"

#include <algorithm>

namespace lumi {

frmCmacNarabekae::frmCmacNarabekae(const BattleData& data, const CardDatabase& cards,
                                   UserPort& user)
    : data_(data), cards_(cards), user_(user) {
    Form_Load();
}

void frmCmacNarabekae::Form_Load() {
    Canceled = true;
    Opened = false;
    Executed = false;
}

void frmCmacNarabekae::cmdExecute_Click() {
    if (!cmdExecute.Enabled)
        return;
    const CardList& deck = optSelf ? data_.Own.Deck : data_.Enemy.Deck;
    if (BattleOperation::CardCount(deck) == 0) {
        user_.beep();
        return;
    }
    lstCards.clear();
    lstCardIDs.clear();
    const auto shown = std::min<qsizetype>(5, deck.size());
    for (qsizetype k = 0; k < shown; ++k) {
        lstCardIDs.append(deck[k]);
        lstCards.append(cards_.CardID2CardName(deck[k]));
    }
    ListIndex = lstCards.isEmpty() ? -1 : 0;
    cmdExecute.Enabled = false;
    cmdOK.Enabled = true;
    optEnabled = false;
    Opened = true;
    if (Mode == 1) {
        cmdOK.Caption = QStringLiteral("はい(&Y)");
        cmdCancel.Caption = QStringLiteral("いいえ(&N)");
        Canceled = false;
        Executed = false;
    } else {
        cmdCancel.Visible = false;
        cmdUp.Enabled = true;
        cmdDown.Enabled = true;
        Canceled = false;
    }
}

void frmCmacNarabekae::cmdUp_Click() {
    if (!cmdUp.Enabled || ListIndex <= 0 || ListIndex >= lstCards.size())
        return;
    lstCards.swapItemsAt(ListIndex, ListIndex - 1);
    lstCardIDs.swapItemsAt(ListIndex, ListIndex - 1);
    --ListIndex;
}

void frmCmacNarabekae::cmdDown_Click() {
    if (!cmdDown.Enabled || ListIndex < 0 || ListIndex >= lstCards.size() - 1)
        return;
    lstCards.swapItemsAt(ListIndex, ListIndex + 1);
    lstCardIDs.swapItemsAt(ListIndex, ListIndex + 1);
    ++ListIndex;
}

void frmCmacNarabekae::cmdOK_Click() {
    if (cmdOK.Enabled)
        Executed = true;
}

void frmCmacNarabekae::cmdCancel_Click() {
    Canceled = true;
}

void frmCmacNarabekae::CloseByFrame() {
    Canceled = true;
}

} // namespace lumi
