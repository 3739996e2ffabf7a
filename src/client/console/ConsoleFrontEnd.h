#pragma once
// The console front end of the battle client: stdin carries chat lines and
// commands, stdout exactly the chat log, stderr the boxes with the answers
// the policy chose, the status line, beeps, deck checks and (on request)
// the debug window. Outside tests drive it through this fixed interface.

#include "client/core/ClientCore.h"

#include <QObject>
#include <QSocketNotifier>
#include <QTextStream>
#include <cstdio>
#include <memory>
#include <optional>

namespace lumi {

enum class AnswerPolicy { Yes, No, Default };

struct ConsoleOptions {
    QString Root;
    QString Name;
    std::optional<QString> ServePort;
    std::optional<QString> ConnectHost;
    QString ConnectPort = QStringLiteral("4865");
    QString Deck;
    int Hand = 0;
    AnswerPolicy Answer = AnswerPolicy::Default;
    bool Debug = false;
};

// Parses the arguments after the program name; nullopt and a reason on error.
std::optional<ConsoleOptions> ParseConsoleOptions(const QStringList& args, QString* error);
QString ConsoleUsage();
// A debug text as the debug window shows it: NUL as "◆", line breaks as "[↓]".
QString DebugWindowLine(QString text);

// Writes UTF-8 lines to a stream and flushes after each.
class LineWriter {
public:
    explicit LineWriter(FILE* stream) : stream_(stream) {}
    void line(const QString& text);

private:
    FILE* stream_;
};

class ConsoleFrontEnd : public QObject, public UserPort, public LogPort, public ClientDialogs {
    Q_OBJECT
public:
    ConsoleFrontEnd(ConsoleOptions options, FILE* out = stdout, FILE* err = stderr,
                    QObject* parent = nullptr);
    ~ConsoleFrontEnd() override;

    // The session the commands drive; set once after start-up.
    void attach(ClientCore& core) { core_ = &core; }
    // Starts reading commands from the file descriptor (0 for stdin).
    void startReading(int fd);
    // One line of input, as typed.
    void handleLine(const QString& line);
    // Closes every connection and ends the event loop with status 0.
    void finish();

    bool ended() const { return ended_; }
    int exitCode() const { return exitCode_; }

    // UserPort
    BoxResult messageBox(const MessageBoxRequest& box) override;
    std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                    const QString& defaultText) override;
    void statusText(int panel, const QString& text) override;
    void beep() override;
    void setClipboardText(const QString& text) override {}
    void endProgram(int exitCode) override;

    // LogPort
    void ChatPut(const QString& line) override;
    void DebugPut(const QString& line) override;

    // ClientDialogs
    void showBattleSetting(frmBattleSetting& dialog) override;
    void showChangeStatus(frmChangeStatus& dialog) override;
    void showCmacNarabekae(frmCmacNarabekae& dialog) override;
    std::optional<QString> chooseSaveFile(const QString& title, const QString& filter) override;
    std::optional<QString> chooseOpenFile(const QString& title, const QString& filter) override;

private:
    void command(const QString& line);
    void error(const QString& text);
    QString deckPath(const QString& given) const;
    QString filePath(const QString& given) const;
    void printState();
    bool selectTarget(const QString& areaText, bool masterAllowed);
    std::optional<int> amount(const QString& text, int low, int high);
    void readInput();
    // Handles the complete lines read so far, unless a connection is still
    // being made (commands wait for it, as a user waits for the dialog).
    void processPending();
    bool holdInput() const;

    ConsoleOptions options_;
    LineWriter out_;
    LineWriter err_;
    ClientCore* core_ = nullptr;
    std::unique_ptr<QSocketNotifier> input_;
    int fd_ = -1;
    QByteArray pending_;
    bool inputEnded_ = false;
    bool retryPending_ = false;
    bool ended_ = false;
    int exitCode_ = 0;
    int boxesThisCommand_ = 0;

    // What the command being run has chosen for the dialog it opens.
    struct Offer {
        QString Name, Rule, Deck;
        int Choice = 0;
    };
    std::optional<Offer> offer_;
    std::optional<QString> resumeOpponent_;
    std::optional<QString> savePath_;
    std::optional<QString> openPath_;
    QStringList statusIds_;
    struct Special {
        bool Own = true;
        QList<int> Order;
    };
    std::optional<Special> special_;
};

// Installs handlers so that SIGINT and SIGTERM end the front end cleanly.
void InstallSignalHandlers(ConsoleFrontEnd& frontEnd);

} // namespace lumi
