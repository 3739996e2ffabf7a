// Run framing: tables, the run-state reset, normalisation, the main loop,
// errors and the security gate.
#include "script/core/KtdEngine.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

static void initKotodamaTables() {
    Q_INIT_RESOURCE(tables);
}

namespace lumi {

using namespace ktdtext;

int KtdTable::lookup(const QString& word) const {
    return exact.value(word, -1);
}

int KtdTable::number(const QString& word) const {
    int row = lookup(word);
    return row < 0 ? -1 : numbers[row];
}

const KtdTable& ktdTable(int number) {
    static QHash<int, KtdTable> tables = [] {
        initKotodamaTables();
        QHash<int, KtdTable> t;
        for (int n : {101, 102, 103, 106, 201, 202, 203, 204, 205, 206, 207, 208, 209, 210}) {
            QFile f(QStringLiteral(":/kotodama/main%1.txt").arg(n));
            KtdTable table;
            if (f.open(QIODevice::ReadOnly)) {
                const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
                for (QString line : lines) {
                    if (line.endsWith(QLatin1Char('\r')))
                        line.chop(1);
                    qsizetype eq = line.indexOf(QLatin1Char('='));
                    if (eq < 0)
                        continue;
                    QString word = line.left(eq);
                    if (!table.exact.contains(word))
                        table.exact.insert(word, int(table.words.size()));
                    table.words << word;
                    table.values << line.mid(eq + 1);
                    QString v = table.values.last();
                    v.remove(QLatin1Char(','));
                    bool ok = false;
                    int number = v.trimmed().toInt(&ok);
                    table.numbers << (ok ? number : -1);
                }
            }
            t.insert(n, table);
        }
        return t;
    }();
    static const KtdTable empty;
    auto it = tables.constFind(number);
    return it == tables.constEnd() ? empty : *it;
}

namespace ktdbox {
MessageBoxRequest toRequest(const QString& text, const QString& title, int style) {
    MessageBoxRequest r;
    r.text = text;
    r.title = title;
    switch (style & 7) {
    case OKCancel:
        r.buttons = BoxButtons::OKCancel;
        break;
    case AbortRetryIgnore:
        r.buttons = BoxButtons::AbortRetryIgnore;
        break;
    case YesNoCancel:
        r.buttons = BoxButtons::YesNoCancel;
        break;
    case YesNo:
        r.buttons = BoxButtons::YesNo;
        break;
    case RetryCancel:
        r.buttons = BoxButtons::RetryCancel;
        break;
    default:
        r.buttons = BoxButtons::OK;
        break;
    }
    switch (style & 0x70) {
    case IconStop:
        r.icon = BoxIcon::Error;
        break;
    case IconQuestion:
        r.icon = BoxIcon::Question;
        break;
    case IconWarning:
        r.icon = BoxIcon::Warning;
        break;
    case IconInformation:
        r.icon = BoxIcon::Information;
        break;
    default:
        r.icon = BoxIcon::None;
        break;
    }
    r.defaultButton = (style >> 8) & 3;
    return r;
}

int toAnswer(BoxResult result) {
    switch (result) {
    case BoxResult::OK:
        return AnswerOK;
    case BoxResult::Cancel:
        return AnswerCancel;
    case BoxResult::Abort:
        return AnswerAbort;
    case BoxResult::Retry:
        return AnswerRetry;
    case BoxResult::Ignore:
        return AnswerIgnore;
    case BoxResult::Yes:
        return AnswerYes;
    case BoxResult::No:
        return AnswerNo;
    }
    return AnswerOK;
}
} // namespace ktdbox

KtdEngine::KtdEngine(KTD& o, UserPort& u, KtdSystemPort* s)
    : owner(o), user(u), system(s), random(std::make_unique<MersenneRandom>()) {
    ktdTable(101);
}

qint32 KtdEngine::todaysAccessNumber() const {
    return system ? system->accessNumber(QDate::currentDate()) : 0;
}

void KtdEngine::letMessagesThrough() {
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

void KtdEngine::trimCaches() {
    if (evaluating > 0)
        return;
    if (planCache.size() > 200000)
        planCache.clear();
    if (nestingDepth == 0 && (splitCache.size() > 100000 || analysisCache.size() > 100000)) {
        splitCache.clear();
        analysisCache.clear();
    }
    if (calcCache.size() > 100000)
        calcCache.clear();
    if (conditionCache.size() > 50000)
        conditionCache.clear();
    if (compareCache.size() > 50000)
        compareCache.clear();
}

void KtdEngine::letMessagesThroughSometimes() {
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    const qint64 now = clock.elapsed();
    if (now - lastMessagesAt >= 5) {
        lastMessagesAt = now;
        letMessagesThrough();
    }
}

void KtdEngine::ResetRunState() {
    WindowTitle = QStringLiteral("Kotodama");
    turtleHeading = 90;
    instrument = 1;
    ErrorMode = 0;
    commandCache.clear();
    functionCache.clear();
    calcCache.clear();
    if (nestingDepth == 0 && evaluating == 0) {
        // Pure functions of a text; a run started from inside a sentence
        // keeps them, since the outer sentence still refers to them.
        planCache.clear();
        conditionCache.clear();
        compareCache.clear();
    }
    // Analyses depend on the procedures of the run.
    if (nestingDepth == 0) {
        splitCache.clear();
        analysisCache.clear();
    }
    proceduresChanged();
    declaredAliases.clear();
    declaredDllWords.clear();
    loopEnds.clear();
    procedures.clear();
    notProcedures.clear();
    localNames.clear();
    variables.clear();
    variableCounter = 0;
    keyCache.clear();
    plainSettings.clear();
    LineCounter[0] = LineCounter[1] = 0;
    BlockDepth.clear();
    CounterMoved = ConditionResult = ExitProcedure = ExitLoop = ExitBlock = CancelNextClose = false;
    procedureDepth = executeDepth = 0;
    random = std::make_unique<MersenneRandom>();
    StopRequested = false;
    RunStatus = 0;
}

QString KtdEngine::NormaliseProgram(const QString& text) {
    QString t = text;
    t.remove(QLatin1Char('\t'));
    t.replace(QLatin1Char('\''), QChar(0x2019));
    t += CrLf;
    QStringList lines = t.split(CrLf);
    for (QString& l : lines)
        if (l == QStringLiteral("おわり"))
            l = QStringLiteral("終わり");
    return lines.join(CrLf);
}

void KtdEngine::InstallProgram(const QString& normalisedText) {
    ProgramText = normalisedText;
    ProgramLines = ProgramText.split(CrLf);
    procedures.clear();
    notProcedures.clear();
    proceduresChanged();
    loopEnds.clear();
    ComputeBlockDepths();
    RegisterProcedures();
}

void KtdEngine::ComputeBlockDepths() {
    BlockDepth.resize(ProgramLines.size());
    int d = 0;
    for (qsizetype i = 0; i < ProgramLines.size(); ++i) {
        QString l = ProgramLines[i];
        qsizetype c = l.indexOf(QChar(0x2019));
        if (c >= 0)
            l.truncate(c);
        l = trimSpaces(l);
        if (l.startsWith(QStringLiteral("もし")) && l.endsWith(QStringLiteral("なら"))) {
            BlockDepth[i] = d;
            ++d;
        } else if (l == QStringLiteral("もし終わり")) {
            BlockDepth[i] = d;
            if (d > 0)
                --d;
        } else
            BlockDepth[i] = d;
    }
}

void KtdEngine::RegisterProcedures() {
    proceduresChanged();
    const QString head = QStringLiteral("手順は　");
    for (qsizetype i = 0; i < ProgramLines.size(); ++i) {
        const QString& l = ProgramLines[i];
        if (!l.startsWith(head))
            continue;
        QString rest = l.mid(head.size());
        Procedure p;
        p.bodyStart = int(i + 1);
        qsizetype open = rest.indexOf(u'（');
        if (open >= 0) {
            qsizetype close = rest.lastIndexOf(u'）');
            p.params = close > open ? rest.mid(open + 1, close - open - 1) : rest.mid(open + 1);
            p.hasParams = true;
            rest = rest.left(open);
        }
        p.name = trimSpaces(rest);
        QString key = toWide(p.name);
        if (!procedures.contains(key))
            procedures.insert(key, p);
    }
}

void KtdEngine::Run(const QString& programText, qint32 accessNumber, const QString& fileName,
                    int preserve, bool forceUntrusted) {
    if (system) {
        std::optional<QString> sec = system->engineSetting(QStringLiteral("Kotodama\\Sec"));
        SecuritySetting = sec ? *sec : QStringLiteral("True");
    } else
        SecuritySetting = QStringLiteral("True");
    Trusted = !forceUntrusted && accessNumber == todaysAccessNumber();
    if (!fileName.isEmpty()) {
        ScriptFileName = fileName;
        qsizetype slash =
            qMax(fileName.lastIndexOf(QLatin1Char('\\')), fileName.lastIndexOf(QLatin1Char('/')));
        if (slash >= 0) {
            QString folder = fileName.left(slash + 1);
            if (!folder.startsWith(QStringLiteral("\\\\")))
                QDir::setCurrent(folder);
        }
    }
    if (preserve == 0)
        ResetRunState();
    else {
        StopRequested = false;
        RunStatus = 0;
    }
    letMessagesThrough();
    InstallProgram(NormaliseProgram(programText));
    RunLines();
    StopRequested = true;
}

void KtdEngine::RunLines() {
    const qsizetype last = ProgramLines.size() - 1;
    bool skipping = false;
    for (qsizetype a = 0; a <= last && a < ProgramLines.size();) {
        if (StopRequested)
            break;
        LineCounter[0] = qint32(a);
        const QString line = ProgramLines[a];
        const QStringView head = QStringView(line).left(3);
        if (head == QStringLiteral("手順は"))
            skipping = true;
        if (!skipping && !line.endsWith(u'：'))
            RunComnd(line);
        else if (skipping && head == QStringLiteral("終わり"))
            skipping = false;
        CounterMoved = false;
        a = qsizetype(LineCounter[0]) + 1;
    }
}

// ---------------------------------------------------------------- errors

int KtdEngine::MessageBox(const QString& text, const QString& title, int style) {
    return ktdbox::toAnswer(user.messageBox(ktdbox::toRequest(text, title, style)));
}

int KtdEngine::ShowError(int code, int icon, const QString& detail, const QString& word) {
    const KtdTable& messages = ktdTable(106);
    int row = messages.lookup(QString::number(code));
    QString text = row >= 0 ? messages.values[row]
                            : ktdTable(106).values.value(messages.lookup(QStringLiteral("999")));
    return ShowErrorText(text, code, icon, detail, word);
}

int KtdEngine::ShowError(const QString& message, int icon, const QString& detail,
                         const QString& word) {
    return ShowErrorText(message, 0, icon, detail, word);
}

int KtdEngine::ShowErrorText(QString message, int number, int icon, const QString& detail,
                             const QString& word) {
    message.replace(QStringLiteral("%1"), detail);
    message.replace(QStringLiteral("{ch}"), CrLf);
    LastErrorMessage = message;
    LastErrorNumber = number;
    if (ErrorMode == 1) {
        ErrorMode = 3;
        if (!ErrorHandler.isEmpty())
            CallProcedure(ErrorHandler, false);
        ErrorMode = 1;
        return 0;
    }
    int style = icon;
    if (ErrorMode == 0) {
        style = icon + 1;
        LastErrorWord = word.isEmpty() ? detail : word;
    }
    message += CrLf + QStringLiteral("［%1行目　エラー番号%2］").arg(currentLine()).arg(number);
    int answer = 99;
    if (DebugAttached && AdvancedErrors) {
        bool cancel = false;
        if (owner.RunCmd)
            owner.RunCmd(cancel, message, QStringLiteral("エラー"));
        QString reply;
        if (owner.GetData)
            owner.GetData(reply, QStringLiteral("エラー"));
        answer = int(toNumber(reply));
    }
    if (answer == 99)
        answer = MessageBox(message, WindowTitle, style);
    if (answer == ktdbox::AnswerCancel) {
        StopRequested = true;
        RunStatus = 3;
    }
    return answer;
}

QString KtdEngine::SentenceText() const {
    QString s = MarkedSentence.isEmpty() ? Sentence : MarkedSentence;
    s.remove(Separator);
    return s;
}

bool KtdEngine::SecurityGate() {
    if (Trusted)
        return true;
    if (truthValue(SecuritySetting))
        return true;
    ShowError(99, 16, SentenceText());
    return false;
}

} // namespace lumi
