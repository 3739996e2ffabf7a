// The deck builder's main window driven by clicks: adding copies, the class
// change question, save-as through the deck dialog, open, new, close.

#include "Support.h"
#include "carddata/DeckList.h"
#include "carddata/Rules.h"
#include "deckbuilder/CardInfoView.h"
#include "deckbuilder/DeckBuilderSetup.h"
#include "deckbuilder/frmDeckDialog.h"
#include "deckbuilder/frmDeckVersion.h"
#include "deckbuilder/frmLMNDeckBulid.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace lumi::test {
namespace {

class DeckWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        install.load(cards);
        window =
            std::make_unique<frmLMNDeckBulid>(install.paths, cards, QStringLiteral("太郎"), user);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    void TearDown() override {
        // Leave without the closing question.
        window->hide();
        window.reset();
    }

    void pick(int series, int card) {
        window->cboCardSeries->setCurrentIndex(series);
        window->lstCardList->setCurrentRow(card);
    }
    void clickAdd(int times = 1) {
        for (int i = 0; i < times; ++i)
            QTest::mouseClick(window->cmdAdd, Qt::LeftButton);
    }
    // Puts `n` different beta cards in with clicks.
    void addBeta(int n) {
        for (int i = 0; i < n; ++i) {
            pick(1, i);
            clickAdd();
        }
    }
    // Drives the next deck dialog: sets the field (in save mode) and
    // chooses OK, or cancels.
    void driveDialog(std::function<void(frmDeckDialog&)> drive) {
        window->dialogDriver = [drive](QDialog& d) {
            auto* deck = qobject_cast<frmDeckDialog*>(&d);
            ASSERT_NE(deck, nullptr);
            drive(*deck);
        };
    }

    Installation install;
    CardDatabase cards;
    ScriptedUser user;
    std::unique_ptr<frmLMNDeckBulid> window;
};

TEST_F(DeckWindowTest, LoadsSeriesMastersAndStartPage) {
    EXPECT_EQ(window->windowTitle(), QStringLiteral("ルミナリアOnline デッキビルダー"));
    EXPECT_EQ(window->cboCardSeries->count(), 2);
    EXPECT_EQ(window->cboCardSeries->itemText(0), QStringLiteral("alpha"));
    EXPECT_EQ(window->lstCardList->item(0)->text(), QStringLiteral("C01:火の剣士"));
    EXPECT_EQ(window->cboMaster->count(), 3);
    EXPECT_EQ(window->model.CurrentDeck.Master, QStringLiteral("M1"));
    EXPECT_EQ(window->txtDeckName->text(), QStringLiteral("(未設定)"));
    EXPECT_TRUE(window->model.CurrentDeck.DeckName.isEmpty());
    EXPECT_EQ(window->txtAuthorName->text(), QStringLiteral("太郎"));
    EXPECT_TRUE(window->optRuleJr->isChecked());
    EXPECT_EQ(window->wbrCardInfo->currentPage(),
              install.paths.SystemPath + QStringLiteral("startup_b.html"));
    pick(0, 0);
    EXPECT_EQ(window->wbrCardInfo->currentPage(),
              install.paths.CardsPath + QStringLiteral("C01.html"));
    EXPECT_TRUE(window->wbrCardInfo->toPlainText().contains(QStringLiteral("火の剣士のページ")));
    window->cboMaster->setCurrentIndex(2);
    EXPECT_EQ(window->model.CurrentDeck.Master, QStringLiteral("M3"));
    window->txtDeckName->setText(QStringLiteral("新しい名前"));
    EXPECT_EQ(window->model.CurrentDeck.DeckName, QStringLiteral("新しい名前"));
    window->grab().save(QStringLiteral("/tmp/deck_frmLMNDeckBulid.png"));
}

