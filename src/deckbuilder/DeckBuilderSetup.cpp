#include "deckbuilder/DeckBuilderSetup.h"

#include "carddata/ClientSettings.h"
#include "carddata/DeckList.h"
#include "carddata/Rules.h"
#include "deckbuilder/BBSText.h"
#include "deckbuilder/DeckBuilderModel.h"

#include <QFileInfo>

namespace lumi {

void PrepareDeckBuilder(DeckBuilderSetup& setup, const QString& appPath) {
    setup.Paths = InstallPaths::fromAppPath(appPath);
    const ClientSettings settings = LoadINISetting(setup.Paths.SettingsFile);
    setup.DefaultAuthorName = settings.DefaultName.isEmpty() ? UnsetText : settings.DefaultName;
}

bool LoadDeckBuilderCards(DeckBuilderSetup& setup, UserPort& user) {
    const ReportTarget report{user, DeckBuilderTitle, true};
    if (setup.Cards.LoadCardlist(setup.Paths.CardsPath, report) == LoadVerdict::MustEnd)
        return false;
    return setup.Cards.LoadMasterlist(setup.Paths.CardsPath, report) == LoadVerdict::Loaded;
}

BoxResult StreamUserPort::messageBox(const MessageBoxRequest& box) {
    QString text = box.text;
    text.replace(CrLf, QStringLiteral("\n"));
    err_ << text << '\n';
    err_.flush();
    const QList<BoxResult> buttons = buttonsOf(box.buttons);
    if (box.defaultButton >= 0 && box.defaultButton < buttons.size())
        return buttons[box.defaultButton];
    return buttons.isEmpty() ? BoxResult::OK : buttons.first();
}

DeckCommand ParseDeckCommand(const QStringList& args) {
    DeckCommand c;
    auto usage = [&c](const QString& why) {
        c.kind = DeckCommand::Kind::Usage;
        c.error = why;
        return c;
    };
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        auto value = [&](QString& into) {
            if (i + 1 >= args.size())
                return false;
            into = args[++i];
            return true;
        };
        if (a == QStringLiteral("--root")) {
            if (!value(c.root))
                return usage(QStringLiteral("--root にはフォルダを指定してください。"));
        } else if (a == QStringLiteral("--check") || a == QStringLiteral("--post")) {
            const auto kind =
                a == QStringLiteral("--check") ? DeckCommand::Kind::Check : DeckCommand::Kind::Post;
            if (c.kind != DeckCommand::Kind::Window)
                return usage(QStringLiteral("--check と --post は一つだけ指定してください。"));
            c.kind = kind;
            if (!value(c.deckFile))
                return usage(a + QStringLiteral(" にはデッキファイルを指定してください。"));
        } else if (a == QStringLiteral("--rule")) {
            if (!value(c.ruleId))
                return usage(QStringLiteral("--rule にはルールを指定してください。"));
        } else {
            return usage(QStringLiteral("不明な引数です: ") + a);
        }
    }
    if (!c.ruleId.isEmpty() && c.kind != DeckCommand::Kind::Check)
        return usage(QStringLiteral("--rule は --check と一緒に指定してください。"));
    return c;
}

// A path as given, else a file of the deck folder, else that name + ".ini".
static QString resolveDeckFile(const QString& given, const InstallPaths& paths) {
    if (QFileInfo(given).isFile())
        return given;
    const QString inDeckFolder = paths.DeckPath + given;
    if (QFileInfo(inDeckFolder).isFile())
        return inDeckFolder;
    if (QFileInfo(inDeckFolder + QStringLiteral(".ini")).isFile())
        return inDeckFolder + QStringLiteral(".ini");
    return {};
}

static QString lineFeeds(QString text) {
    return text.replace(CrLf, QStringLiteral("\n"));
}

int RunDeckCommand(const DeckCommand& command, const QString& appPath, QTextStream& out,
                   QTextStream& err) {
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
    if (command.kind == DeckCommand::Kind::Usage || command.kind == DeckCommand::Kind::Window) {
        if (!command.error.isEmpty())
            err << command.error << '\n';
        err << DeckUsageText;
        err.flush();
        return 1;
    }
    DeckBuilderSetup setup;
    PrepareDeckBuilder(setup, command.root.isEmpty() ? appPath : command.root);
    StreamUserPort user(err);
    if (!LoadDeckBuilderCards(setup, user))
        return 1;
    const QString path = resolveDeckFile(command.deckFile, setup.Paths);
    if (path.isEmpty()) {
        err << QStringLiteral("デッキファイルが見つかりません: ") << command.deckFile << '\n';
        err.flush();
        return 1;
    }
    DeckList decks(setup.Cards);
    decks.LoadDeck(path);
    DeckData deck = decks.LoadingDeck;

    if (command.kind == DeckCommand::Kind::Post) {
        DeckData copy = deck;
        const BBSKindLists lists = FillKindLists(copy, setup.Cards);
        out << lineFeeds(MakeBBSText(deck.DeckName, deck.AuthorName, deck.DeckType,
                                     MasterNameOf(setup.Cards, deck.Master), lists));
        out.flush();
        return 0;
    }

    QString ruleId = command.ruleId;
    if (ruleId.isEmpty()) {
        ruleId = deck.DeckType == DeckPro  ? RuleOfficialPro
                 : deck.DeckType == DeckSr ? RuleOfficialSr
                                           : RuleOfficialJr;
    } else if (ruleId != RuleOfficialJr && ruleId != RuleOfficialSr && ruleId != RuleOfficialPro) {
        if (ruleId.endsWith(QStringLiteral(".lmr"), Qt::CaseInsensitive) &&
            !QFileInfo(setup.Paths.RulesPath + ruleId + QStringLiteral(".lmr")).isFile())
            ruleId.chop(4);
        if (!QFileInfo(setup.Paths.RulesPath + ruleId + QStringLiteral(".lmr")).isFile())
            err << QStringLiteral("ルールファイルが見つからないため Jr ルールで検査します: ")
                << command.ruleId << '\n';
    }
    const QString ruleText = LoadRuleStr(setup.Paths.RulesPath, ruleId);
    const QString result = RegulationCheck(ruleText, deck, setup.Cards);
    out << (result.isEmpty() ? QStringLiteral("異常ありません\n") : lineFeeds(result));
    out.flush();
    err.flush();
    return result.isEmpty() ? 0 : 1;
}

} // namespace lumi
