// Scripts and the console text they produce, one table per area of the
// language. Each box's text is followed by a line feed, as on the console.
#include "ScriptTestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
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
        EXPECT_TRUE(out == QString::fromUtf8(c.expected)) << c.name << "\n--- script\n"
                                                          << c.script << "\n--- got\n"
                                                          << out.toStdString() << "--- expected\n"
                                                          << c.expected;
    }
}

} // namespace

TEST(Sentences, AnalysisAndParticles) {
    runTable({
        {"quoted full stop does not split", "「a。b」と表示\n「a。b」を表示", "a。b\na。b\n"},
        {"no particle: text after the space", "表示　おはよう", "おはよう\n"},
        // The に of こんにちは is the last に outside brackets, so it marks a
        // target and the command word becomes the text after it.
        {"a bare word holding に splits there", "表示　こんにちは",
         "知らない命令です。\n命令が正しいか確認してください。\nちは\n［1行目　エラー番号1］\n"},
        {"assignment needs a space after は", "変数は　３\n変数を表示", "３\n"},
        {"は without a space is a command sentence", "変数は３",
         "知らない命令です。\n命令が正しいか確認してください。\n変数は３\n［1行目　エラー番号1］"
         "\n"},
        {"＝ in a sentence with を is no assignment", "「ａ＝ｂ」を表示", "ａ＝ｂ\n"},
        {"＝ assigns", "Ａ＝５\nＡを表示", "５\n"},
        {"に becomes the target", "箱は　２\n箱に　1を　足せ\n箱を表示", "3\n"},
        {"sentences split at 。 run in order", "「1」を表示。「2」を表示。", "1\n2\n"},
        {"comment mark cuts the line", "「x」を表示　’ここは注釈", "x\n"},
        {"comment mark inside 「」 stays", "「x’y」を表示", "x’y\n"},
        {"ASCII apostrophe is a comment mark too", "「x」を表示 'note", "x\n"},
        {"contained word finds the command", "「a」を表示しろ。「b」を表示せよ", "a\nb\n"},
        {"hiragana reading", "「a」を　ひょうじ", "a\n"},
        {"full-width form of the command word", "表示　ok", "ok\n"},
        {"unknown word on line 2", "「a」を表示\n「b」を見せろ\n「c」を表示",
         "a\n知らない命令です。\n命令が正しいか確認してください。\n見せろ\n［2行目　エラー番号1］\n"
         "c\n"},
        {"｝｛ joins like ＆", "Ａは　「x」｝｛「y」\nＡを表示", "xy\n"},
        {"directional word with a space", "右へ　９０\n「ok」を表示", "ok\n"},
        {"directional word without a space fails", "右へ９０",
         "知らない命令です。\n命令が正しいか確認してください。\n９０\n［1行目　エラー番号1］\n"},
        {"empty text after the last 。", "「z」を表示。", "z\n"},
    });
}

TEST(Values, EvaluationAndArithmetic) {
    runTable({
        {"a word naming nothing is itself", "おはようを表示", "おはよう\n"},
        {"quoted text is not evaluated", "Ａは　１\n「Ａ」を表示", "Ａ\n"},
        {"precedence", "１＋２＊３を表示", "7\n"},
        {"parentheses", "（１＋２）＊３を表示", "9\n"},
        {"power is left-associative", "２＾３＾２を表示", "64\n"},
        {"leading sign", "－５＋２を表示", "-3\n"},
        {"integer division and remainder", "７￥２を表示。７％３を表示", "3\n1\n"},
        {"division by zero keeps the left operand", "５／０を表示", "5\n"},
        {"embedded expression", "Ａは　12\n「合計は［Ａ］円」を表示", "合計は12円\n"},
        {"embedded unknown name is empty", "「［Ｘ］」を表示", "\n"},
        {"＆ binds loosest", "「a」＆１＋２を表示", "a3\n"},
        {"× alone is not arithmetic", "２×３を表示。２×３＋０を表示", "２×３\n6\n"},
        {"decimal result", "0.1＋0.2を表示", "0.3\n"},
        {"unknown operand counts as 0", "Ａ＋１を表示", "1\n"},
        {"date without quotes is arithmetic", "2003-05-10を表示。「2003-05-10」を表示",
         "1988\n2003-05-10\n"},
        {"function call inside arithmetic",
         "左（「abcd」、２）＆「!」を表示。文字数（「abc」）＋１を表示", "ab!\n4\n"},
        {"negative after an operator", "２＊－３を表示", "-6\n"},
        {"large result without exponent", "10^20を表示", "100000000000000000000\n"},
        {"an unclosed call evaluates without recursing", "Ａは　左（1＋2\nＡを表示", "0\n"},
        {"full-width number stays as written", "Ａは　１２\nＡを表示。Ａ＋１を表示", "１２\n13\n"},
    });
}

