#include "carddata/ReportError.h"

namespace lumi {

QString ErrorDetailsText(int number, const QString& description, const QString& place) {
    return QStringLiteral("・エラー番号：") + QString::number(number) + CrLf +
           QStringLiteral("・エラー内容：") + description + CrLf + QStringLiteral("・発生箇所：") +
           place;
}

QString FileAccessErrorText(const QString& reason) {
    QString text = QStringLiteral("パス/ファイル アクセス エラーです。");
    if (!reason.isEmpty())
        text += QStringLiteral(" (") + reason + u')';
    return text;
}

QString ErrorBoxText(int number, const QString& description, const QString& place) {
    return QStringLiteral("以下のエラーが発生しました。") + CrLf +
           ErrorDetailsText(number, description, place) + CrLf +
           QStringLiteral("このエラーが同じ所で何度も起こる場合は作者に連絡してください。") +
           QStringLiteral("エラーの内容をクリップボードにコピーしますか？");
}

void ReportError(UserPort& user, int number, const QString& description, const QString& place,
                 bool deckBuilder) {
    MessageBoxRequest box;
    box.text = ErrorBoxText(number, description, place);
    box.title = QStringLiteral("エラー");
    box.buttons = BoxButtons::YesNo;
    box.icon = BoxIcon::Warning;
    box.defaultButton = 1; // No
    if (user.messageBox(box) == BoxResult::Yes)
        user.setClipboardText(ErrorDetailsText(number, description, place));
    if (number == ErrMissingComponent && !deckBuilder)
        user.endProgram(1);
}

} // namespace lumi
