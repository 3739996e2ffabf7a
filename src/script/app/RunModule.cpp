#include "script/app/RunModule.h"

#include "script/core/KTD.h"
#include "script/sys/AccessNumber.h"
#include "script/sys/PackagedScript.h"
#include "script/sys/ZekoSys.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

namespace lumi {
namespace {

int ExitStatus(const KTD& engine) {
    return engine.GetStatus() == 3 ? 3 : 0;
}

void PrintError(const QString& text) {
    const QByteArray bytes = (text + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stderr);
}

} // namespace

int Main(KTD& engine, UserPort& user, const StartUp& start) {
    const qint32 access = AccessNumber(QDate::currentDate());
    const QString& line = start.commandLine;

    if (line.left(5).toLower() == QLatin1String("/run ")) {
        engine.RunFile(line.mid(5), access, 0);
        return ExitStatus(engine);
    }

    const QFileInfo program(start.programPath);
    const QString name = program.completeBaseName();
    const QString folder = program.absolutePath();
    if (name.toUpper() != QLatin1String("KOTODAMA")) {
        engine.GetSetInfo(QStringLiteral("コマンドライン"), line);
        // The lower-case name is the one looked for; the name as written is
        // tried too, since this file system tells the two apart.
        QString beside = QDir(folder).filePath(name.toLower() + QStringLiteral(".ktd"));
        if (!QFileInfo::exists(beside))
            beside = QDir(folder).filePath(name + QStringLiteral(".ktd"));
        if (QFileInfo::exists(beside)) {
            engine.RunFile(beside, access, 0);
            return ExitStatus(engine);
        }
        const packaged::LoadResult loaded = packaged::LoadExe(start.programPath, start.tempFolder);
        if (!loaded.imageEndFound) {
            MessageBoxRequest box;
            box.text = packaged::ImageEndFailureMessage(start.programPath);
            box.title = QStringLiteral("Kotodama");
            box.icon = BoxIcon::Error;
            user.messageBox(box);
        }
        engine.Run(loaded.script, access, folder + QLatin1Char('/'), 0);
        const int status = ExitStatus(engine);
        engine.DeleteUsedFiles();
        return status;
    }

    QString file = line;
    if (file.isEmpty()) {
        // No window to offer a file dialog in: ask in an input box.
        const std::optional<QString> answer =
            user.inputBox(QStringLiteral("コトダマファイル名を入力してください。"),
                          QStringLiteral("コトダマ ファイルを指定して実行"), QString());
        if (!answer || answer->isEmpty())
            return 0;
        file = *answer;
    }
    engine.RunFile(file, access, 0);
    return ExitStatus(engine);
}

int PackMain(const QString& enginePath, const QStringList& args) {
    QString script;
    QString out;
    QStringList files;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("-o")) {
            if (i + 1 >= args.size() || !out.isEmpty()) {
                PrintError(QStringLiteral("kotodama --pack: -o needs one output file"));
                return 2;
            }
            out = args[++i];
        } else if (script.isEmpty()) {
            script = args[i];
        } else {
            files.append(args[i]);
        }
    }
    if (script.isEmpty() || out.isEmpty()) {
        PrintError(QStringLiteral("usage: kotodama --pack SCRIPT [FILE...] -o OUT"));
        return 2;
    }
    const WriteResult w = packaged::PackProgram(enginePath, script, files, out);
    if (!w.ok) {
        PrintError(QStringLiteral("kotodama --pack: ") + w.error);
        return 1;
    }
    return 0;
}

int SecurityMain(const QString& programFolder, const QStringList& args) {
    const QString word = args.size() == 1 ? args[0].toLower() : QString();
    QString value;
    if (word == QLatin1String("on") || word == QLatin1String("true"))
        value = QStringLiteral("True");
    else if (word == QLatin1String("off") || word == QLatin1String("false"))
        value = QStringLiteral("False");
    if (value.isEmpty()) {
        PrintError(QStringLiteral("usage: kotodama --security on|off"));
        return 2;
    }
    const QString file = ZekoSys::FilePathIn(programFolder);
    if (!ZekoSys(file).SetYSetting(QStringLiteral("Kotodama\\Sec"), value)) {
        PrintError(QStringLiteral("kotodama --security: cannot write ") + file);
        return 1;
    }
    return 0;
}

} // namespace lumi
