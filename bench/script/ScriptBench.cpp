// Times one script loop in the engine and the same algorithm in Tcl 8.6
// (tclsh8.6 as a subprocess), and prints sentences per second and the time
// ratio. Usage: bench_script [PASSES] [TCLSH]
//
// Each pass runs arithmetic, a condition, a string join and a procedure
// call; both sides compute the same final values, which are printed so a
// broken script cannot pass for a fast one.

#include "script/core/KTD.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

namespace {

// Takes every box silently; the last one's text is the script's answer.
class QuietUser final : public lumi::UserPort {
public:
    lumi::BoxResult messageBox(const lumi::MessageBoxRequest& box) override {
        ++boxes;
        last = box.text;
        return lumi::BoxResult::OK;
    }
    int boxes = 0;
    QString last;
};

// Four sentences a pass besides the loop itself.
constexpr int SentencesPerPass = 4;

QString KotodamaScript(long passes) {
    return QStringLiteral("合計は　０\r\n"
                          "文は　「」\r\n"
                          "Ｉに　１から　%1まで　繰り返す\r\n"
                          "合計は　合計＋３＊２\r\n"
                          "もし　合計＞１００　なら　合計は　合計－１００\r\n"
                          "文は　「ab」＆合計\r\n"
                          "結果は　倍（合計）\r\n"
                          "繰り返し終わり\r\n"
                          "合計＆「,」＆文＆「,」＆結果を　表示\r\n"
                          "終了\r\n"
                          "手順は　倍\r\n"
                          "倍は　倍＊２\r\n"
                          "終わり\r\n")
        .arg(passes + 1);
}

QByteArray TclScript(long passes) {
    return QStringLiteral("proc dbl {x} { return [expr {$x * 2}] }\n"
                          "set start [clock microseconds]\n"
                          "set sum 0\n"
                          "set s {}\n"
                          "for {set i 1} {$i <= %1} {incr i} {\n"
                          "    set sum [expr {$sum + 3 * 2}]\n"
                          "    if {$sum > 100} { set sum [expr {$sum - 100}] }\n"
                          "    set s \"ab$sum\"\n"
                          "    set r [dbl $sum]\n"
                          "}\n"
                          "set elapsed [expr {[clock microseconds] - $start}]\n"
                          "puts \"$sum,$s,$r\"\n"
                          "puts $elapsed\n")
        .arg(passes)
        .toUtf8();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const long passes = args.size() > 1 ? args[1].toLong() : 1000000;
    const QString tclsh = args.size() > 2 ? args[2] : QStringLiteral("tclsh8.6");
    if (passes <= 0) {
        std::fprintf(stderr, "usage: bench_script [PASSES] [TCLSH]\n");
        return 2;
    }

    QuietUser user;
    lumi::KTD engine(user);
    QElapsedTimer timer;
    timer.start();
    engine.Run(KotodamaScript(passes), 0, QString(), 0);
    const double kotodamaSeconds = double(timer.nsecsElapsed()) / 1e9;
    const double sentences = double(passes) * SentencesPerPass;
    std::printf("kotodama: %ld passes in %.3f s, %.0f sentences/s, result %s%s\n", passes,
                kotodamaSeconds, sentences / kotodamaSeconds, qPrintable(user.last),
                user.boxes == 1 ? "" : " (unexpected boxes: the script failed)");

    QTemporaryDir dir;
    const QString tclFile = dir.filePath(QStringLiteral("bench.tcl"));
    {
        QFile f(tclFile);
        if (!f.open(QIODevice::WriteOnly) || f.write(TclScript(passes)) < 0) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(tclFile));
            return 1;
        }
    }
    QProcess tcl;
    tcl.start(tclsh, {tclFile});
    if (!tcl.waitForFinished(600000) || tcl.exitCode() != 0) {
        std::fprintf(stderr, "%s did not run: %s\n", qPrintable(tclsh),
                     tcl.readAllStandardError().constData());
        return 1;
    }
    const QList<QByteArray> lines = tcl.readAllStandardOutput().trimmed().split('\n');
    const double tclSeconds = lines.size() >= 2 ? lines[1].trimmed().toDouble() / 1e6 : 0;
    std::printf("tcl 8.6:  %ld passes in %.3f s, %.0f sentences/s, result %s\n", passes, tclSeconds,
                tclSeconds > 0 ? sentences / tclSeconds : 0.0,
                lines.isEmpty() ? "" : lines[0].constData());
    if (tclSeconds > 0)
        std::printf("ratio kotodama/tcl: %.2f (target: 3.00 or less)\n",
                    kotodamaSeconds / tclSeconds);
    return 0;
}
