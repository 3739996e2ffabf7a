#include "client/console/ConsoleFrontEnd.h"

#include "carddata/InstallPaths.h"
#include "carddata/ReportError.h"
#include "client/engine/ChangeStatus.h"
#include "client/engine/CmacNarabekae.h"
#include "client/net/Protocol.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTimer>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace lumi {

// ------------------------------------------------------------------ options

QString ConsoleUsage() {
    return QStringLiteral(
        "usage: lumiplay --console [--root DIR] --name NAME (--serve PORT | --connect "
        "HOST[:PORT])\n"
        "                [--deck FILE] [--hand N] [--answer yes|no|default] [--debug]");
}

std::optional<ConsoleOptions> ParseConsoleOptions(const QStringList& args, QString* error) {
    ConsoleOptions o;
    bool console = false;
    auto fail = [&](const QString& why) -> std::optional<ConsoleOptions> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        auto value = [&](QString* out) {
            if (i + 1 >= args.size())
                return false;
            *out = args[++i];
            return true;
        };
        QString v;
        if (a == QLatin1String("--console")) {
            console = true;
        } else if (a == QLatin1String("--debug")) {
            o.Debug = true;
        } else if (a == QLatin1String("--root")) {
            if (!value(&o.Root))
                return fail(QStringLiteral("--root needs a folder"));
        } else if (a == QLatin1String("--name")) {
            if (!value(&o.Name))
                return fail(QStringLiteral("--name needs a name"));
        } else if (a == QLatin1String("--serve")) {
            if (!value(&v))
                return fail(QStringLiteral("--serve needs a port"));
            o.ServePort = v;
        } else if (a == QLatin1String("--connect")) {
            if (!value(&v))
                return fail(QStringLiteral("--connect needs a host"));
            const qsizetype colon = v.lastIndexOf(u':');
            if (colon > 0 && v.count(u':') == 1) {
                o.ConnectHost = v.left(colon);
                o.ConnectPort = v.mid(colon + 1);
            } else {
                o.ConnectHost = v;
            }
        } else if (a == QLatin1String("--deck")) {
            if (!value(&o.Deck))
                return fail(QStringLiteral("--deck needs a file"));
        } else if (a == QLatin1String("--hand")) {
            if (!value(&v))
                return fail(QStringLiteral("--hand needs 0, 1 or 2"));
            bool ok = false;
            o.Hand = v.toInt(&ok);
            if (!ok || o.Hand < 0 || o.Hand > 2)
                return fail(QStringLiteral("--hand needs 0, 1 or 2"));
        } else if (a == QLatin1String("--answer")) {
            if (!value(&v))
                return fail(QStringLiteral("--answer needs yes, no or default"));
            if (v == QLatin1String("yes"))
                o.Answer = AnswerPolicy::Yes;
            else if (v == QLatin1String("no"))
                o.Answer = AnswerPolicy::No;
            else if (v == QLatin1String("default"))
                o.Answer = AnswerPolicy::Default;
            else
                return fail(QStringLiteral("--answer needs yes, no or default"));
        } else {
            return fail(QStringLiteral("unknown argument: ") + a);
        }
    }
    if (!console)
        return fail(QStringLiteral("the window is not built yet; use --console"));
    if (o.Name.isEmpty())
        return fail(QStringLiteral("--name is required"));
    if (o.ServePort.has_value() == o.ConnectHost.has_value())
        return fail(QStringLiteral("give either --serve PORT or --connect HOST[:PORT]"));
    if (o.ServePort && !wire::parsePort(*o.ServePort))
        return fail(QStringLiteral("the port must be 1 to 65535"));
    if (o.ConnectHost && !wire::parsePort(o.ConnectPort))
        return fail(QStringLiteral("the port must be 1 to 65535"));
    return o;
}

// ------------------------------------------------------------------ output

void LineWriter::line(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream_);
    std::fputc('\n', stream_);
    std::fflush(stream_);
}

namespace {

QString oneLine(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\\n"));
    text.replace(u'\n', QStringLiteral("\\n"));
    text.replace(u'\r', QStringLiteral("\\n"));
    return text;
}

QStringList logLines(const QString& text) {
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(u'\r', u'\n');
    return t.split(u'\n');
}

} // namespace