TEST_F(DeckWindowTest, AddingFourCopiesWarnsOnceAtTheFourth) {
    pick(0, 1);
    clickAdd(3);
    EXPECT_TRUE(user.seen.isEmpty());
    user.expect(ThreeCopiesText, BoxResult::OK);
    clickAdd();
    user.verify();
    EXPECT_EQ(window->lstDeck->count(), 4);
    EXPECT_EQ(window->lstDeck->item(3)->text(), QStringLiteral("水の剣士"));
    EXPECT_EQ(window->lblMaisuu->text(), QStringLiteral("現在の枚数：4枚"));

    // Removing from the middle and adding: freed slot, listed last.
    window->lstDeck->setCurrentRow(1);
    QTest::mouseClick(window->cmdRemove, Qt::LeftButton);
    EXPECT_EQ(window->lstDeck->count(), 3);
    EXPECT_EQ(window->model.CurrentDeck.Cards[1], QString());
    pick(0, 3);
    clickAdd();
    EXPECT_EQ(window->model.CurrentDeck.Cards[1], QStringLiteral("C04"));
    EXPECT_EQ(window->lstDeck->item(3)->text(), QStringLiteral("森の弓手"));
    window->mnuToolSortFromID->trigger();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("ルミナリアOnline デッキビルダー"));
    EXPECT_EQ(window->lstDeck->item(3)->text(), QStringLiteral("森の弓手"));
    EXPECT_EQ(window->model.CurrentDeck.Cards.mid(16),
              (QStringList{QStringLiteral("C02"), QStringLiteral("C02"), QStringLiteral("C02"),
                           QStringLiteral("C04")}));
}

TEST_F(DeckWindowTest, ProToSrWithTwentyFiveCards) {
    QTest::mouseClick(window->optRulePro, Qt::LeftButton);
    EXPECT_TRUE(user.seen.isEmpty());
    EXPECT_EQ(window->model.CurrentDeck.Cards.size(), 30);
    addBeta(25);
    EXPECT_EQ(window->lstDeck->count(), 25);

    user.expect(ClassDownQuestionText(25), BoxResult::No);
    QTest::mouseClick(window->optRuleSr, Qt::LeftButton);
    user.verify();
    EXPECT_TRUE(window->optRulePro->isChecked());
    EXPECT_EQ(window->model.CurrentDeck.DeckType, DeckPro);
    EXPECT_EQ(window->lstDeck->count(), 25);

    user.expect(ClassDownQuestionText(25), BoxResult::Yes);
    QTest::mouseClick(window->optRuleSr, Qt::LeftButton);
    user.verify();
    EXPECT_TRUE(window->optRuleSr->isChecked());
    EXPECT_EQ(window->model.CurrentDeck.DeckType, DeckSr);
    EXPECT_EQ(window->model.CurrentDeck.Cards, betaCards(20));
    EXPECT_EQ(window->lstDeck->count(), 20);
    EXPECT_EQ(window->lblMaisuu->text(), QStringLiteral("現在の枚数：20枚"));
}

TEST_F(DeckWindowTest, SaveWithoutFileGoesThroughDialogThenWritesWithoutQuestion) {
    pick(0, 0);
    clickAdd(2);
    window->txtDeckName->setText(QStringLiteral("炎の陣"));
    QString proposed;
    driveDialog([&](frmDeckDialog& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("デッキを保存する"));
        proposed = d.txtFileName->text();
        d.cmdOK_Click();
    });
    window->mnuSave->trigger(); // no file yet: save-as
    EXPECT_EQ(proposed, QStringLiteral("炎の陣"));
    const QString path = install.paths.DeckPath + QStringLiteral("炎の陣.ini");
    EXPECT_EQ(window->model.CurrentDeckPath, path);
    DeckList decks(cards);
    decks.LoadDeck(path);
    EXPECT_EQ(decks.LoadingDeck.DeckName, QStringLiteral("炎の陣"));
    EXPECT_EQ(decks.LoadingDeck.AuthorName, QStringLiteral("太郎"));
    EXPECT_EQ(decks.LoadingDeck.Cards.mid(0, 3),
              (QStringList{QStringLiteral("C01"), QStringLiteral("C01"), QString()}));

    // Now Save writes to that file with no dialog and no box.
    window->dialogDriver = [](QDialog&) { ADD_FAILURE() << "no dialog expected"; };
    clickAdd();
    window->mnuSave->trigger();
    decks.LoadDeck(path);
    EXPECT_EQ(decks.LoadingDeck.Cards[2], QStringLiteral("C01"));

    // Save-as over the same file asks to overwrite.
    driveDialog([&](frmDeckDialog& d) {
        for (int i = 0; i < d.model.entries.size(); ++i)
            if (d.model.entries[i].fileName == QStringLiteral("炎の陣.ini"))
                d.selectIndex(i);
        d.txtFileName->setText(QStringLiteral("炎の陣"));
        user.expect(QStringLiteral("上書きします。よろしいですか？"), BoxResult::No);
        d.cmdOK_Click();
        EXPECT_TRUE(d.Canceled());
        user.expect(QStringLiteral("上書きします。よろしいですか？"), BoxResult::Yes);
        d.cmdOK_Click();
    });
    window->mnuSaveAs->trigger();
    user.verify();
    EXPECT_EQ(window->model.CurrentDeckPath, path);
}

