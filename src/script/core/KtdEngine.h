#pragma once
// The run state and the interpreter behind KTD. One engine per KTD object;
// everything runs on the thread that called Run.

#include "script/core/KTD.h"
#include "script/core/KtdText.h"

#include <QHash>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>
#include <atomic>
#include <memory>
#include <unordered_map>

namespace lumi {

struct StringHash {
    size_t operator()(const QString& s) const noexcept { return qHash(s); }
};

// One data table of the engine: rows word=value in table order.
struct KtdTable {
    QStringList words;
    QStringList values;
    QList<int> numbers;                    // each value as a number, -1 when none
    QHash<QString, int> exact;             // word -> first row
    int lookup(const QString& word) const; // exact; -1 when missing
    int number(const QString& word) const; // the row's value as a number, or -1
};

const KtdTable& ktdTable(int number);

struct KtdCalcToken {
    enum Kind : unsigned char { Number, Operand, Operator };
    Kind kind = Number;
    char op = 0;
    double number = 0;
    QString operand;
};

// The cached shape of one term for EvaluateValue: which step decides its
// value depends on its text only.
struct KtdEvalPlan {
    enum Kind : unsigned char { Literal, Join, Embedded, Quoted, Arithmetic, Name } kind = Literal;
    QString a;   // literal, left of ＆, embedded text, quoted content, arithmetic text, name
    QString b;   // right of ＆, arguments
    QString key; // variable key of a name
    bool hasArgs = false;
    QVector<KtdCalcToken> postfix; // of an arithmetic term
};

// The cached analysis of one sentence text.
struct KtdAnalysis {
    int kind = 0;     // -2 condition, 1 assignment, 0 command
    int setting = -1; // the setting word's number for an assignment
    QString commandWord, objectArg, targetArg, marked;
};

class KtdEngine {
public:
    KtdEngine(KTD& owner, UserPort& user, KtdSystemPort* system);

    KTD& owner;
    UserPort& user;
    KtdSystemPort* system;

    // ---- run state
    QString ProgramText;
    QStringList ProgramLines;
    qint32 LineCounter[2] = {0, 0};
    std::atomic<bool> StopRequested{false};
    std::atomic<int> RunStatus{0};
    bool Trusted = false;
    QString SecuritySetting = QStringLiteral("True");
    QString ScriptFileName;
    QString CommandLineText;
    QString WindowTitle = QStringLiteral("Kotodama");
    QObject* HostWindow = nullptr;
    bool DebugAttached = false;
    bool AdvancedErrors = false;
    bool EventProcessing = false;
    QList<qint16> StopLines;

    // ---- argument slots
    QString Sentence;
    QString CommandWord, ObjectArg, TargetArg, MeansArg, MarkedSentence, LastResult;
    QString FunctionArgs, FunctionResult;
    int currentSetting = -1;

    // ---- control flow
    bool CounterMoved = false;
    bool ConditionResult = false;
    bool ExitProcedure = false;
    bool ExitLoop = false;
    bool ExitBlock = false;
    bool CancelNextClose = false;
    QVector<int> BlockDepth;
    struct Procedure {
        QString name; // as written on the header line
        int bodyStart = 0;
        QString params;
        bool hasParams = false;
    };
    QHash<QString, Procedure> procedures; // key: wide form
    QSet<QString> notProcedures;
    int procedureDepth = 0;
    int nestingDepth = 0;
    int evaluating = 0; // EvaluateValue calls in progress
    int executeDepth = 0;

    // ---- variables
    struct Variable {
        QString name; // as first written
        QString value;
        quint64 order = 0; // when it was created
    };
    QHash<QString, Variable> variables; // key: wide, case-folded
    quint64 variableCounter = 0;
    QHash<QString, QString> localNames; // key: wide, case-folded
    QHash<QString, QString> keyCache;

    // ---- settings of the run
    QString dictionaryName;
    QString settingsFilePath;
    QString ftpPassword, ftpUser, ftpServer;
    QHash<int, QString> plainSettings; // settings kept for the window issues
    double turtleHeading = 90;
    int instrument = 1;

    // ---- errors
    int ErrorMode = 0;
    QString ErrorHandler;
    QString LastErrorMessage;
    int LastErrorNumber = 0;
    QString LastErrorWord;

    // ---- caches
    QHash<QString, int> commandCache;
    QHash<QString, int> functionCache;
    QHash<QString, QVector<KtdCalcToken>> calcCache;
    struct LineEntry {
        QStringList pieces;
        std::vector<const KtdAnalysis*> analyses; // filled on first use
    };
    // Both node-based: entries stay in place while nested lines insert others.
    std::unordered_map<QString, LineEntry, StringHash> splitCache;
    std::unordered_map<QString, KtdAnalysis, StringHash> analysisCache;
    std::unordered_map<QString, std::optional<Procedure>, StringHash> procedureLookup;
    void proceduresChanged() { procedureLookup.clear(); }
    // Node-based, so a plan stays in place while its evaluation inserts others.
    std::unordered_map<QString, KtdEvalPlan, StringHash> planCache;
    struct ConditionPlan {
        QString cond, thenPart, elsePart, word;
        bool anyOf = false, elseOnly = false, inverted = false, missingNara = false;
    };
    std::unordered_map<QString, ConditionPlan, StringHash> conditionCache;
    struct ComparePlan {
        QString op, nop, left, right;
        bool failed = false;
        enum Mode : unsigned char { Plain, TypeTest, Range, Either } mode = Plain;
        enum Code : unsigned char { Eq, Ne, Ge, Le, Gt, Lt, Bad } code = Bad;
        QString sideA, sideB;      // the two sides of a range or an alternative
        bool rightLiteral = false; // the right side is a number as written
        QString rightNarrow;       // ... narrowed
        double rightNumber = 0;
    };
    std::unordered_map<QString, ComparePlan, StringHash> compareCache;
    void trimCaches(); // drops caches that grew too large, between sentences only
    qint64 lastMessagesAt = 0;
    QHash<QString, QString> declaredAliases; // alias -> target word (for reporting)
    // Words declared for a DLL function: their value form hands its arguments
    // to the call the way the command form does through LastResult.
    QSet<QString> declaredDllWords;
    QHash<int, int> loopEnds; // loop line -> its end line