ConsoleFrontEnd::ConsoleFrontEnd(ConsoleOptions options, FILE* out, FILE* err, QObject* parent)
    : QObject(parent), options_(std::move(options)), out_(out), err_(err) {}

ConsoleFrontEnd::~ConsoleFrontEnd() = default;

BoxResult ConsoleFrontEnd::messageBox(const MessageBoxRequest& box) {
    err_.line(QStringLiteral("box: ") + oneLine(box.text));
    const QList<BoxResult> buttons = buttonsOf(box.buttons);
    BoxResult answer =
        buttons.value(std::clamp(box.defaultButton, 0, int(buttons.size()) - 1), BoxResult::OK);
    if (options_.Answer == AnswerPolicy::Yes) {
        if (buttons.contains(BoxResult::Yes))
            answer = BoxResult::Yes;
        else if (buttons.contains(BoxResult::OK))
            answer = BoxResult::OK;
    } else if (options_.Answer == AnswerPolicy::No) {
        if (buttons.contains(BoxResult::No))
            answer = BoxResult::No;
    }
    // A question that comes back again and again within one command (the
    // side exchange of a resume answered "No") would never end: after many
    // rounds, cancel it.
    if (++boxesThisCommand_ > 64 && buttons.contains(BoxResult::Cancel))
        answer = BoxResult::Cancel;
    err_.line(QStringLiteral("answer: ") + resultName(answer));
    return answer;
}

std::optional<QString> ConsoleFrontEnd::inputBox(const QString& prompt, const QString&,
                                                 const QString&) {
    err_.line(QStringLiteral("box: ") + oneLine(prompt));
    err_.line(QStringLiteral("answer: Cancel"));
    return std::nullopt;
}

void ConsoleFrontEnd::statusText(int panel, const QString& text) {
    if (panel == 1)
        err_.line(QStringLiteral("status: ") + oneLine(text));
}

void ConsoleFrontEnd::beep() {
    err_.line(QStringLiteral("beep"));
}

void ConsoleFrontEnd::endProgram(int exitCode) {
    exitCode_ = exitCode;
    if (core_)
        core_->ShutDown();
    ended_ = true;
    QCoreApplication::exit(exitCode);
}

void ConsoleFrontEnd::ChatPut(const QString& line) {
    for (const QString& l : logLines(line))
        out_.line(l);
}

QString DebugWindowLine(QString text) {
    // The debug window shows a request's separators and line breaks as
    // visible marks, so one entry stays one line.
    text.replace(QChar(0), QStringLiteral("◆"));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("[↓]"));
    text.replace(u'\r', QStringLiteral("[↓]"));
    text.replace(u'\n', QStringLiteral("[↓]"));
    return text;
}

void ConsoleFrontEnd::DebugPut(const QString& line) {
    if (!options_.Debug)
        return;
    err_.line(QStringLiteral("debug: ") + DebugWindowLine(line));
}

// ------------------------------------------------------------------ dialogs

QString ConsoleFrontEnd::filePath(const QString& given) const {
    return QFileInfo(given).absoluteFilePath();
}

QString ConsoleFrontEnd::deckPath(const QString& given) const {
    if (given.contains(u'/') || QFileInfo(given).isAbsolute() || QFileInfo::exists(given))
        return filePath(given);
    const QString deckFolder = core_ ? core_->Paths().DeckPath : QString();
    if (QFileInfo::exists(deckFolder + given) ||
        given.endsWith(QLatin1String(".ini"), Qt::CaseInsensitive))
        return deckFolder + given;
    return deckFolder + given + QStringLiteral(".ini");
}