TEST_F(DeckWindowTest, FailedSaveNamesTheFileAndKeepsTheDeck) {
    pick(0, 0);
    clickAdd();
    // A folder where the deck file should be cannot be replaced by a file.
    QDir().mkpath(install.paths.DeckPath + QStringLiteral("blocked.ini"));
    driveDialog([](frmDeckDialog& d) {
        d.txtFileName->setText(QStringLiteral("blocked"));
        d.cmdOK_Click();
    });
    user.expect({}, BoxResult::OK);
    window->mnuSaveAs->trigger();
    user.verify();
    ASSERT_EQ(user.seen.size(), 1);
    EXPECT_TRUE(user.seen[0].text.contains(install.paths.DeckPath + QStringLiteral("blocked.ini")))
        << user.seen[0].text.toStdString();
    EXPECT_TRUE(window->model.CurrentDeckPath.isEmpty());
    EXPECT_EQ(window->lstDeck->count(), 1);
}

TEST_F(DeckWindowTest, OpenAsksThenLoadsTheChosenDeckInSlotOrder) {
    QStringList slots(20, QString());
    slots[5] = QStringLiteral("C04");
    slots[2] = QStringLiteral("C01");
    install.writeDeck(QStringLiteral("saved.ini"), QStringLiteral("保存済み"),
                      QStringLiteral("次郎"), QStringLiteral("Sr"), QStringLiteral("M2"), slots);
    user.expect(DiscardQuestionText, BoxResult::No);
    window->dialogDriver = [](QDialog&) { ADD_FAILURE() << "no dialog after No"; };
    window->mnuOpenDeck->trigger();

    user.expect(DiscardQuestionText, BoxResult::Yes);
    driveDialog([](frmDeckDialog& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("デッキを開く"));
        d.cmdOK_Click(); // the first (only) entry is selected
    });
    window->mnuOpenDeck->trigger();
    user.verify();
    EXPECT_EQ(window->model.CurrentDeckPath, install.paths.DeckPath + QStringLiteral("saved.ini"));
    EXPECT_TRUE(window->optRuleSr->isChecked());
    EXPECT_EQ(window->cboMaster->currentIndex(), 1);
    EXPECT_EQ(window->txtDeckName->text(), QStringLiteral("保存済み"));
    EXPECT_EQ(window->txtAuthorName->text(), QStringLiteral("次郎"));
    ASSERT_EQ(window->lstDeck->count(), 2);
    EXPECT_EQ(window->lstDeck->item(0)->text(), QStringLiteral("火の剣士"));

    // Cancelling the dialog changes nothing.
    user.expect(DiscardQuestionText, BoxResult::Yes);
    driveDialog([](frmDeckDialog& d) { d.cmdCancel_Click(); });
    window->mnuOpenDeck->trigger();
    EXPECT_EQ(window->lstDeck->count(), 2);

    // New deck: Jr, empty, no file, no class question.
    user.expect(DiscardQuestionText, BoxResult::Yes);
    window->cmdNewDeck->trigger();
    user.verify();
    EXPECT_TRUE(window->optRuleJr->isChecked());
    EXPECT_EQ(window->lstDeck->count(), 0);
    EXPECT_EQ(window->txtDeckName->text(), QStringLiteral("(未設定)"));
    EXPECT_TRUE(window->model.CurrentDeckPath.isEmpty());
}

TEST_F(DeckWindowTest, DeletingADeckFileFromTheDialog) {
    install.writeDeck(QStringLiteral("gone.ini"), QStringLiteral("消す"), QStringLiteral("x"),
                      QStringLiteral("Jr"), QStringLiteral("M1"), {});
    user.expect(DiscardQuestionText, BoxResult::Yes);
    driveDialog([this](frmDeckDialog& d) {
        user.expect(QStringLiteral("デッキファイル \"gone.ini\" を削除します。よろしいですか？"),
                    BoxResult::Yes);
        d.mnuRClick1Delete_Click();
        EXPECT_EQ(d.model.entries.size(), 0);
        d.cmdOK_Click(); // nothing to open
        EXPECT_EQ(d.result(), QDialog::Rejected);
        d.cmdCancel_Click();
    });
    window->mnuOpenDeck->trigger();
    user.verify();
    EXPECT_FALSE(QFile::exists(install.paths.DeckPath + QStringLiteral("gone.ini")));
}

TEST_F(DeckWindowTest, ClosingRightAfterStartAsks) {
    user.expect(CloseQuestionText, BoxResult::No);
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    user.expect(CloseQuestionText, BoxResult::Yes);
    EXPECT_TRUE(window->close());
    user.verify();
}

