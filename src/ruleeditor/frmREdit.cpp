#include "ruleeditor/frmREdit.h"

#include "carddata/ReportError.h"
#include "ruleeditor/RuleIcons.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

namespace lumi {

// The window's layout is kept in the original's twips; 15 twips a pixel.
static QRect tw(int left, int top, int width, int height) {
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

static const char* const ExtraRuleTips[RuleBoxCount] = {
    "先攻ペナルティ：初回ドローなし", "先攻ペナルティ：初回ターンエンド時余ったストーンを除去",
    "制限：☆５のカード使用禁止",      "制限：☆２以下のカードのみ使用可能",
    "制限：ワンダーマスター使用禁止", "制限：公式カードのみ使用可能",
    "拡張：同カード４枚以上使用可能", "拡張：捨札閲覧禁止",
};

static const QPoint ExtraRulePlaces[RuleBoxCount] = {
    {120, 240},  {840, 240},  {120, 960},  {840, 960},
    {1560, 960}, {2280, 960}, {120, 1680}, {840, 1680},
};

frmREdit::frmREdit(RuleEditorModel& model, UserPort& user, QWidget* parent)
    : QWidget(parent), model_(model), user_(user) {
    setObjectName(QStringLiteral("frmREdit"));
    setWindowTitle(RuleEditorTitle);
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(5520 / 15, 4935 / 15);

    fraRuleList = new QGroupBox(QStringLiteral("ルール一覧"), this);
    fraRuleList->setGeometry(tw(120, 120, 2175, 4695));
    lstRules = new QListWidget(fraRuleList);
    lstRules->setGeometry(tw(120, 300, 1935, 4275));

    fraRuleName = new QGroupBox(QStringLiteral("ルール基本情報"), this);
    fraRuleName->setGeometry(tw(2400, 120, 3015, 1095));
    Label1 = new QLabel(QStringLiteral("名前(&N)："), fraRuleName);
    Label1->setGeometry(tw(120, 300, 840, 270));
    txtName = new QLineEdit(fraRuleName);
    txtName->setGeometry(tw(960, 270, 1935, 330));
    Label1->setBuddy(txtName);
    cmdSave = new QPushButton(QStringLiteral("保存する(&S)"), fraRuleName);
    cmdSave->setGeometry(tw(1680, 660, 1215, 375));

    auto makeButton = [](QWidget* parent, const QIcon& icon, const QString& tip,
                         const QRect& place) {
        auto* b = new QToolButton(parent);
        b->setCheckable(true);
        b->setIcon(icon);
        b->setIconSize(QSize(32, 32));
        b->setToolTip(tip);
        b->setGeometry(place);
        return b;
    };

    fraClass = new QGroupBox(QStringLiteral("クラス"), this);
    fraClass->setGeometry(tw(2400, 1320, 3015, 975));
    classGroup_ = new QButtonGroup(this);
    classGroup_->setExclusive(true);
    static const char* const classTips[3] = {"クラス：Jr", "クラス：Sr", "クラス：Pro"};
    for (int i = 0; i < 3; ++i) {
        optClass[i] = makeButton(fraClass, RuleClassIcon(i), QString::fromUtf8(classTips[i]),
                                 tw(120 + i * 1080, 270, 615, 615));
        classGroup_->addButton(optClass[i], i);
    }
    optClass[0]->setChecked(true);

    fraAppendedRule = new QGroupBox(QStringLiteral("特殊ルール"), this);
    fraAppendedRule->setGeometry(tw(2400, 2400, 3015, 2415));
    for (int i = 0; i < RuleBoxCount; ++i) {
        const QPoint at = ExtraRulePlaces[i];
        chkAppendRule[i] =
            makeButton(fraAppendedRule, ExtraRuleIcon(i), QString::fromUtf8(ExtraRuleTips[i]),
                       tw(at.x(), at.y() + 30, 615, 615));
        connect(chkAppendRule[i], &QToolButton::clicked, this,
                [this, i] { chkAppendRule_Click(i); });
    }
    chkAppendRule[HiddenRuleBox]->setText(QStringLiteral("公式のみ"));
    chkAppendRule[HiddenRuleBox]->setVisible(false);

    connect(lstRules, &QListWidget::itemClicked, this, [this] { lstRules_Click(); });
    connect(lstRules, &QListWidget::currentRowChanged, this, [this] { lstRules_Click(); });
    connect(cmdSave, &QPushButton::clicked, this, [this] { cmdSave_Click(); });

    FillRuleList();
}

RuleForm frmREdit::form() const {
    RuleForm f;
    f.name = txtName->text();
    f.ruleClass = qMax(0, classGroup_->checkedId());
    for (int i = 0; i < RuleBoxCount; ++i)
        f.exRule[i] = chkAppendRule[i]->isChecked();
    return f;
}

void frmREdit::showForm(const RuleForm& f) {
    txtName->setText(f.name);
    optClass[qBound(0, f.ruleClass, 2)]->setChecked(true);
    for (int i = 0; i < RuleBoxCount; ++i)
        chkAppendRule[i]->setChecked(f.exRule[i]);
}

void frmREdit::FillRuleList() {
    const QSignalBlocker block(lstRules);
    lstRules->clear();
    lstRules->addItems(model_.ListRules());
    lstRules->setCurrentRow(-1);
}

void frmREdit::lstRules_Click() {
    QListWidgetItem* item = lstRules->currentItem();
    if (!item || !item->isSelected())
        return;
    showForm(model_.LoadRule(item->text()));
}

void frmREdit::chkAppendRule_Click(int) {
    RuleForm f = form();
    ApplyRuleOverlap(f);
    for (int i = 0; i < RuleBoxCount; ++i)
        chkAppendRule[i]->setChecked(f.exRule[i]);
}

void frmREdit::cmdSave_Click() {
    if (model_.SaveRule(form(), user_) == RuleEditorModel::SaveOutcome::Saved)
        FillRuleList();
}

} // namespace lumi
