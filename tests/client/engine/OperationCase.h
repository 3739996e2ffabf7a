#pragma once
// One row of an operation table: the state before, the questions the
// operation must ask (set up through the scripted user), the action, and
// what must come out: host events in order, own log lines, status text.

#include "EngineFixture.h"

#include <functional>
#include <ostream>

namespace lumi::test {

struct OperationCase {
    const char* name;
    std::function<void(EngineTest&)> setup;
    std::function<void(BattleEngine&)> action;
    QStringList events = {}; // host events, redraws included
    QStringList chat = {};   // own log lines
    QString status = {};     // status bar text, empty for none
    std::function<void(EngineTest&)> check = nullptr;
};

inline std::ostream& operator<<(std::ostream& os, const OperationCase& c) {
    return os << c.name;
}

class OperationTable : public EngineTest, public ::testing::WithParamInterface<OperationCase> {
public:
    void run() {
        const auto& c = GetParam();
        if (c.setup)
            c.setup(*this);
        const BattleData before = data;
        c.action(*engine);
        EXPECT_EQ(host.events, c.events);
        EXPECT_EQ(log.chat, c.chat);
        if (c.status.isEmpty()) {
            EXPECT_TRUE(user.status.isEmpty()) << user.status.join(" | ").toStdString();
            EXPECT_EQ(user.beeps, 0);
        } else {
            EXPECT_EQ(user.status, QStringList{QStringLiteral("1:") + c.status});
            EXPECT_EQ(user.beeps, 1);
            EXPECT_EQ(data, before) << "a refusal leaves the record unchanged";
        }
        if (c.check)
            c.check(*this);
    }
};

inline QString chat(const QString& text) {
    return QStringLiteral("chat:") + text;
}

} // namespace lumi::test