void ConsoleFrontEnd::showBattleSetting(frmBattleSetting& dialog) {
    dialog.onDeckChecked = [this](const QString& result) {
        if (result.isEmpty()) {
            err_.line(QStringLiteral("check: 異常ありません"));
            return;
        }
        for (const QString& l : logLines(result))
            if (!l.isEmpty())
                err_.line(QStringLiteral("check: ") + l);
    };
    auto confirm = [&dialog] {
        if (!dialog.cmdOK_Click())
            dialog.cmdCancel_Click();
    };
    if (dialog.Accepting) {
        if (options_.Deck.isEmpty()) {
            dialog.cmdCancel_Click();
            return;
        }
        if (dialog.cmdBrowseDeckEnabled)
            dialog.DeckChosen(deckPath(options_.Deck));
        if (dialog.cboJanken.Enabled && options_.Hand < dialog.cboJanken.Items.size())
            dialog.cboJanken.ListIndex = options_.Hand;
        confirm();
        return;
    }
    if (offer_) {
        dialog.cboBattlerList.ListIndex = int(dialog.cboBattlerList.Items.indexOf(offer_->Name));
        int rule = -1;
        for (int i = 0; i < dialog.RuleChoices.size(); ++i)
            if (dialog.RuleChoices[i].Id == offer_->Rule)
                rule = i;
        if (rule < 0) {
            error(QStringLiteral("unknown rule: ") + offer_->Rule);
            dialog.cmdCancel_Click();
            return;
        }
        dialog.cboRule_Click(rule);
        dialog.DeckChosen(deckPath(offer_->Deck));
        dialog.SelectJanken(offer_->Choice);
        confirm();
        return;
    }
    if (resumeOpponent_) {
        QString name = *resumeOpponent_;
        if (name.isEmpty())
            name = dialog.cboBattlerList.Items.value(0);
        dialog.cboBattlerList.ListIndex = int(dialog.cboBattlerList.Items.indexOf(name));
        confirm();
        return;
    }
    dialog.cmdCancel_Click();
}

void ConsoleFrontEnd::showChangeStatus(frmChangeStatus& dialog) {
    for (auto& line : dialog.lstStatus)
        line.Checked = statusIds_.contains(line.StatusID);
    if (dialog.chkCharge.Enabled)
        dialog.chkCharge.Checked = statusIds_.contains(QStringLiteral("001"));
    if (dialog.chkEnd.Enabled)
        dialog.chkEnd.Checked = statusIds_.contains(QStringLiteral("000"));
    dialog.cmdOK_Click();
}

void ConsoleFrontEnd::showCmacNarabekae(frmCmacNarabekae& dialog) {
    if (!special_) {
        dialog.CloseByFrame();
        return;
    }
    dialog.optSelf = special_->Own;
    dialog.cmdExecute_Click();
    if (!dialog.Opened) {
        dialog.CloseByFrame();
        return;
    }
    if (dialog.Mode == 2) {
        const QList<int>& order = special_->Order;
        const qsizetype n = dialog.lstCardIDs.size();
        QList<int> sorted = order;
        std::sort(sorted.begin(), sorted.end());
        bool valid = order.size() == n;
        for (int i = 0; valid && i < n; ++i)
            valid = sorted[i] == i;
        if (!valid) {
            error(QStringLiteral("the order must name each of the %1 shown cards once").arg(n));
            dialog.CloseByFrame();
            return;
        }
        const QStringList ids = dialog.lstCardIDs;
        const QStringList names = dialog.lstCards;
        for (int i = 0; i < n; ++i) {
            dialog.lstCardIDs[i] = ids[order[i]];
            if (order[i] < names.size() && i < dialog.lstCards.size())
                dialog.lstCards[i] = names[order[i]];
        }
    }
    dialog.cmdOK_Click();
}

std::optional<QString> ConsoleFrontEnd::chooseSaveFile(const QString&, const QString&) {
    if (savePath_)
        return *savePath_;
    if (!core_)
        return std::nullopt;
    return core_->Paths().AppPath + QStringLiteral("lastbattle.lms");
}

std::optional<QString> ConsoleFrontEnd::chooseOpenFile(const QString&, const QString&) {
    return openPath_;
}

// ------------------------------------------------------------------ input

void ConsoleFrontEnd::startReading(int fd) {
    fd_ = fd;
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    input_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(input_.get(), &QSocketNotifier::activated, this, &ConsoleFrontEnd::readInput);
}

void ConsoleFrontEnd::readInput() {
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n > 0) {
            pending_.append(buffer, n);
            // A single line longer than this is no command and no chat line.
            if (pending_.size() > 1024 * 1024 && !pending_.contains('\n'))
                pending_.clear();
            processPending();
            if (ended_)
                return;
            continue;
        }
        if (n == 0) {
            input_->setEnabled(false);
            inputEnded_ = true;
            processPending();
            return;
        }
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            input_->setEnabled(false);
            finish();
        }
        return;
    }
}

