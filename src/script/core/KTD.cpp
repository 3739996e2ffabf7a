#include "script/core/KTD.h"

#include "common/Cp932.h"
#include "common/TextFile.h"
#include "common/Version.h"
#include "script/core/KtdEngine.h"

#include <QFile>
#include <algorithm>

namespace lumi {

using namespace ktdtext;

KTD::KTD(UserPort& user, KtdSystemPort* system)
    : d(std::make_unique<KtdEngine>(*this, user, system)) {}
KTD::~KTD() = default;

void KTD::DoPause() {
    if (d->RunStatus == 2) {
        d->RunStatus = 0;
        return;
    }
    d->RunStatus = 2;
    bool cancel = false;
    if (RunCmd)
        RunCmd(cancel, QString(), QStringLiteral("中断"));
}

void KTD::DoStop() {
    d->StopRequested = true;
    d->RunStatus = 1;
}

int KTD::GetErrLine() const {
    return d->currentLine();
}
QString KTD::GetErrWord() const {
    return d->LastErrorWord;
}
int KTD::GetStatus() const {
    return d->RunStatus;
}
QString KTD::GetObjName(quintptr) const {
    return {};
}

QString KTD::GetForEditor(int kind) const {
    if (kind != 1)
        return {};
    QString out;
    QList<const KtdEngine::Variable*> ordered;
    for (const KtdEngine::Variable& v : d->variables)
        ordered << &v;
    std::sort(ordered.begin(), ordered.end(), [](auto a, auto b) { return a->order < b->order; });
    for (const KtdEngine::Variable* v : ordered)
        out += QStringLiteral("◆") + toWide(trimSpaces(v->name)) + CrLf + decodeEscapes(v->value) +
               CrLf;
    return out;
}

void KTD::Run(const QString& programText, qint32 accessNumber, const QString& fileName,
              int preserve) {
    d->Run(programText, accessNumber, fileName, preserve);
}

void KTD::RunComnd(const QString& line) {
    d->RunComnd(line);
}

void KTD::RunFile(const QString& fileName, qint32 accessNumber, int preserve) {
    std::optional<QByteArray> bytes = readWholeFile(fileName);
    Run(bytes ? cp932::decode(*bytes) : QString(), accessNumber, fileName, preserve);
}

QVariant KTD::GetSetInfo(const QString& kind, const QString& content) {
    KtdEngine& e = *d;
    if (kind == QStringLiteral("手順")) {
        e.CallProcedure(content, false);
        return {};
    }
    if (kind == QStringLiteral("変数"))
        return e.EvaluateValue(content);
    if (kind == QStringLiteral("エラー")) {
        e.ShowError(content, 48);
        return {};
    }
    if (kind == QStringLiteral("引数")) {
        QStringList parts = e.ExtractParticles(content.split(QLatin1Char('\t')));
        return parts.join(QLatin1Char('\t'));
    }
    if (kind == QStringLiteral("引数２")) {
        QString o = e.ObjectArg;
        qsizetype no = o.indexOf(u'の');
        if (no >= 0)
            o = o.mid(no + 1);
        return e.CommandWord + QLatin1Char('\t') + o;
    }
    if (kind == QStringLiteral("分割")) {
        QStringList out;
        BracketMask mask(content, Corner | FullParen);
        qsizetype b = 0;
        for (qsizetype i = 1; i < content.size(); ++i)
            if (content[i] == u'の' && !mask.inside(i)) {
                out << content.mid(b, i - b);
                b = i + 1;
            }
        out << content.mid(b);
        return out.join(QLatin1Char('\t'));
    }
    if (kind == QStringLiteral("コマンドライン")) {
        QString c = content;
        if (c.size() >= 2 && c.startsWith(u'"') && c.endsWith(u'"'))
            c = c.mid(1, c.size() - 2);
        e.CommandLineText = c;
        return {};
    }
    if (kind == QStringLiteral("プログラム")) {
        e.InstallProgram(KtdEngine::NormaliseProgram(content));
        return {};
    }
    if (kind == QStringLiteral("状態")) {
        e.StopRequested = truthValue(content);
        return {};
    }
    if (kind == QStringLiteral("イベント処理")) {
        e.EventProcessing = toNumber(content) != 0;
        return {};
    }
    if (kind == QStringLiteral("バージョン"))
        return QStringLiteral("0.52.") + QString::number(VersionRevision);
    if (kind == QStringLiteral("チェック"))
        return true;
    if (kind == QStringLiteral("チェック番号")) {
        e.Trusted = qint64(toNumber(content)) == qint64(AccessNumber());
        return {};
    }
    if (kind == QStringLiteral("高度エラーメッセージ")) {
        e.AdvancedErrors = truthValue(content);
        return {};
    }
    return {};
}

void KTD::SetObj(QObject* window) {
    d->HostWindow = window;
}
void KTD::SetDebugObj(bool attached) {
    d->DebugAttached = attached;
}
void KTD::SetStopLine(const QList<qint16>& lines) {
    d->StopLines = lines;
}

QString KTD::xCallBack(int kind, const QString& name, const QString& argument) {
    if (kind == 0) {
        QString answer;
        if (GetData)
            GetData(answer, name);
        return answer == QStringLiteral("True") ? QStringLiteral("{no}") : answer;
    }
    if (kind == 1) {
        const QString value = d->EvaluateValue(argument);
        const double number = toNumber(value);
        bool cancel = false;
        if (SetData)
            SetData(cancel, argument, number, value, name);
        return cancel ? QStringLiteral("False") : QStringLiteral("True");
    }
    bool cancel = false;
    if (RunCmd)
        RunCmd(cancel, argument, name);
    return cancel ? QStringLiteral("False") : QStringLiteral("True");
}

QStringList KTD::UsedFiles() const {
    QStringList out;
    static const QString markers[] = {QStringLiteral("使うファイルは　"),
                                      QStringLiteral("使うファイルは "),
                                      QStringLiteral("使うファイルは、")};
    for (const QString& line : d->ProgramLines)
        for (const QString& m : markers) {
            qsizetype p = line.indexOf(m);
            if (p >= 0) {
                out << line.mid(p + 8);
                break;
            }
        }
    return out;
}

void KTD::DeleteUsedFiles() {
    for (const QString& name : UsedFiles())
        QFile::remove(d->EvaluateValue(name));
}

qint32 KTD::AccessNumber() const {
    return d->todaysAccessNumber();
}

} // namespace lumi
