#pragma once
// One parsed INI file in the layout the Windows profile-string functions
// read and write. Reading and writing share this parser, so what a write
// updates is exactly what a later read finds.
//
// Matching rules: sections and keys match regardless of ASCII letter case
// (never folding the second byte of a double-byte character); the first of
// duplicate sections and of duplicate keys wins; spaces and tabs around keys
// and values are dropped and one pair of enclosing double quotes is removed
// from a value; lines starting with ";" are comments; key lines before any
// section belong to no section and are never found.

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace lumi {

class IniDocument {
public:
    // The longest value a read gives back, in bytes (the 256-byte buffer of
    // the profile-string functions less its NUL).
    static constexpr qsizetype MaxValueBytes = 255;

    IniDocument() = default;
    // Parses code page 932 bytes with LF or CR LF line ends.
    static IniDocument parse(const QByteArray& bytes);
    // The file's document; nullopt when the file cannot be read.
    static std::optional<IniDocument> load(const QString& path);

    // The value of the key in the first matching section, cut to
    // MaxValueBytes at a character boundary and cut at a NUL byte; nullopt
    // when the section or key is missing.
    std::optional<QString> value(const QString& section, const QString& key) const;
    // value() with an empty text for a missing key.
    QString get(const QString& section, const QString& key) const;
    bool hasSection(const QString& section) const;

    // Updates the first matching key in place, or appends the key after the
    // last line of its section's content, or appends the section at the end.
    // Line breaks inside the value become spaces, so a value can never add
    // lines of its own. False, changing nothing, for a name that could not
    // be read back as written: an empty key or section, a key holding "="
    // or starting with "[" or ";", a section holding "]", or a line break in
    // either.
    bool set(const QString& section, const QString& key, const QString& value);

    // True when `section` and `key` can be written (see set()).
    static bool isWritableName(const QString& section, const QString& key);

    // Files larger than this are treated as unreadable rather than read.
    static constexpr qint64 MaxFileBytes = 16 * 1024 * 1024;

    // The document as bytes, every untouched line as it was read. New lines
    // use the document's own line end: LF when every line of the parsed
    // bytes ended in LF alone, else CR LF.
    QByteArray toBytes() const;

private:
    struct Line {
        QByteArray text;  // the line without its line end
        QByteArray eol;   // "\r\n", "\n" or empty for a last line without one
        int sectionIndex; // index into sections_ of the section it belongs to, -1 before any
        bool isSection = false;
        QByteArray key;            // trimmed key bytes for a key line, empty otherwise
        qsizetype valueStart = -1; // offset in text after "=" for a key line
    };
    struct SectionInfo {
        QByteArray name;
        qsizetype headerLine;
    };

    int findSection(const QByteArray& name) const;
    qsizetype findKey(int section, const QByteArray& key) const;
    QByteArray newLineEnd() const;

    QList<Line> lines_;
    QList<SectionInfo> sections_;
    bool lfOnly_ = false;
};

} // namespace lumi
