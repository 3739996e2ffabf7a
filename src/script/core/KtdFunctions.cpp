// Function calls inside values: the function table and the functions that
// need no window.
#include "common/Cp932.h"
#include "common/TextFile.h"
#include "common/Version.h"
#include "script/core/KtdEngine.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <cmath>

namespace lumi {

using namespace ktdtext;

namespace {

constexpr qsizetype kMaxResult = 16 * 1024 * 1024; // characters a repetition may produce

QString folderText(QString path) {
    if (!path.endsWith(QLatin1Char('/')) && !path.endsWith(QLatin1Char('\\')))
        path += QLatin1Char('/');
    return path;
}

qsizetype lastSeparator(const QString& path) {
    return qMax(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
}

QStringList arrayItems(QString text) {
    text.replace(u'、', u',');
    text.replace(u'，', u',');
    QStringList out;
    for (const QString& row : text.split(CrLf))
        out << row.split(QLatin1Char(','));
    return out;
}

} // namespace

QString KtdEngine::CallFunction(const QString& word, bool lookupOnly) {
    int n = -1;
    auto hit = functionCache.constFind(word);
    if (hit != functionCache.constEnd()) {
        n = *hit;
        if (n == -1)
            return QStringLiteral("{no}");
        if (n < -1) // a word of the constant table
            return lookupOnly ? QString() : ktdTable(205).values[-n - 2];
    } else {
        QString w = word;
        if (w.endsWith(u'＄') || w.endsWith(u'$'))
            w.chop(1);
        const KtdTable& t = ktdTable(102);
        n = t.number(w);
        if (n < 0)
            n = t.number(toWide(w).toUpper());
        if (n < 0) {
            const KtdTable& c = ktdTable(205);
            int row = c.lookup(word);
            if (functionCache.size() > 100000)
                functionCache.clear();
            functionCache.insert(word, row < 0 ? -1 : -row - 2);
            if (row < 0)
                return QStringLiteral("{no}");
            return lookupOnly ? QString() : c.values[row];
        }
        if (lookupOnly)
            return QString();
        if (functionCache.size() > 100000)
            functionCache.clear();
        functionCache.insert(word, n);
    }
    if (lookupOnly)
        return QString();
    FunctionResult.clear();
    FunctionResult = RunFunction(n);
    return FunctionResult;
}

QString KtdEngine::RunFunction(int n) {
    const QString argsText = FunctionArgs; // evaluation below may overwrite it
    auto args = [&](int count) { return SplitArguments(argsText, count, true); };
    auto num = [](const QString& s) { return toNumber(s); };
    auto intOf = [](const QString& s) {
        qint32 v = 0;
        roundToInt32(toNumber(s), v);
        return v;
    };
    switch (n) {
    case 1: {
        QStringList raw = splitArgumentsRaw(argsText);
        const QString prompt = EvaluateValue(raw.value(0));
        qint32 style = 0;
        roundToInt32(toNumber(EvaluateWithTable(raw.value(1), 201)), style);
        QString title = EvaluateValue(raw.value(2));
        if (title.isEmpty())
            title = WindowTitle;
        return QString::number(MessageBox(prompt, title, style));
    }
    case 2: {
        QStringList a = args(3);
        QString title = a[2].isEmpty() ? WindowTitle : a[2];
        std::optional<QString> r = user.inputBox(a[0], title, a[1]);
        return r ? *r : QString();
    }
    case 3:
        return CrLf;
    case 4:
        return QStringLiteral("\t");
    case 5:
    case 6:
    case 8: {
        QStringList a = args(2);
        qint32 k = intOf(a[1]);
        if (k < 0) {
            ShowError(5, 48, a[1]);
            return {};
        }
        if (n == 5)
            return a[0].left(k);
        if (n == 6)
            return a[0].right(k);
        return a[0].left(qMax<qsizetype>(0, a[0].size() - k));
    }
    case 7: {
        QStringList raw = splitArgumentsRaw(argsText);
        QStringList a = args(3);
        qint32 start = intOf(a[1]);
        if (start < 1 || (raw.size() >= 3 && intOf(a[2]) < 0)) {
            ShowError(31, 48);
            return {};
        }
        if (raw.size() >= 3)
            return a[0].mid(start - 1, intOf(a[2]));
        return a[0].mid(start - 1);
    }
    case 9: {
        QStringList a = args(3);
        if (a[1].isEmpty())
            return a[0];
        QString t = a[0];
        t.replace(a[1], a[2]);
        return t;
    }
    case 10: {
        QStringList a = args(4);
        qint32 k = intOf(a[0]);
        const QString& t = a[1];
        if (a[2].isEmpty() || a[3].isEmpty() || k < 1)
            return {};
        qsizetype pos = 0;
        for (qint32 i = 1;; ++i) {
            qsizetype o = t.indexOf(a[2], pos);
            if (o < 0)
                return {};
            qsizetype c = t.indexOf(a[3], o + a[2].size());
            if (c < 0)
                return {};
            if (i == k)
                return t.mid(o + a[2].size(), c - o - a[2].size());
            pos = c + a[3].size();
        }
    }
    case 11: {
        QStringList a = args(2);
        return ReadElement(a[0], {a[1]});
    }
    case 12: {
        QStringList a = args(2);
        qint32 k = intOf(a[1]);
        QStringList lines = a[0].split(CrLf);
        return k >= 1 && k <= lines.size() ? lines[k - 1] : QString();
    }
    case 13:
        return trimSpaces(args(1)[0]);
    case 14:
        return trimLeft(args(1)[0]);
    case 15:
        return trimRight(args(1)[0]);
    case 16: {
        QByteArray b = cp932::encode(args(1)[0].left(1));
        if (b.isEmpty())
            return QStringLiteral("0");
        if (b.size() == 1)
            return QString::number(quint8(b[0]));
        return QString::number(qint16(quint16((quint8(b[0]) << 8) | quint8(b[1]))));
    }
    case 17: {
        qint32 c = intOf(args(1)[0]);
        QByteArray b;
        quint16 u = quint16(c);
        if (u > 0xFF)
            b.append(char(u >> 8));
        b.append(char(u & 0xFF));
        return cp932::decode(b);
    }
    case 18:
        return args(1)[0].toUpper();
    case 19:
        return args(1)[0].toLower();
    case 20:
        return toWide(args(1)[0]);
    case 21:
        return toNarrow(args(1)[0]);
    case 22:
        return toHiragana(args(1)[0]);
    case 23:
        return toKatakana(args(1)[0]);
    case 24:
        ShowError(27, 48, args(1)[0]);
        return {};
    case 25:
    case 26: {
        QStringList a = args(2);
        QString unit = n == 25 ? a[0] : QStringLiteral(" ");
        qint32 k = intOf(n == 25 ? a[1] : a[0]);
        if (k <= 0 || unit.isEmpty())
            return {};
        if (qint64(k) * unit.size() > kMaxResult) {
            ShowError(4, 48);
            return {};
        }
        return unit.repeated(k);
    }
    case 27: {
        QStringList a = args(2);
        return a[1].isEmpty() ? QStringLiteral("0") : QString::number(a[0].count(a[1]));
    }
    case 28: {
        QString t = args(1)[0];
        if (t.isEmpty())
            return QStringLiteral("0");
        qsizetype lines = t.count(CrLf) + 1;
        if (t.endsWith(CrLf))
            --lines;
        return QString::number(lines);
    }
    case 29:
        return QString::number(args(1)[0].size());
    case 38:
        return QString::number(args(1)[0].size() * 2);
    case 30: {
        QStringList a = args(3);
        qint32 start = a[2].isEmpty() ? 1 : intOf(a[2]);
        if (start < 1)
            start = 1;
        qsizetype p = a[0].indexOf(a[1], start - 1);
        return QString::number(p < 0 ? 0 : p + 1);
    }
    case 31: {
        QStringList a = args(3);
        qsizetype from = a[2].isEmpty() ? -1 : qsizetype(intOf(a[2])) - 1;
        if (!a[2].isEmpty() && from < 0)
            return QStringLiteral("0");
        qsizetype p = a[0].lastIndexOf(a[1], from);
        return QString::number(p < 0 ? 0 : p + 1);
    }
    case 32:
        return args(2)[0];
    case 39:
        return numberText(num(args(1)[0]) * 100) + QStringLiteral("%");
    case 40:
        return QStringLiteral("\\") +
               QLocale::c().toString(qlonglong(std::llround(num(args(1)[0]))));
    case 33: {
        QStringList a = args(2);
        for (const QString& line : a[0].split(CrLf))
            if (line.startsWith(a[1] + QLatin1Char('=')))
                return line.mid(a[1].size() + 1);
        return {};
    }
    case 34:
        return LastResult;
    case 35: {
        QStringList a = args(3);
        QRegularExpression re(a[1], QRegularExpression::CaseInsensitiveOption);
        if (!re.isValid()) {
            ShowError(38, 48, QStringLiteral("5017"));
            return a[0];
        }
        QRegularExpressionMatch m = re.match(a[0]);
        if (!m.hasMatch())
            return a[0];
        QString t = a[0];
        t.replace(m.capturedStart(), m.capturedLength(), a[2]);
        return t;
    }
    case 36:
        return QStringLiteral("0.52.") + QString::number(VersionRevision);
    case 37: {
        QFileInfo fi(QCoreApplication::applicationFilePath());
        return fi.lastModified().toString(QStringLiteral("yyyy/MM/dd H:mm:ss"));
    }
    case 41: {
        QStringList a = args(2);
        QString t = a[0];
        t.replace(u'、', u',');
        t.replace(u'，', u',');
        const QStringList rows = t.split(CrLf);
        if (a[1] == QStringLiteral("行"))
            return QString::number(rows.size());
        if (a[1] == QStringLiteral("列"))
            return QString::number(rows.value(0).split(QLatin1Char(',')).size());
        return QString::number(arrayItems(a[0]).size());
    }
    case 42:
        return QStringLiteral("0");
    case 43: {
        QStringList a = args(2);
        QString t = a[0];
        if (!a[1].isEmpty())
            t.replace(a[1], QStringLiteral(","));
        return t;
    }
    case 44: {
        QStringList raw = splitArgumentsRaw(argsText);
        bool r = EvaluateCondition(raw.value(0), false, QString());
        return EvaluateValue(raw.value(r ? 1 : 2));
    }
    case 45:
        return QStringLiteral("\t");
    case 46:
    case 47: {
        QStringList a = args(4);
        const bool invert = n == 47 && a[3].contains(QStringLiteral("一致しない"));
        qint32 column = intOf(a[2]);
        QString t = a[0];
        t.replace(u'、', u',');
        t.replace(u'，', u',');
        QStringList out;
        int index = 0;
        for (const QString& row : t.split(CrLf)) {
            const QStringList items = row.split(QLatin1Char(','));
            for (qsizetype c = 0; c < items.size(); ++c) {
                ++index;
                if (column > 0 && c + 1 != column)
                    continue;
                bool hit = decodeEscapes(items[c]).contains(a[1]);
                if (n == 46 && hit)
                    out << QString::number(index);
                else if (n == 47 && hit != invert)
                    out << items[c];
            }
        }
        return out.join(QLatin1Char(','));
    }
    case 48:
        return WindowTitle;
    case 49: {
        QStringList a = args(2);
        QString t = a[0];
        t.replace(u'、', u',');
        t.replace(u'，', u',');
        QStringList rows = t.split(CrLf);
        qint32 k = intOf(a[1]);
        if (a[1].endsWith(QStringLiteral("行目"))) {
            if (k >= 1 && k <= rows.size())
                rows.removeAt(k - 1);
        } else if (a[1].endsWith(QStringLiteral("列目"))) {
            for (QString& row : rows) {
                QStringList items = row.split(QLatin1Char(','));
                if (k >= 1 && k <= items.size())
                    items.removeAt(k - 1);
                row = items.join(QLatin1Char(','));
            }
        }
        return rows.join(CrLf);
    }
    case 100:
    case 101:
    case 102: {
        QDateTime now = QDateTime::currentDateTime();
        if (n == 100 && !argsText.isEmpty()) {
            QStringList a = args(6);
            now = QDateTime(QDate(intOf(a[0]), intOf(a[1]), intOf(a[2])),
                            QTime(intOf(a[3]), intOf(a[4]), intOf(a[5])));
        }
        if (n == 101)
            return now.toString(QStringLiteral("yyyy/MM/dd"));
        if (n == 102)
            return now.toString(QStringLiteral("H:mm:ss"));
        return now.toString(QStringLiteral("yyyy/MM/dd H:mm:ss"));
    }
    case 103:
        return numberText(QTime(0, 0).msecsTo(QTime::currentTime()) / 1000.0);
    case 104:
    case 105:
    case 106:
    case 107:
    case 108:
    case 109:
    case 110:
    case 111: {
        QDateTime t = QDateTime::currentDateTime();
        if (!argsText.isEmpty()) {
            QString s = args(1)[0];
            QDateTime p = QDateTime::fromString(s, QStringLiteral("yyyy/M/d H:m:s"));
            if (!p.isValid())
                p = QDateTime(QDate::fromString(s, QStringLiteral("yyyy/M/d")), QTime(0, 0));
            if (!p.isValid())
                p = QDateTime(QDate::currentDate(), QTime::fromString(s, QStringLiteral("H:m:s")));
            if (p.isValid())
                t = p;
        }
        static const char16_t* days[] = {u"日曜日", u"月曜日", u"火曜日", u"水曜日",
                                         u"木曜日", u"金曜日", u"土曜日"};
        int dow = t.date().dayOfWeek() % 7; // Sunday first
        switch (n) {
        case 104:
            return QString::number(t.date().year());
        case 105:
            return QString::number(t.date().month());
        case 106:
            return QString::number(t.date().day());
        case 107:
            return QString::number(t.time().hour());
        case 108:
            return QString::number(t.time().minute());
        case 109:
            return QString::number(t.time().second());
        case 110:
            return QString::number(dow + 1);
        default:
            return QString::fromUtf16(days[dow]);
        }
    }
    case 215:
        return qEnvironmentVariable(args(1)[0].toLocal8Bit().constData());
    case 217:
        return CommandLineText;
    case 218:
        return LastErrorMessage;
    case 219:
        return QString::number(LastErrorNumber);
    case 220:
        return ReadSetting(argsText);
    case 300: {
        bool ok = false;
        qlonglong v = toNarrow(args(1)[0]).trimmed().toLongLong(&ok, 16);
        return QString::number(ok ? v : 0);
    }
    case 301: {
        qint32 v = intOf(args(1)[0]);
        return QString::number(quint32(v), 16).toUpper();
    }
    case 302: {
        QStringList a = args(2);
        double x = num(a[0]);
        double f = std::pow(10.0, a[1].isEmpty() ? 0 : num(a[1]));
        return numberText(std::trunc(x * f) / f);
    }
    case 303:
        return numberText(std::floor(num(args(1)[0])));
    case 304:
    case 305: {
        double r = num(args(1)[0]) * 0.017453277777777776;
        double v = n == 304 ? std::sin(r) : std::cos(r);
        return numberText(std::floor(100 * v + 1) / 100);
    }
    case 321: {
        double v = std::atan(num(args(1)[0]) * 0.017453277777777776);
        return numberText(std::floor(100 * v + 1) / 100);
    }
    case 306:
        return numberText(std::tan(num(args(1)[0])));
    case 307: {
        QStringList a = args(2);
        double x = num(a[0]);
        double f = std::pow(10.0, a[1].isEmpty() ? 0 : num(a[1]));
        return numberText(std::floor(x * f + 0.5) / f);
    }
    case 308:
        return numberText(std::fabs(num(args(1)[0])));
    case 309: {
        double x = num(args(1)[0]);
        return x < 0 ? QString() : numberText(std::sqrt(x));
    }
    case 310:
        return numberText(std::exp(num(args(1)[0])));
    case 311: {
        qint32 k = intOf(args(1)[0]);
        return k <= 0 ? QStringLiteral("0") : QString::number(random->below(quint32(k) + 1));
    }
    case 312: {
        double x = num(args(1)[0]);
        return x <= 0 ? QString() : numberText(std::log(x));
    }
    case 314:
    case 315: {
        QStringList a = args(2);
        QStringList items = arrayItems(a[0]);
        qint32 column = intOf(a[1]);
        if (column > 0) {
            QStringList picked;
            QString t = a[0];
            t.replace(u'、', u',');
            t.replace(u'，', u',');
            for (const QString& row : t.split(CrLf))
                picked << row.split(QLatin1Char(',')).value(column - 1);
            items = picked;
        }
        qint64 sum = 0;
        for (const QString& i : items) {
            qint32 v = 0;
            roundToInt32(double(sum) + toNumber(i), v);
            sum = v;
        }
        if (n == 315)
            return QString::number(sum);
        return items.isEmpty() ? QStringLiteral("0")
                               : numberText(double(sum) / double(items.size()));
    }
    case 316:
    case 317:
    case 318:
    case 319:
    case 320: {
        QStringList a = args(2);
        quint32 x = quint32(intOf(a[0])), y = quint32(intOf(a[1]));
        quint32 r = 0;
        switch (n) {
        case 316:
            r = x | y;
            break;
        case 317:
            r = ~x | y;
            break;
        case 318:
            r = x ^ y;
            break;
        case 319:
            r = ~(x ^ y);
            break;
        default:
            r = x & y;
            break;
        }
        return QString::number(qint32(r));
    }
    case 322:
        return numberText(num(args(1)[0]) * 0.017453277777777776);
    case 400: {
        const QString name = args(1)[0];
        std::optional<QByteArray> bytes = readWholeFile(name);
        if (!bytes) {
            ShowError(name.contains(u'\\') ? 204 : 201, 16, name);
            return {};
        }
        return cp932::decode(*bytes);
    }
    case 404:
        return QString::number(QFileInfo(args(1)[0]).size());
    case 407: {
        QString p = args(1)[0];
        return p.left(lastSeparator(p) + 1);
    }
    case 408: {
        QString p = args(1)[0];
        return p.mid(lastSeparator(p) + 1);
    }
    case 409: {
        QString p = args(1)[0];
        qsizetype dot = p.lastIndexOf(QLatin1Char('.'));
        return dot < 0 ? QString() : p.mid(dot + 1);
    }
    case 500:
        return folderText(QDir::currentPath());
    case 503:
        return folderText(QDir::tempPath());
    case 509:
        if (!SecurityGate())
            return {};
        return {};
    case 511: {
        QString p = ScriptFileName;
        return p.left(lastSeparator(p) + 1);
    }
    default:
        return {};
    }
}

} // namespace lumi
