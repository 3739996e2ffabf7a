#include "client/net/BattleSetting.h"

#include "carddata/InstallPaths.h"
#include "carddata/ReportError.h"

namespace lumi {

QString frmBattleSetting::JankenName(int index) {
    switch (index) {
    case 0:
        return QStringLiteral("グー");
    case 1:
        return QStringLiteral("チョキ");
    case 2:
        return QStringLiteral("パー");
    case 3:
        return QStringLiteral("(先攻)");
    case 4:
        return QStringLiteral("(後攻)");
    default:
        return {};
    }
}

frmBattleSetting::frmBattleSetting(const QString& rulesPath, const CardDatabase& cards,
                                   UserPort& user)
    : rulesPath_(rulesPath), cards_(cards), user_(user) {}

QStringList RuleDescriptionLines(const QString& ruleText) {
    QStringList lines;
    const QString cls = GetLineValue(ruleText, QStringLiteral("Class")).toUpper();
    if (cls == QLatin1String("JR"))
        lines << QStringLiteral("Jr クラス");
    else if (cls == QLatin1String("SR"))
        lines << QStringLiteral("Sr クラス");
    else if (cls == QLatin1String("PRO"))
        lines << QStringLiteral("Pro クラス");
    const QString ex = GetLineValue(ruleText, QStringLiteral("ExRule"));
    for (int code = 0; code < ExRuleTextCount; ++code)
        if (ex.contains(QStringLiteral("%1").arg(code, 3, 10, QLatin1Char('0'))))
            lines << ExRuleText(code);
    return lines;
}

void frmBattleSetting::Form_Load(const QStringList& members) {
    RuleChoices = RuleList(rulesPath_);
    cboRule.Items.clear();
    for (const RuleChoice& r : RuleChoices)
        cboRule.Items << r.Label;
    cboJanken.Items.clear();
    JankenValues.clear();
    for (int i = 0; i < 5; ++i) {
        cboJanken.Items << JankenName(i);
        JankenValues << i;
    }
    cboJanken.ListIndex = 0;
    cboBattlerList.Items = members.mid(1);
    cboBattlerList.ListIndex = -1;
    Canceled = true;
    cboRule_Click(0);
}

void frmBattleSetting::cboRule_Click(int index) {
    if (!cboRule.Enabled || index < 0 || index >= RuleChoices.size())
        return;
    cboRule.ListIndex = index;
    Rule = LoadRuleStr(rulesPath_, RuleChoices[index].Id);
    RebuildDescription();
    if (!SelectedDeck.isEmpty())
        CheckDeck();
}

void frmBattleSetting::RebuildDescription() {
    lstRuleStr = RuleDescriptionLines(Rule);
}

void frmBattleSetting::DeckChosen(const QString& path) {
    txtUseDeck = RemoveExtension(GetFileName(path));
    SelectedDeck = path;
    CheckDeck();
}

DeckData frmBattleSetting::LoadSelectedDeck() const {
    DeckList loader(cards_);
    loader.LoadDeck(SelectedDeck);
    return loader.LoadingDeck;
}

void frmBattleSetting::CheckDeck() {
    DeckData deck = LoadSelectedDeck();
    const QString result = RegulationCheck(Rule, deck, cards_);
    if (!result.isEmpty()) {
        lblDeckCheck = result;
        lblDeckCheckColour = CheckColour::Red;
        DeckCheckOK = false;
    } else {
        lblDeckCheck = QStringLiteral("異常ありません");
        lblDeckCheckColour = CheckColour::MenuText;
        DeckCheckOK = true;
    }
    if (onDeckChecked)
        onDeckChecked(result);
}

bool frmBattleSetting::cmdOK_Click() {
    if (!DeckCheckOK) {
        user_.messageBox({QStringLiteral("デッキが異常です。"), ClientTitle});
        return false;
    }
    if (cboBattlerList.ListIndex < 0 || cboBattlerList.text().isEmpty()) {
        user_.messageBox({QStringLiteral("対戦相手を選んでください。"), ClientTitle});
        return false;
    }
    Canceled = false;
    Visible = false;
    return true;
}

void frmBattleSetting::cmdCancel_Click() {
    Canceled = true;
    Visible = false;
}

void frmBattleSetting::SetRule(const QString& text) {
    cboRule.Items = QStringList{GetLineValue(text, QStringLiteral("Name"))};
    cboRule.ListIndex = 0;
    cboRule.Enabled = false;
    Rule = text;
    RebuildDescription();
}

void frmBattleSetting::FixDeck() {
    lblUseDeckEnabled = false;
    txtUseDeckEnabled = false;
    cmdBrowseDeckEnabled = false;
    txtUseDeck = QStringLiteral("使用するデッキは指定されています");
    lblDeckCheck = QStringLiteral("異常ありません");
    lblDeckCheckColour = CheckColour::MenuText;
    DeckCheckOK = true;
}

void frmBattleSetting::FixJanken(int value) {
    SelectJanken(value);
    cboJanken.Enabled = false;
}

void frmBattleSetting::OnlyHands() {
    while (JankenValues.size() > 3) {
        JankenValues.removeLast();
        cboJanken.Items.removeLast();
    }
    if (cboJanken.ListIndex >= 3)
        cboJanken.ListIndex = 0;
}

int frmBattleSetting::JankenChoice() const {
    if (cboJanken.ListIndex < 0 || cboJanken.ListIndex >= JankenValues.size())
        return -1;
    return JankenValues[cboJanken.ListIndex];
}

bool frmBattleSetting::SelectJanken(int value) {
    const int i = JankenValues.indexOf(value);
    if (i < 0)
        return false;
    cboJanken.ListIndex = i;
    return true;
}

} // namespace lumi
