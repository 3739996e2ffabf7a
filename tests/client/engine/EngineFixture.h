#pragma once
// A small installation in a temporary folder (code page 932 card files), the
// scripted and recording ports, and an engine wired to them.

#include "carddata/CardList.h"
#include "carddata/ClientSettings.h"
#include "carddata/InstallPaths.h"
#include "carddata/StatusList.h"
#include "client/engine/BattleEngine.h"
#include "client/engine/ChangeStatus.h"
#include "client/engine/CmacNarabekae.h"
#include "common/Ports.h"

#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <gtest/gtest.h>

// Readable failure messages for texts.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace lumi::test {

// Answers each expected box in order and fails on any box it does not expect.
class ScriptedUser : public UserPort {
public:
    struct Expected {
        MessageBoxRequest box;
        BoxResult answer;
        bool textContainsOnly = false;
    };

    void expect(const QString& text, BoxButtons buttons, BoxIcon icon, int defaultButton,
                BoxResult answer, const QString& title = QStringLiteral("ルミナリアOnline")) {
        expected.push_back({MessageBoxRequest{text, title, buttons, icon, defaultButton}, answer});
    }
    // A Yes/No question with the question icon.
    void question(const QString& text, BoxResult answer, bool noDefault = false) {
        expect(text, BoxButtons::YesNo, BoxIcon::Question, noDefault ? 1 : 0, answer);
    }
    void warning(const QString& text, const QString& title = QStringLiteral("ルミナリアOnline")) {
        expect(text, BoxButtons::OK, BoxIcon::Warning, 0, BoxResult::OK, title);
    }
    // The shared error report naming `place`, answered No.
    void errorReport(const QString& place, int number) {
        Expected e{MessageBoxRequest{QStringLiteral("・エラー番号：") + QString::number(number),
                                     QStringLiteral("エラー"), BoxButtons::YesNo, BoxIcon::Warning,
                                     1},
                   BoxResult::No, true};
        e.box.text += CrLf;
        expected.push_back(e);
        expectedPlaces.push_back(QStringLiteral("・発生箇所：") + place);
    }

    BoxResult messageBox(const MessageBoxRequest& box) override {
        if (expected.empty()) {
            ADD_FAILURE() << "unexpected box: " << box.text.toStdString();
            return BoxResult::No;
        }
        Expected e = expected.front();
        expected.pop_front();
        if (e.textContainsOnly) {
            EXPECT_TRUE(box.text.contains(e.box.text)) << box.text.toStdString();
            EXPECT_TRUE(box.text.contains(expectedPlaces.front())) << box.text.toStdString();
            expectedPlaces.pop_front();
        } else {
            EXPECT_EQ(box.text.toStdString(), e.box.text.toStdString());
        }
        EXPECT_EQ(box.title.toStdString(), e.box.title.toStdString()) << box.text.toStdString();
        EXPECT_EQ(int(box.buttons), int(e.box.buttons)) << box.text.toStdString();
        EXPECT_EQ(int(box.icon), int(e.box.icon)) << box.text.toStdString();
        EXPECT_EQ(box.defaultButton, e.box.defaultButton) << box.text.toStdString();
        return e.answer;
    }
    void statusText(int panel, const QString& text) override {
        status.append(QString::number(panel) + u':' + text);
    }
    void beep() override { ++beeps; }

    void verifyDone() {
        EXPECT_TRUE(expected.empty())
            << expected.size() << " expected box(es) not shown, first: "
            << (expected.empty() ? "" : expected.front().box.text.toStdString());
    }

    std::deque<Expected> expected;
    std::deque<QString> expectedPlaces;
    QStringList status;
    int beeps = 0;
};

class RecordingLog : public LogPort {
public:
    void ChatPut(const QString& line) override { chat.append(line); }
    void DebugPut(const QString& line) override { debug.append(line); }
    QStringList chat, debug;
};

