#pragma once
// Access to one INI file, key by key, as every card program uses it. Each call
// reads (and a write rewrites) the file, so several objects or programs may
// share a file. A write goes through a temporary file and a rename: a crash
// or a full disk never leaves a half-written file.

#include <QString>

namespace lumi {

class INIAccess {
public:
    QString FileName; // full path of the file; empty until set
    QString Section;  // the current section; sticky, see below

    // FileName = `appPath` with a separator appended when missing, followed
    // by `strFileName`.
    void SetAppPathFilename(const QString& appPath, const QString& strFileName);

    // Writes one key. False without writing when FileName is empty or when
    // both `strSection` and Section are empty; a non-empty `strSection`
    // first becomes Section. Creates the file when missing and keeps every
    // other section, key, comment and the line order. True when written.
    bool SetINIData(const QString& strKey, const QString& strData, const QString& strSection = {});

    // Reads one key: an empty text when FileName is empty, when both
    // sections are empty, when the file does not exist or the key is
    // missing; a non-empty `strSection` first becomes Section. Values are cut
    // to 255 bytes.
    QString GetINIData(const QString& strKey, const QString& strSection = {});

    // The reason of the last failed SetINIData (empty after a success).
    QString LastError;

    static bool FileExists(const QString& path);
};

} // namespace lumi
