// Control flow: conditions and their blocks, loops, leaving, jumps,
// procedures, and running other script files.
#include "common/Cp932.h"
#include "common/TextFile.h"
#include "script/core/KtdEngine.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

namespace lumi {

using namespace ktdtext;

namespace {

constexpr int kMaxProcedureDepth = 150;
constexpr int kMaxExecuteDepth = 16;

QString classified(const QString& line) {
    QString l = line;
    qsizetype c = l.indexOf(QChar(0x2019));
    if (c >= 0)
        l.truncate(c);
    return trimSpaces(l);
}

bool isLoopEnd(const QString& t) {
    return (t.contains(QStringLiteral("繰り返")) && t.contains(QStringLiteral("終わり"))) ||
           t == QStringLiteral("終わり");
}

bool isBlockLoopStart(const QString& t) {
    return t.contains(QStringLiteral("繰り返")) && !t.contains(QStringLiteral("終わり")) &&
           !t.contains(u'「') && !t.contains(QStringLiteral("ぬける")) &&
           !t.contains(QStringLiteral("抜ける"));
}

} // namespace

// ---------------------------------------------------------------- procedures

const KtdEngine::Procedure* KtdEngine::FindProcedure(const QString& name) {
    auto known = procedureLookup.find(name);
    if (known != procedureLookup.end())
        return known->second ? &*known->second : nullptr;
    const Procedure* found = FindProcedureByText(name);
    known = procedureLookup.emplace(name, found ? std::optional<Procedure>(*found) : std::nullopt)
                .first;
    return known->second ? &*known->second : nullptr;
}

const KtdEngine::Procedure* KtdEngine::FindProcedureByText(const QString& name) {
    const QString trimmed = trimSpaces(name);
    if (trimmed.isEmpty())
        return nullptr;
    const QString key = toWide(trimmed);
    auto it = procedures.constFind(key);
    if (it != procedures.constEnd())
        return &*it;
    if (notProcedures.contains(key))
        return nullptr;
    const QString a = QStringLiteral("手順は　") + trimmed;
    const QString b = QStringLiteral("手順は　") + key;
    for (qsizetype i = 0; i < ProgramLines.size(); ++i) {
        if (ProgramLines[i] == a || ProgramLines[i] == b) {
            Procedure p;
            p.name = trimmed;
            p.bodyStart = int(i + 1);
            return &*procedures.insert(key, p);
        }
    }
    notProcedures.insert(key);
    return nullptr;
}

bool KtdEngine::CallProcedure(const QString& name, bool fromSentence) {
    const Procedure* found = FindProcedure(name);
    if (!found)
        return false;
    const Procedure p = *found;
    if (procedureDepth >= kMaxProcedureDepth) {
        ShowError(
            QStringLiteral("手順の呼び出しが深すぎます。{ch}"
                           "手順が自分自身を終わりなく呼び出していないか確認してください。{ch}%1"),
            16, p.name);
        StopRequested = true;
        RunStatus = 1;
        return true;
    }
    // The slots belong to the calling sentence; evaluating arguments may
    // run other sentences, so every text is taken first.
    const QString callWord = CommandWord;
    const QString callObject = ObjectArg;
    QHash<QString, QString> savedLocals = localNames;
    if (p.hasParams) {
        QList<QPair<QString, QString>> bound;
        const QStringList params = splitArgumentsRaw(p.params);
        for (const QString& param : params) {
            qsizetype close = param.indexOf(u'］');
            if (close < 0) {
                ShowError(QStringLiteral("引数指定に間違いがあります"), 48);
                continue;
            }
            qsizetype open = param.indexOf(u'［');
            QString pname = param.mid(open + 1, close - open - 1);
            QString particle = trimSpaces(param.mid(close + 1));
            if (particle == QStringLiteral("に"))
                particle = QStringLiteral("へ");
            QString text;
            if (fromSentence && !particle.isEmpty())
                text = ExtractParticle(particle);
            bound.append({pname, text});
        }
        QHash<QString, QString> locals;
        for (const auto& b : bound)
            locals.insert(variableKey(b.first), EvaluateValue(b.second));
        localNames = locals;
    }
    bool setOwnVariable = false;
    bool hadOwnVariable = false;
    QString ownValue;
    if (fromSentence && toWide(trimSpaces(callWord)) == toWide(p.name) && !callObject.isEmpty()) {
        setOwnVariable = true;
        hadOwnVariable = HasVariable(p.name);
        ownValue = LookupVariable(p.name);
        SetVariable(p.name, EvaluateArgumentList(callObject));
    }
    const qint32 savedCell = LineCounter[1];
    ++procedureDepth;
    for (qsizetype i = p.bodyStart; i >= 0 && i < ProgramLines.size();) {
        const QString line = trimSpaces(ProgramLines[i]);
        if (line == QStringLiteral("終わり"))
            break;
        LineCounter[1] = qint32(i);
        RunComnd(line);
        CounterMoved = false;
        if (StopRequested || ExitProcedure)
            break;
        i = qsizetype(LineCounter[1]) + 1;
    }
    --procedureDepth;
    ExitProcedure = false;
    if (!StopRequested)
        LineCounter[1] = savedCell;
    localNames = savedLocals;
    if (setOwnVariable) {
        if (hadOwnVariable)
            SetVariable(p.name, ownValue);
        else
            DeleteVariable(p.name);
    }
    return true;
}

// ---------------------------------------------------------------- conditions

void KtdEngine::RunCondition() {
    RunConditionText(ObjectArg, counterInUse(), -1);
}

void KtdEngine::RunConditionText(const QString& input, int headerLine, int forcedDepth) {
    auto cached = conditionCache.find(input);
    if (cached == conditionCache.end()) {
        ConditionPlan c;
        const QString text = trimSpaces(input);
        qsizetype p = text.indexOf(QStringLiteral("なら"));
        const QString nd = QStringLiteral("でないなら");
        if (p < 0)
            c.missingNara = true;
        else {
            qsizetype dn = text.indexOf(nd);
            if (dn >= 0 && p == dn + 3) {
                qsizetype q = text.indexOf(QStringLiteral("なら"), p + 2);
                if (q >= 0)
                    p = q;
                else
                    c.elseOnly = true;
            }
            if (c.elseOnly) {
                c.cond = text.left(qMax<qsizetype>(0, dn - 1));
                c.elsePart = text.mid(dn + nd.size() + 1);
            } else {
                // The comparison word, or なら itself, ends the condition one
                // character early: a space normally stands there.
                qsizetype cpos = p;
                const QStringView v(text);
                if (p >= 3 && (v.mid(p - 3, 3) == QStringLiteral("より上") ||
                               v.mid(p - 3, 3) == QStringLiteral("より下"))) {
                    c.word = text.mid(p - 3, 3);
                    cpos = p - 3;
                } else if (p >= 2 && (v.mid(p - 2, 2) == QStringLiteral("以上") ||
                                      v.mid(p - 2, 2) == QStringLiteral("以下"))) {
                    c.word = text.mid(p - 2, 2);
                    cpos = p - 2;
                } else if (p >= 4 && v.mid(p - 4, 4) == QStringLiteral("のどれか")) {
                    c.anyOf = true;
                    cpos = p - 4;
                }
                c.cond = text.left(qMax<qsizetype>(0, cpos - 1));
                qsizetype dn2 = text.indexOf(nd, p + 2);
                if (dn2 >= 0) {
                    qsizetype b = p + 3;
                    c.thenPart = b < dn2 - 1 ? text.mid(b, dn2 - 1 - b) : QString();
                    c.elsePart = text.mid(dn2 + nd.size() + 1);
                } else
                    c.thenPart = text.mid(p + 3);
            }
            c.thenPart = trimSpaces(c.thenPart);
            c.elsePart = trimSpaces(c.elsePart);
            c.inverted = c.elseOnly || text.endsWith(nd);
        }
        cached = conditionCache.emplace(input, std::move(c)).first;
    }
    const ConditionPlan& c = cached->second;
    if (c.missingNara) {
        ShowError(2, 48);
        return;
    }
    bool result = EvaluateCondition(c.cond, c.anyOf, c.word);
    ConditionResult = result;
    if (!c.thenPart.isEmpty() || !c.elsePart.isEmpty()) {
        const QString chosen = result ? c.thenPart : c.elsePart;
        if (!chosen.isEmpty())
            RunComnd(chosen);
        return;
    }
    if (c.inverted)
        result = !result;
    const int body = headerLine + 1;
    int depth = forcedDepth;
    if (depth < 0) {
        int hd = BlockDepth.value(headerLine);
        int bd = BlockDepth.value(body);
        depth = bd == hd ? bd : hd + 1;
    }
    RunBlock(body, depth, result);
}

bool KtdEngine::EvaluateCondition(const QString& cond, bool anyOf, const QString& word) {
    qsizetype sq = cond.indexOf(u'［');
    if (sq >= 0 && !BracketMask(cond, FullParen | AsciiParen).inside(sq)) {
        bool all = true, any = false;
        qsizetype pos = 0, o;
        while ((o = cond.indexOf(u'［', pos)) >= 0) {
            qsizetype c = cond.indexOf(u'］', o + 1);
            if (c < 0)
                break;
            bool r = Compare(cond.mid(o + 1, c - o - 1), word);
            all = all && r;
            any = any || r;
            pos = c + 1;
        }
        return anyOf ? any : all;
    }
    return Compare(cond, word);
}

bool KtdEngine::Compare(const QString& conditionText, const QString& word) {
    const QString cacheKey = word.isEmpty() ? conditionText : word + QChar(1) + conditionText;
    auto cached = compareCache.find(cacheKey);
    if (cached == compareCache.end()) {
        ComparePlan c;
        const QString& text = conditionText;
        qsizetype pos = -1;
        if (word.isEmpty()) {
            static const QStringList ops = {
                QStringLiteral("＞＝"), QStringLiteral("＜＝"), QStringLiteral("＜＞"),
                QStringLiteral("＞"),   QStringLiteral("＜"),   QStringLiteral("＝"),
                QStringLiteral(">="),   QStringLiteral("<="),   QStringLiteral("<>"),
                QStringLiteral(">"),    QStringLiteral("<"),    QStringLiteral("=")};
            for (const QString& o : ops) {
                pos = text.indexOf(o);
                if (pos >= 0) {
                    c.op = o;
                    break;
                }
            }
        }
        if (c.op.isEmpty()) {
            pos = text.indexOf(QStringLiteral("は　"));
            if (pos < 0)
                pos = text.indexOf(QStringLiteral("は、"));
            if (pos < 0)
                c.failed = true;
            else {
                c.op = word.isEmpty() ? QStringLiteral("＝") : word;
                c.left = text.left(pos);
                c.right = trimSpaces(text.mid(pos + 2));
            }
        } else {
            c.left = text.left(pos);
            c.right = trimSpaces(text.mid(pos + c.op.size()));
        }
        c.nop = toNarrow(c.op);
        if (c.nop == QStringLiteral("="))
            c.code = ComparePlan::Eq;
        else if (c.nop == QStringLiteral("<>"))
            c.code = ComparePlan::Ne;
        else if (c.nop == QStringLiteral(">=") || c.op == QStringLiteral("以上"))
            c.code = ComparePlan::Ge;
        else if (c.nop == QStringLiteral("<=") || c.op == QStringLiteral("以下"))
            c.code = ComparePlan::Le;
        else if (c.nop == QStringLiteral(">") || c.op == QStringLiteral("より上"))
            c.code = ComparePlan::Gt;
        else if (c.nop == QStringLiteral("<") || c.op == QStringLiteral("より下"))
            c.code = ComparePlan::Lt;
        const QString& r = c.right;
        if (r.size() >= 2 && r.front() == u'"' && r.back() == u'"' && r.count(u'"') >= 2)
            c.mode = ComparePlan::TypeTest;
        else {
            for (const QString& from : {QStringLiteral("　から　"), QStringLiteral(" から ")}) {
                qsizetype k = r.indexOf(from);
                if (k >= 0 && c.mode == ComparePlan::Plain) {
                    c.mode = ComparePlan::Range;
                    c.sideA = r.left(k);
                    c.sideB = r.mid(k + from.size());
                }
            }
            for (const QString& either :
                 {QStringLiteral("　または　"), QStringLiteral(" または ")}) {
                qsizetype k = r.indexOf(either);
                if (k >= 0 && c.mode == ComparePlan::Plain) {
                    c.mode = ComparePlan::Either;
                    c.sideA = r.left(k);
                    c.sideB = r.mid(k + either.size());
                }
            }
            if (c.mode == ComparePlan::Plain && !r.isEmpty() && isNumeric(r)) {
                c.rightLiteral = true;
                c.rightNarrow = trimSpaces(toNarrow(r));
                c.rightNumber = toNumber(c.rightNarrow);
            }
        }
        cached = compareCache.emplace(cacheKey, std::move(c)).first;
    }
    const ComparePlan& plan = cached->second;
    if (plan.failed) {
        ShowError(3, 48);
        return false;
    }
    const QString& left = plan.left;
    const QString& right = plan.right;
    const QString& nop = plan.nop;
    const QString leftValue = EvaluateValue(left);

    // Type tests and patterns in double quotes.
    if (right.size() >= 2 && right.front() == u'"' && right.back() == u'"' &&
        right.count(u'"') >= 2) {
        const QString kind = right.mid(1, right.size() - 2);
        const bool numeric = isNumeric(leftValue);
        bool r = false;
        if (kind == QStringLiteral("存在する")) {
            QFileInfo fi(leftValue);
            r = !leftValue.isEmpty() && fi.isFile() && !fi.isHidden();
        } else if (kind == QStringLiteral("ファイル"))
            r = !leftValue.isEmpty() && QFileInfo(leftValue).isFile();
        else if (kind == QStringLiteral("フォルダ"))
            r = !leftValue.isEmpty() && QFileInfo(leftValue).isDir();
        else if (kind == QStringLiteral("大文字"))
            r = !leftValue.isEmpty() && !numeric && leftValue == leftValue.toUpper() &&
                leftValue != toWide(leftValue);
        else if (kind == QStringLiteral("小文字"))
            r = !leftValue.isEmpty() && !numeric && leftValue == leftValue.toLower() &&
                leftValue != toWide(leftValue);
        else if (kind == QStringLiteral("ひらがな"))
            r = !leftValue.isEmpty() && !numeric && leftValue == toHiragana(leftValue) &&
                leftValue == toWide(leftValue);
        else if (kind == QStringLiteral("カタカナ"))
            r = !leftValue.isEmpty() && !numeric && leftValue == toKatakana(leftValue) &&
                leftValue == toWide(leftValue);
        else if (kind == QStringLiteral("半角"))
            r = !leftValue.isEmpty() && leftValue == toNarrow(leftValue);
        else if (kind == QStringLiteral("全角"))
            r = !leftValue.isEmpty() && leftValue == toWide(leftValue);
        else if (kind == QStringLiteral("数字"))
            r = !leftValue.isEmpty() && numeric;
        else if (kind == QStringLiteral("文字"))
            r = !numeric;
        else if (kind == QStringLiteral("オブジェクト"))
            r = false;
        else {
            QRegularExpression re(kind, QRegularExpression::CaseInsensitiveOption);
            if (!re.isValid()) {
                ShowError(38, 48, QStringLiteral("5017"));
                return false;
            }
            r = re.match(leftValue).hasMatch();
        }
        return (nop == QStringLiteral("<>")) ? !r : r;
    }

    auto equalValues = [](const QString& a, const QString& b) {
        if (a == b)
            return true;
        bool an = a.isEmpty() || isNumeric(a), bn = b.isEmpty() || isNumeric(b);
        if (an && bn)
            return numericValue(a) == numericValue(b);
        return false;
    };

    if (plan.mode == ComparePlan::Range) {
        double a = toNumber(EvaluateValue(plan.sideA));
        double b = toNumber(EvaluateValue(plan.sideB));
        double v = toNumber(leftValue);
        bool r = a <= v && v <= b;
        return plan.code == ComparePlan::Ne ? !r : r;
    }
    if (plan.mode == ComparePlan::Either) {
        bool r = equalValues(leftValue, EvaluateValue(plan.sideA)) ||
                 equalValues(leftValue, EvaluateValue(plan.sideB));
        return plan.code == ComparePlan::Ne ? !r : r;
    }
    QString rightValue;
    double rn = 0;
    if (plan.rightLiteral) {
        rightValue = plan.rightNarrow;
        rn = plan.rightNumber;
    } else {
        rightValue = EvaluateValue(right);
        if (!rightValue.isEmpty() && isNumeric(rightValue))
            rightValue = trimSpaces(toNarrow(rightValue));
        rn = toNumber(rightValue);
    }
    const double ln = toNumber(leftValue);
    switch (plan.code) {
    case ComparePlan::Eq:
        return equalValues(leftValue, rightValue);
    case ComparePlan::Ne:
        return !equalValues(leftValue, rightValue);
    case ComparePlan::Ge:
        return ln >= rn;
    case ComparePlan::Le:
        return ln <= rn;
    case ComparePlan::Gt:
        return ln > rn;
    case ComparePlan::Lt:
        return ln < rn;
    case ComparePlan::Bad:
        break;
    }
    ShowError(3, 48);
    return false;
}

void KtdEngine::RunBlock(int bodyStart, int q, bool condition) {
    qsizetype i = bodyStart;
    for (;;) {
        if (StopRequested || ExitProcedure || ExitBlock)
            break;
        if (i < 0 || i >= ProgramLines.size() ||
            trimSpaces(ProgramLines[i]) == QStringLiteral("終わり")) {
            ShowError(QStringLiteral("「もし終わり」がありません。"), 64);
            break;
        }
        const QString t = classified(ProgramLines[i]);
        const int d = BlockDepth.value(i);
        bool run = condition;
        if (d == q) {
            if (t == QStringLiteral("もし終わり"))
                break;
            if (t == QStringLiteral("他なら") || t == QStringLiteral("でないなら")) {
                if (condition)
                    break;
                condition = true;
                ++i;
                continue;
            }
            if (t.startsWith(QStringLiteral("他でもし"))) {
                if (condition)
                    break;
                counterInUse() = qint32(i);
                CounterMoved = false;
                RunConditionText(t.mid(4), int(i), q);
                if (CounterMoved || StopRequested)
                    return;
                break;
            }
        }
        if (!run) {
            ++i;
            continue;
        }
        counterInUse() = qint32(i);
        RunComnd(ProgramLines[i]);
        CounterMoved = false;
        i = qsizetype(counterInUse()) + 1;
    }
    if (StopRequested)
        return;
    ExitBlock = false;
    qsizetype j = qMax<qsizetype>(i, bodyStart);
    while (j < ProgramLines.size() && BlockDepth.value(j) != q - 1)
        ++j;
    counterInUse() = qint32(qMin<qsizetype>(j, ProgramLines.size()) - 1);
    CounterMoved = true;
}

// ---------------------------------------------------------------- loops

int KtdEngine::LoopEndLine(int header) {
    auto it = loopEnds.constFind(header);
    if (it != loopEnds.constEnd())
        return *it;
    int depth = 0;
    int end = int(ProgramLines.size());
    for (qsizetype i = header + 1; i < ProgramLines.size(); ++i) {
        const QString t = classified(ProgramLines[i]);
        if (isLoopEnd(t)) {
            if (depth == 0) {
                end = int(i);
                break;
            }
            --depth;
        } else if (isBlockLoopStart(t))
            ++depth;
    }
    loopEnds.insert(header, end);
    return end;
}

void KtdEngine::RunLoop() {
    ExitProcedure = false;
    ExitLoop = false;
    const QStringList ex = ExtractParticles({QStringLiteral("回"), QStringLiteral("に"),
                                             QStringLiteral("まで"), QStringLiteral("から")});
    QString countText = ex[0], niText = ex[1], untilText = ex[2], fromText = ex[3];
    QString target = TargetArg;
    const QString body = ObjectArg;
    const QString forever = QStringLiteral("永遠");
    bool endless =
        niText == forever || target == forever || trimSpaces(Sentence).startsWith(forever);
    if (target == forever)
        std::swap(target, niText);
    if (target == forever)
        target.clear();
    const bool bounded = !untilText.isEmpty();
    const double bound = bounded ? EvaluateNumber(untilText) : 0;
    const bool counted = !countText.isEmpty();
    const double count = counted ? EvaluateNumber(countText) : 0;
    const QString counterVar = trimSpaces(target);
    double counter = 0;
    if (!counterVar.isEmpty()) {
        counter = !fromText.isEmpty() ? EvaluateNumber(fromText) : EvaluateNumber(counterVar);
        SetVariable(counterVar, numberText(counter));
    } else if (!fromText.isEmpty())
        counter = EvaluateNumber(fromText);
    const bool repeated = endless || bounded;
    auto stopped = [&] { return StopRequested || ExitProcedure || ExitLoop; };
    // Adds 1 to the counter; returns the value before adding.
    auto advance = [&]() -> double {
        double before = counter;
        if (!counterVar.isEmpty()) {
            before = toNumber(LookupVariable(counterVar));
            SetVariable(counterVar, numberText(before + 1));
        }
        counter = before + 1;
        return before;
    };

    if (!body.isEmpty()) {
        qsizetype a = body.indexOf(u'「');
        qsizetype b = body.lastIndexOf(u'」');
        if (a < 0 || b < 0 || b < a) {
            ShowError(22, 48);
            ExitLoop = false;
            return;
        }
        const QString inner = body.mid(a + 1, b - a - 1);
        if (repeated) {
            for (;;) {
                RunComnd(inner);
                letMessagesThroughSometimes();
                if (stopped())
                    break;
                double before = advance();
                if (bounded && !endless && before >= bound)
                    break;
            }
        } else if (counted) {
            for (double k = 1; k <= count; ++k) {
                RunComnd(inner);
                if (stopped())
                    break;
                if (!counterVar.isEmpty())
                    advance();
            }
        }
    } else {
        const int header = counterInUse();
        const int end = LoopEndLine(header);
        bool leftElsewhere = false;
        if (repeated || (counted && count >= 1)) {
            double passes = 0;
            for (;;) {
                for (qsizetype i = header + 1; i < end;) {
                    if (stopped())
                        break;
                    counterInUse() = qint32(i);
                    RunComnd(ProgramLines[i]);
                    CounterMoved = false;
                    qsizetype next = qsizetype(counterInUse()) + 1;
                    if (next <= header || next > end) {
                        // A jump out of the body leaves the loop where it landed.
                        leftElsewhere = !StopRequested;
                        break;
                    }
                    i = next;
                }
                if (leftElsewhere || stopped())
                    break;
                letMessagesThroughSometimes();
                ++passes;
                double before = advance();
                if (repeated) {
                    if (bounded && !endless && before + 1 >= bound)
                        break;
                } else if (passes >= count)
                    break;
            }
        }
        if (!leftElsewhere && !StopRequested) {
            counterInUse() = qint32(qMin<qsizetype>(end, ProgramLines.size() - 1));
            CounterMoved = true;
        }
    }
    ExitLoop = false;
    if (procedureDepth == 0)
        ExitProcedure = false;
}

void KtdEngine::LeaveCommand() {
    QString target = ObjectArg;
    if (target.isEmpty())
        target = ExtractParticle(QStringLiteral("から"));
    if (target == QStringLiteral("もし"))
        ExitBlock = true;
    else if (target == QStringLiteral("繰り返し") || target == QStringLiteral("繰り返"))
        ExitLoop = true;
    else
        ExitProcedure = true;
}

void KtdEngine::JumpToLabel() {
    QString label = trimSpaces(TargetArg);
    if (!label.endsWith(u'：'))
        label += u'：';
    qsizetype found = ProgramLines.indexOf(label);
    if (found < 0) {
        ShowError(29, 48, label);
        return;
    }
    counterInUse() = qint32(found);
    if (LineCounter[1] != 0)
        CounterMoved = true;
}

// ---------------------------------------------------------------- other files

namespace {
std::optional<QString> readScript(const QString& name) {
    std::optional<QByteArray> bytes = readWholeFile(name);
    if (!bytes)
        return std::nullopt;
    return cp932::decode(*bytes);
}
} // namespace

void KtdEngine::ExecuteFile() {
    const QString name = EvaluateValue(ObjectArg);
    std::optional<QString> text = readScript(name);
    if (!text) {
        ShowError(201, 16, name);
        return;
    }
    QString t = *text;
    if (t.contains(QChar(5))) {
        std::reverse(t.begin(), t.end());
        t.replace(QChar(5), CrLf);
        QFile::remove(name);
    }
    if (executeDepth >= kMaxExecuteDepth) {
        ShowError(QStringLiteral("実行の入れ子が深すぎます。{ch}%1"), 16, name);
        StopRequested = true;
        RunStatus = 1;
        return;
    }
    const QString savedText = ProgramText;
    const QStringList savedLines = ProgramLines;
    const QVector<int> savedDepth = BlockDepth;
    const qint32 c0 = LineCounter[0], c1 = LineCounter[1];
    const auto savedProcedures = procedures;
    const auto savedNot = notProcedures;
    const auto savedEnds = loopEnds;
    ++executeDepth;
    procedures.clear();
    notProcedures.clear();
    proceduresChanged();
    loopEnds.clear();
    LineCounter[0] = LineCounter[1] = 0;
    InstallProgram(NormaliseProgram(t));
    StopRequested = false;
    RunLines();
    --executeDepth;
    ProgramText = savedText;
    ProgramLines = savedLines;
    BlockDepth = savedDepth;
    procedures = savedProcedures;
    notProcedures = savedNot;
    proceduresChanged();
    loopEnds = savedEnds;
    LineCounter[0] = c0;
    LineCounter[1] = c1;
}

void KtdEngine::AppendReferenceFile() {
    const QString name = EvaluateValue(ObjectArg);
    std::optional<QString> text = readScript(name);
    if (!text) {
        ShowError(201, 16, name);
        return;
    }
    QString extra = NormaliseProgram(*text);
    ProgramText += QStringLiteral("終了") + CrLf + extra;
    ProgramLines = ProgramText.split(CrLf);
    ComputeBlockDepths();
    RegisterProcedures();
    notProcedures.clear();
    loopEnds.clear();
}

} // namespace lumi