TEST_F(DeckWindowTest, VersionWindowShowsTheBuildLine) {
    frmDeckVersion v;
    EXPECT_EQ(v.windowTitle(), QStringLiteral("バージョン情報"));
    EXPECT_EQ(v.Label2->text(), QStringLiteral("Version 0.54 β2 (build.0292)"));
    ASSERT_EQ(v.List1->count(), 2);
    EXPECT_EQ(v.List1->item(0)->text(), QStringLiteral("Zenith(Cardlist System) Version.1.10"));
    EXPECT_EQ(v.List1->item(1)->text(), QStringLiteral("Falcon(Deckdata System) Version.1.13"));
    v.show();
    v.grab().save(QStringLiteral("/tmp/deck_frmDeckVersion.png"));
}

// A deck built with clicks from the sample database is saved, listed by the
// dialog, checked and posted by the program's command line.
TEST(DeckSampleTest, BuiltDeckIsListedCheckedAndPosted) {
    QTemporaryDir dir;
    const QString root = dir.path() + QStringLiteral("/");
    copyTree(QStringLiteral(LUMI_SAMPLE_DIR), dir.path());
    ScriptedUser user;
    DeckBuilderSetup setup;
    PrepareDeckBuilder(setup, root);
    EXPECT_EQ(setup.DefaultAuthorName, QStringLiteral("プレイヤー"));
    ASSERT_TRUE(LoadDeckBuilderCards(setup, user));
    frmLMNDeckBulid w(setup.Paths, setup.Cards, setup.DefaultAuthorName, user);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    EXPECT_TRUE(w.wbrCardInfo->toPlainText().contains(QStringLiteral("デッキビルダー")));
    const CardSeries& series = setup.Cards.CardLists().first();
    ASSERT_GE(series.Cards.size(), 10);
    for (int i = 0; i < 20; ++i) {
        w.lstCardList->setCurrentRow(i % 10);
        QTest::mouseClick(w.cmdAdd, Qt::LeftButton);
    }
    EXPECT_EQ(w.lstDeck->count(), 20);
    EXPECT_TRUE(
        w.wbrCardInfo->currentPage().endsWith(series.Cards[9].CardID + QStringLiteral(".html")));
    w.grab().save(QStringLiteral("/tmp/deck_frmLMNDeckBulid_sample.png"));
    w.txtDeckName->setText(QStringLiteral("試作デッキ"));
    w.dialogDriver = [](QDialog& d) { static_cast<frmDeckDialog&>(d).cmdOK_Click(); };
    w.mnuSaveAs->trigger();
    const QString path = setup.Paths.DeckPath + QStringLiteral("試作デッキ.ini");
    ASSERT_EQ(w.model.CurrentDeckPath, path);

    frmDeckDialog listing(setup.Paths.DeckPath, user);
    bool listed = false;
    for (const DeckFileEntry& e : listing.model.entries)
        listed =
            listed || (e.fileName == QStringLiteral("試作デッキ.ini") &&
                       e.name == QStringLiteral("試作デッキ") &&
                       e.maked == QStringLiteral("プレイヤー") && e.rule == QStringLiteral("Jr"));
    EXPECT_TRUE(listed);

    DeckList decks(setup.Cards);
    decks.LoadDeck(path);
    DeckData deck = decks.LoadingDeck;
    QString expected =
        RegulationCheck(LoadRuleStr(setup.Paths.RulesPath, RuleOfficialJr), deck, setup.Cards);
    const int expectedStatus = expected.isEmpty() ? 0 : 1;
    expected = expected.isEmpty() ? QStringLiteral("異常ありません\n")
                                  : expected.replace(CrLf, QStringLiteral("\n"));
    QProcess p;
    const QString program = QStringLiteral(LUMI_BIN_DIR) + QStringLiteral("/lumideck");
    p.start(program, {QStringLiteral("--root"), root, QStringLiteral("--check"),
                      QStringLiteral("試作デッキ.ini")});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(QString::fromUtf8(p.readAllStandardOutput()), expected);
    EXPECT_EQ(p.exitCode(), expectedStatus);

    p.start(program, {QStringLiteral("--post"), path, QStringLiteral("--root"), root});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0);
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_TRUE(
        text.startsWith(QStringLiteral("デッキ名：試作デッキ (Jr)\n作者：プレイヤー\nマスター：")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(series.Cards[0].CardName + QStringLiteral(" x2\n")));
    w.hide();
}

} // namespace
} // namespace lumi::test
