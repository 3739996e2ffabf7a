#pragma once
// The shared error reporter of the card programs: a warning box listing the
// error, an offer to copy its details, and the end of the program for a
// missing component (number 339), except in the deck builder.

#include "common/Ports.h"

#include <QString>

namespace lumi {

// Error numbers used where the system meets a failure that has no number of
// its own; they follow the numbering users know from the original programs.
inline constexpr int ErrInputPastEnd = 62; // a record ended before its fields
inline constexpr int ErrFileAccess = 75;   // a file could not be written
inline constexpr int ErrMissingComponent = 339;
inline constexpr int ErrBadData = 13; // malformed data

// "・エラー番号：" n CR LF "・エラー内容：" description CR LF "・発生箇所：" place
QString ErrorDetailsText(int number, const QString& description, const QString& place);

// The description of error 75 (a file that cannot be read or written), with
// the system's reason in parentheses when there is one.
QString FileAccessErrorText(const QString& reason = {});

// The full text of the box around the details.
QString ErrorBoxText(int number, const QString& description, const QString& place);

// Shows the box titled "エラー" (warning icon, Yes/No, No default). Yes puts
// the details text on the clipboard. Number 339 then asks the front end to end
// the program, unless `deckBuilder` is set.
void ReportError(UserPort& user, int number, const QString& description, const QString& place,
                 bool deckBuilder = false);

// Titles carried by boxes that have none of their own.
inline const QString ClientTitle = QStringLiteral("ルミナリアOnline");
inline const QString DeckBuilderTitle = QStringLiteral("ルミナリアOnline デッキビルダー");
inline const QString RuleEditorTitle = QStringLiteral("ルミナリアOnline ルールエディタ");

// Where a loader reports to: the user, the title of its program's boxes, and
// whether the program is the deck builder (which never ends on a report).
struct ReportTarget {
    UserPort& user;
    QString title = ClientTitle;
    bool deckBuilder = false;
};

} // namespace lumi
