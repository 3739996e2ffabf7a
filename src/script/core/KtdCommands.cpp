// The general commands and the settings sentences.
#include "common/Cp932.h"
#include "common/TextFile.h"
#include "script/core/KtdEngine.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>
#include <algorithm>

namespace lumi {

using namespace ktdtext;

namespace {

// Splits at every の outside 「」 and （）; a の in the first position does not split.
QStringList splitAtNo(const QString& text) {
    QStringList out;
    BracketMask mask(text, Corner | FullParen);
    qsizetype b = 0;
    for (qsizetype i = 1; i < text.size(); ++i)
        if (text[i] == u'の' && !mask.inside(i)) {
            out << text.mid(b, i - b);
            b = i + 1;
        }
    out << text.mid(b);
    return out;
}

QString objectName(const QString& arg) {
    qsizetype no = arg.indexOf(u'の');
    return no > 0 ? arg.left(no) : arg;
}

// Settings files in the usual [section] key=value form, in code page 932.
bool writeIniValue(const QString& path, const QString& section, const QString& key,
                   const QString& value) {
    if (path.isEmpty())
        return false;
    QStringList lines;
    if (std::optional<QByteArray> bytes = readWholeFile(path)) {
        QString text = cp932::decode(*bytes);
        text.replace(CrLf, QStringLiteral("\n"));
        lines = text.split(QLatin1Char('\n'));
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
    }
    const QString header = QLatin1Char('[') + section + QLatin1Char(']');
    qsizetype sec = -1;
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (lines[i].trimmed().compare(header, Qt::CaseInsensitive) == 0) {
            sec = i;
            break;
        }
    const QString entry = key + QLatin1Char('=') + value;
    if (sec < 0) {
        lines << header << entry;
    } else {
        qsizetype i = sec + 1;
        qsizetype insertAt = i;
        bool done = false;
        for (; i < lines.size() && !lines[i].trimmed().startsWith(QLatin1Char('[')); ++i) {
            if (!lines[i].trimmed().isEmpty())
                insertAt = i + 1;
            qsizetype eq = lines[i].indexOf(QLatin1Char('='));
            if (eq >= 0 && lines[i].left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0) {
                lines[i] = entry;
                done = true;
                break;
            }
        }
        if (!done)
            lines.insert(insertAt, entry);
    }
    return writeWholeFile(path, cp932::encode(lines.join(CrLf) + CrLf)).ok;
}

QString readIniValue(const QString& path, const QString& section, const QString& key) {
    std::optional<QByteArray> bytes = readWholeFile(path);
    if (!bytes)
        return {};
    QString text = cp932::decode(*bytes);
    text.replace(CrLf, QStringLiteral("\n"));
    const QString header = QLatin1Char('[') + section + QLatin1Char(']');
    bool in = false;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        QString t = line.trimmed();
        if (t.startsWith(QLatin1Char('['))) {
            in = t.compare(header, Qt::CaseInsensitive) == 0;
            continue;
        }
        qsizetype eq = line.indexOf(QLatin1Char('='));
        if (in && eq >= 0 && line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return line.mid(eq + 1);
    }
    return {};
}

const QStringList& registryRoots() {
    static const QStringList roots = {
        QStringLiteral("HKEY_CLASSES_ROOT"),     QStringLiteral("HKEY_CURRENT_USER"),
        QStringLiteral("HKEY_LOCAL_MACHINE"),    QStringLiteral("HKEY_USERS"),
        QStringLiteral("HKEY_PERFORMANCE_DATA"), QStringLiteral("HKEY_CURRENT_CONFIG"),
        QStringLiteral("HKEY_DYN_DATA")};
    return roots;
}

const QString kBadKey =
    QStringLiteral("キーが不正です。{ch}キーを指定するときは「 」をつける必要があります。");

} // namespace

void KtdEngine::RunCommandNumber(int n) {
    switch (n) {
    case 1:
        ShowMessageCommand();
        return;
    case 2:
        RunLoop();
        return;
    case 3: {
        const QString folder = QStringLiteral("フォルダ");
        QString o = ObjectArg;
        if (o.startsWith(folder) && o.size() > folder.size() && isSpace(o[folder.size()])) {
            QString path = EvaluateValue(o.mid(folder.size() + 1));
            if (!QDir().mkpath(path))
                ShowError(202, 16, path);
        } else
            ShowError(103, 16, objectName(ObjectArg.isEmpty() ? TargetArg : ObjectArg));
        return;
    }
    case 4:
    case 5: {
        if (!SecurityGate())
            return;
        const QString name = trimSpaces(EvaluateWithTable(ObjectArg, 203));
        QStringList parts = QProcess::splitCommand(name);
        QString program = parts.isEmpty() ? QString() : parts.takeFirst();
        QString found =
            QFileInfo(program).isFile() ? program : QStandardPaths::findExecutable(program);
        if (program.isEmpty() || found.isEmpty()) {
            ShowError(201, 16, name);
            return;
        }
        if (!QFileInfo(found).isExecutable()) {
            ShowError(209, 16, name);
            return;
        }
        if (n == 4) {
            qint64 pid = 0;
            if (QProcess::startDetached(found, parts, QString(), &pid))
                LastResult = QString::number(pid);
            else
                ShowError(201, 16, name);
        } else {
            QProcess process;
            process.start(found, parts);
            if (!process.waitForStarted()) {
                ShowError(201, 16, name);
                return;
            }
            while (!process.waitForFinished(20)) {
                letMessagesThrough();
                if (StopRequested)
                    break;
            }
        }
        return;
    }
    case 6:
        WaitSeconds();
        return;
    case 7:
        letMessagesThrough();
        return;
    case 9:  // a window is made current: there are no windows yet
    case 19: // closing a window
    case 20: // keystrokes to another program
    case 21: // printing
        return;
    case 10:
        EndCommand();
        return;
    case 11:
        WaitForever();
        return;
    case 12:
        JumpToLabel();
        return;
    case 13:
    case 14:
    case 16:
        SecurityGate();
        return;
    case 17:
        LeaveCommand();
        return;
    case 23:
        if (ObjectArg.isEmpty() && TargetArg.isEmpty())
            ShowError(101, 16);
        else
            ShowError(104, 16, objectName(ObjectArg.isEmpty() ? TargetArg : ObjectArg));
        return;
    case 24: {
        QString o = ObjectArg;
        QString v = LookupVariable(o);
        if (v != QStringLiteral("{no}"))
            o = v;
        LastResult = Calculate(o);
        return;
    }
    case 25:
        AddSubtract(1);
        return;
    case 26:
        AddSubtract(-1);
        return;
    case 27:
        if (toNarrow(trimSpaces(TargetArg)).toUpper() == QStringLiteral("KTD"))
            RunComnd(EvaluateValue(ObjectArg));
        return;
    case 28:
        CancelNextClose = true;
        return;
    case 29:
        StoreSetting();
        return;
    case 30:
        DictionaryStore();
        return;
    case 31: {
        const QString program = EvaluateValue(ObjectArg);
        Run(program, 0, QString(), 0, true);
        return;
    }
    case 32:
        DeclareCommand();
        return;
    case 33:
        ExecuteFile();
        return;
    case 34:
        AppendReferenceFile();
        return;
    case 35: {
        if (!SecurityGate())
            return;
        CallDllCommand(ExtractParticle(QStringLiteral("で")), LastResult);
        return;
    }
    case 36:
        SortCommand();
        return;
    case 37:
        if (DebugAttached) {
            bool cancel = false;
            const QString v = EvaluateValue(ObjectArg);
            if (owner.RunCmd)
                owner.RunCmd(cancel, v, QStringLiteral("報告"));
        }
        return;
    case 39:
        PatternSearch(false);
        return;
    case 41:
        PatternSearch(true);
        return;
    case 43:
        ShowError(105, 48);
        return;
    case 44:
        SwapCommand();
        return;
    case 300:
    case 301:
    case 302:
        if (trimSpaces(ObjectArg) == QStringLiteral("ウィンドウズ"))
            SecurityGate(); // the session is never ended for a script
        return;
    case 304:
        SecurityGate();
        return;
    case 400:
    case 401:
    case 402:
    case 403: {
        if (n == 401 && TargetArg.isEmpty()) {
            user.setClipboardText(EvaluateValue(ObjectArg));
            return;
        }
        if (n == 402 && ObjectArg.startsWith(QStringLiteral("フォルダ")) && ObjectArg.size() > 4 &&
            isSpace(ObjectArg[4])) {
            QDir(EvaluateValue(ObjectArg.mid(5))).removeRecursively();
            return;
        }
        if (!SecurityGate())
            return;
        QString target = TargetArg;
        if (target.endsWith(QStringLiteral("すぐ")))
            target.chop(qMin<qsizetype>(3, target.size()));
        const QString source = EvaluateValue(ObjectArg);
        const QString dest = EvaluateValue(target);
        QFileInfo si(source);
        if (n == 402) {
            if (!si.exists()) {
                ShowError(201, 16, source);
                return;
            }
            if (si.isDir())
                QDir(source).removeRecursively();
            else
                QFile::remove(source);
            return;
        }
        QString to = dest;
        if (n == 403 && !dest.contains(u'\\') && !dest.contains(u'/'))
            to = si.absolutePath() + QLatin1Char('/') + dest;
        else if (QFileInfo(dest).isDir())
            to = dest + QLatin1Char('/') + si.fileName();
        if (n == 401)
            QFile::copy(source, to);
        else
            QFile::rename(source, to);
        return;
    }
    default:
        break;
    }
    if (n == 8 || n == 18 || n == 22 || n == 38 || n == 42 || (n >= 200 && n <= 210)) {
        // Every object a script names is missing until scripts have windows.
        QString o = ObjectArg.isEmpty() ? TargetArg : ObjectArg;
        if (!o.isEmpty())
            ShowError(104, 16, objectName(o));
        return;
    }
    // Media, drawing, archives and transfers have no effect here yet.
}

void KtdEngine::ShowMessageCommand() {
    const QString means = ExtractParticle(QStringLiteral("で"));
    QString object = ObjectArg;
    // 「…」と表示 names its text with と.
    if (trimSpaces(object).isEmpty())
        object = ExtractParticle(QStringLiteral("と"));
    int style = 0;
    if (!means.isEmpty()) {
        qint32 s = 0;
        roundToInt32(toNumber(EvaluateWithTable(means, 201)), s);
        style = s;
    }
    const QString text = EvaluateValue(object);
    int answer = MessageBox(text, WindowTitle, style);
    if (!means.isEmpty())
        LastResult = QString::number(answer);
}

void KtdEngine::WaitSeconds() {
    if (trimSpaces(ObjectArg).isEmpty()) {
        ShowError(36, 48);
        return;
    }
    const double seconds = EvaluateNumber(ObjectArg);
    QElapsedTimer timer;
    timer.start();
    const qint64 ms = qint64(seconds * 1000);
    while (timer.elapsed() < ms && !StopRequested) {
        letMessagesThrough();
        QThread::msleep(10);
    }
}

void KtdEngine::WaitForever() {
    while (!StopRequested) {
        letMessagesThrough();
        QThread::msleep(20);
    }
}

void KtdEngine::EndCommand() {
    const QString o = trimSpaces(ObjectArg);
    if (o.isEmpty()) {
        StopRequested = true;
        RunStatus = 1;
    } else if (o == QStringLiteral("ウィンドウズ")) {
        // Gated like the original; the system itself is never shut down.
        if (SecurityGate())
            owner.DeleteUsedFiles();
    }
}

void KtdEngine::AddSubtract(int sign) {
    const QString name = trimSpaces(TargetArg);
    if (name.isEmpty()) {
        ShowError(35, 48);
        return;
    }
    double amount = 1;
    if (!trimSpaces(ObjectArg).isEmpty()) {
        qint32 a = 0;
        if (!roundToInt32(leadingAsciiNumber(ObjectArg), a) || a < -32768 || a > 32767)
            return; // the amount is a 16-bit number
        amount = a;
    }
    QString current;
    if (name.contains(u'（') || name.contains(u'('))
        current = EvaluateValue(name);
    else {
        current = LookupVariable(name);
        if (current == QStringLiteral("{no}"))
            current.clear();
    }
    AssignVariable(name, numberText(toNumber(current) + sign * amount));
}

void KtdEngine::SwapCommand() {
    const QString a = ExtractParticle(QStringLiteral("と"));
    const QString b = ObjectArg;
    const QString va = EvaluateValue(a);
    const QString vb = EvaluateValue(b);
    AssignVariable(a, vb);
    AssignVariable(b, va);
}

void KtdEngine::DictionaryStore() {
    const QString target = TargetArg;
    const QString object = ObjectArg;
    QString dict, key;
    qsizetype no = findFirstOutside(target, u"の");
    if (no > 0) {
        dict = target.left(no);
        key = target.mid(no + 1);
    } else {
        dict = dictionaryName;
        key = target;
    }
    if (trimSpaces(dict).isEmpty()) {
        ShowError(203, 16, target);
        return;
    }
    key = EvaluateValue(key);
    const QString value = EvaluateValue(object);
    QString text = LookupVariable(dict);
    if (text == QStringLiteral("{no}"))
        text.clear();
    QStringList lines = text.isEmpty() ? QStringList() : text.split(CrLf);
    const QString line = key + QLatin1Char('=') + value;
    bool replaced = false;
    for (QString& l : lines)
        if (l.startsWith(key + QLatin1Char('='))) {
            l = line;
            replaced = true;
            break;
        }
    if (!replaced)
        lines << line;
    SetVariable(dict, lines.join(CrLf));
}

void KtdEngine::SortCommand() {
    QString name = ObjectArg;
    int column = 0;
    qsizetype no = name.indexOf(u'の');
    if (no > 0 && name.endsWith(QStringLiteral("列目"))) {
        column = int(toNumber(name.mid(no + 1)));
        name = name.left(no);
    }
    const QString order = EvaluateValue(TargetArg);
    QString text = LookupVariable(name);
    if (text == QStringLiteral("{no}"))
        text.clear();
    QString sep;
    if (text.contains(PageSeparator))
        sep = QString(PageSeparator);
    else if (text.contains(CrLf))
        sep = CrLf;
    else {
        text.replace(u'、', u',');
        text.replace(u'，', u',');
        sep = QStringLiteral(",");
    }
    QStringList items = text.split(sep);
    auto keyOf = [&](const QString& item) -> QString {
        if (sep == QStringLiteral(",") || column <= 0)
            return item;
        QString row = item;
        row.replace(u'、', u',');
        row.replace(u'，', u',');
        return row.split(QLatin1Char(',')).value(column - 1);
    };
    if (column > 0 && sep != QStringLiteral(","))
        for (const QString& item : items) {
            QString row = item;
            row.replace(u'、', u',');
            row.replace(u'，', u',');
            if (row.split(QLatin1Char(',')).size() < column) {
                ShowError(QString::number(column) + QStringLiteral("列目はありません。"), 48);
                return;
            }
        }
    if (order == QStringLiteral("ランダム") || order == QStringLiteral("適当")) {
        for (qsizetype i = items.size() - 1; i > 0; --i)
            items.swapItemsAt(i, qsizetype(random->below(quint32(i + 1))));
    } else if (order == QStringLiteral("小さい順") || order == QStringLiteral("大きい順")) {
        const bool up = order == QStringLiteral("小さい順");
        std::stable_sort(items.begin(), items.end(), [&](const QString& a, const QString& b) {
            double x = toNumber(keyOf(a)), y = toNumber(keyOf(b));
            return up ? x < y : x > y;
        });
    } else if (order == QStringLiteral("逆") || order == QStringLiteral("降順") ||
               order == QStringLiteral("名前順")) {
        const bool up = order == QStringLiteral("名前順");
        std::stable_sort(items.begin(), items.end(), [&](const QString& a, const QString& b) {
            int c = QString::compare(keyOf(a), keyOf(b));
            return up ? c < 0 : c > 0;
        });
    } else if (order == QStringLiteral("漢字順")) {
        ShowError(27, 48, order);
        return;
    } else
        return;
    SetVariable(name, items.join(sep));
}

void KtdEngine::PatternSearch(bool subMatches) {
    const QString source = ExtractParticle(QStringLiteral("から"));
    const QString pattern = EvaluateValue(ObjectArg);
    const QString text = EvaluateValue(source);
    QRegularExpression re(pattern, QRegularExpression::CaseInsensitiveOption);
    if (!re.isValid()) {
        ShowError(38, 48, QStringLiteral("5017 ") + re.errorString());
        return;
    }
    QStringList out;
    if (subMatches) {
        QRegularExpressionMatch m = re.match(text);
        if (m.hasMatch())
            for (int i = 1; i <= re.captureCount(); ++i)
                out << m.captured(i);
    } else {
        QRegularExpressionMatchIterator it = re.globalMatch(text);
        int guard = 0;
        while (it.hasNext() && ++guard < 1000000)
            out << it.next().captured(0);
    }
    LastResult = out.join(QLatin1Char(','));
}

void KtdEngine::SettingSentence(int n) {
    const QString raw = ObjectArg;
    switch (n) {
    case 0:
        return;
    case 2: {
        if (raw == QStringLiteral("かめ") || raw == QStringLiteral("亀") ||
            raw == QStringLiteral("カメ")) {
            plainSettings.remove(2);
            return;
        }
        const QString file = EvaluateValue(raw);
        if (!QFileInfo(file).isFile())
            ShowError(201, 16, file);
        else
            plainSettings.insert(2, file);
        return;
    }
    case 4: {
        WindowTitle = EvaluateValue(raw);
        return;
    }
    case 7: {
        double v = std::fmod(90 - EvaluateNumber(raw), 360.0);
        if (v < 0)
            v += 360;
        turtleHeading = v;
        return;
    }
    case 9: {
        const QString v = trimSpaces(raw);
        if (v == QStringLiteral("表示"))
            ErrorMode = 0;
        else if (v == QStringLiteral("続ける"))
            ErrorMode = 2;
        else {
            ErrorMode = 1;
            if (v != QStringLiteral("無視"))
                ErrorHandler = v;
        }
        return;
    }
    case 11: {
        const QString path = EvaluateValue(raw);
        if (!QDir::setCurrent(path))
            ShowError(201, 16, path);
        return;
    }
    case 12:
        instrument = int(EvaluateNumber(raw));
        return;
    case 14:
        dictionaryName = trimSpaces(raw);
        return;
    case 30:
        ftpPassword = EvaluateValue(raw);
        return;
    case 31:
        ftpUser = EvaluateValue(raw);
        return;
    case 32:
        ftpServer = EvaluateValue(raw);
        return;
    case 33:
        if (DebugAttached)
            CommandLineText = EvaluateValue(raw);
        return;
    case 34:
        settingsFilePath = EvaluateValue(raw);
        return;
    default:
        plainSettings.insert(n, EvaluateValue(raw));
        return;
    }
}

void KtdEngine::StoreSetting() {
    const QString target = TargetArg;
    const QString value = EvaluateValue(ObjectArg);
    QStringList parts = splitAtNo(target);
    for (QString& p : parts)
        p = EvaluateValue(p);
    if (parts.value(0) == QStringLiteral("レジストリ")) {
        if (!SecurityGate())
            return;
        const QString spec = parts.value(1);
        qsizetype first = spec.indexOf(u'\\');
        qsizetype last = spec.lastIndexOf(u'\\');
        if (first < 0) {
            ShowError(kBadKey, 48);
            return;
        }
        const QString root = spec.left(first).toUpper();
        if (!registryRoots().contains(root)) {
            ShowError(32, 48, spec.left(first));
            return;
        }
        const QString key = first < last ? spec.mid(first + 1, last - first - 1) : QString();
        const QString valueName = spec.mid(last + 1);
        if (!system || !system->registryWrite(root, key, valueName, value))
            ShowError(26, 48);
        return;
    }
    if (parts.value(0) == QStringLiteral("設定ファイル")) {
        if (!writeIniValue(settingsFilePath, parts.value(1), parts.value(2), value))
            ShowError(QStringLiteral("設定ファイルへの書き込みが失敗しました"), 48);
        return;
    }
    if (system)
        system->appSettingWrite(QStringLiteral("AppSettings\\") + parts.value(0), parts.value(1),
                                value);
}

QString KtdEngine::ReadSetting(const QString& specText) {
    QStringList parts = splitAtNo(specText);
    for (QString& p : parts)
        p = EvaluateValue(p);
    if (parts.size() < 2) {
        ShowError(35, 48);
        return {};
    }
    if (parts[0] == QStringLiteral("レジストリ")) {
        if (!SecurityGate())
            return {};
        const QString spec = parts[1];
        qsizetype first = spec.indexOf(u'\\');
        qsizetype last = spec.lastIndexOf(u'\\');
        if (first < 0) {
            ShowError(kBadKey, 48);
            return {};
        }
        const QString root = spec.left(first).toUpper();
        if (!registryRoots().contains(root)) {
            ShowError(32, 48, spec.left(first));
            return {};
        }
        const QString key = first < last ? spec.mid(first + 1, last - first - 1) : QString();
        std::optional<QString> v =
            system ? system->registryRead(root, key, spec.mid(last + 1)) : std::nullopt;
        return v ? v->left(255) : QString();
    }
    if (parts[0] == QStringLiteral("設定ファイル"))
        return readIniValue(settingsFilePath, parts.value(1), parts.value(2));
    return system ? system->appSettingRead(QStringLiteral("AppSettings\\") + parts[0], parts[1])
                  : QString();
}

void KtdEngine::DeclareCommand() {
    QString word = ExtractParticle(QStringLiteral("として"));
    if (word.isEmpty())
        word = ExtractParticle(QStringLiteral("と"));
    word = trimSpaces(word);
    const KtdTable& functions = ktdTable(102);
    if (LookupCommand(word) >= 0 || functions.lookup(word) >= 0 ||
        functions.lookup(toWide(word)) >= 0) {
        ShowError(605, 48, word);
        return;
    }
    if (word.isEmpty())
        return;
    if (ObjectArg.contains(u'の')) {
        QStringList extra = {QStringLiteral("終了"), QStringLiteral("手順は　") + word,
                             ObjectArg + QStringLiteral("で") + word + QStringLiteral("を呼び出せ"),
                             word + QStringLiteral("は　それ"), QStringLiteral("終わり")};
        if (!ProgramText.endsWith(CrLf))
            ProgramText += CrLf;
        ProgramText += extra.join(CrLf) + CrLf;
        ProgramLines = ProgramText.split(CrLf);
        ComputeBlockDepths();
        RegisterProcedures();
        notProcedures.clear();
        loopEnds.clear();
        while (StopLines.size() < ProgramLines.size())
            StopLines << 0;
        declaredDllWords.insert(toWide(word));
        return;
    }
    int n = LookupCommand(trimSpaces(ObjectArg));
    if (n >= 0 && n != 40 && n != 303) {
        commandCache.insert(word, n);
        declaredAliases.insert(word, ObjectArg);
    }
}

void KtdEngine::CallDllCommand(const QString& means, const QString& argumentText) {
    // A declared word carries the object as written, so a quoted
    // 「library の function」 reaches this point with its quotes.
    QString spec = trimSpaces(means);
    if (spec.size() >= 2 && spec.startsWith(u'「') && spec.endsWith(u'」'))
        spec = spec.mid(1, spec.size() - 2);
    qsizetype no = spec.indexOf(u'の');
    const QString library = trimSpaces(no >= 0 ? spec.left(no) : spec);
    const QString function = trimSpaces(no >= 0 ? spec.mid(no + 1) : QString());
    const QStringList pieces =
        argumentText.isEmpty() ? QStringList() : splitArgumentsRaw(argumentText);
    QList<KtdDllArgument> args;
    QList<QStringList> blockElements;
    auto fieldOf = [&](const QString& element) {
        KtdDllField f;
        QString v = LookupVariable(element);
        if (v == QStringLiteral("{no}"))
            v = EvaluateValue(element);
        qint32 i = 0;
        if (isNumeric(v) && roundToInt32(numericValue(v), i)) {
            f.number = i;
        } else {
            f.isText = true;
            f.text = cp932::encode(v);
        }
        return f;
    };
    for (const QString& piece : pieces) {
        KtdDllArgument a;
        QStringList elements;
        if (piece.startsWith(u'＠')) {
            a.kind = KtdDllArgument::Kind::Block;
            QString list = LookupVariable(piece.mid(1));
            if (list == QStringLiteral("{no}"))
                list = piece.mid(1);
            elements = splitArgumentsRaw(list);
            for (const QString& e : elements)
                a.fields << fieldOf(e);
        } else {
            const QString v = EvaluateValue(piece);
            qint32 i = 0;
            if (isNumeric(v) && roundToInt32(numericValue(v), i)) {
                a.kind = KtdDllArgument::Kind::Number;
                a.number = i;
            } else {
                a.kind = KtdDllArgument::Kind::Text;
                a.text = cp932::encode(v);
            }
        }
        args << a;
        blockElements << elements;
    }
    qint32 result = 0;
    KtdDllStatus status =
        system ? system->callDll(library, function, args, result) : KtdDllStatus::LibraryNotFound;
    if (status == KtdDllStatus::LibraryNotFound) {
        ShowError(601, 16, library);
        return;
    }
    if (status == KtdDllStatus::FunctionNotFound) {
        ShowError(602, 16, function);
        return;
    }
    if (status == KtdDllStatus::CallFailed) {
        ShowError(604, 16);
        result = 0;
    }
    const KtdTable& functions = ktdTable(102);
    for (qsizetype k = 0; k < pieces.size() && k < args.size(); ++k) {
        const QString& piece = pieces[k];
        const KtdDllArgument& a = args[k];
        if (a.kind == KtdDllArgument::Kind::Block) {
            const QStringList& elements = blockElements[k];
            for (qsizetype e = 0; e < elements.size() && e < a.fields.size(); ++e) {
                const KtdDllField& f = a.fields[e];
                if (!isNumeric(elements[e]) && !elements[e].startsWith(u'「'))
                    SetVariable(elements[e],
                                f.isText ? cp932::decode(f.text) : QString::number(f.number));
            }
            continue;
        }
        if (piece.startsWith(u'「') || isNumeric(piece) || functions.lookup(piece) >= 0 ||
            piece.isEmpty())
            continue;
        if (!HasVariable(piece))
            continue;
        SetVariable(piece, a.kind == KtdDllArgument::Kind::Text ? cp932::decode(a.text)
                                                                : QString::number(a.number));
    }
    LastResult = QString::number(result);
}

} // namespace lumi