bool ConsoleFrontEnd::holdInput() const {
    return core_ && !core_->State().ServerMode && core_->Client().IsConnection() &&
           !core_->Client().isConnected();
}

void ConsoleFrontEnd::processPending() {
    if (ended_)
        return;
    if (holdInput()) {
        if (!retryPending_) {
            retryPending_ = true;
            QTimer::singleShot(20, this, [this] {
                retryPending_ = false;
                processPending();
            });
        }
        return;
    }
    qsizetype at;
    while (!ended_ && !holdInput() && (at = pending_.indexOf('\n')) >= 0) {
        QByteArray line = pending_.left(at);
        pending_.remove(0, at + 1);
        if (line.endsWith('\r'))
            line.chop(1);
        handleLine(QString::fromUtf8(line));
    }
    if (ended_)
        return;
    if (holdInput()) {
        processPending();
        return;
    }
    if (inputEnded_) {
        if (!pending_.isEmpty()) {
            const QString last = QString::fromUtf8(pending_);
            pending_.clear();
            handleLine(last);
        }
        finish();
    }
}

void ConsoleFrontEnd::finish() {
    if (ended_)
        return;
    ended_ = true;
    if (input_)
        input_->setEnabled(false);
    // A connection still being made is seen through first: its refusal box
    // belongs to the run even when the input ended at once.
    QElapsedTimer waited;
    waited.start();
    while (core_ && !core_->State().ServerMode && core_->Client().IsConnection() &&
           !core_->Client().isConnected() && waited.elapsed() < 5000) {
        QEventLoop pause;
        QTimer::singleShot(20, &pause, &QEventLoop::quit);
        pause.exec();
    }
    if (core_)
        core_->ShutDown();
    // Let the closing connections write what they still hold.
    QTimer::singleShot(100, qApp, [] { QCoreApplication::exit(0); });
}

void ConsoleFrontEnd::handleLine(const QString& line) {
    if (ended_ || !core_)
        return;
    boxesThisCommand_ = 0;
    offer_.reset();
    resumeOpponent_.reset();
    savePath_.reset();
    openPath_.reset();
    special_.reset();
    statusIds_.clear();
    if (!line.startsWith(u'/') || line == QLatin1String("/sstpEnable")) {
        core_->ChatEnter(line);
        return;
    }
    command(line);
}

void ConsoleFrontEnd::error(const QString& text) {
    err_.line(QStringLiteral("error: ") + text);
}

std::optional<int> ConsoleFrontEnd::amount(const QString& text, int low, int high) {
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || n < low || n > high) {
        error(QStringLiteral("expected a number from %1 to %2: %3").arg(low).arg(high).arg(text));
        return std::nullopt;
    }
    return n;
}

bool ConsoleFrontEnd::selectTarget(const QString& areaText, bool masterAllowed) {
    const std::optional<int> area = amount(areaText, masterAllowed ? 0 : 1, 4);
    if (!area)
        return false;
    core_->State().SelectedTarget = *area;
    return true;
}

namespace {

QString listText(const CardList& list) {
    return list.join(u'/');
}

QString flag(bool b) {
    return b ? QStringLiteral("1") : QStringLiteral("0");
}

const char* const HelpLines[] = {
    "text without a leading / is a chat line; /sstpEnable too",
    "/battle NAME RULE DECK CHOICE   offer a battle (CHOICE 0-4)",
    "/endbattle  /draw  /discard I  /magic I  /stone +N|-N  /hp +N|-N  /damage N",
    "/makestone  /makedraw  /shuffle  /handtodeck  /dice",
    "/place I AREA  /swap A B  /rotate left|right  /mhp AREA N  /level AREA L",
    "/waza AREA 1|2  /banish AREA  /return AREA  /acted AREA  /charge AREA  /status AREA IDS",
    "/ability K  /turnstart  /turnend",
    "/special shuffle own|other  /special reorder own|other P...  /special redraw  /special "
    "graverob",
    "/save FILE  /load FILE [NAME]  /handview  /resend AREA  /request TARGET TEXT",
    "/kick NAME  /members  /state  /disconnect  /quit  /help",
};

} // namespace

