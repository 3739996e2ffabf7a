#pragma once
// The list logic of the deck open/save dialog, kept apart from its widgets so
// the OK rules, the column sort and deletion can be driven without a window.

#include "common/Ports.h"

#include <QList>
#include <QString>
#include <functional>

namespace lumi {

// One listed deck file: its name in the folder and three header values.
struct DeckFileEntry {
    QString fileName;
    QString name;
    QString maked;
    QString rule;

    // Column k from 0: file name, deck name, author, rule.
    const QString& column(int k) const;
};

// Called for an unexpected failure with the place of the handler it hit.
using DialogErrorReport =
    std::function<void(int number, const QString& description, const QString& place)>;

class DeckDialogModel {
public:
    explicit DeckDialogModel(QString deckPath);

    // The deck folder, ending in a separator.
    QString DeckPath;
    // True until OK chose a file.
    bool Canceled = true;
    QString ReturnPath;
    // 1-based column last clicked for sorting.
    qint16 LastKey = 1;
    // Save mode (the file name field is enabled) or open mode.
    bool saveMode = false;

    // Entries in the order shown.
    QList<DeckFileEntry> entries;
    bool sorted = false;
    int sortKey = 0; // 0-based column
    bool descending = false;

    // Rereads the folder. Files whose header has no rule are not decks.
    void Reflesh();

    // A click on column header k (1-based).
    void ColumnClick(int k);

    enum class OkOutcome { Nothing, Close };
    // Save mode: `fileName` is the field's text; `selected` the entry index or -1.
    OkOutcome okSave(const QString& fileName, int selected, UserPort& user);
    OkOutcome okOpen(int selected);
    void cancel();

    enum class DeleteOutcome { Kept, Deleted, Failed };
    // Asks, then deletes the selected entry's file and rereads the list (also
    // after a failure, which is shown in a box naming the file).
    DeleteOutcome deleteEntry(int selected, UserPort& user);

    // Title of the boxes the dialog shows for itself.
    QString boxTitle;

private:
    void applySort();
};

} // namespace lumi
