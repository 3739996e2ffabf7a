#pragma once
// The small interfaces through which the cores reach the user and the world.
// Each program's composition root owns the implementations and passes them
// by reference; tests provide scripted ones.

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <random>

namespace lumi {

inline const QString CrLf = QStringLiteral("\r\n");

enum class BoxButtons { OK, OKCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore };
enum class BoxIcon { None, Information, Warning, Error, Question };
enum class BoxResult { OK, Cancel, Yes, No, Retry, Abort, Ignore };

// One message box as the behaviour describes it. `defaultButton` is the
// position of the default button among the box's buttons, from 0.
struct MessageBoxRequest {
    QString text;
    QString title;
    BoxButtons buttons = BoxButtons::OK;
    BoxIcon icon = BoxIcon::None;
    int defaultButton = 0;
};

// The buttons of a box in the order they are shown.
QList<BoxResult> buttonsOf(BoxButtons buttons);
// "Yes", "No", "OK", "Cancel", "Retry", "Abort", "Ignore".
QString resultName(BoxResult r);

class UserPort {
public:
    virtual ~UserPort() = default;
    virtual BoxResult messageBox(const MessageBoxRequest& box) = 0;
    // An input box; nullopt when cancelled.
    virtual std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                            const QString& defaultText) {
        return std::nullopt;
    }
    // Text into a panel of the status bar (panel 1 is the first).
    virtual void statusText(int panel, const QString& text) {}
    virtual void beep() {}
    virtual void setClipboardText(const QString& text) {}
    // Asked to end the program (after a fatal report); the front end decides how.
    virtual void endProgram(int exitCode) {}
};

// The chat log and the debug window.
class LogPort {
public:
    virtual ~LogPort() = default;
    virtual void ChatPut(const QString& line) = 0;
    virtual void DebugPut(const QString& line) = 0;
};

// Source of shuffles, dice, janken ties and the like.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    // A uniformly chosen number in [0, bound); bound > 0.
    virtual std::uint32_t below(std::uint32_t bound) = 0;
};

// The default source: a 64-bit Mersenne Twister, seeded from the system's
// entropy unless a seed is given.
class MersenneRandom final : public RandomSource {
public:
    MersenneRandom();
    explicit MersenneRandom(std::uint64_t seed) : engine_(seed) {}
    std::uint32_t below(std::uint32_t bound) override;

private:
    std::mt19937_64 engine_;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

class SystemClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

} // namespace lumi