void ConsoleFrontEnd::printState() {
    const BattleData& d = core_->Data();
    const PlayState& s = core_->State();
    err_.line(QStringLiteral("state: turn=%1 running=%2 view=%3 myturn=%4 handview=%5 server=%6")
                  .arg(d.TurnNumber)
                  .arg(flag(s.BattleRunning), flag(s.ViewMode), flag(s.MyTurn),
                       flag(s.HandViewAllowed), flag(s.ServerMode)));
    auto side = [this](const QString& label, const SideData& x) {
        err_.line(QStringLiteral(
                      "state: %1 name=%2 deckname=%3 master=%4 first=%5 hp=%6 stone=%7 status=%8")
                      .arg(label, x.PlayerName, x.DeckDefaultData.DeckName,
                           x.DeckDefaultData.Master, flag(x.IsFirst))
                      .arg(x.MasterHP)
                      .arg(x.Stone)
                      .arg(x.MasterStatus));
        err_.line(QStringLiteral("state: %1 hand=%2").arg(label, listText(x.Hand)));
        err_.line(QStringLiteral("state: %1 trash=%2").arg(label, listText(x.Trash)));
        err_.line(QStringLiteral("state: %1 deck=%2").arg(label, listText(x.Deck)));
        for (int a = 1; a <= 4; ++a) {
            const MonsterData& m = x.Monster(a);
            err_.line(QStringLiteral("state: %1 area%2 card=%3 open=%4 level=%5 hp=%6 status=%7")
                          .arg(label)
                          .arg(a)
                          .arg(m.CardID, flag(m.IsOpen))
                          .arg(m.Level)
                          .arg(m.HP)
                          .arg(m.Status));
        }
    };
    side(QStringLiteral("own"), d.Own);
    side(QStringLiteral("enemy"), d.Enemy);
}

