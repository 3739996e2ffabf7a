#pragma once
// The Kotodama engine object: what a host (the kotodama program, a test, an
// editor) sees of the script engine. Everything the engine needs from the
// user goes through lumi::UserPort; everything it needs from the platform
// (registry substitute, settings stores, DLL calls, the day's access number)
// goes through KtdSystemPort, which the platform layer implements.

#include "common/Ports.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>

class QObject;

namespace lumi {

// One argument of a DLL call, as the engine builds it from the script.
// Texts are code page 932 bytes without the terminating NUL; the callee's
// buffer is read back into `text` (up to its first NUL) after the call.
struct KtdDllField {
    bool isText = false;
    qint32 number = 0;
    QByteArray text;
};

struct KtdDllArgument {
    enum class Kind { Number, Text, Block };
    Kind kind = Kind::Number;
    qint32 number = 0;
    QByteArray text;
    // For Kind::Block: one pointer-sized field per element, in element order.
    QList<KtdDllField> fields;
};

enum class KtdDllStatus { Ok, LibraryNotFound, FunctionNotFound, CallFailed };

// The platform pieces the engine calls. Every function has a harmless
// default so that a host without a platform layer still runs scripts.
class KtdSystemPort {
public:
    virtual ~KtdSystemPort() = default;

    // The day's access number; the same formula is used where a run is
    // started and where the engine checks it.
    virtual qint32 accessNumber(const QDate& day) const { return 0; }

    // An entry of the engine's own settings file ("sysdatze.zrf"), e.g.
    // "Kotodama\\Sec"; nullopt when the file or the entry is missing.
    virtual std::optional<QString> engineSetting(const QString& name) const { return std::nullopt; }

    // Registry substitute. `root` is one of the HKEY_ names (upper case,
    // already checked by the engine), `key` the key path with backslashes.
    // Returns false when the value could not be written.
    virtual bool registryWrite(const QString& root, const QString& key, const QString& valueName,
                               const QString& value) {
        return false;
    }
    // nullopt when the key or the value is missing.
    virtual std::optional<QString> registryRead(const QString& root, const QString& key,
                                                const QString& valueName) {
        return std::nullopt;
    }
    // Deletes a key with everything below it; false when that failed.
    virtual bool registryDeleteKey(const QString& root, const QString& key) { return false; }

    // Per-user application settings of the application "Kotodama".
    // `section` is already "AppSettings\\" + the script's section.
    virtual QString appSettingRead(const QString& section, const QString& key) { return {}; }
    // An empty value deletes the key; an empty key deletes the section.
    virtual void appSettingWrite(const QString& section, const QString& key, const QString& value) {
    }

    // Calls `function` of `library` with the standard calling convention and
    // a 32-bit integer result. Text and block arguments are updated in place
    // with what the callee left in their buffers.
    virtual KtdDllStatus callDll(const QString& library, const QString& function,
                                 QList<KtdDllArgument>& arguments, qint32& result) {
        return KtdDllStatus::LibraryNotFound;
    }
};

class KtdEngine; // the run state and the interpreter

// Message box styles and answers in the numbering scripts use (they combine
// buttons and icons with ＋, and 質問 returns the answer's number).
namespace ktdbox {
inline constexpr int OK = 0, OKCancel = 1, AbortRetryIgnore = 2, YesNoCancel = 3, YesNo = 4,
                     RetryCancel = 5;
inline constexpr int IconStop = 16, IconQuestion = 32, IconWarning = 48, IconInformation = 64;
inline constexpr int AnswerOK = 1, AnswerCancel = 2, AnswerAbort = 3, AnswerRetry = 4,
                     AnswerIgnore = 5, AnswerYes = 6, AnswerNo = 7;
// The request a style number stands for (buttons, icon, default button 256/512).
MessageBoxRequest toRequest(const QString& text, const QString& title, int style);
int toAnswer(BoxResult result);
} // namespace ktdbox

class KTD {
public:
    // `user` and `system` must outlive the engine object.
    explicit KTD(UserPort& user, KtdSystemPort* system = nullptr);
    ~KTD();
    KTD(const KTD&) = delete;
    KTD& operator=(const KTD&) = delete;

    // Events. The host sets `cancel` to true when it did not handle a request.
    std::function<void(QString& answer, const QString& name)> GetData;
    std::function<void(bool& cancel, const QString& argument, const QVariant& number,
                       const QString& value, const QString& name)>
        SetData;
    std::function<void(bool& cancel, const QString& target, const QString& command)> RunCmd;

    void DoPause();
    // Safe to call from a signal handler or another thread: it only raises
    // two atomic flags that every loop of the interpreter watches.
    void DoStop();
    int GetErrLine() const;
    QString GetErrWord() const;
    int GetStatus() const;
    QString GetObjName(quintptr windowHandle) const;
    QString GetForEditor(int kind) const;
    void Run(const QString& programText, qint32 accessNumber, const QString& fileName,
             int preserve);
    void RunComnd(const QString& line);
    // Reads the file as code page 932 text; an unreadable file runs as an
    // empty program.
    void RunFile(const QString& fileName, qint32 accessNumber, int preserve);
    QVariant GetSetInfo(const QString& kind, const QString& content);
    void SetObj(QObject* window);
    void SetDebugObj(bool attached);
    void SetStopLine(const QList<qint16>& lines);
    QString xCallBack(int kind, const QString& name, const QString& argument);

    // The files named by "使うファイルは　" lines of the current program, in
    // line order, as written (not evaluated).
    QStringList UsedFiles() const;
    // Evaluates each used file name and deletes the file; failures ignored.
    void DeleteUsedFiles();

    // The day's access number as the system port computes it.
    qint32 AccessNumber() const;

    KtdEngine& engine() { return *d; }

private:
    std::unique_ptr<KtdEngine> d;
};

} // namespace lumi
