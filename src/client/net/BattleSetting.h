#pragma once
// The battle dialog "frmBattleSetting" as a model: the window shows these
// members and calls the handlers; the console fills and confirms it; tests
// drive it directly. It offers a battle on the server and, in its accepting
// form, answers an offer on a client.

#include "carddata/CardList.h"
#include "carddata/DeckList.h"
#include "carddata/Rules.h"
#include "common/Ports.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace lumi {

class frmBattleSetting {
public:
    struct Combo {
        QStringList Items;
        int ListIndex = -1;
        bool Enabled = true;
        QString text() const {
            return ListIndex >= 0 && ListIndex < Items.size() ? Items[ListIndex] : QString();
        }
    };
    enum class CheckColour { Normal, Red, MenuText };

    // The first-move entries by the index the offer carries.
    static QString JankenName(int index);

    frmBattleSetting(const QString& rulesPath, const CardDatabase& cards, UserPort& user);

    QString Caption = QStringLiteral("対戦の設定");
    Combo cboBattlerList;
    Combo cboRule;
    QList<RuleChoice> RuleChoices; // the identifiers behind cboRule's entries
    QStringList lstRuleStr;
    QString txtUseDeck;
    bool txtUseDeckEnabled = true;
    bool cmdBrowseDeckEnabled = true;
    bool lblUseDeckEnabled = true;
    QString lblDeckCheck = QStringLiteral("デッキを指定してください");
    CheckColour lblDeckCheckColour = CheckColour::Normal;
    Combo cboJanken;
    // The first-move value of each cboJanken entry (0..4); entries can be removed.
    QList<int> JankenValues;
    QString lblMessage = QStringLiteral("以上の設定で対戦の申し込みをします。");
    QString cmdOKCaption = QStringLiteral("対戦申し込み");
    QString cmdCancelCaption = QStringLiteral("キャンセル");

    bool Accepting = false; // the form that answers an offer
    bool Canceled = true;
    bool Visible = false;
    QString SelectedDeck;
    bool DeckCheckOK = false;

    // Called with the check's result (empty: the deck is valid) whenever the deck is checked.
    std::function<void(const QString& result)> onDeckChecked;

    // `members` is the main window's member list; the first entry (the server) is left out.
    void Form_Load(const QStringList& members);
    void cboRule_Click(int index);
    // The deck dialog returned a path ("..." not cancelled).
    void DeckChosen(const QString& path);
    void CheckDeck();
    // True when the dialog was accepted and hides.
    bool cmdOK_Click();
    void cmdCancel_Click();
    void SetRule(const QString& text);
    QString GetRule() const { return Rule; }
    // Deck choice disabled for a resumed battle.
    void FixDeck();
    // The first-move box fixed on one entry (3 or 4).
    void FixJanken(int value);
    void OnlyHands();
    // The chosen first-move value (0..4); -1 when nothing is chosen.
    int JankenChoice() const;
    bool SelectJanken(int value);
    // The deck loaded by the last check (or by LoadSelectedDeck).
    DeckData LoadSelectedDeck() const;

    QString Rule;

private:
    void RebuildDescription();

    QString rulesPath_;
    const CardDatabase& cards_;
    UserPort& user_;
};

// Lines of the rule description shown under the rule box.
QStringList RuleDescriptionLines(const QString& ruleText);

} // namespace lumi