TEST(Functions, StringFamilyAndConstants) {
    runTable({
        {"＄ suffix", "左＄（「abc」、２）を表示", "ab\n"},
        {"constants of table 205", "はいを表示。オフを表示。キャンセルを表示", "6\n0\n2\n"},
        {"探せ from a start", "探せ（「abcabc」、「c」、４）を表示", "6\n"},
        {"radians with π as 3.14159", "ラジアン（１８０）を表示", "3.14159\n"},
        {"bitwise and", "論理積（６、３）を表示", "2\n"},
        {"右 and 真ん中", "右（「abcdef」、２）を表示。真ん中（「abcdef」、２、３）を表示",
         "ef\nbcd\n"},
        {"negative length is error 5", "左（「abc」、－１）を表示",
         "指定した数字がマイナスになっています。\n数字が正しいか確認して下さい。\n\n－１\n［1行目　"
         "エラー番号5］\n\n"},
        {"置き換え and いくつ",
         "置き換え（「a-b-c」、「-」、「+」）を表示。いくつ（「a-b-c」、「-」）を表示",
         "a+b+c\n2\n"},
        {"取り出せ", "取り出せ（２、「<a><b>」、「<」、「>」）を表示", "b\n"},
        {"改行 joins lines", "Ｔは　「a」＆改行＆「b」\nＴを表示。行数（Ｔ）を表示", "a\nb\n2\n"},
        {"width and kana",
         "全角（「ab1」）を表示。半角（「ＡＢ１」）を表示。カタカナ（「あい」）を表示",
         "ａｂ１\nAB1\nアイ\n"},
        {"unknown function with arguments is error 6", "未定義（１）を表示",
         "「未定義」という関数または配列は、見つかりません。\n［1行目　エラー番号6］\n未定義（１）"
         "\n"},
        {"応答 is the last result", "1+2を計算\nそれを表示。応答を表示", "3\n3\n"},
        {"version", "ＫＴＤのバージョンを表示", "0.52.292\n"},
        {"dictionary read", "Ｄは　「a=1」＆改行＆「b=2」\n辞書（Ｄ、「b」）を表示", "2\n"},
        {"判別", "判別（１＝１、「yes」、「no」）を表示", "yes\n"},
    });
}

TEST(Variables, ArraysDictionariesAndCommands) {
    runTable({
        {"element read", "Ａは　「a、b、c」\nＡ（２）を表示", "b\n"},
        {"element past the end", "Ａは　「a、b、c」\n「[」＆Ａ（５）＆「]」を表示", "[]\n"},
        {"index 0 is the whole text", "Ａは　「a、b，c」\nＡ（０）を表示", "a,b,c\n"},
        {"write extends an empty array", "Ａ（３）は　ｘ\nＡを表示", ",,ｘ\n"},
        {"two indices", "Ｂは　「1,2」＆改行＆「3,4」\nＢ（２，１）を表示", "3\n"},
        {"escaped comma", "Ａ（１）は　「x,y」\nＡを表示。Ａ（１）を表示", "x{**}y\nx,y\n"},
        {"negative index is error 37", "Ａは　「a」\nＡ（－１）を表示",
         "配列の番号には、0より下を指定することはできません。\n［2行目　エラー番号37］\n\n"},
        {"missing closing parenthesis is error 23", "Ａ（１は　ｘ",
         "\"）\"がありません。\n［1行目　エラー番号23］\n"},
        {"case and width insensitive names", "abcは　1\nＡＢＣを表示", "1\n"},
        {"足せ reads the amount as written",
         "Ｃは　１０\n3を　Ｃに　足せ\nＣを表示\nＣに　足せ\nＣを表示\n３を　Ｃに　足せ\nＣを表示",
         "13\n14\n14\n"},
        {"引け", "Ｃは　５\n2を　Ｃに　引け\nＣを表示", "3\n"},
        {"足せ without a target", "1を　足せ",
         "命令に必要な情報（助詞・引数）が不足しています。\n［1行目　エラー番号35］\n"},
        {"辞書保存 appends a line", "Ｄは　「a=1」\n2を　Ｄのbに　辞書保存\nＤを表示",
         "a=1\nb=2\n"},
        {"辞書保存 replaces a line", "辞書は　Ｄ\n5を　aに　辞書保存\n6を　aに　辞書保存\nＤを表示",
         "a=6\n"},
        {"交換", "Ａは　1\nＢは　2\nＡと　Ｂを　交換\nＡ＆Ｂを表示", "21\n"},
        {"並び替え numbers", "Ａは　「10,2,33,4」\nＡを　小さい順に　並び替え\nＡを表示",
         "2,4,10,33\n"},
        {"並び替え rows by column",
         "Ａは　「b,2」＆改行＆「a,1」\nＡの２列目を　小さい順に　並び替え\nＡを表示",
         "a,1\nb,2\n"},
        {"パターン検索", "「a12b345」から　「[0-9]+」を　パターン検索\nそれを表示", "12,345\n"},
        {"パターンサブマッチ", "「xAB」から　「(a)(b)」を　パターンサブマッチ\nそれを表示",
         "A,B\n"},
        {"計算 of a variable", "Ｘは　「2*5」\nＸを　計算\nそれを表示", "10\n"},
    });
}

