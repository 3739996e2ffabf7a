#include "carddata/INIAccess.h"

#include "carddata/IniDocument.h"
#include "carddata/InstallPaths.h"
#include "common/TextFile.h"

#include <QFileInfo>

namespace lumi {

void INIAccess::SetAppPathFilename(const QString& appPath, const QString& strFileName) {
    FileName = AddDirSep(appPath) + strFileName;
}

bool INIAccess::SetINIData(const QString& strKey, const QString& strData,
                           const QString& strSection) {
    LastError.clear();
    if (FileName.isEmpty() || (strSection.isEmpty() && Section.isEmpty())) {
        LastError = QStringLiteral("no file or section");
        return false;
    }
    if (!strSection.isEmpty())
        Section = strSection;
    if (!IniDocument::isWritableName(Section, strKey)) {
        LastError = QStringLiteral("a section or key that cannot be written: [") + Section +
                    QStringLiteral("] ") + strKey;
        return false;
    }
    IniDocument doc;
    if (QFileInfo::exists(FileName)) {
        auto loaded = IniDocument::load(FileName);
        // A file that exists but cannot be read is never replaced: its
        // contents would be lost.
        if (!loaded) {
            LastError = QStringLiteral("cannot read ") + FileName;
            return false;
        }
        doc = std::move(*loaded);
    }
    doc.set(Section, strKey, strData);
    WriteResult r = writeWholeFile(FileName, doc.toBytes());
    if (!r.ok)
        LastError = r.error;
    return r.ok;
}

QString INIAccess::GetINIData(const QString& strKey, const QString& strSection) {
    if (FileName.isEmpty() || (strSection.isEmpty() && Section.isEmpty()))
        return {};
    if (!strSection.isEmpty())
        Section = strSection;
    if (!FileExists(FileName))
        return {};
    auto doc = IniDocument::load(FileName);
    if (!doc)
        return {};
    return doc->get(Section, strKey);
}

bool INIAccess::FileExists(const QString& path) {
    return lumi::FileExists(path);
}

} // namespace lumi
