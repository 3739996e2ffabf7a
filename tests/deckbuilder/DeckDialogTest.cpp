// The deck open/save dialog: which files are decks, the OK rules of both
// modes, the column sort and deletion; and the dialog window itself.

#include "Support.h"
#include "deckbuilder/DeckDialogModel.h"
#include "deckbuilder/frmDeckDialog.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>

namespace lumi::test {
namespace {

class DeckDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        install.writeDeck(QStringLiteral("mydeck.ini"), QStringLiteral("炎のデッキ"),
                          QStringLiteral("太郎"), QStringLiteral("Jr"), QStringLiteral("M1"),
                          {QStringLiteral("C01")});
        install.writeDeck(QStringLiteral("other.ini"), QStringLiteral("水のデッキ"),
                          QStringLiteral("次郎"), QStringLiteral("Pro"), QStringLiteral("M2"), {});
        install.writeDeck(QStringLiteral("amber.INI"), QStringLiteral("琥珀"),
                          QStringLiteral("Aさん"), QStringLiteral("Sr"), QStringLiteral("M2"), {});
        // Not decks: no rule key, an empty rule, another extension.
        install.writeDeck(QStringLiteral("norule.ini"), QStringLiteral("x"), QStringLiteral("y"),
                          QString(), QStringLiteral("M1"), {});
        install.writeDeck(QStringLiteral("emptyrule.ini"), QStringLiteral("x"), QStringLiteral("y"),
                          QStringLiteral(""), QStringLiteral("M1"), {});
        install.writeDeck(QStringLiteral("notes.txt"), QStringLiteral("x"), QStringLiteral("y"),
                          QStringLiteral("Jr"), QStringLiteral("M1"), {});
    }

    QStringList fileNames(const DeckDialogModel& m) const {
        QStringList out;
        for (const DeckFileEntry& e : m.entries)
            out.append(e.fileName);
        return out;
    }
    int indexOf(const DeckDialogModel& m, const QString& file) const {
        return int(fileNames(m).indexOf(file));
    }

    Installation install;
    ScriptedUser user;
};

TEST_F(DeckDialogTest, ListsOnlyFilesWithARuleAndReadsTheirHeader) {
    DeckDialogModel m(install.paths.DeckPath);
    m.Reflesh();
    EXPECT_EQ(fileNames(m), (QStringList{QStringLiteral("amber.INI"), QStringLiteral("mydeck.ini"),
                                         QStringLiteral("other.ini")}));
    const DeckFileEntry& e = m.entries[1];
    EXPECT_EQ(e.name, QStringLiteral("炎のデッキ"));
    EXPECT_EQ(e.maked, QStringLiteral("太郎"));
    EXPECT_EQ(e.rule, QStringLiteral("Jr"));
}

TEST_F(DeckDialogTest, MissingDeckFolderGivesEmptyListAndOpenDoesNothing) {
    DeckDialogModel m(install.root + QStringLiteral("nowhere/"));
    m.Reflesh();
    EXPECT_TRUE(m.entries.isEmpty());
    EXPECT_EQ(m.okOpen(-1), DeckDialogModel::OkOutcome::Nothing);
    EXPECT_TRUE(m.Canceled);
}