TEST(Conditions, SingleLineAndBlocks) {
    runTable({
        {"single line true", "Ａは　１\nもし　Ａ＝１　なら　「yes」を表示", "yes\n"},
        {"single line false", "Ａは　２\nもし　Ａ＝１　なら　「yes」を表示", ""},
        {"no space before なら compares with empty", "Ａは　１\nもし　Ａ＝１なら　「yes」を表示",
         ""},
        {"でないなら alternative",
         "Ａは　２\nもし　Ａ＝１　なら　「y」を表示　でないなら　「n」を表示", "n\n"},
        {"でないなら alone", "Ａは　２\nもし　Ａ＝１　でないなら　「n」を表示", "n\n"},
        {"both sub-conditions", "Ａは　１\nＢは　３\nもし　［Ａ＝１］［Ｂ＝２］　なら　「y」を表示",
         ""},
        {"any sub-condition",
         "Ａは　１\nＢは　３\nもし　［Ａ＝１］［Ｂ＝２］　のどれかなら　「y」を表示", "y\n"},
        {"type test", "Ａは　１２\nもし　Ａは　\"数字\"　なら　「num」を表示", "num\n"},
        {"pattern test", "Ａは　「a12」\nもし　Ａは　\"[0-9]+\"　なら　「pat」を表示", "pat\n"},
        {"range",
         "Ａは　２\nもし　Ａ＝１　から　３　なら　「in」を表示\nＡは　４\nもし　Ａ＝１　から　３　"
         "なら　「in」を表示",
         "in\n"},
        {"または", "Ａは　「b」\nもし　Ａ＝「a」　または　「b」　なら　「ok」を表示", "ok\n"},
        {"comparison words",
         "Ａは　５\nもし　Ａは　３　より上なら　「gt」を表示\nもし　Ａは　５　以下なら　「le」を表"
         "示",
         "gt\nle\n"},
        {"numbers compare as numbers",
         "もし　10＞9　なら　「n」を表示\nもし　「1.0」＝1　なら　「eq」を表示", "n\neq\n"},
        {"no comparison is error 3", "もし　Ａ　なら　「x」を表示",
         "「もし」で指定した判断式が正しくありません。\n式が正しいかスペースがあるか確認してくださ"
         "い。\n［1行目　エラー番号3］\n"},
        {"missing なら is error 2", "もし　Ａ＝１",
         "文法が間違っています。「なら」が不足しています。\n［1行目　エラー番号2］\n"},
        {"block true",
         "Ａは　１\nもし　Ａ＝１　なら\n「in」を表示\n他なら\n「else」を表示\nもし終わり\n「after」"
         "を表示",
         "in\nafter\n"},
        {"block false",
         "Ａは　２\nもし　Ａ＝１　なら\n「in」を表示\n他なら\n「else」を表示\nもし終わり\n「after」"
         "を表示",
         "else\nafter\n"},
        {"他でもし",
         "Ａは　２\nもし　Ａ＝１　なら\n「one」を表示\n他でもし　Ａ＝２　なら\n「two」を表示\n他な"
         "ら\n「other」を表示\nもし終わり\n「after」を表示",
         "two\nafter\n"},
        {"nested blocks",
         "Ａは　１\nＢは　２\nもし　Ａ＝１　なら\nもし　Ｂ＝１　なら\n「b1」を表示\n他なら\n「b2」"
         "を表示\nもし終わり\n「a1」を表示\nもし終わり\n「end」を表示",
         "b2\na1\nend\n"},
        {"inverted block header",
         "Ａは　２\nもし　Ａ＝１　でないなら\n「not one」を表示\nもし終わり", "not one\n"},
        {"もしから　ぬける",
         "もし　１＝１　なら\n「a」を表示\nもしから　ぬける\n「b」を表示\nもし終わり\n「c」を表示",
         "a\nc\n"},
        {"block without もし終わり", "もし　１＝１　なら\n「a」を表示",
         "a\n「もし終わり」がありません。\n［3行目　エラー番号0］\n"},
    });
}

