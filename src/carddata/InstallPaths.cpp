#include "carddata/InstallPaths.h"

#include <QDir>
#include <QFileInfo>

namespace lumi {

namespace {

bool isSep(QChar c) {
    return c == DirSep;
}

QString cutAtNul(const QString& s) {
    qsizetype nul = s.indexOf(QChar(u'\0'));
    return nul < 0 ? s : s.left(nul);
}

} // namespace

InstallPaths InstallPaths::fromAppPath(const QString& appPath) {
    InstallPaths p;
    p.AppPath = AddDirSep(appPath);
    p.SystemPath = p.AppPath + QStringLiteral("system/");
    p.CardsPath = p.SystemPath + QStringLiteral("cards/");
    p.DeckPath = p.AppPath + QStringLiteral("deck/");
    p.StatePath = p.SystemPath + QStringLiteral("state/");
    p.RulesPath = p.SystemPath + QStringLiteral("rules/");
    p.StatBkupPath = p.AppPath + QStringLiteral("StatBkup/");
    p.DocumentsPath = p.SystemPath + QStringLiteral("documents/");
    p.SettingsFile = p.AppPath + QStringLiteral("Lumiplay.ini");
    p.BackupFile = p.AppPath + QStringLiteral("backup.lms");
    return p;
}

QString AddDirSep(const QString& path) {
    if (path.isEmpty() || isSep(path.back()))
        return path;
    return path + DirSep;
}

bool EnsureFolder(const QString& path) {
    QFileInfo info(path);
    if (info.isDir())
        return true;
    // One level only: QDir::mkdir does not create missing parents.
    return QDir().mkdir(path);
}

bool EnsureInstallFolders(const InstallPaths& paths) {
    bool ok = true;
    for (const QString* folder :
         {&paths.SystemPath, &paths.CardsPath, &paths.DeckPath, &paths.StatePath, &paths.RulesPath,
          &paths.StatBkupPath, &paths.DocumentsPath})
        ok = EnsureFolder(*folder) && ok;
    return ok;
}

QString GetFileName(const QString& path) {
    const QString p = cutAtNul(path);
    qsizetype start = 0;
    for (qsizetype i = 0; i + 1 < p.size(); ++i) {
        if (isSep(p[i]) && !isSep(p[i + 1]))
            start = i + 1;
    }
    return p.mid(start);
}

QString RemoveExtension(const QString& path) {
    const QString p = cutAtNul(path);
    qsizetype lastSep = p.lastIndexOf(DirSep);
    qsizetype dot = p.lastIndexOf(u'.');
    // As the shell sees it, a space after the last dot means the name has
    // no extension ("v1.0 beta").
    if (dot < 0 || dot < lastSep || p.indexOf(u' ', dot) >= 0)
        return p;
    return p.left(dot);
}

bool FileExists(const QString& path) {
    return !path.isEmpty() && QFileInfo::exists(path);
}

bool IsPlainFileName(const QString& name) {
    if (name.isEmpty() || name == QStringLiteral(".") || name == QStringLiteral(".."))
        return false;
    for (QChar c : name) {
        if (c.unicode() < 0x20)
            return false;
        switch (c.unicode()) {
        case '/':
        case '\\':
        case ':':
        case '*':
        case '?':
        case '"':
        case '<':
        case '>':
        case '|':
            return false;
        default:
            break;
        }
    }
    return true;
}

} // namespace lumi
