// The rule editor's entry (`mdlRuleEMain`): work out the folders, show the
// window; the program ends when it is closed.

#include "carddata/InstallPaths.h"
#include "carddata/ReportError.h"
#include "deckbuilder/WidgetUserPort.h"
#include "ruleeditor/frmREdit.h"

#include <QApplication>
#include <QTextStream>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QString root = QCoreApplication::applicationDirPath();
    const QStringList args = QCoreApplication::arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QStringLiteral("--root") && i + 1 < args.size()) {
            root = args[++i];
        } else {
            QTextStream(stderr) << QStringLiteral("使い方: lumirule [--root DIR]\n");
            return 2;
        }
    }
    const lumi::InstallPaths paths = lumi::InstallPaths::fromAppPath(root);
    lumi::RuleEditorModel model(paths.RulesPath);
    lumi::WidgetUserPort user(lumi::RuleEditorTitle);
    lumi::frmREdit window(model, user);
    user.setOwner(&window);
    window.show();
    return app.exec();
}
