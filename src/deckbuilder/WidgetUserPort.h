#pragma once
// The user port of the card programs' windows: Qt message boxes (their exec()
// runs a nested event loop, as modal boxes always did) and the clipboard.

#include "common/Ports.h"

#include <QPointer>
#include <QWidget>

namespace lumi {

class WidgetUserPort : public UserPort {
public:
    explicit WidgetUserPort(QString defaultTitle) : defaultTitle_(std::move(defaultTitle)) {}
    // Boxes are centred on this window while it exists.
    void setOwner(QWidget* owner) { owner_ = owner; }

    BoxResult messageBox(const MessageBoxRequest& box) override;
    void beep() override;
    void setClipboardText(const QString& text) override;
    void endProgram(int exitCode) override;

private:
    QString defaultTitle_;
    QPointer<QWidget> owner_;
};

} // namespace lumi
