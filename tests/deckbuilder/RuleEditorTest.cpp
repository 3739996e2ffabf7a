// The rule editor: loading with the star overlap rule, the key-by-key save
// that keeps unknown keys, the reserved names, and its window.

#include "Support.h"
#include "carddata/Rules.h"
#include "ruleeditor/RuleEditorModel.h"
#include "ruleeditor/frmREdit.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

namespace lumi::test {
namespace {

class RuleEditorTest : public ::testing::Test {
protected:
    QString rulesPath() const { return install.paths.RulesPath; }
    void writeRule(const QString& file, const QString& text) {
        writeCp932(rulesPath() + file, text);
    }

    RuleForm form(const QString& name, int cls, std::initializer_list<int> on) {
        RuleForm f;
        f.name = name;
        f.ruleClass = cls;
        for (int i : on)
            f.exRule[i] = true;
        return f;
    }

    Installation install;
    ScriptedUser user;
};

TEST_F(RuleEditorTest, LoadReadsClassAndBoxesAndAppliesTheOverlapOnce) {
    struct Case {
        const char* text;
        int cls;
        std::initializer_list<int> on;
    };
    const Case cases[] = {
        {"[header]\r\nName=A\r\nclass=2\r\n[ExRule]\r\n002=1\r\n003=1\r\n", 2, {3}},
        {"[header]\r\nName=A\r\nclass=1\r\n[ExRule]\r\n002=1\r\n003=0\r\n005=1\r\n", 1, {2, 5}},
        {"[header]\r\nName=A\r\n[ExRule]\r\n000=1\r\n007=1\r\n", 0, {0, 7}},
        {"[header]\r\nName=A\r\nCLASS=2\r\n[exrule]\r\n001=1\r\n", 2, {1}},
        {"[header]\r\nName=A\r\nclass=3\r\n[ExRule]\r\n004=true\r\n006= 1\r\n", 0, {6}},
        {"[header]\r\nName=A\r\nclass=\r\n", 0, {}},
    };
    RuleEditorModel m(rulesPath());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        writeRule(QStringLiteral("r.lmr"), QString::fromUtf8(c.text));
        const RuleForm f = m.LoadRule(QStringLiteral("r.lmr"));
        EXPECT_EQ(f, form(QStringLiteral("A"), c.cls, c.on));
    }
}

TEST_F(RuleEditorTest, ListsRuleFilesWithExtensionAndEmptyWithoutFolder) {
    writeRule(QStringLiteral("b.lmr"), QStringLiteral("[header]\r\nName=b\r\n"));
    writeRule(QStringLiteral("a.lmr"), QStringLiteral("[header]\r\nName=a\r\n"));
    writeRule(QStringLiteral("note.txt"), QStringLiteral("x"));
    EXPECT_EQ(RuleEditorModel(rulesPath()).ListRules(),
              (QStringList{QStringLiteral("a.lmr"), QStringLiteral("b.lmr")}));
    EXPECT_TRUE(RuleEditorModel(install.root + QStringLiteral("none/")).ListRules().isEmpty());
}

TEST_F(RuleEditorTest, SaveWritesEveryKeyAndLoadRuleStrReadsItBack) {
    RuleEditorModel m(rulesPath());
    EXPECT_EQ(m.SaveRule(form(QStringLiteral("MyRule"), 0, {}), user),
              RuleEditorModel::SaveOutcome::Saved);
    EXPECT_EQ(
        readCp932(rulesPath() + QStringLiteral("MyRule.lmr")),
        QStringLiteral(
            "[header]\r\nName=MyRule\r\nclass=0\r\n[ExRule]\r\n000=0\r\n001=0\r\n002=0\r\n003=0\r\n"
            "004=0\r\n005=0\r\n006=0\r\n007=0\r\n"));

    EXPECT_EQ(m.SaveRule(form(QStringLiteral("星の杯"), 2, {1, 3, 5, 6}), user),
              RuleEditorModel::SaveOutcome::Saved);
    EXPECT_EQ(LoadRuleStr(rulesPath(), QStringLiteral("星の杯")),
              QStringLiteral("Name:星の杯\r\nClass:Pro\r\nExRule:001/003/005/006\r\n"));
    EXPECT_EQ(m.LoadRule(QStringLiteral("星の杯.lmr")),
              form(QStringLiteral("星の杯"), 2, {1, 3, 5, 6}));
    EXPECT_TRUE(RuleList(rulesPath())
                    .contains(RuleChoice{QStringLiteral("星の杯"), QStringLiteral("星の杯")}));
    EXPECT_TRUE(user.seen.isEmpty());
}

TEST_F(RuleEditorTest, SavingOverAnExistingRuleKeepsItsOtherKeys) {
    writeRule(QStringLiteral("Old.lmr"),
              QStringLiteral("; "
                             "大会用\r\n[header]\r\nName=Old\r\nclass=1\r\nMemo=残す\r\n[ExRule]"
                             "\r\n002=1\r\n003=1\r\n"
                             "009=1\r\n[Extra]\r\nx=y\r\n"));
    RuleEditorModel m(rulesPath());
    RuleForm f = m.LoadRule(QStringLiteral("Old.lmr"));
    EXPECT_EQ(f, form(QStringLiteral("Old"), 1, {3}));
    ASSERT_EQ(m.SaveRule(f, user), RuleEditorModel::SaveOutcome::Saved);
    const QString text = readCp932(rulesPath() + QStringLiteral("Old.lmr"));
    EXPECT_TRUE(text.contains(QStringLiteral("002=0\r\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("003=1\r\n")));
    for (const char* kept : {"; 大会用\r\n", "Memo=残す\r\n", "009=1\r\n", "[Extra]\r\nx=y\r\n"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(kept))) << kept;
}

TEST_F(RuleEditorTest, ReservedEmptyAndUnusableNames) {
    RuleEditorModel m(rulesPath());
    EXPECT_EQ(m.SaveRule(form(QString(), 0, {}), user), RuleEditorModel::SaveOutcome::Ignored);
    for (const char* name : {"Official_Test", "OFFICIAL_JR", "official_"}) {
        user.expect(QStringLiteral("このルール名は使えません。"), BoxResult::OK);
        EXPECT_EQ(m.SaveRule(form(QString::fromUtf8(name), 0, {}), user),
                  RuleEditorModel::SaveOutcome::Refused);
    }
    EXPECT_EQ(user.seen.last().buttons, BoxButtons::OK);
    EXPECT_EQ(m.SaveRule(form(QStringLiteral("MyOfficial_"), 0, {}), user),
              RuleEditorModel::SaveOutcome::Saved);
    for (const char* name : {"../up", "a/b", "x:y"}) {
        user.expect({}, BoxResult::OK);
        EXPECT_EQ(m.SaveRule(form(QString::fromUtf8(name), 0, {}), user),
                  RuleEditorModel::SaveOutcome::Failed);
    }
    user.verify();
    EXPECT_EQ(m.ListRules(), QStringList{QStringLiteral("MyOfficial_.lmr")});
    EXPECT_FALSE(QFile::exists(install.paths.SystemPath + QStringLiteral("up.lmr")));
}

TEST_F(RuleEditorTest, UnwritableFileGivesABoxNamingIt) {
    QDir().mkpath(rulesPath() + QStringLiteral("Busy.lmr")); // a folder where the file would go
    RuleEditorModel m(rulesPath());
    user.expect({}, BoxResult::OK);
    EXPECT_EQ(m.SaveRule(form(QStringLiteral("Busy"), 1, {}), user),
              RuleEditorModel::SaveOutcome::Failed);
    user.verify();
    EXPECT_TRUE(user.seen[0].text.contains(rulesPath() + QStringLiteral("Busy.lmr")));
    EXPECT_EQ(user.seen[0].title, QStringLiteral("ルミナリアOnline ルールエディタ"));
}

TEST_F(RuleEditorTest, MissingRulesFolderIsCreatedOnSave) {
    QDir(rulesPath()).removeRecursively();
    RuleEditorModel m(rulesPath());
    EXPECT_TRUE(m.ListRules().isEmpty());
    EXPECT_EQ(m.SaveRule(form(QStringLiteral("New"), 0, {}), user),
              RuleEditorModel::SaveOutcome::Saved);
    EXPECT_EQ(m.ListRules(), QStringList{QStringLiteral("New.lmr")});
}

// --- the window ---

class RuleWindowTest : public RuleEditorTest {
protected:
    void SetUp() override {
        writeRule(QStringLiteral("a3.lmr"),
                  QStringLiteral("[header]\r\nName=a3\r\nclass=2\r\n[ExRule]\r\n003=1\r\n"));
        writeRule(
            QStringLiteral("b2.lmr"),
            QStringLiteral("[header]\r\nName=b2\r\nclass=1\r\n[ExRule]\r\n002=1\r\n005=1\r\n"));
        window = std::make_unique<frmREdit>(model, user);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    void clickRule(int row) {
        const QRect r = window->lstRules->visualItemRect(window->lstRules->item(row));
        QTest::mouseClick(window->lstRules->viewport(), Qt::LeftButton, {}, r.center());
    }

    RuleEditorModel model{install.paths.RulesPath};
    std::unique_ptr<frmREdit> window;
};

TEST_F(RuleWindowTest, StartsEmptyJrAndLoadsOnClick) {
    EXPECT_EQ(window->windowTitle(), QStringLiteral("ルミナリアOnline ルールエディタ"));
    EXPECT_EQ(window->lstRules->count(), 2);
    EXPECT_EQ(window->form(), RuleForm{});
    EXPECT_FALSE(window->chkAppendRule[HiddenRuleBox]->isVisible());
    EXPECT_EQ(window->chkAppendRule[2]->toolTip(), QStringLiteral("制限：☆５のカード使用禁止"));
    clickRule(0);
    EXPECT_EQ(window->form(), form(QStringLiteral("a3"), 2, {3}));
    clickRule(1); // box 2 on after a rule with box 3: the earlier boxes play no part
    EXPECT_EQ(window->form(), form(QStringLiteral("b2"), 1, {2, 5}));
    EXPECT_TRUE(window->optClass[1]->isChecked());
    window->grab().save(QStringLiteral("/tmp/deck_frmREdit.png"));
}

TEST_F(RuleWindowTest, ClickingBoxThreeTurnsBoxTwoOff) {
    QTest::mouseClick(window->chkAppendRule[2], Qt::LeftButton);
    EXPECT_TRUE(window->chkAppendRule[2]->isChecked());
    QTest::mouseClick(window->chkAppendRule[3], Qt::LeftButton);
    EXPECT_FALSE(window->chkAppendRule[2]->isChecked());
    EXPECT_TRUE(window->chkAppendRule[3]->isChecked());
    QTest::mouseClick(window->chkAppendRule[2], Qt::LeftButton); // 3 stays the one on
    EXPECT_FALSE(window->chkAppendRule[2]->isChecked());
}

TEST_F(RuleWindowTest, SaveRefusesOfficialNamesAndSavesOthersIntoTheList) {
    window->txtName->setText(QStringLiteral("Official_Test"));
    user.expect(QStringLiteral("このルール名は使えません。"), BoxResult::OK);
    QTest::mouseClick(window->cmdSave, Qt::LeftButton);
    user.verify();
    EXPECT_FALSE(QFile::exists(install.paths.RulesPath + QStringLiteral("Official_Test.lmr")));

    window->txtName->setText(QStringLiteral("大会"));
    QTest::mouseClick(window->optClass[2], Qt::LeftButton);
    QTest::mouseClick(window->chkAppendRule[6], Qt::LeftButton);
    QTest::mouseClick(window->cmdSave, Qt::LeftButton);
    EXPECT_EQ(window->lstRules->count(), 3);
    EXPECT_EQ(window->txtName->text(), QStringLiteral("大会"));
    EXPECT_EQ(LoadRuleStr(install.paths.RulesPath, QStringLiteral("大会")),
              QStringLiteral("Name:大会\r\nClass:Pro\r\nExRule:006\r\n"));
}

} // namespace
} // namespace lumi::test
