#include "deckbuilder/DeckDialogModel.h"

#include "carddata/INIAccess.h"
#include "carddata/InstallPaths.h"

#include <QDir>
#include <QFile>
#include <algorithm>

namespace lumi {

const QString& DeckFileEntry::column(int k) const {
    switch (k) {
    case 1:
        return name;
    case 2:
        return maked;
    case 3:
        return rule;
    default:
        return fileName;
    }
}

DeckDialogModel::DeckDialogModel(QString deckPath) : DeckPath(std::move(deckPath)) {}

void DeckDialogModel::Reflesh() {
    entries.clear();
    QDir dir(DeckPath);
    // Windows matches "*.ini" without regard to letter case; so do we. The
    // listing is sorted by name so the order does not depend on the disk.
    const QStringList files =
        dir.entryList({QStringLiteral("*.ini")}, QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& file : files) {
        INIAccess ini;
        ini.FileName = DeckPath + file;
        const QString rule = ini.GetINIData(QStringLiteral("rule"), QStringLiteral("header"));
        if (rule.isEmpty())
            continue;
        DeckFileEntry e;
        e.fileName = file;
        e.rule = rule;
        e.name = ini.GetINIData(QStringLiteral("name"), QStringLiteral("header"));
        e.maked = ini.GetINIData(QStringLiteral("maked"), QStringLiteral("header"));
        entries.append(e);
    }
    applySort();
}

void DeckDialogModel::ColumnClick(int k) {
    if (k < 1 || k > 4)
        return;
    if (k == LastKey)
        descending = !descending;
    else {
        sortKey = k - 1;
        descending = false;
    }
    sortKey = k - 1;
    sorted = true;
    LastKey = static_cast<qint16>(k);
    applySort();
}

void DeckDialogModel::applySort() {
    if (!sorted)
        return;
    const int key = sortKey;
    const bool desc = descending;
    // The list view compares column texts without regard to letter case.
    std::stable_sort(entries.begin(), entries.end(),
                     [key, desc](const DeckFileEntry& a, const DeckFileEntry& b) {
                         const int c =
                             QString::compare(a.column(key), b.column(key), Qt::CaseInsensitive);
                         return desc ? c > 0 : c < 0;
                     });
}

static bool endsWithIni(const QString& s) {
    return s.size() >= 4 && s.right(4).compare(QStringLiteral(".ini"), Qt::CaseInsensitive) == 0;
}

static QString withoutExtension(const QString& fileName) {
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? fileName : fileName.left(dot);
}

DeckDialogModel::OkOutcome DeckDialogModel::okSave(const QString& fileName, int selected,
                                                   UserPort& user) {
    if (selected >= entries.size())
        selected = -1;
    // An empty field never names a deck: with or without a selection it
    // would only give the bare ".ini".
    if (fileName.isEmpty())
        return OkOutcome::Nothing;
    if (selected < 0 || fileName != withoutExtension(entries[selected].fileName)) {
        const QString file = endsWithIni(fileName) ? fileName : fileName + QStringLiteral(".ini");
        if (!IsPlainFileName(file) || file.size() == 4) {
            user.messageBox({QStringLiteral("ファイル名「%1」は使えません。").arg(fileName) + CrLf +
                                 QStringLiteral("フォルダの区切りや \\ / : * ? \" < > | "
                                                "を含まない名前を入力してください。"),
                             boxTitle, BoxButtons::OK, BoxIcon::Warning, 0});
            return OkOutcome::Nothing;
        }
        ReturnPath = DeckPath + file;
        Canceled = false;
        return OkOutcome::Close;
    }
    const BoxResult r = user.messageBox({QStringLiteral("上書きします。よろしいですか？"), boxTitle,
                                         BoxButtons::YesNo, BoxIcon::Question, 0});
    if (r != BoxResult::Yes)
        return OkOutcome::Nothing;
    ReturnPath = DeckPath + entries[selected].fileName;
    Canceled = false;
    return OkOutcome::Close;
}

DeckDialogModel::OkOutcome DeckDialogModel::okOpen(int selected) {
    if (selected < 0 || selected >= entries.size())
        return OkOutcome::Nothing;
    ReturnPath = DeckPath + entries[selected].fileName;
    Canceled = false;
    return OkOutcome::Close;
}

void DeckDialogModel::cancel() {
    Canceled = true;
}

DeckDialogModel::DeleteOutcome DeckDialogModel::deleteEntry(int selected, UserPort& user) {
    if (selected < 0 || selected >= entries.size())
        return DeleteOutcome::Kept;
    const QString file = entries[selected].fileName;
    const BoxResult r = user.messageBox({QStringLiteral("デッキファイル \"") + file +
                                             QStringLiteral("\" を削除します。よろしいですか？"),
                                         boxTitle, BoxButtons::YesNo, BoxIcon::Question, 1});
    if (r != BoxResult::Yes)
        return DeleteOutcome::Kept;
    QFile f(DeckPath + file);
    if (!f.remove()) {
        user.messageBox({QStringLiteral("デッキファイル \"") + file +
                             QStringLiteral("\" を削除できませんでした。") + CrLf + f.errorString(),
                         boxTitle, BoxButtons::OK, BoxIcon::Warning, 0});
        Reflesh();
        return DeleteOutcome::Failed;
    }
    Reflesh();
    return DeleteOutcome::Deleted;
}

} // namespace lumi