TEST_F(DeckDialogTest, SaveModeOkRules) {
    struct Case {
        const char* field;
        const char* selected; // file of the selected entry, "" for none
        BoxResult answer;     // to the overwrite question, when asked
        bool asks;
        const char* result; // file name under the deck folder, "" when the dialog stays open
    };
    const Case cases[] = {
        {"mydeck", "mydeck.ini", BoxResult::Yes, true, "mydeck.ini"},
        {"mydeck", "mydeck.ini", BoxResult::No, true, ""},
        {"mydeck.ini", "mydeck.ini", BoxResult::OK, false, "mydeck.ini"},
        {"mydeck", "other.ini", BoxResult::OK, false, "mydeck.ini"},
        {"mydeck", "", BoxResult::OK, false, "mydeck.ini"},
        {"MyDeck", "mydeck.ini", BoxResult::OK, false, "MyDeck.ini"},
        {"NEW.INI", "other.ini", BoxResult::OK, false, "NEW.INI"},
        {"new.Ini", "", BoxResult::OK, false, "new.Ini"},
        {"amber", "amber.INI", BoxResult::Yes, true, "amber.INI"},
        {"深緑", "", BoxResult::OK, false, "深緑.ini"},
        {"", "", BoxResult::OK, false, ""},
        {"", "mydeck.ini", BoxResult::OK, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " / " + c.selected);
        DeckDialogModel m(install.paths.DeckPath);
        m.Reflesh();
        const int selected = *c.selected ? indexOf(m, QString::fromUtf8(c.selected)) : -1;
        ScriptedUser u;
        if (c.asks)
            u.expect(QStringLiteral("上書きします。よろしいですか？"), c.answer);
        const auto outcome = m.okSave(QString::fromUtf8(c.field), selected, u);
        u.verify();
        if (c.asks) {
            EXPECT_EQ(u.seen[0].buttons, BoxButtons::YesNo);
            EXPECT_EQ(u.seen[0].defaultButton, 0);
        }
        if (*c.result) {
            EXPECT_EQ(outcome, DeckDialogModel::OkOutcome::Close);
            EXPECT_FALSE(m.Canceled);
            EXPECT_EQ(m.ReturnPath, install.paths.DeckPath + QString::fromUtf8(c.result));
        } else {
            EXPECT_EQ(outcome, DeckDialogModel::OkOutcome::Nothing);
            EXPECT_TRUE(m.Canceled);
            EXPECT_TRUE(m.ReturnPath.isEmpty());
        }
    }
}

TEST_F(DeckDialogTest, SaveModeRefusesNamesThatLeaveTheDeckFolder) {
    for (const char* name : {"../escape", "sub/deck", "a\\b", ".ini", "what?"}) {
        DeckDialogModel m(install.paths.DeckPath);
        m.Reflesh();
        ScriptedUser u;
        u.expect({}, BoxResult::OK);
        EXPECT_EQ(m.okSave(QString::fromUtf8(name), -1, u), DeckDialogModel::OkOutcome::Nothing)
            << name;
        u.verify();
        EXPECT_TRUE(m.Canceled);
    }
}

TEST_F(DeckDialogTest, OpenModeReturnsTheSelectedFile) {
    DeckDialogModel m(install.paths.DeckPath);
    m.Reflesh();
    EXPECT_EQ(m.okOpen(-1), DeckDialogModel::OkOutcome::Nothing);
    ASSERT_EQ(m.okOpen(indexOf(m, QStringLiteral("amber.INI"))), DeckDialogModel::OkOutcome::Close);
    EXPECT_EQ(m.ReturnPath, install.paths.DeckPath + QStringLiteral("amber.INI"));
    EXPECT_FALSE(m.Canceled);
}

TEST_F(DeckDialogTest, ColumnSortFollowsLastKey) {
    DeckDialogModel m(install.paths.DeckPath);
    m.Reflesh();
    EXPECT_EQ(m.LastKey, 1);
    m.ColumnClick(1); // same as LastKey at load: descending
    EXPECT_EQ(fileNames(m), (QStringList{QStringLiteral("other.ini"), QStringLiteral("mydeck.ini"),
                                         QStringLiteral("amber.INI")}));
    m.ColumnClick(4); // rule ascending: Jr, Pro, Sr
    EXPECT_EQ(m.LastKey, 4);
    EXPECT_EQ(fileNames(m), (QStringList{QStringLiteral("mydeck.ini"), QStringLiteral("other.ini"),
                                         QStringLiteral("amber.INI")}));
    m.ColumnClick(4);
    EXPECT_EQ(fileNames(m), (QStringList{QStringLiteral("amber.INI"), QStringLiteral("other.ini"),
                                         QStringLiteral("mydeck.ini")}));
    m.ColumnClick(3); // author ascending: "Aさん" before the kanji names
    EXPECT_EQ(m.entries.first().maked, QStringLiteral("Aさん"));
    m.Reflesh(); // the sort stays on after a refresh
    EXPECT_EQ(m.entries.first().maked, QStringLiteral("Aさん"));
}