// Records sends, opponent sends and redraws in their order.
class RecordingHost : public BattleHost {
public:
    void send(const RequestBatch& batch) override {
        events.append(describe(batch));
        batches.append(batch);
    }
    void sendToOpponent(const RequestBatch& batch) override {
        events.append(QStringLiteral("opp ") + describe(batch));
        batches.append(batch);
    }
    void redraw() override { events.append(QStringLiteral("redraw")); }
    void showHandPage() override { events.append(QStringLiteral("hand page")); }
    void raiseEvent(const QString& name, const QString& reference) override {
        events.append(QStringLiteral("event ") + name + u' ' + reference);
    }

    // "chat:<text>" for chat, "set:<area>" for set, else the fields joined by
    // ":"; the requests of one batch joined by " + ".
    static QString describe(const RequestBatch& batch) {
        QStringList parts;
        for (const auto& r : batch) {
            if (r.value(0) == QStringLiteral("set"))
                parts.append(QStringLiteral("set:") + r.value(1));
            else
                parts.append(r.join(u':'));
        }
        return parts.join(QStringLiteral(" + "));
    }
    // Events without the redraws.
    QStringList sends() const {
        QStringList out;
        for (const auto& e : events)
            if (e != QStringLiteral("redraw"))
                out.append(e);
        return out;
    }
    void clear() {
        events.clear();
        batches.clear();
    }

    QStringList events;
    QList<RequestBatch> batches;
};

class ScriptedDialogs : public BattleDialogs {
public:
    void showChangeStatus(frmChangeStatus& dialog) override {
        ASSERT_TRUE(onChangeStatus) << "unexpected status dialog";
        onChangeStatus(dialog);
    }
    void showCmacNarabekae(frmCmacNarabekae& dialog) override {
        ASSERT_TRUE(onNarabekae) << "unexpected special-operation dialog";
        onNarabekae(dialog);
    }
    std::optional<QString> chooseSaveFile(const QString& title, const QString& filter) override {
        lastTitle = title;
        lastFilter = filter;
        return savePath;
    }
    std::optional<QString> chooseOpenFile(const QString& title, const QString& filter) override {
        lastTitle = title;
        lastFilter = filter;
        return openPath;
    }

    std::function<void(frmChangeStatus&)> onChangeStatus;
    std::function<void(frmCmacNarabekae&)> onNarabekae;
    std::optional<QString> savePath, openPath;
    QString lastTitle, lastFilter;
};

// Gives the queued numbers (each taken modulo the bound), then falls back
// to a seeded Mersenne Twister.
class QueuedRandom : public RandomSource {
public:
    std::uint32_t below(std::uint32_t bound) override {
        ++calls;
        if (!queue.empty()) {
            auto v = queue.front();
            queue.pop_front();
            return v % bound;
        }
        return fallback.below(bound);
    }
    std::deque<std::uint32_t> queue;
    MersenneRandom fallback{12345};
    int calls = 0;
};

class FixedClock : public Clock {
public:
    QDateTime now() const override { return time; }
    QDateTime time{QDate(2026, 3, 7), QTime(9, 5)};
};

// Writes text as code page 932 bytes.
void writeCp932(const QString& path, const QString& text);

// The fixture installation: masters MASTER000 and MASTER001, monsters F001
// (kind F) and F002 (kind B), super cards S001 (base F001) and S002 (base
// "*"), magic cards M001 (cost 1), M002 (no cost) and M003 (cost 3), and
// statuses 000, 001, 010 (monsters), 011 (both) and 012 (masters).
class EngineTest : public ::testing::Test {
public:
    EngineTest();
    void TearDown() override;

    // Own side: IsFirst, 5 HP, `stones` stones, the given hand and deck.
    void setOwn(const QStringList& hand, const QStringList& deck, int stones = 0);
    MonsterData& area(int t) { return data.Own.Monster(t); }
    // Puts a monster into own area t.
    void putMonster(int t, const QString& id, bool open, int level, int hp,
                    const QString& status = {});

    QTemporaryDir dir; // this test's own files (backups, saved states)
    InstallPaths paths;
    const CardDatabase& cards;
    const StatusDatabase& statuses;
    ClientSettings settings;
    ScriptedUser user;
    RecordingLog log;
    RecordingHost host;
    ScriptedDialogs dialogs;
    QueuedRandom random;
    FixedClock clock;
    BattleData data;
    PlayState state;
    std::unique_ptr<BattleEngine> engine;
};

} // namespace lumi::test
