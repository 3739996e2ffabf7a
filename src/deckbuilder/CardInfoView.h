#pragma once
// The card information pane: shows local HTML pages (card pages are code
// page 932 text unless they say they are UTF-8) and its own page for a file
// that is missing.

#include <QTextBrowser>

namespace lumi {

class CardInfoView : public QTextBrowser {
    Q_OBJECT
public:
    explicit CardInfoView(QWidget* parent = nullptr);
    void showPage(const QString& path);
    // The page shown last (for tests and for links relative to it).
    const QString& currentPage() const { return current_; }

protected:
    void doSetSource(const QUrl& name, QTextDocument::ResourceType type) override;

private:
    QString current_;
};

} // namespace lumi
