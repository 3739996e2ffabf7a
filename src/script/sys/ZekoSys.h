#pragma once
// The engine's own settings file, "sysdatze.zrf" beside the program: one
// entry a line, the scrambled name, "=", the scrambled value. Only the
// engine reads it; a configuration tool writes it through SetYSetting.
//
// The scrambler keeps the length and works character by character:
// a character beyond ASCII becomes the next code point ("・" stays itself,
// and the character before it skips over it; "ん" becomes code 11);
// a digit becomes a control code (0…7 → 1…8, 8 → 12, 9 → 14: tab, the
// line ends and code 11 stay free); any other printable ASCII character
// moves ten codes down, wrapping within the printable range. Control
// characters cannot be kept and are dropped. The file is UTF-8, since the
// scrambled characters need not exist in code page 932.

#include <QString>

namespace lumi {

class ZekoSys {
public:
    // The word both directions need; anything else makes them return "".
    static const QString& Word();
    static QString AngouOut(const QString& text, const QString& word);
    static QString AngouIn(const QString& text, const QString& word);

    // The file beside the program, "sysdatze.zrf" in `programFolder`.
    static QString FilePathIn(const QString& programFolder);

    explicit ZekoSys(QString filePath) : path_(std::move(filePath)) {}

    // The entry's value, or `defaultValue` when the file or entry is missing.
    QString GetYSetting(const QString& name, const QString& defaultValue = {}) const;
    // True when an entry exists.
    bool HasYSetting(const QString& name) const;
    // Line feeds are removed from the value; "{{{Del}}}" deletes the entry.
    // The entry is replaced in place or inserted as the first line.
    bool SetYSetting(const QString& name, const QString& value);

private:
    QString path_;
};

} // namespace lumi