TEST(Loops, AllForms) {
    runTable({
        {"quoted body runs to the bound", "Ｉに　１から　３まで　「Ｉを表示」を　繰り返す",
         "1\n2\n3\n"},
        {"block form stops before the bound",
         "Ｉに　１から　３まで　繰り返す\nＩを表示\n繰り返し終わり\n「end」を表示", "1\n2\nend\n"},
        {"counted block", "３回　繰り返す\n「x」を表示\n繰り返し終わり", "x\nx\nx\n"},
        {"counted quoted", "「「y」を表示」を　２回　繰り返す", "y\ny\n"},
        {"count without a space", "２回繰り返す\n「z」を表示\n終わり", "z\nz\n"},
        {"empty block body", "３回　繰り返す\n繰り返し終わり\n「after」を表示", "after\n"},
        {"count 0 makes no pass",
         "０回　繰り返す\n「never」を表示\n繰り返し終わり\n「after」を表示", "after\n"},
        {"leave the loop",
         "永遠に　繰り返す\nＮに　足せ\nもし　Ｎ＝３　なら　繰り返しから　ぬける\n繰り返し終わり\n"
         "Ｎを表示",
         "3\n"},
        {"ぬける in the main flow ends the loop",
         "Ｉに　１から　１０まで　繰り返す\nもし　Ｉ＝３　なら　ぬける\nＩを表示\n繰り返し終わり\n"
         "「end」を表示",
         "1\n2\nend\n"},
        {"nested loops",
         "２回　繰り返す\n２回　繰り返す\n「i」を表示\n繰り返し終わり\n「o」を表示\n繰り返し終わり",
         "i\ni\no\ni\ni\no\n"},
        {"missing 「」 is error 22", "「x を　２回　繰り返す",
         "\"「」\"がありません。\n［1行目　エラー番号22］\n"},
        {"descending bound ends",
         "Ｉに　５から　３まで　繰り返す\nＩを表示\n繰り返し終わり\n「end」を表示", "5\nend\n"},
    });
}

TEST(Procedures, CallsParametersAndLabels) {
    runTable({
        {"body skipped by the main loop", "手順は　挨拶\n「hello」を表示\n終わり", ""},
        {"call by name", "挨拶\n「end」を表示\n手順は　挨拶\n「hello」を表示\n終わり",
         "hello\nend\n"},
        {"parameters by particles",
         "「太郎」に　「おはよう」を　挨拶\n手順は　挨拶（［名前］に、［言葉］を）\n名前＆「さん」"
         "＆言葉を表示\n終わり",
         "太郎さんおはよう\n"},
        {"return value", "二倍（４）を表示\n手順は　二倍\n二倍は　二倍＊２\n終わり", "8\n"},
        {"ぬける ends the procedure",
         "処理\n「after」を表示\n手順は　処理\n「a」を表示\nぬける\n「b」を表示\n終わり",
         "a\nafter\n"},
        {"jump to a label", "始めへ飛べ\n「skipped」を表示\n始め：\n「here」を表示", "here\n"},
        {"jump with a space", "始めへ　飛べ\n「skipped」を表示\n始め：\n「here」を表示", "here\n"},
        {"jump goes to the first of two labels",
         "Ｌに　飛ぶ\nＬ：\n「first」を表示\n終了\nＬ：\n「second」を表示", "first\n"},
        {"missing label is error 29", "無いへ飛べ",
         "無い：というラベルが見つかりません。\n［1行目　エラー番号29］\n"},
        {"label line is never run", "表示：\n「x」を表示", "x\n"},
        {"終了 ends the run", "「a」を表示\n終了\n「b」を表示", "a\n"},
        {"命令 with the KTD target", "「「m」を表示」を　KTDに　命令", "m\n"},
        {"endless recursion stops with an error",
         "無限\n「after」を表示\n手順は　無限\n無限\n終わり",
         "手順の呼び出しが深すぎます。\n手順が自分自身を終わりなく呼び出していないか確認してくださ"
         "い。\n無限\n［4行目　エラー番号0］\n"},
    });
}

