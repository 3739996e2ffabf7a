#include "ScriptTestSupport.h"

#include <gtest/gtest.h>

using namespace lumi;
using namespace lumi::test;

namespace {
struct Case {
    const char* name;
    const char* script; // lines separated by \n
    const char* expected;
};

QString lines(const char* s) {
    return QString::fromUtf8(s).replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

void runTable(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        ScriptRun r;
        QString out = r.run(lines(c.script));
        EXPECT_EQ(out.toStdString(), std::string(c.expected)) << c.name;
    }
}
} // namespace

TEST(Smoke, ShowsText) {
    runTable({{"plain", "「こんにちは」を表示", "こんにちは\n"}});
}
