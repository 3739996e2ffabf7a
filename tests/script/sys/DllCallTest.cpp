#include "script/sys/DllCall.h"

#include "common/Cp932.h"

#include <gtest/gtest.h>

using namespace lumi;
using namespace lumi::dll;

namespace {
Argument Num(qint32 n) {
    Argument a;
    a.number = n;
    return a;
}
Argument Text(const QByteArray& t) {
    Argument a;
    a.kind = Argument::Kind::Text;
    a.text = t;
    return a;
}
Argument Block(const QList<qint32>& numbers) {
    Argument a;
    a.kind = Argument::Kind::Block;
    for (qint32 n : numbers)
        a.fields.append(Field{false, n, {}});
    return a;
}
} // namespace

TEST(DllCall, CallsCLibraryFunctionsWithNumbersAndTexts) {
    struct Case {
        const char* library;
        const char* function;
        QList<Argument> args;
        qint32 result;
    };
    const Case cases[] = {
        {"libc.so.6", "strlen", {Text("abc")}, 3},
        // Texts travel as code page 932 bytes: two per kanji.
        {"c", "strlen", {Text(cp932::encode(QStringLiteral("漢字")))}, 4},
        {"msvcrt.dll", "abs", {Num(-5)}, 5},
        // A negative number is widened with its sign.
        {"c", "labs", {Num(-7)}, 7},
        {"c", "atoi", {Text("-123xyz")}, -123},
        {"c", "strcmp", {Text("a"), Text("a")}, 0},
    };
    for (const Case& c : cases) {
        QList<Argument> args = c.args;
        qint32 result = -999;
        EXPECT_EQ(
            Call(QString::fromLatin1(c.library), QString::fromLatin1(c.function), args, result),
            Status::Ok)
            << c.function;
        EXPECT_EQ(result, c.result) << c.function;
    }
}

TEST(DllCall, TextAndBlockArgumentsComeBackWithWhatTheCalleeLeft) {
    // sprintf writes into its first text argument.
    QList<Argument> args{Text(""), Text("%d-%s"), Num(42), Text("x")};
    qint32 result = 0;
    ASSERT_EQ(Call(QStringLiteral("c"), QStringLiteral("sprintf"), args, result), Status::Ok);
    EXPECT_EQ(result, 4);
    EXPECT_EQ(args[0].text, QByteArray("42-x"));
    EXPECT_EQ(args[1].text, QByteArray("%d-%s"));

    // memcpy copies pointer-sized fields from one block into the other.
    QList<Argument> blocks{Block({0, 0, 5}), Block({7, -9}), Num(int(2 * sizeof(void*)))};
    ASSERT_EQ(Call(QStringLiteral("c"), QStringLiteral("memcpy"), blocks, result), Status::Ok);
    ASSERT_EQ(blocks[0].fields.size(), 3);
    EXPECT_EQ(blocks[0].fields[0].number, 7);
    EXPECT_EQ(blocks[0].fields[1].number, -9);
    EXPECT_EQ(blocks[0].fields[2].number, 5);

    // A text field the callee leaves alone is read back as text; one it
    // overwrites (here the first, with a zero) comes back as that number.
    Argument mixed;
    mixed.kind = Argument::Kind::Block;
    mixed.fields = {Field{true, 0, "gone"}, Field{true, 0, "kept"}};
    QList<Argument> overwrite{mixed, Block({0}), Num(int(sizeof(void*)))};
    ASSERT_EQ(Call(QStringLiteral("c"), QStringLiteral("memcpy"), overwrite, result), Status::Ok);
    EXPECT_FALSE(overwrite[0].fields[0].isText);
    EXPECT_EQ(overwrite[0].fields[0].number, 0);
    EXPECT_TRUE(overwrite[0].fields[1].isText);
    EXPECT_EQ(overwrite[0].fields[1].text, QByteArray("kept"));
}

TEST(DllCall, ReportsMissingLibrariesFunctionsAndFaultingCalls) {
    QList<Argument> args;
    qint32 result = 1;
    EXPECT_EQ(Call(QStringLiteral("no_such_library_xyz"), QStringLiteral("f"), args, result),
              Status::LibraryNotFound);
    EXPECT_EQ(Call(QString(), QStringLiteral("f"), args, result), Status::LibraryNotFound);
    EXPECT_EQ(Call(QStringLiteral("c"), QStringLiteral("no_such_function_xyz"), args, result),
              Status::FunctionNotFound);
    EXPECT_EQ(result, 0);
    // A number where the callee reads a pointer: the fault ends the call.
    QList<Argument> wrong{Num(6)};
    EXPECT_EQ(Call(QStringLiteral("c"), QStringLiteral("strlen"), wrong, result),
              Status::CallFailed);
    EXPECT_EQ(result, 0);
    QList<Argument> ok{Text("four")};
    EXPECT_EQ(Call(QStringLiteral("c"), QStringLiteral("strlen"), ok, result), Status::Ok);
    EXPECT_EQ(result, 4);
    QList<Argument> many(MaxArguments + 1, Num(0));
    EXPECT_EQ(Call(QStringLiteral("c"), QStringLiteral("abs"), many, result), Status::CallFailed);
}

TEST(DllCall, LibraryNamesFromScriptsMapOntoSharedObjects) {
    EXPECT_EQ(LibraryCandidates(QStringLiteral("kernel32.dll")),
              (QStringList{"kernel32.dll", "kernel32", "libkernel32.so", "kernel32.so"}));
    EXPECT_TRUE(LibraryCandidates(QStringLiteral("msvcrt")).contains(QStringLiteral("libc.so.6")));
    EXPECT_EQ(LibraryCandidates(QStringLiteral("/opt/lib/libx.so")),
              QStringList{"/opt/lib/libx.so"});
}
