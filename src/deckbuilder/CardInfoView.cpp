#include "deckbuilder/CardInfoView.h"

#include "common/Cp932.h"
#include "common/TextFile.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace lumi {

CardInfoView::CardInfoView(QWidget* parent) : QTextBrowser(parent) {
    setOpenLinks(true);
    setOpenExternalLinks(false);
}

static QString decodePage(const QByteArray& bytes) {
    static const QRegularExpression utf8Meta(QStringLiteral("charset\\s*=\\s*[\"']?utf-?8"),
                                             QRegularExpression::CaseInsensitiveOption);
    const QString head = QString::fromLatin1(bytes.left(1024));
    if (utf8Meta.match(head).hasMatch() || bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes);
    return cp932::decode(bytes);
}

void CardInfoView::showPage(const QString& path) {
    current_ = path;
    const QUrl base = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    document()->setBaseUrl(base);
    const std::optional<QByteArray> bytes =
        QFileInfo(path).isFile() ? readWholeFile(path) : std::nullopt;
    if (!bytes) {
        setHtml(QStringLiteral("<html><body><h3>ページを表示できません</h3><p>%1</p></body></html>")
                    .arg(path.toHtmlEscaped()));
        return;
    }
    setHtml(decodePage(*bytes));
    document()->setBaseUrl(base);
}

void CardInfoView::doSetSource(const QUrl& name, QTextDocument::ResourceType type) {
    // Links between local pages go through the same decoding as the pages
    // the window asks for; anything else is not followed.
    const QUrl resolved = document()->baseUrl().resolved(name);
    if (resolved.isLocalFile())
        showPage(resolved.toLocalFile());
}

} // namespace lumi
