// Values: EvaluateValue with joining, embedded expressions, quoting and
// name resolution; arithmetic through Calculate; argument lists.
#include "script/core/KtdEngine.h"

#include <cmath>

namespace lumi {

using namespace ktdtext;

namespace {

bool isOperatorChar(char16_t c) {
    switch (c) {
    case u'＋':
    case u'－':
    case u'＊':
    case u'／':
    case u'＾':
    case u'％':
    case u'￥':
    case u'+':
    case u'-':
    case u'*':
    case u'/':
    case u'^':
    case u'%':
    case u'\\':
        return true;
    default:
        return false;
    }
}

// Removes one pair of enclosing brackets when the opening one closes at
// the last character (so （１）＋（２） keeps its brackets).
bool stripEnclosing(QString& t, char16_t open, char16_t close) {
    if (t.size() < 2 || t.front() != open || t.back() != close)
        return false;
    int depth = 0;
    for (qsizetype i = 0; i < t.size(); ++i) {
        if (t[i] == open)
            ++depth;
        else if (t[i] == close && --depth == 0)
            if (i != t.size() - 1)
                return false;
    }
    t = t.mid(1, t.size() - 2);
    return true;
}

// Plain ASCII integers, the common case of a stored number.
bool fastInteger(const QString& s, double& out) {
    const qsizetype n = s.size();
    if (n == 0 || n > 15)
        return false;
    qsizetype i = 0;
    bool negative = false;
    if (s[0] == u'-') {
        negative = true;
        i = 1;
        if (n == 1)
            return false;
    }
    qint64 v = 0;
    for (; i < n; ++i) {
        char16_t c = s[i].unicode();
        if (c < u'0' || c > u'9')
            return false;
        v = v * 10 + (c - u'0');
    }
    out = double(negative ? -v : v);
    return true;
}

constexpr int kMaxEvaluationDepth = 600;

int precedence(char op) {
    switch (op) {
    case '+':
    case '-':
        return 1;
    case '*':
    case '/':
    case '\\':
    case '%':
        return 2;
    case '^':
        return 3;
    default:
        return 0;
    }
}

} // namespace

bool KtdEngine::IsArithmetic(QStringView text) {
    const qsizetype n = text.size();
    if (n < 2)
        return false;
    bool found = false;
    for (qsizetype i = 0; i + 1 < n; ++i)
        if (isOperatorChar(text[i].unicode())) {
            found = true;
            break;
        }
    if (!found)
        return false;
    BracketMask mask(text, FullParen | AsciiParen);
    for (qsizetype i = 0; i + 1 < n; ++i)
        if (isOperatorChar(text[i].unicode()) && !mask.inside(i))
            return true;
    return false;
}

QString KtdEngine::EvaluateValue(const QString& text) {
    struct Busy {
        int& n;
        explicit Busy(int& x) : n(x) { ++n; }
        ~Busy() { --n; }
    } busy(evaluating);
    if (evaluating > kMaxEvaluationDepth)
        return trimSpaces(text); // no value nests this deep; keep the stack
    QString out;
    QString rest = text;
    for (;;) {
        auto it = planCache.find(rest);
        if (it == planCache.end()) {
            KtdEvalPlan plan;
            const QString t = trimSpaces(rest);
            qsizetype amp = t.indexOf(u'＆');
            if (t.isEmpty() || isNumeric(t)) {
                plan.kind = KtdEvalPlan::Literal;
                plan.a = t;
            } else if (amp >= 0 && !BracketMask(t, Corner).inside(amp)) {
                plan.kind = KtdEvalPlan::Join;
                plan.a = t.left(amp);
                plan.b = t.mid(amp + 1);
            } else {
                const bool quoted = t.size() >= 2 && t.front() == u'「' && t.back() == u'」';
                qsizetype sq = t.indexOf(u'［');
                if (sq >= 0 && (quoted || !BracketMask(t, FullParen | AsciiParen).inside(sq)) &&
                    t.indexOf(u'］', sq + 1) > sq) {
                    plan.kind = KtdEvalPlan::Embedded;
                    plan.a = t;
                } else if (quoted) {
                    plan.kind = KtdEvalPlan::Quoted;
                    plan.a = t.mid(1, t.size() - 2);
                } else {
                    QString u = t;
                    stripEnclosing(u, u'（', u'）');
                    stripEnclosing(u, u'(', u')');
                    if (IsArithmetic(u)) {
                        plan.kind = KtdEvalPlan::Arithmetic;
                        plan.a = u;
                        plan.postfix = BuildPostfix(u);
                    } else {
                        plan.kind = KtdEvalPlan::Name;
                        plan.b = u; // the whole term, for the fall-back value
                        QString name = u;
                        if (!u.isEmpty() && (u.back() == u'）' || u.back() == u')')) {
                            qsizetype a = u.indexOf(u'（');
                            qsizetype b = u.indexOf(u'(');
                            qsizetype open = a < 0 ? b : (b < 0 ? a : qMin(a, b));
                            if (open >= 0) {
                                name = u.left(open);
                                plan.hasArgs = true;
                            }
                        }
                        plan.a = trimSpaces(name);
                        plan.key = variableKey(plan.a);
                    }
                }
            }
            it = planCache.emplace(rest, std::move(plan)).first;
        }
        const KtdEvalPlan& plan = it->second;
        if (plan.kind == KtdEvalPlan::Join) {
            QString right = plan.b;
            out += EvaluateValue(plan.a);
            rest = right;
            continue;
        }
        if (out.isEmpty())
            return EvaluatePlan(plan, QString());
        return out + EvaluatePlan(plan, QString());
    }
}

QString KtdEngine::EvaluatePlan(const KtdEvalPlan& plan, const QString&) {
    switch (plan.kind) {
    case KtdEvalPlan::Literal:
    case KtdEvalPlan::Quoted:
        return plan.a;
    case KtdEvalPlan::Arithmetic:
        return EvaluatePostfix(plan.postfix);
    case KtdEvalPlan::Name: {
        QString args;
        if (plan.hasArgs) {
            const QString& u = plan.b;
            qsizetype a = u.indexOf(u'（');
            qsizetype b = u.indexOf(u'(');
            qsizetype open = a < 0 ? b : (b < 0 ? a : qMin(a, b));
            args = u.mid(open + 1, u.size() - open - 2);
        }
        return ResolveName(plan.b, plan.a, plan.key, args, plan.hasArgs);
    }
    case KtdEvalPlan::Join:
    case KtdEvalPlan::Embedded:
        break;
    }
    // Embedded expressions: each ［…］ from left to right is replaced by
    // the value of its inside (no nesting); a quoted term then yields its
    // inside, an unquoted one the changed text.
    QString t = plan.a;
    const bool quoted = t.size() >= 2 && t.front() == u'「' && t.back() == u'」';
    qsizetype pos = 0;
    qsizetype o;
    while ((o = t.indexOf(u'［', pos)) >= 0) {
        qsizetype c = t.indexOf(u'］', o + 1);
        if (c < 0)
            break;
        QString inner = t.mid(o + 1, c - o - 1);
        QString v = EvaluateValue(inner);
        if (v == inner)
            v.clear();
        t.replace(o, c - o + 1, v);
        pos = o + v.size();
    }
    if (quoted)
        return t.mid(1, t.size() - 2);
    return t;
}

QString KtdEngine::ResolveName(const QString& term) {
    QString name = term;
    QString args;
    bool hasArgs = false;
    if (!term.isEmpty() && (term.back() == u'）' || term.back() == u')')) {
        qsizetype a = term.indexOf(u'（');
        qsizetype b = term.indexOf(u'(');
        qsizetype open = a < 0 ? b : (b < 0 ? a : qMin(a, b));
        if (open >= 0) {
            name = term.left(open);
            args = term.mid(open + 1, term.size() - open - 2);
            hasArgs = true;
        }
    }
    name = trimSpaces(name);
    return ResolveName(term, name, variableKey(name), args, hasArgs);
}

QString KtdEngine::ResolveName(const QString& term, const QString& name, const QString& key,
                               const QString& args, bool hasArgs) {
    if (!variables.isEmpty()) {
        auto it = variables.constFind(key);
        if (it != variables.constEnd()) {
            if (!hasArgs)
                return it->value;
            const QString v = it->value;
            return ReadElement(v, SplitArguments(args, 3, true));
        }
    }
    QString v;
    if (!localNames.isEmpty()) {
        auto it = localNames.constFind(key);
        if (it != localNames.constEnd())
            return *it;
    }
    FunctionArgs = args;
    v = CallFunction(name, false);
    if (v != QStringLiteral("{no}"))
        return v;
    if (!name.isEmpty() && FindProcedure(name)) {
        if (hasArgs)
            SetVariable(name, EvaluateArgumentList(args));
        if (hasArgs && declaredDllWords.contains(toWide(name)))
            LastResult = args;
        CallProcedure(name, false);
        QString result = LookupVariable(name);
        DeleteVariable(name);
        return result == QStringLiteral("{no}") ? QString() : result;
    }
    if (hasArgs)
        ShowError(6, 48, name);
    return term;
}

QVector<KtdCalcToken> KtdEngine::BuildPostfix(const QString& text) {
    {
        QString s = text;
        for (QChar& c : s) {
            switch (c.unicode()) {
            case u'＋':
                c = u'+';
                break;
            case u'－':
                c = u'-';
                break;
            case u'＊':
            case u'×':
                c = u'*';
                break;
            case u'／':
            case u'÷':
                c = u'/';
                break;
            case u'＾':
                c = u'^';
                break;
            case u'（':
                c = u'(';
                break;
            case u'）':
                c = u')';
                break;
            case u'￥':
                c = u'\\';
                break;
            case u'％':
                c = u'%';
                break;
            default:
                break;
            }
        }
        QVector<KtdCalcToken> infix;
        QString cur;
        auto flush = [&] {
            if (trimSpaces(cur).isEmpty()) {
                cur.clear();
                return;
            }
            KtdCalcToken t;
            t.kind = KtdCalcToken::Operand;
            if (isNumeric(cur)) {
                t.kind = KtdCalcToken::Number;
                t.number = numericValue(cur);
            } else
                t.operand = cur;
            infix << t;
            cur.clear();
        };
        auto op = [](char o) {
            KtdCalcToken t;
            t.kind = KtdCalcToken::Operator;
            t.op = o;
            return t;
        };
        const qsizetype n = s.size();
        for (qsizetype i = 0; i < n; ++i) {
            char16_t c = s[i].unicode();
            bool isOp = c == u'+' || c == u'-' || c == u'*' || c == u'/' || c == u'^' ||
                        c == u'%' || c == u'(' || c == u')' || c == u'\\';
            if (!isOp) {
                cur += s[i];
                continue;
            }
            if (c == u'(' && !trimSpaces(cur).isEmpty()) {
                // A function call such as 左(a,2) stays one operand.
                int depth = 1;
                qsizetype j = i + 1;
                for (; j < n && depth > 0; ++j) {
                    if (s[j] == u'(')
                        ++depth;
                    else if (s[j] == u')')
                        --depth;
                }
                cur += u'（';
                cur += s.mid(i + 1, (depth == 0 ? j - 1 : j) - i - 1);
                if (depth == 0)
                    cur += u'）';
                i = j - 1;
                continue;
            }
            if (c == u'-' && trimSpaces(cur).isEmpty() &&
                (infix.isEmpty() ||
                 (infix.last().kind == KtdCalcToken::Operator && infix.last().op != ')'))) {
                KtdCalcToken m;
                m.number = -1;
                infix << m << op('*');
                cur.clear();
                continue;
            }
            flush();
            infix << op(char(c));
        }
        flush();
        // An operand that is the whole text again (an unclosed call such as
        // 左（a＋b) would only evaluate itself: it counts as 0.
        const QString whole = trimSpaces(s);
        for (KtdCalcToken& t : infix)
            if (t.kind == KtdCalcToken::Operand &&
                trimSpaces(QString(t.operand).replace(u'（', u'(').replace(u'）', u')')) == whole) {
                t.kind = KtdCalcToken::Number;
                t.number = 0;
                t.operand.clear();
            }
        // Postfix by precedence; every operator is left-associative.
        QVector<KtdCalcToken> postfix;
        QVector<KtdCalcToken> stack;
        for (const KtdCalcToken& t : infix) {
            if (t.kind != KtdCalcToken::Operator) {
                postfix << t;
            } else if (t.op == '(') {
                stack << t;
            } else if (t.op == ')') {
                while (!stack.isEmpty() && stack.last().op != '(')
                    postfix << stack.takeLast();
                if (!stack.isEmpty())
                    stack.removeLast();
            } else {
                while (!stack.isEmpty() && stack.last().op != '(' &&
                       precedence(stack.last().op) >= precedence(t.op))
                    postfix << stack.takeLast();
                stack << t;
            }
        }
        while (!stack.isEmpty()) {
            KtdCalcToken t = stack.takeLast();
            if (t.op != '(')
                postfix << t;
        }
        return postfix;
    }
}

QString KtdEngine::Calculate(const QString& text) {
    auto cached = calcCache.constFind(text);
    if (cached == calcCache.constEnd())
        cached = calcCache.insert(text, BuildPostfix(text));
    const QVector<KtdCalcToken> postfix = *cached;
    return EvaluatePostfix(postfix);
}

QString KtdEngine::EvaluatePostfix(const QVector<KtdCalcToken>& postfix) {
    QVarLengthArray<double, 16> st;
    for (const KtdCalcToken& t : postfix) {
        if (t.kind == KtdCalcToken::Number) {
            st.append(t.number);
            continue;
        }
        if (t.kind == KtdCalcToken::Operand) {
            const QString raw = EvaluateValue(t.operand);
            double d = 0;
            if (!fastInteger(raw, d)) {
                QString v = trimSpaces(toNarrow(raw));
                d = isNumeric(v) ? numericValue(v) : 0.0;
            }
            st.append(d);
            continue;
        }
        if (st.size() < 2)
            continue;
        double b = st.back();
        st.pop_back();
        double a = st.back();
        double r = a;
        switch (t.op) {
        case '+':
            r = a + b;
            break;
        case '-':
            r = a - b;
            break;
        case '*':
            r = a * b;
            break;
        case '/':
            r = b == 0 ? a : a / b;
            break;
        case '^':
            r = std::pow(a, b);
            break;
        case '\\':
        case '%': {
            qint32 ia = 0, ib = 0;
            if (roundToInt32(a, ia) && roundToInt32(b, ib) && ib != 0 &&
                !(ia == INT32_MIN && ib == -1))
                r = t.op == '\\' ? double(ia / ib) : double(ia % ib);
            break;
        }
        default:
            break;
        }
        if (std::isnan(r) || std::isinf(r))
            r = a;
        st.back() = r;
    }
    return decimalText(st.isEmpty() ? 0.0 : st.back());
}

QStringList KtdEngine::SplitArguments(const QString& text, int count, bool evaluate) {
    QStringList raw = splitArgumentsRaw(text);
    QStringList out;
    for (int i = 0; i < count; ++i) {
        QString piece = raw.value(i);
        out << (evaluate ? EvaluateValue(piece) : piece);
    }
    return out;
}

QString KtdEngine::EvaluateArgumentList(const QString& text) {
    if (!text.contains(u'、') && !text.contains(u'，') && !text.contains(u',')) {
        QString v = EvaluateValue(text);
        if (v.contains(u','))
            v.replace(QLatin1Char(','), QStringLiteral("{**}"));
        return v;
    }
    QStringList pieces = splitArgumentsRaw(text);
    for (QString& p : pieces) {
        p = EvaluateValue(p);
        p.replace(QLatin1Char(','), QStringLiteral("{**}"));
    }
    return pieces.join(QLatin1Char(','));
}

QString KtdEngine::EvaluateWithTable(const QString& text, int table) {
    const KtdTable& t = ktdTable(table);
    QHash<QString, QString> saved = localNames;
    for (qsizetype i = 0; i < t.words.size(); ++i)
        localNames.insert(variableKey(t.words[i]), t.values[i]);
    QString v = EvaluateValue(text);
    localNames = saved;
    return v;
}

// ---------------------------------------------------------------- variables

QString KtdEngine::variableKey(const QString& name) {
    auto it = keyCache.constFind(name);
    if (it != keyCache.constEnd())
        return *it;
    QString key = toWide(trimSpaces(name)).toCaseFolded();
    if (keyCache.size() > 100000)
        keyCache.clear();
    keyCache.insert(name, key);
    return key;
}

QString KtdEngine::LookupVariable(const QString& name) {
    if (variables.isEmpty())
        return QStringLiteral("{no}");
    auto it = variables.constFind(variableKey(name));
    return it == variables.constEnd() ? QStringLiteral("{no}") : it->value;
}

bool KtdEngine::HasVariable(const QString& name) {
    return variables.contains(variableKey(name));
}

QString KtdEngine::LookupLocal(const QString& name) {
    auto it = localNames.constFind(variableKey(name));
    return it == localNames.constEnd() ? QStringLiteral("{no}") : *it;
}

void KtdEngine::SetVariable(const QString& name, const QString& value) {
    const QString key = variableKey(name);
    auto it = variables.find(key);
    if (it != variables.end()) {
        it->value = value;
        return;
    }
    variables.insert(key, Variable{name, value, ++variableCounter});
}

void KtdEngine::DeleteVariable(const QString& name) {
    const QString key = variableKey(name);
    variables.remove(key);
}

void KtdEngine::AssignVariable(const QString& name, const QString& value) {
    qsizetype a = name.indexOf(u'（');
    qsizetype b = name.indexOf(u'(');
    qsizetype open = a < 0 ? b : (b < 0 ? a : qMin(a, b));
    if (open < 0) {
        SetVariable(name, value);
        return;
    }
    qsizetype close = qMax(name.lastIndexOf(u'）'), name.lastIndexOf(u')'));
    const QString base = trimSpaces(name.left(open));
    if (close < open) {
        ShowError(23, 48, base);
        return;
    }
    QStringList idxText = SplitArguments(name.mid(open + 1, close - open - 1), 3, true);
    int count = int(splitArgumentsRaw(name.mid(open + 1, close - open - 1)).size());
    count = qBound(1, count, 3);
    QList<int> idx;
    for (int i = 0; i < count; ++i) {
        double d = toNumber(idxText[i]);
        qint32 v = 0;
        if (!roundToInt32(d, v) || v < 0) {
            ShowError(37, 48, base);
            return;
        }
        idx << qMin<qint32>(v, 1000000);
    }
    QString text = LookupVariable(base);
    if (text == QStringLiteral("{no}"))
        text.clear();
    text.replace(u'、', u',');
    text.replace(u'，', u',');
    QList<QString> seps;
    if (count == 3)
        seps << QString(PageSeparator);
    if (count >= 2)
        seps << CrLf;
    seps << QStringLiteral(",");
    std::function<QString(const QString&, int)> put = [&](const QString& t, int k) -> QString {
        if (k == seps.size())
            return encodeEscapes(value);
        if (idx[k] == 0)
            return put(t, k + 1);
        QStringList parts = t.split(seps[k]);
        while (parts.size() < idx[k])
            parts << QString();
        parts[idx[k] - 1] = put(parts[idx[k] - 1], k + 1);
        return parts.join(seps[k]);
    };
    SetVariable(base, put(text, 0));
}

QString KtdEngine::ReadElement(const QString& value, const QStringList& indices) {
    qsizetype count = 0;
    for (qsizetype i = 0; i < indices.size(); ++i)
        if (!indices[i].isEmpty())
            count = i + 1;
    count = qBound(qsizetype(1), count, qsizetype(3));
    QList<int> idx;
    for (qsizetype i = 0; i < count; ++i) {
        double d = toNumber(indices[i]);
        qint32 v = 0;
        if (!roundToInt32(d, v))
            v = INT32_MAX;
        if (v < 0) {
            ShowError(37, 48);
            return {};
        }
        idx << v;
    }
    QString text = value;
    text.replace(u'、', u',');
    text.replace(u'，', u',');
    QList<QString> seps;
    if (count == 3)
        seps << QString(PageSeparator);
    if (count >= 2)
        seps << CrLf;
    seps << QStringLiteral(",");
    for (qsizetype k = 0; k < seps.size(); ++k) {
        if (idx[k] == 0)
            continue;
        const QStringList parts = text.split(seps[k]);
        if (idx[k] > parts.size())
            return {};
        text = parts[idx[k] - 1];
    }
    return decodeEscapes(text);
}

} // namespace lumi
