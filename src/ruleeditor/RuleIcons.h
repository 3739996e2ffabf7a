#pragma once
// Pictures of the rule editor's class and extra-rule buttons, drawn at run
// time so the program carries no image files of its own.

#include <QIcon>

namespace lumi {

QIcon RuleClassIcon(int ruleClass); // 0 Jr, 1 Sr, 2 Pro
QIcon ExtraRuleIcon(int index);     // 0 to 7; 5 has none

} // namespace lumi