    std::unique_ptr<RandomSource> random;

    // ---- entry points (KTD.cpp / KtdRun.cpp)
    void Run(const QString& programText, qint32 accessNumber, const QString& fileName, int preserve,
             bool forceUntrusted = false);
    void ResetRunState();
    void InstallProgram(const QString& normalisedText);
    static QString NormaliseProgram(const QString& text);
    void ComputeBlockDepths();
    void RegisterProcedures();
    void RunLines(); // main loop over ProgramLines
    qint32 todaysAccessNumber() const;

    // ---- interpreter (KtdInterpreter.cpp)
    void RunComnd(const QString& line);
    void RunSentence(const QString& sentence, const KtdAnalysis* analysis = nullptr);
    int AnalyseSentence(const QString& sentence, const KtdAnalysis* analysis = nullptr);
    const KtdAnalysis& AnalysisOf(const QString& sentence);
    void Dispatch(int kind);
    QStringList ExtractParticles(const QStringList& particles);
    QString ExtractParticle(const QString& particle) {
        return ExtractParticles({particle}).value(0);
    }
    int LookupCommand(const QString& word) const;     // exact in table 101, also full-width
    static int ContainedCommand(const QString& word); // first row whose word occurs inside
    void RunCommandNumber(int number);
    int& counterInUse() { return LineCounter[1] != 0 ? LineCounter[1] : LineCounter[0]; }
    int currentLine() const { return (LineCounter[1] != 0 ? LineCounter[1] : LineCounter[0]) + 1; }
    void letMessagesThrough();
    // For loops: lets messages through when some milliseconds have passed.
    void letMessagesThroughSometimes();
    QString EvaluatePlan(const KtdEvalPlan& plan, const QString& trimmed);
    QString ResolveName(const QString& term, const QString& name, const QString& key,
                        const QString& args, bool hasArgs);

    // ---- values (KtdEvaluate.cpp)
    QString EvaluateValue(const QString& text);
    double EvaluateNumber(const QString& text) { return ktdtext::toNumber(EvaluateValue(text)); }
    QString EvaluateWithTable(const QString& text, int table);
    QString Calculate(const QString& text);
    static QVector<KtdCalcToken> BuildPostfix(const QString& text);
    QString EvaluatePostfix(const QVector<KtdCalcToken>& postfix);
    static bool IsArithmetic(QStringView text);
    QStringList SplitArguments(const QString& text, int count, bool evaluate);
    QString EvaluateArgumentList(const QString& text);
    QString ResolveName(const QString& term);

    // ---- variables (KtdVariables.cpp)
    QString variableKey(const QString& name);
    QString LookupVariable(const QString& name); // "{no}" when missing
    bool HasVariable(const QString& name);
    void SetVariable(const QString& name, const QString& value);
    void DeleteVariable(const QString& name);
    void AssignVariable(const QString& name, const QString& value);
    QString ReadElement(const QString& value, const QStringList& indices);
    QString LookupLocal(const QString& name); // "{no}" when missing

    // ---- procedures and flow (KtdFlow.cpp)
    const Procedure* FindProcedure(const QString& name);
    const Procedure* FindProcedureByText(const QString& name);
    bool CallProcedure(const QString& name, bool fromSentence);
    void RunCondition();
    void RunConditionText(const QString& text, int headerLine, int forcedDepth);
    bool EvaluateCondition(const QString& conditionText, bool anyOf, const QString& word);
    bool Compare(const QString& conditionText, const QString& comparisonWord);
    void RunBlock(int bodyStart, int depth, bool condition);
    void RunLoop();
    int LoopEndLine(int headerLine);
    void JumpToLabel();
    void LeaveCommand();
    void ExecuteFile();
    void AppendReferenceFile();
    void RunProgramLinesFrom(int first);

    // ---- commands and functions (KtdCommands.cpp, KtdFunctions.cpp)
    QString CallFunction(const QString& word, bool lookupOnly);
    QString RunFunction(int number);
    void ShowMessageCommand();
    void DeclareCommand();
    void CallDllCommand(const QString& means, const QString& arguments);
    void SettingSentence(int number);
    void StoreSetting(); // 設定
    QString ReadSetting(const QString& spec);
    void DictionaryStore();
    void SortCommand();
    void PatternSearch(bool subMatches);
    void SwapCommand();
    void AddSubtract(int sign);
    void WaitSeconds();
    void WaitForever();
    void EndCommand();

    // ---- errors and security (KtdErrors.cpp)
    int ShowError(int code, int icon, const QString& detail = {}, const QString& word = {});
    int ShowError(const QString& message, int icon, const QString& detail = {},
                  const QString& word = {});
    int ShowErrorText(QString message, int number, int icon, const QString& detail,
                      const QString& word);
    bool SecurityGate();
    int MessageBox(const QString& text, const QString& title, int style);
    QString SentenceText() const;
};

} // namespace lumi
