#include "ruleeditor/RuleEditorModel.h"

#include "carddata/INIAccess.h"
#include "carddata/InstallPaths.h"
#include "carddata/ReportError.h"

#include <QDir>

namespace lumi {

static const QString HeaderSection = QStringLiteral("header");
static const QString ExRuleSection = QStringLiteral("ExRule");

static QString boxKey(int i) {
    return QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0'));
}

void ApplyRuleOverlap(RuleForm& form) {
    if (form.exRule[2] && form.exRule[3])
        form.exRule[2] = false;
}

RuleEditorModel::RuleEditorModel(QString rulesPath) : RulesPath(std::move(rulesPath)) {}

QStringList RuleEditorModel::ListRules() const {
    // Windows matches the pattern without regard to letter case.
    return QDir(RulesPath).entryList({QStringLiteral("*.lmr")}, QDir::Files | QDir::Hidden,
                                     QDir::Name);
}

RuleForm RuleEditorModel::LoadRule(const QString& fileName) const {
    INIAccess ini;
    ini.FileName = RulesPath + fileName;
    RuleForm form;
    form.name = ini.GetINIData(QStringLiteral("Name"), HeaderSection);
    const QString cls = ini.GetINIData(QStringLiteral("class"), HeaderSection);
    form.ruleClass = cls == QStringLiteral("1") ? 1 : cls == QStringLiteral("2") ? 2 : 0;
    for (int i = 0; i < RuleBoxCount; ++i)
        form.exRule[i] = ini.GetINIData(boxKey(i), ExRuleSection) == QStringLiteral("1");
    ApplyRuleOverlap(form);
    return form;
}

QString RuleEditorModel::RuleFilePath(const QString& name) const {
    return RulesPath + name + QStringLiteral(".lmr");
}

RuleEditorModel::SaveOutcome RuleEditorModel::SaveRule(const RuleForm& form, UserPort& user) const {
    if (form.name.isEmpty())
        return SaveOutcome::Ignored;
    if (form.name.startsWith(QStringLiteral("OFFICIAL_"), Qt::CaseInsensitive)) {
        user.messageBox({QStringLiteral("このルール名は使えません。"), RuleEditorTitle,
                         BoxButtons::OK, BoxIcon::None, 0});
        return SaveOutcome::Refused;
    }
    const QString path = RuleFilePath(form.name);
    auto fail = [&](const QString& reason) {
        user.messageBox({QStringLiteral("ルールファイル \"") + path +
                             QStringLiteral("\" を保存できませんでした。") + CrLf + reason,
                         RuleEditorTitle, BoxButtons::OK, BoxIcon::Warning, 0});
        return SaveOutcome::Failed;
    };
    if (!IsPlainFileName(form.name))
        return fail(QStringLiteral("ルール名にファイル名として使えない文字 (\\ / : * ? \" < > | "
                                   "など) が含まれています。"));
    // The client creates the rules folder at its start; a lone editor may
    // run before that, and losing the rule over a missing folder helps no one.
    if (!QDir().mkpath(RulesPath))
        return fail(QStringLiteral("フォルダ \"") + RulesPath +
                    QStringLiteral("\" を作成できません。"));

    INIAccess ini;
    ini.FileName = path;
    auto write = [&](const QString& key, const QString& value, const QString& section) {
        return ini.SetINIData(key, value, section);
    };
    bool ok = write(QStringLiteral("Name"), form.name, HeaderSection) &&
              write(QStringLiteral("class"), QString::number(form.ruleClass), HeaderSection);
    for (int i = 0; ok && i < RuleBoxCount; ++i)
        ok = write(boxKey(i), form.exRule[i] ? QStringLiteral("1") : QStringLiteral("0"),
                   ExRuleSection);
    if (!ok)
        return fail(ini.LastError.isEmpty() ? QStringLiteral("書き込みに失敗しました。")
                                            : ini.LastError);
    return SaveOutcome::Saved;
}

} // namespace lumi