void ConsoleFrontEnd::command(const QString& line) {
    const QStringList w = line.split(u' ', Qt::SkipEmptyParts);
    const QString& c = w[0];
    const int n = int(w.size());
    BattleEngine& e = core_->Engine();
    PlayState& s = core_->State();
    auto rest = [&line](int words) {
        // The text after the first `words` words, spaces kept.
        qsizetype at = 0;
        for (int i = 0; i < words; ++i) {
            while (at < line.size() && line[at] == u' ')
                ++at;
            while (at < line.size() && line[at] != u' ')
                ++at;
        }
        if (at < line.size() && line[at] == u' ')
            ++at;
        return line.mid(at);
    };
    auto needs = [&](int count) {
        if (n == count)
            return true;
        error(QStringLiteral("usage: ") + c +
              QStringLiteral(" takes %1 argument(s)").arg(count - 1));
        return false;
    };
    auto signedAmount = [&](const QString& text, void (BattleEngine::*up)(),
                            void (BattleEngine::*down)()) {
        if (text.size() < 2 || (text[0] != u'+' && text[0] != u'-')) {
            error(QStringLiteral("expected +N or -N: ") + text);
            return;
        }
        const std::optional<int> v = amount(text.mid(1), 1, 10);
        if (!v)
            return;
        s.ChangeAmount = *v;
        (e.*(text[0] == u'+' ? up : down))();
    };
    auto handIndex = [&](const QString& text) { return amount(text, 0, 1000); };

    if (c == QLatin1String("/battle")) {
        if (n < 5) {
            error(QStringLiteral("usage: /battle NAME RULE DECK CHOICE"));
            return;
        }
        const std::optional<int> choice = amount(w[n - 1], 0, 4);
        if (!choice)
            return;
        QString name = line.section(u' ', 1, -4, QString::SectionSkipEmpty);
        offer_ = Offer{name, w[n - 3], w[n - 2], *choice};
        core_->OfferBattle();
    } else if (c == QLatin1String("/endbattle")) {
        core_->EndBattleCommand();
    } else if (c == QLatin1String("/draw")) {
        e.DrawOneCard();
    } else if (c == QLatin1String("/discard") && needs(2)) {
        if (const auto i = handIndex(w[1]))
            e.DiscardCard(*i);
    } else if (c == QLatin1String("/magic") && needs(2)) {
        if (const auto i = handIndex(w[1]))
            e.UseMagicCard(*i);
    } else if (c == QLatin1String("/stone") && needs(2)) {
        signedAmount(w[1], &BattleEngine::StoneUp, &BattleEngine::StoneDown);
    } else if (c == QLatin1String("/hp") && needs(2)) {
        signedAmount(w[1], &BattleEngine::HPUp, &BattleEngine::HPDown);
    } else if (c == QLatin1String("/damage") && needs(2)) {
        if (const auto v = amount(w[1], 1, 10)) {
            s.ChangeAmount = *v;
            e.Damage();
        }
    } else if (c == QLatin1String("/makestone")) {
        e.MakeStone();
    } else if (c == QLatin1String("/makedraw")) {
        e.MakeDraw();
    } else if (c == QLatin1String("/shuffle")) {
        e.ShuffleDeck();
    } else if (c == QLatin1String("/handtodeck")) {
        e.HandToDeck();
    } else if (c == QLatin1String("/dice")) {
        e.RollDice();
    } else if (c == QLatin1String("/place") && needs(3)) {
        const auto i = handIndex(w[1]);
        const auto area = i ? amount(w[2], 1, 4) : std::nullopt;
        if (i && area)
            e.PlaceCard(*i, *area);
    } else if (c == QLatin1String("/swap") && needs(3)) {
        const auto a = amount(w[1], 1, 4);
        const auto b = a ? amount(w[2], 1, 4) : std::nullopt;
        if (!a || !b)
            return;
        e.Positions().Clear();
        e.Positions().Click(*a - 1);
        if (*b != *a)
            e.Positions().Click(*b - 1);
        e.SwapPositions();
    } else if (c == QLatin1String("/rotate") && needs(2)) {
        if (w[1] == QLatin1String("left"))
            e.RotateLeft();
        else if (w[1] == QLatin1String("right"))
            e.RotateRight();
        else
            error(QStringLiteral("usage: /rotate left|right"));
    } else if (c == QLatin1String("/mhp") && needs(3)) {
        if (!selectTarget(w[1], false))
            return;
        if (const auto v = amount(w[2], 0, 6))
            e.SetMonsterHP(*v);
    } else if (c == QLatin1String("/level") && needs(3)) {
        if (!selectTarget(w[1], false))
            return;
        if (const auto v = amount(w[2], 1, 4))
            e.SetMonsterLevel(*v);
    } else if (c == QLatin1String("/waza") && needs(3)) {
        if (!selectTarget(w[1], false))
            return;
        if (w[2] == QLatin1String("1"))
            e.DeclareTechnique1();
        else if (w[2] == QLatin1String("2"))
            e.DeclareTechnique2();
        else
            error(QStringLiteral("usage: /waza AREA 1|2"));
    } else if (c == QLatin1String("/banish") && needs(2)) {
        if (selectTarget(w[1], false))
            e.Banish();
    } else if (c == QLatin1String("/return") && needs(2)) {
        if (selectTarget(w[1], false))
            e.ReturnMonster();
    } else if (c == QLatin1String("/acted") && needs(2)) {
        if (selectTarget(w[1], false))
            e.ToggleActed();
    } else if (c == QLatin1String("/charge") && needs(2)) {
        if (selectTarget(w[1], false))
            e.ToggleCharge();
    } else if (c == QLatin1String("/status")) {
        if (n < 2 || n > 3) {
            error(QStringLiteral("usage: /status AREA IDS"));
            return;
        }
        if (!selectTarget(w[1], true))
            return;
        if (n == 3)
            statusIds_ = w[2].split(QRegularExpression(QStringLiteral("[,/]")), Qt::SkipEmptyParts);
        if (s.SelectedTarget == 0)
            e.ChangeMasterStatus();
        else
            e.ChangeMonsterStatus();
    } else if (c == QLatin1String("/ability") && needs(2)) {
        const QList<MasterAbilityEntry> abilities = e.MasterAbilities();
        if (abilities.isEmpty()) {
            error(QStringLiteral("the master has no ability"));
            return;
        }
        if (const auto k = amount(w[1], 0, int(abilities.size()) - 1))
            e.DeclareMasterAbility(abilities[*k]);
    } else if (c == QLatin1String("/turnstart")) {
        e.TurnStartProcessing();
    } else if (c == QLatin1String("/turnend")) {
        e.TurnEnd();
    } else if (c == QLatin1String("/special")) {
        const QString what = n >= 2 ? w[1] : QString();
        if ((what == QLatin1String("shuffle") || what == QLatin1String("reorder")) && n >= 3 &&
            (w[2] == QLatin1String("own") || w[2] == QLatin1String("other"))) {
            Special sp;
            sp.Own = w[2] == QLatin1String("own");
            for (int i = 3; i < n; ++i) {
                const auto p = amount(w[i], 0, 4);
                if (!p)
                    return;
                sp.Order << *p;
            }
            if (what == QLatin1String("shuffle") && n != 3) {
                error(QStringLiteral("usage: /special shuffle own|other"));
                return;
            }
            special_ = sp;
            if (what == QLatin1String("shuffle"))
                e.SpecialShuffle();
            else
                e.SpecialReorder();
        } else if (what == QLatin1String("redraw") && n == 2) {
            e.RedrawHand();
        } else if (what == QLatin1String("graverob") && n == 2) {
            e.GraveRobbing();
        } else {
            error(QStringLiteral(
                "usage: /special shuffle own|other | reorder own|other P... | redraw | graverob"));
        }
    } else if (c == QLatin1String("/save") && needs(2)) {
        savePath_ = filePath(w[1]);
        e.ManualSave();
    } else if (c == QLatin1String("/load")) {
        if (n < 2) {
            error(QStringLiteral("usage: /load FILE [NAME]"));
            return;
        }
        openPath_ = filePath(w[1]);
        resumeOpponent_ = rest(2);
        core_->LoadAndResume(*openPath_);
    } else if (c == QLatin1String("/handview")) {
        core_->HandViewCommand();
    } else if (c == QLatin1String("/resend") && needs(2)) {
        core_->ResendFieldCommand(w[1]);
    } else if (c == QLatin1String("/request")) {
        if (n < 3) {
            error(QStringLiteral("usage: /request TARGET TEXT"));
            return;
        }
        core_->AnyRequest(w[1], rest(2));
    } else if (c == QLatin1String("/kick")) {
        if (n < 2) {
            error(QStringLiteral("usage: /kick NAME"));
            return;
        }
        core_->Kick(rest(1));
    } else if (c == QLatin1String("/members")) {
        for (const QString& m : core_->Members())
            err_.line(QStringLiteral("member: ") + m);
    } else if (c == QLatin1String("/state")) {
        printState();
    } else if (c == QLatin1String("/disconnect")) {
        core_->CloseMessage();
    } else if (c == QLatin1String("/quit")) {
        finish();
    } else if (c == QLatin1String("/help")) {
        for (const char* h : HelpLines)
            err_.line(QStringLiteral("help: ") + QString::fromUtf8(h));
    } else if (!QStringList{"/discard", "/magic", "/stone", "/hp", "/damage", "/place", "/swap",
                            "/rotate", "/mhp", "/level", "/waza", "/banish", "/return", "/acted",
                            "/charge", "/ability", "/save", "/resend"}
                    .contains(c)) {
        error(QStringLiteral("unknown command: ") + c + QStringLiteral(" (/help lists them)"));
    }
}

// ------------------------------------------------------------------ signals

namespace {
int signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char b = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &b, 1);
}
} // namespace

void InstallSignalHandlers(ConsoleFrontEnd& frontEnd) {
    if (::pipe(signalPipe) != 0)
        return;
    ::fcntl(signalPipe[0], F_SETFD, FD_CLOEXEC);
    ::fcntl(signalPipe[1], F_SETFD, FD_CLOEXEC);
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &frontEnd);
    QObject::connect(notifier, &QSocketNotifier::activated, &frontEnd, [&frontEnd, notifier] {
        char b;
        [[maybe_unused]] const ssize_t n = ::read(signalPipe[0], &b, 1);
        notifier->setEnabled(false);
        frontEnd.finish();
    });
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
}

} // namespace lumi
