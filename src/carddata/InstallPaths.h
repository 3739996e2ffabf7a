#pragma once
// The folder layout of an installation. Every folder path ends in this
// platform's separator ("/") so that callers can append a file name directly.

#include <QString>

namespace lumi {

struct InstallPaths {
    QString AppPath;       // the folder of the program file (or --root)
    QString SystemPath;    // AppPath + "system/"
    QString CardsPath;     // SystemPath + "cards/"
    QString DeckPath;      // AppPath + "deck/"
    QString StatePath;     // SystemPath + "state/"
    QString RulesPath;     // SystemPath + "rules/"
    QString StatBkupPath;  // AppPath + "StatBkup/"
    QString DocumentsPath; // SystemPath + "documents/"
    QString SettingsFile;  // AppPath + "Lumiplay.ini"
    QString BackupFile;    // AppPath + "backup.lms"

    static InstallPaths fromAppPath(const QString& appPath);
};

// The separator the paths of this platform use.
inline constexpr char16_t DirSep = u'/';

// The path with one separator appended when its last character is not one.
// An empty path stays empty: appending would turn it into the root folder.
QString AddDirSep(const QString& path);

// Creates the folder when no folder of that name exists; one level only, the
// parent must exist. True when the folder exists afterwards.
bool EnsureFolder(const QString& path);

// Creates the seven folders in start-up order: SystemPath, CardsPath,
// DeckPath, StatePath, RulesPath, StatBkupPath, DocumentsPath. Silent; true
// when all exist afterwards.
bool EnsureInstallFolders(const InstallPaths& paths);

// The file-name part of a path, cut at the first NUL: the text after the last
// separator; for a path ending in a separator, the last component with that
// separator (as the shell path function answers).
QString GetFileName(const QString& path);

// The path without the extension of its file-name part (from the last "."
// that follows the last separator, unless a space follows that dot), cut at
// the first NUL.
QString RemoveExtension(const QString& path);

// Existence of a file or folder.
bool FileExists(const QString& path);

// True when `name` can name a file inside a data folder as it is: not empty,
// not "." or "..", and free of control characters, folder separators and the
// characters Windows refuses in file names. Deck and rule names become file
// names, so this keeps them inside their folder and the files portable.
bool IsPlainFileName(const QString& name);

} // namespace lumi
