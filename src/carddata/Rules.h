#pragma once
// Rules: the three built-in rules, rule files ("*.lmr"), the normalised
// three-line rule text and the check of a deck against it.

#include "carddata/CardList.h"
#include "carddata/DeckList.h"
#include "carddata/ReportError.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace lumi {

inline const QString RuleOfficialJr = QStringLiteral("OFFICIAL_JR");
inline const QString RuleOfficialSr = QStringLiteral("OFFICIAL_SR");
inline const QString RuleOfficialPro = QStringLiteral("OFFICIAL_PRO");

// The highest extra-rule code a rule file may switch on ("000" to "010").
inline constexpr int MaxExRuleCode = 10;
// Number of extra rules that have a text (codes "000" to "007").
inline constexpr int ExRuleTextCount = 8;

// The text of an extra-rule code 0 to 7, empty for others.
QString ExRuleText(int code);
// "Jr クラス", "Sr クラス", "Pro クラス" for 0, 1, 2.
QString ClassLabel(std::int16_t deckClass);

// The rule text of a built-in rule or of `rulesPath` + id + ".lmr"; a
// missing file or one without [header] Name gives the Jr rule.
QString LoadRuleStr(const QString& rulesPath, const QString& ruleId);

// The value of the line starting at the first occurrence of `key`: the
// text after its first ":" up to the next CR LF; empty when the key is
// missing or no CR LF follows.
QString GetLineValue(const QString& text, const QString& key);

// The violations of `deck` under `ruleText`, each followed by CR LF; empty
// when the deck is valid. Compacts deck.Cards in place first.
QString RegulationCheck(const QString& ruleText, DeckData& deck, const CardDatabase& cards);

// One entry of the rule choice: the identifier and the label shown.
struct RuleChoice {
    QString Id;
    QString Label;
    bool operator==(const RuleChoice&) const = default;
};
// "Jr ルール", "Sr ルール", "Pro ルール" (the built-ins), then the "*.lmr"
// files of `rulesPath` sorted by name, each labelled and identified by its
// name without the last four characters.
QList<RuleChoice> RuleList(const QString& rulesPath);

// Messages of RegulationCheck, for front ends that react to one of them.
inline const QString RegNoCardData = QStringLiteral("Error:カードデータを参照できません。");
inline const QString RegTooManySame = QStringLiteral("同じカードが４枚以上あります。");
inline const QString RegRare5 = QStringLiteral("☆5のカードが含まれています。");
inline const QString RegRare3 = QStringLiteral("☆3以上のカードが含まれています。");
inline const QString RegWonderMaster = QStringLiteral("ワンダーマスターは使用禁止です。");
inline const QString RegMasterOutside = QStringLiteral("マスターがレギュレーション外です。");
inline const QString RegWrongCount = QStringLiteral("デッキに含まれるカードの枚数が違います。");
inline const QString RegNoRegulation =
    QStringLiteral("Error:対象となるレギュレーションが見つかりません。");

} // namespace lumi
