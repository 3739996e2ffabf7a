#pragma once
// The console front end of the engine: no windows; every box is written to
// stdout and answered by its default button, input boxes read stdin.

#include "common/Ports.h"

#include <cstdio>

namespace lumi {

class ConsoleHost final : public UserPort {
public:
    ConsoleHost(std::FILE* in = stdin, std::FILE* out = stdout, std::FILE* err = stderr)
        : in_(in), out_(out), err_(err) {}

    BoxResult messageBox(const MessageBoxRequest& box) override;
    std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                    const QString& defaultText) override;
    void statusText(int panel, const QString& text) override {}
    void beep() override {}

private:
    std::FILE* in_;
    std::FILE* out_;
    std::FILE* err_;
};

} // namespace lumi
