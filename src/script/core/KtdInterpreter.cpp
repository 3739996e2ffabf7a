// The sentence interpreter: line preparation, sentence analysis by
// particles, and the dispatch of a sentence to its implementation.
#include "script/core/KtdEngine.h"

namespace lumi {

using namespace ktdtext;

namespace {

constexpr int kMaxNesting = 400;

// Splits a prepared line into its sentences. A line whose text before the
// last 。 holds なら stays one sentence: a condition keeps its sentences.
QStringList splitSentences(const QString& text) {
    QList<qsizetype> stops;
    if (text.contains(u'。')) {
        BracketMask mask(text, AllPairs);
        for (qsizetype i = 0; i < text.size(); ++i)
            if (text[i] == u'。' && !mask.inside(i))
                stops << i;
    }
    if (stops.isEmpty())
        return {text};
    qsizetype nara = text.indexOf(QStringLiteral("なら"));
    if (nara >= 0 && nara < stops.last())
        return {text};
    QStringList out;
    qsizetype b = 0;
    for (qsizetype p : stops) {
        out << text.mid(b, p - b);
        b = p + 1;
    }
    out << text.mid(b);
    return out;
}

bool containsKanjiCommand(const QString& word) {
    const KtdTable& t = ktdTable(101);
    // The kanji and katakana rows come first, up to the first empty line.
    for (qsizetype i = 0; i < t.words.size() && i < 136; ++i)
        if (!t.words[i].isEmpty() && word.contains(t.words[i]))
            return true;
    return false;
}

} // namespace

void KtdEngine::RunComnd(const QString& input) {
    if (input.isEmpty())
        return;
    if (nestingDepth >= kMaxNesting) {
        ShowError(QStringLiteral("命令の入れ子が深すぎます。{ch}%1"), 16, trimSpaces(input));
        StopRequested = true;
        RunStatus = 1;
        return;
    }
    if (nestingDepth == 0)
        trimCaches();
    struct Guard {
        int& d;
        explicit Guard(int& x) : d(x) { ++d; }
        ~Guard() { --d; }
    } guard(nestingDepth);

    auto cached = splitCache.find(input);
    if (cached == splitCache.end()) {
        LineEntry entry;
        QString line = input;
        if (line.contains(QStringLiteral("｝｛")))
            line.replace(QStringLiteral("｝｛"), QStringLiteral("＆"));
        qsizetype c = line.indexOf(QChar(0x2019));
        if (c >= 0) {
            BracketMask mask(line, AllPairs);
            if (!mask.inside(c))
                line.truncate(c);
        }
        line = trimLeft(line);
        if (!line.isEmpty())
            for (const QString& p : splitSentences(line)) {
                QString s = trimLeft(p);
                if (!s.isEmpty())
                    entry.pieces << s;
            }
        entry.analyses.assign(size_t(entry.pieces.size()), nullptr);
        cached = splitCache.emplace(input, std::move(entry)).first;
    }
    LineEntry& entry = cached->second;
    for (qsizetype i = 0; i < entry.pieces.size(); ++i) {
        if (i > 0 && (StopRequested || ExitProcedure))
            break;
        const KtdAnalysis*& analysis = entry.analyses[size_t(i)];
        if (!analysis)
            analysis = &AnalysisOf(entry.pieces[i]);
        RunSentence(entry.pieces[i], analysis);
    }
}

void KtdEngine::RunSentence(const QString& sentence, const KtdAnalysis* analysis) {
    int kind = AnalyseSentence(sentence, analysis);
    Dispatch(kind);
}

int KtdEngine::ContainedCommand(const QString& word) {
    const KtdTable& table = ktdTable(101);
    for (qsizetype i = 0; i < table.words.size(); ++i)
        if (!table.words[i].isEmpty() && word.contains(table.words[i]))
            return table.numbers[i];
    return -1;
}

int KtdEngine::LookupCommand(const QString& word) const {
    const KtdTable& t = ktdTable(101);
    int n = t.number(word);
    if (n < 0)
        n = t.number(toWide(word));
    return n;
}

const KtdAnalysis& KtdEngine::AnalysisOf(const QString& s) {
    auto cached = analysisCache.find(s);
    if (cached == analysisCache.end()) {
        KtdAnalysis a;
        BracketMask mask(s, AllPairs);
        auto firstOutside = [&](const QString& mark) -> qsizetype {
            qsizetype p = s.indexOf(mark);
            while (p >= 0 && mask.inside(p))
                p = s.indexOf(mark, p + 1);
            return p;
        };
        qsizetype marker = firstOutside(QStringLiteral("は　"));
        if (marker < 0)
            marker = firstOutside(QStringLiteral("は、"));
        if (marker < 0)
            marker = firstOutside(QStringLiteral("は "));
        qsizetype markerLength = 2;
        if (marker < 0 && !s.contains(u'を')) {
            marker = firstOutside(QStringLiteral("＝"));
            if (marker < 0)
                marker = firstOutside(QStringLiteral("="));
            markerLength = 1;
        }
        if (s.startsWith(QStringLiteral("もし　")) || s.startsWith(QStringLiteral("もし "))) {
            a.kind = -2;
            qsizetype sp = s.indexOf(QChar(0x3000));
            if (sp < 0)
                sp = s.indexOf(QLatin1Char(' '));
            a.commandWord = s.left(sp);
            a.objectArg = s.mid(sp + 1);
        } else if (marker >= 0) {
            a.kind = 1;
            a.commandWord = trimSpaces(s.left(marker));
            a.setting = ktdTable(103).number(a.commandWord);
            a.objectArg = trimSpaces(s.mid(marker + markerLength));
        } else {
            QString m = s;
            qsizetype p = findLastOutside(m, u"を");
            if (p >= 0)
                m.insert(p + 1, Separator);
            p = findLastOutside(m, u"へ");
            if (p >= 0)
                m.insert(p + 1, Separator);
            else {
                p = findLastOutside(m, u"に");
                if (p >= 0) {
                    m[p] = u'へ';
                    m.insert(p + 1, Separator);
                } else {
                    p = findLastOutside(m, u"で");
                    if (p > 0)
                        m.insert(p + 1, Separator);
                }
            }
            m.replace(QStringLiteral("、") + Separator, QString(Separator));
            a.marked = m;
            const QStringList parts = m.split(Separator);
            for (const QString& part : parts) {
                if (part.endsWith(u'を'))
                    a.objectArg = trimSpaces(QStringView(part).chopped(1));
                else if (part.endsWith(u'へ'))
                    a.targetArg = trimSpaces(QStringView(part).chopped(1));
            }
            if (parts.size() == 1) {
                qsizetype sp = s.indexOf(QChar(0x3000));
                if (sp < 0)
                    sp = s.indexOf(QLatin1Char(' '));
                if (sp < 0)
                    a.commandWord = trimSpaces(s);
                else {
                    a.commandWord = trimSpaces(s.left(sp));
                    a.objectArg = trimSpaces(s.mid(sp + 1));
                    // Forms such as ３回　繰り返す and 繰り返しから　ぬける carry their
                    // particle on the word before the command: when that word is no
                    // command and the last word is one, the sentence is the command.
                    qsizetype lsp =
                        qMax(s.lastIndexOf(QChar(0x3000)), s.lastIndexOf(QLatin1Char(' ')));
                    QString lastWord = trimSpaces(s.mid(lsp + 1));
                    if (LookupCommand(a.commandWord) < 0 &&
                        !procedures.contains(toWide(a.commandWord)) && !lastWord.isEmpty() &&
                        (LookupCommand(lastWord) >= 0 || containsKanjiCommand(lastWord))) {
                        a.commandWord = trimSpaces(s);
                        a.objectArg.clear();
                    }
                }
            } else if (parts.size() == 2 && !a.targetArg.isEmpty() &&
                       (s.contains(QStringLiteral("へ　")) || s.contains(QStringLiteral("へ "))) &&
                       LookupCommand(parts[0]) >= 0) {
                a.commandWord = parts[0];
                a.objectArg = trimSpaces(parts[1]);
            } else
                a.commandWord = trimSpaces(parts.last());
        }
        cached = analysisCache.emplace(s, std::move(a)).first;
    }
    return cached->second;
}

int KtdEngine::AnalyseSentence(const QString& s, const KtdAnalysis* analysis) {
    Sentence = s;
    MeansArg.clear();
    const KtdAnalysis& a = analysis ? *analysis : AnalysisOf(s);
    currentSetting = a.setting;
    CommandWord = a.commandWord;
    ObjectArg = a.objectArg;
    TargetArg = a.targetArg;
    MarkedSentence = a.marked;
    if (a.kind == -2) {
        MarkedSentence = s;
        RunCondition();
        return -1;
    }
    if (a.kind == 1) {
        // An object property on the left (object の property) belongs to the
        // window issues; without objects every such name is a variable.
        return 1;
    }
    return 0;
}

QStringList KtdEngine::ExtractParticles(const QStringList& particles) {
    QStringList result;
    for (qsizetype i = 0; i < particles.size(); ++i)
        result << QString();
    if (MarkedSentence.isEmpty())
        MarkedSentence = Sentence;
    for (const QString& particle : particles) {
        if (particle.isEmpty())
            continue;
        qsizetype p = findLastOutside(MarkedSentence, particle);
        if (p < 0)
            continue;
        qsizetype at = p + particle.size();
        if (at < MarkedSentence.size() && MarkedSentence[at] == Separator)
            continue;
        MarkedSentence.insert(at, Separator);
    }
    MarkedSentence.replace(QStringLiteral("、") + Separator, QString(Separator));
    const QStringList parts = MarkedSentence.split(Separator);
    for (qsizetype k = 0; k < parts.size(); ++k) {
        const QString& part = parts[k];
        for (qsizetype i = 0; i < particles.size(); ++i)
            if (!particles[i].isEmpty() && part.endsWith(particles[i]))
                result[i] = trimSpaces(QStringView(part).chopped(particles[i].size()));
        if (part.endsWith(u'を'))
            ObjectArg = trimSpaces(QStringView(part).chopped(1));
        else if (part.endsWith(u'へ'))
            TargetArg = trimSpaces(QStringView(part).chopped(1));
    }
    return result;
}

void KtdEngine::Dispatch(int kind) {
    {
        qsizetype no = Sentence.indexOf(u'の');
        QStringView head = no >= 0 ? QStringView(Sentence).left(no) : QStringView(ObjectArg);
        if (head == QStringLiteral("呼び出し元")) {
            bool cancel = false;
            if (owner.RunCmd)
                owner.RunCmd(cancel, ObjectArg, CommandWord);
            if (!cancel)
                return;
        }
    }
    if (kind == -1)
        return;
    if (kind == 1) {
        int setting = currentSetting;
        if (setting >= 0)
            SettingSentence(setting);
        else {
            // The value may run procedures, which overwrite the slots.
            const QString name = CommandWord;
            AssignVariable(name, EvaluateValue(ObjectArg));
        }
        return;
    }
    auto hit = commandCache.constFind(CommandWord);
    if (hit != commandCache.constEnd()) {
        RunCommandNumber(*hit);
        return;
    }
    const KtdTable& table = ktdTable(101);
    int n = table.number(CommandWord);
    if (n < 0) {
        QString whole = trimSpaces(Sentence);
        if (FindProcedure(whole)) {
            CallProcedure(whole, true);
            return;
        }
        qsizetype wo = Sentence.lastIndexOf(u'を');
        LastResult = wo >= 0 ? Sentence.left(wo) : QString();
        if (FindProcedure(CommandWord)) {
            CallProcedure(CommandWord, true);
            return;
        }
        LastResult.clear();
        n = ContainedCommand(CommandWord);
        if (n < 0)
            n = table.number(toWide(CommandWord));
    }
    if (n >= 0 && n != 40 && n != 303) {
        if (commandCache.size() > 100000)
            commandCache.clear();
        commandCache.insert(CommandWord, n);
        RunCommandNumber(n);
        return;
    }
    if (CommandWord == QStringLiteral("\r"))
        return;
    ShowError(1, 16, CommandWord.isEmpty() ? Sentence : CommandWord);
}

} // namespace lumi
