#pragma once
// Shared pieces of the deck builder and rule editor suites: a user who
// answers a script of expected boxes, and a small installation written as
// real code page 932 files in a temporary folder.

#include "carddata/CardList.h"
#include "carddata/InstallPaths.h"
#include "common/Cp932.h"
#include "common/Ports.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace lumi::test {

// Answers boxes from a script and fails on any box it did not expect.
class ScriptedUser : public UserPort {
public:
    struct Expected {
        QString text; // the exact text; empty accepts any text
        BoxResult answer;
    };
    QList<Expected> script;
    QList<MessageBoxRequest> seen;
    QString clipboard;

    void expect(const QString& text, BoxResult answer) { script.append({text, answer}); }

    BoxResult messageBox(const MessageBoxRequest& box) override {
        seen.append(box);
        if (script.isEmpty()) {
            ADD_FAILURE() << "unexpected box: " << box.text.toStdString();
            const QList<BoxResult> b = buttonsOf(box.buttons);
            return b.value(box.defaultButton, BoxResult::OK);
        }
        const Expected e = script.takeFirst();
        if (!e.text.isEmpty()) {
            EXPECT_EQ(box.text.toStdString(), e.text.toStdString());
        }
        return e.answer;
    }
    void setClipboardText(const QString& text) override { clipboard = text; }

    // Every expected box was shown.
    void verify() const {
        EXPECT_TRUE(script.isEmpty()) << script.size() << " expected box(es) not shown";
    }
};

inline void writeCp932(const QString& path, const QString& text) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    f.write(cp932::encode(text));
}

inline QString readCp932(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return cp932::decode(f.readAll());
}

// A tiny installation: masters M1 (N), M2 (A), M3 (W); series "alpha" with
// front cards C01..C03, back card C04, magic card C05, super card C06 and a
// rarity-5 front card C07; series "beta" with C10..C39 (front, plenty for
// filling 30 slots).
class Installation {
public:
    Installation() {
        root = dir.path() + QStringLiteral("/");
        paths = InstallPaths::fromAppPath(root);
        EnsureInstallFolders(paths);
        writeCp932(paths.CardsPath + QStringLiteral("master.dat"),
                   QStringLiteral("M1,ノーマル師匠,N\r\nM2,上級師匠,A\r\nM3,ワンダー師匠,W\r\n"));
        writeCp932(
            paths.CardsPath + QStringLiteral("alpha.lml"),
            QStringLiteral(
                "C01,火の剣士,F,\r\nC02,水の剣士,F,\r\nC03,風の剣士,F,\r\nC04,森の弓手,B,\r\n"
                "C05,癒しの魔法,M,\r\nC06,巨大化,S,*\r\nC07,伝説の竜,F,\r\n"));
        writeCp932(paths.CardsPath + QStringLiteral("C07.ini"),
                   QStringLiteral("[head]\r\nrare=5\r\n"));
        QString beta;
        for (int i = 10; i < 40; ++i)
            beta += QStringLiteral("C%1,兵士%1,F,\r\n").arg(i);
        writeCp932(paths.CardsPath + QStringLiteral("beta.lml"), beta);
        writeCp932(paths.CardsPath + QStringLiteral("C01.html"),
                   QStringLiteral("<html><body><p>火の剣士のページ</p></body></html>"));
    }

    // Loads the card database of this installation.
    void load(CardDatabase& cards) {
        ScriptedUser user;
        const ReportTarget report{user, QStringLiteral("test"), true};
        ASSERT_EQ(cards.LoadCardlist(paths.CardsPath, report), LoadVerdict::Loaded);
        ASSERT_EQ(cards.LoadMasterlist(paths.CardsPath, report), LoadVerdict::Loaded);
    }

    // A deck file in the deck folder from its header values and cards.
    void writeDeck(const QString& file, const QString& name, const QString& maked,
                   const QString& rule, const QString& master, const QStringList& cards) {
        QString text = QStringLiteral("[header]\r\nname=%1\r\nmaked=%2\r\nmaster=%3\r\n")
                           .arg(name, maked, master);
        if (!rule.isNull())
            text += QStringLiteral("rule=%1\r\n").arg(rule);
        text += QStringLiteral("\r\n[body]\r\n");
        for (int i = 0; i < cards.size(); ++i)
            text += QStringLiteral("%1=%2\r\n").arg(i + 1, 3, 10, QLatin1Char('0')).arg(cards[i]);
        writeCp932(paths.DeckPath + file, text);
    }

    QTemporaryDir dir;
    QString root;
    InstallPaths paths;
};

// Copies a folder tree (the sample installation) into `to`.
inline void copyTree(const QString& from, const QString& to) {
    QDir().mkpath(to);
    const QDir src(from);
    for (const QFileInfo& fi : src.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (fi.isDir()) {
            copyTree(fi.filePath(), to + QStringLiteral("/") + fi.fileName());
        } else if (fi.fileName() != QStringLiteral("CMakeLists.txt")) {
            ASSERT_TRUE(QFile::copy(fi.filePath(), to + QStringLiteral("/") + fi.fileName()))
                << fi.filePath().toStdString();
        }
    }
}

// `n` different beta cards, C10 onwards.
inline QStringList betaCards(int n) {
    QStringList out;
    for (int i = 0; i < n; ++i)
        out.append(QStringLiteral("C%1").arg(10 + i));
    return out;
}

} // namespace lumi::test
