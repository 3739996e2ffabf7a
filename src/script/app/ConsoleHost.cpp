#include "script/app/ConsoleHost.h"

namespace lumi {
namespace {
// Beyond this a line is read to its end but no longer kept.
constexpr qsizetype MaxLine = qsizetype(1) << 24;
} // namespace

BoxResult ConsoleHost::messageBox(const MessageBoxRequest& box) {
    QString text = box.text;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text += QLatin1Char('\n');
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), out_);
    std::fflush(out_);
    const QList<BoxResult> buttons = buttonsOf(box.buttons);
    if (buttons.isEmpty())
        return BoxResult::OK;
    const int index =
        box.defaultButton >= 0 && box.defaultButton < buttons.size() ? box.defaultButton : 0;
    return buttons[index];
}

std::optional<QString> ConsoleHost::inputBox(const QString& prompt, const QString& title,
                                             const QString& defaultText) {
    QString shown = prompt;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QByteArray p = (shown + QLatin1Char('\n')).toUtf8();
    std::fwrite(p.constData(), 1, std::size_t(p.size()), err_);
    std::fflush(err_);
    // One line of any length, read in pieces; a line end or the end of the
    // input (or an interrupted read) ends it.
    QByteArray line;
    bool any = false;
    for (;;) {
        const int c = std::fgetc(in_);
        if (c == EOF)
            break;
        any = true;
        if (c == '\n')
            break;
        if (line.size() < MaxLine)
            line.append(char(c));
    }
    if (!any) {
        std::clearerr(in_);
        return std::nullopt;
    }
    if (line.endsWith('\r'))
        line.chop(1);
    return QString::fromUtf8(line);
}

} // namespace lumi
