#include "deckbuilder/frmDeckVersion.h"

#include "common/Version.h"
#include "deckbuilder/DeckIcons.h"

#include <QLabel>
#include <QListWidget>

namespace lumi {

QString DeckBuilderVersionLine() {
    return QStringLiteral("Version %1.%2 β2 (build.%3)")
        .arg(VersionMajor)
        .arg(VersionMinor)
        .arg(VersionRevision, 4, 10, QLatin1Char('0'));
}

frmDeckVersion::frmDeckVersion(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmDeckVersion"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(340, 150);

    auto* picture = new QLabel(this);
    picture->setPixmap(DeckPicture(48));
    picture->setGeometry(12, 12, 48, 48);
    Label1 = new QLabel(QStringLiteral("ルミナリアOnline デッキビルダー"), this);
    Label1->setGeometry(72, 12, 256, 22);
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    Label2 = new QLabel(DeckBuilderVersionLine(), this);
    Label2->setGeometry(72, 36, 256, 20);
    List1 = new QListWidget(this);
    List1->setGeometry(72, 64, 256, 72);
    List1->addItem(QStringLiteral("Zenith(Cardlist System) Version.1.10"));
    List1->addItem(QStringLiteral("Falcon(Deckdata System) Version.1.13"));
}

} // namespace lumi
