#pragma once
// What the rule editor window edits, loads and saves, without widgets: the
// rule list of the rules folder, a rule as the window shows it, and the
// key-by-key save that leaves unknown keys of an existing file in place.

#include "common/Ports.h"

#include <QString>
#include <QStringList>
#include <array>

namespace lumi {

// Number of extra-rule boxes; box i is key "00i" of section ExRule.
inline constexpr int RuleBoxCount = 8;
// The box that is kept round-trip but never shown.
inline constexpr int HiddenRuleBox = 5;

struct RuleForm {
    QString name;
    int ruleClass = 0; // 0 Jr, 1 Sr, 2 Pro
    std::array<bool, RuleBoxCount> exRule{};

    bool operator==(const RuleForm&) const = default;
};

// Boxes 2 and 3 restrict the stars two ways; only one of them may be on, and
// the narrower one (3) wins.
void ApplyRuleOverlap(RuleForm& form);

class RuleEditorModel {
public:
    explicit RuleEditorModel(QString rulesPath);

    QString RulesPath; // ends in a separator

    // File names (with extension) of the "*.lmr" files, sorted by name; an
    // empty list when the folder is missing.
    QStringList ListRules() const;

    // The rule in `fileName` (a name from ListRules), overlap rule applied.
    RuleForm LoadRule(const QString& fileName) const;

    enum class SaveOutcome { Ignored, Refused, Failed, Saved };
    // Writes RulesPath + name + ".lmr" key by key. An empty name is ignored;
    // a name beginning with "OFFICIAL_" in any case is refused with a box; a
    // file that cannot be written gives a box naming it and the reason.
    SaveOutcome SaveRule(const RuleForm& form, UserPort& user) const;

    // The path a rule name is saved to.
    QString RuleFilePath(const QString& name) const;
};

} // namespace lumi