TEST(Errors, ModesAndTheGate) {
    runTable({
        {"続ける shows OK only and goes on", "エラーは　続ける\n見せろ\n「next」を表示",
         "知らない命令です。\n命令が正しいか確認してください。\n見せろ\n［2行目　エラー番号1］\nnex"
         "t\n"},
        {"handler procedure",
         "エラーは　処理\n見せろ\n「next」を表示\n手順は　処理\nエラーメッセージを表示\nエラー番号"
         "を表示\n終わり",
         "知らない命令です。\n命令が正しいか確認してください。\n見せろ\n1\nnext\n"},
        {"an error inside the handler shows OK only and does not recurse",
         "エラーは　処理\n見せろ\n「next」を表示\n手順は　処理\n見せない\n終わり",
         "知らない命令です。\n命令が正しいか確認してください。\n見せない\n［5行目　エラー番号1］\nn"
         "ext\n"},
        {"無視 drops errors", "エラーは　無視\n見せろ\n「next」を表示", "next\n"},
        {"宣言 of an engine word is refused",
         "見せるとして　表示を　宣言\n「a」を　見せる\n表示として　表示を　宣言",
         "a\nKTDオリジナルの命令名で宣言することはできません。\n［3行目　エラー番号605］\n"},
        {"パターンマッチ has no implementation", "「a」を　パターンマッチ",
         "知らない命令です。\n命令が正しいか確認してください。\nパターンマッチ\n［1行目　エラー番号"
         "1］\n"},
    });
}

TEST(Errors, CancelStopsTheRun) {
    ScriptRun r;
    r.user.answers.push_back(BoxResult::Cancel);
    r.run(lines("「a」を表示\n\n見せろ\n「b」を表示"), true);
    // The first box (a) takes the queued Cancel; it is a plain box.
    ScriptRun s;
    s.user.answers = {BoxResult::OK, BoxResult::Cancel};
    QString out = s.run(lines("「a」を表示\n\n見せろ\n「b」を表示"));
    EXPECT_EQ(out.toStdString(), "a\n知らない命令です。\n命令が正しいか確認してください。\n見せろ\n"
                                 "［3行目　エラー番号1］\n");
    EXPECT_EQ(s.ktd.GetStatus(), 3);
    ASSERT_EQ(s.user.boxes.size(), 2);
    EXPECT_EQ(s.user.boxes[1].buttons, BoxButtons::OKCancel);
    EXPECT_EQ(s.user.boxes[1].title, QStringLiteral("Kotodama"));
}

TEST(Errors, GateRefusesWithoutTrust) {
    ScriptRun r;
    r.system.security = QStringLiteral("False");
    QString out = r.run(lines("「notepad.exe」を起動"), false);
    EXPECT_EQ(out.toStdString(), "セキュリティが有効です。現在の設定では、以下の命令を実行できませ"
                                 "ん。\n「notepad.exe」を起動\n［1行目　エラー番号99］\n");
    ScriptRun trusted;
    trusted.system.security = QStringLiteral("False");
    out = trusted.run(lines("「/nonexistent/x」を起動"), true);
    EXPECT_TRUE(out.startsWith(QStringLiteral("/nonexistent/xが見つかりません。")))
        << out.toStdString();
}

TEST(Errors, ButtonsFollowTheMode) {
    struct Row {
        const char* script;
        BoxButtons buttons;
    };
    const Row rows[] = {
        {"見せろ", BoxButtons::OKCancel},
        {"エラーは　続ける\n見せろ", BoxButtons::OK},
        {"エラーは　処理\n見せろ\n手順は　処理\n見せない\n終わり", BoxButtons::OK},
    };
    for (const Row& row : rows) {
        ScriptRun r;
        r.run(lines(row.script));
        ASSERT_EQ(r.user.boxes.size(), 1) << row.script;
        EXPECT_EQ(r.user.boxes[0].buttons, row.buttons) << row.script;
        EXPECT_EQ(r.user.boxes[0].icon, BoxIcon::Error) << row.script;
    }
}
