#include "deckbuilder/WidgetUserPort.h"

#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QPushButton>

namespace lumi {

static QMessageBox::StandardButton standardOf(BoxResult r) {
    switch (r) {
    case BoxResult::OK:
        return QMessageBox::Ok;
    case BoxResult::Cancel:
        return QMessageBox::Cancel;
    case BoxResult::Yes:
        return QMessageBox::Yes;
    case BoxResult::No:
        return QMessageBox::No;
    case BoxResult::Retry:
        return QMessageBox::Retry;
    case BoxResult::Abort:
        return QMessageBox::Abort;
    case BoxResult::Ignore:
        return QMessageBox::Ignore;
    }
    return QMessageBox::Ok;
}

BoxResult WidgetUserPort::messageBox(const MessageBoxRequest& box) {
    QMessageBox mb(owner_ ? owner_.data() : nullptr);
    mb.setWindowTitle(box.title.isEmpty() ? defaultTitle_ : box.title);
    QString text = box.text;
    text.replace(CrLf, QStringLiteral("\n"));
    mb.setText(text);
    switch (box.icon) {
    case BoxIcon::None:
        mb.setIcon(QMessageBox::NoIcon);
        break;
    case BoxIcon::Information:
        mb.setIcon(QMessageBox::Information);
        break;
    case BoxIcon::Warning:
        mb.setIcon(QMessageBox::Warning);
        break;
    case BoxIcon::Error:
        mb.setIcon(QMessageBox::Critical);
        break;
    case BoxIcon::Question:
        mb.setIcon(QMessageBox::Question);
        break;
    }
    const QList<BoxResult> buttons = buttonsOf(box.buttons);
    QList<QPair<QAbstractButton*, BoxResult>> made;
    for (BoxResult r : buttons)
        made.append({mb.addButton(standardOf(r)), r});
    if (box.defaultButton >= 0 && box.defaultButton < made.size())
        mb.setDefaultButton(static_cast<QPushButton*>(made[box.defaultButton].first));
    // Closing the box by its close button answers as the last button would
    // when that is Cancel or No, which is what the user means by it.
    mb.setEscapeButton(made.isEmpty() ? nullptr : made.last().first);
    mb.exec();
    for (const auto& [button, result] : made)
        if (mb.clickedButton() == button)
            return result;
    return buttons.isEmpty() ? BoxResult::OK : buttons.last();
}

void WidgetUserPort::beep() {
    QApplication::beep();
}

void WidgetUserPort::setClipboardText(const QString& text) {
    QClipboard* cb = QApplication::clipboard();
    cb->clear();
    cb->setText(text);
}

void WidgetUserPort::endProgram(int exitCode) {
    QApplication::exit(exitCode);
}

} // namespace lumi
