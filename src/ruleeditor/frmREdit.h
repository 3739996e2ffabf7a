#pragma once
// The rule editor's one window: the rule list on the left, the name, the
// class and the extra rules on the right. Everything it decides is in
// RuleEditorModel; the window only shows and collects.

#include "ruleeditor/RuleEditorModel.h"

#include <QWidget>
#include <array>

class QAbstractButton;
class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QToolButton;

namespace lumi {

class frmREdit : public QWidget {
    Q_OBJECT
public:
    frmREdit(RuleEditorModel& model, UserPort& user, QWidget* parent = nullptr);

    // The rule as the controls show it.
    RuleForm form() const;
    void showForm(const RuleForm& form);

    QGroupBox* fraRuleList;
    QListWidget* lstRules;
    QGroupBox* fraRuleName;
    QLabel* Label1;
    QLineEdit* txtName;
    QPushButton* cmdSave;
    QGroupBox* fraClass;
    std::array<QToolButton*, 3> optClass{};
    QGroupBox* fraAppendedRule;
    std::array<QToolButton*, RuleBoxCount> chkAppendRule{};

    void FillRuleList();
    void lstRules_Click();
    void chkAppendRule_Click(int index);
    void cmdSave_Click();

private:
    RuleEditorModel& model_;
    UserPort& user_;
    QButtonGroup* classGroup_;
};

} // namespace lumi