TEST_F(DeckDialogTest, DeleteAsksFirst) {
    DeckDialogModel m(install.paths.DeckPath);
    m.Reflesh();
    const QString question =
        QStringLiteral("デッキファイル \"mydeck.ini\" を削除します。よろしいですか？");
    user.expect(question, BoxResult::No);
    EXPECT_EQ(m.deleteEntry(indexOf(m, QStringLiteral("mydeck.ini")), user),
              DeckDialogModel::DeleteOutcome::Kept);
    EXPECT_TRUE(QFile::exists(install.paths.DeckPath + QStringLiteral("mydeck.ini")));
    user.expect(question, BoxResult::Yes);
    EXPECT_EQ(m.deleteEntry(indexOf(m, QStringLiteral("mydeck.ini")), user),
              DeckDialogModel::DeleteOutcome::Deleted);
    user.verify();
    EXPECT_EQ(user.seen[0].defaultButton, 1);
    EXPECT_FALSE(QFile::exists(install.paths.DeckPath + QStringLiteral("mydeck.ini")));
    EXPECT_EQ(indexOf(m, QStringLiteral("mydeck.ini")), -1);
    EXPECT_EQ(m.deleteEntry(-1, user), DeckDialogModel::DeleteOutcome::Kept);
}

// --- the window ---

TEST_F(DeckDialogTest, WindowSelectsFirstEntryAndSwitchesModes) {
    frmDeckDialog d(install.paths.DeckPath, user);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("デッキを開く"));
    EXPECT_EQ(d.cmdOK->text(), QStringLiteral("開く(&O)"));
    EXPECT_FALSE(d.txtFileName->isEnabled());
    EXPECT_EQ(d.selectedIndex(), 0);
    EXPECT_EQ(d.txtFileName->text(), QStringLiteral("amber.INI"));
    d.OpSvMode(true);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("デッキを保存する"));
    EXPECT_EQ(d.cmdOK->text(), QStringLiteral("保存(&S)"));
    EXPECT_TRUE(d.txtFileName->isEnabled());
    d.show();
    d.grab().save(QStringLiteral("/tmp/deck_frmDeckDialog.png"));
}

TEST_F(DeckDialogTest, WindowCloseBoxAndEscapeCancel) {
    {
        frmDeckDialog d(install.paths.DeckPath, user);
        d.show();
        d.close();
        EXPECT_TRUE(d.Canceled());
        EXPECT_EQ(d.result(), QDialog::Rejected);
    }
    {
        frmDeckDialog d(install.paths.DeckPath, user);
        d.show();
        QTest::keyClick(&d, Qt::Key_Escape);
        EXPECT_TRUE(d.Canceled());
    }
}

TEST_F(DeckDialogTest, WindowClickOnEntryFillsFieldAndOkReturnsIt) {
    frmDeckDialog d(install.paths.DeckPath, user);
    d.OpSvMode(true);
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    QTreeView* view = d.detailsView;
    const QRect row = view->visualRect(view->model()->index(1, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, row.center());
    EXPECT_EQ(d.txtFileName->text(), QStringLiteral("mydeck.ini"));
    QTest::mouseClick(d.cmdOK, Qt::LeftButton);
    EXPECT_FALSE(d.Canceled());
    EXPECT_EQ(d.ReturnPath(), install.paths.DeckPath + QStringLiteral("mydeck.ini"));
    EXPECT_EQ(d.result(), QDialog::Accepted);
}

TEST_F(DeckDialogTest, WindowHeaderClicksSortAndDeleteRefreshes) {
    frmDeckDialog d(install.paths.DeckPath, user);
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    QHeaderView* header = d.detailsView->header();
    auto clickHeader = [&](int section) {
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, {},
            QPoint(header->sectionViewportPosition(section) + 5, header->height() / 2));
    };
    clickHeader(0);
    EXPECT_EQ(d.detailsView->model()->index(0, 0).data().toString(), QStringLiteral("other.ini"));
    clickHeader(1); // deck name ascending: 水 (U+6C34) before 炎 (U+708E) before 琥 (U+7425)
    EXPECT_EQ(d.LastKey(), 2);
    EXPECT_EQ(d.detailsView->model()->index(0, 1).data().toString(), QStringLiteral("水のデッキ"));
    clickHeader(1);
    EXPECT_EQ(d.detailsView->model()->index(0, 1).data().toString(), QStringLiteral("琥珀"));

    d.selectIndex(0); // amber.INI
    user.expect(QStringLiteral("デッキファイル \"amber.INI\" を削除します。よろしいですか？"),
                BoxResult::Yes);
    d.mnuRClick1Delete_Click();
    user.verify();
    EXPECT_EQ(d.detailsView->model()->rowCount(), 2);
    EXPECT_FALSE(QFile::exists(install.paths.DeckPath + QStringLiteral("amber.INI")));
}

} // namespace
} // namespace lumi::test
