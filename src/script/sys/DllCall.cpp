#include "script/sys/DllCall.h"

#include <QFileInfo>
#include <csetjmp>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <dlfcn.h>
#include <ffi.h>
#include <memory>
#include <vector>

namespace lumi::dll {
namespace {

// A NUL-terminated, zero-padded copy of a text that the callee may write to.
std::unique_ptr<char[]> TextBuffer(const QByteArray& text, std::size_t& size) {
    size = std::max<std::size_t>(std::size_t(text.size()) + 1, MinTextBuffer);
    auto buffer = std::make_unique<char[]>(size);
    std::memset(buffer.get(), 0, size);
    std::memcpy(buffer.get(), text.constData(), std::size_t(text.size()));
    return buffer;
}

QByteArray ReadBack(const char* buffer, std::size_t size) {
    // The last byte stays NUL whatever the callee did, unless it overran.
    return QByteArray(buffer, qsizetype(strnlen(buffer, size)));
}

// A callee handed a number where it expected a pointer faults. Such a fault
// inside the call ends the call, not the program: the script gets the
// failed-call error instead. What the callee half did stays done.
thread_local sigjmp_buf* activeCall = nullptr;

extern "C" void OnCallFault(int sig) {
    if (activeCall)
        siglongjmp(*activeCall, sig);
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

bool ProtectedCall(ffi_cif* cif, void* function, ffi_arg* ret, void** values) {
    constexpr int signals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL};
    struct sigaction fault {};
    fault.sa_handler = OnCallFault;
    sigemptyset(&fault.sa_mask);
    fault.sa_flags = SA_NODEFER;
    struct sigaction previous[4];
    for (int i = 0; i < 4; ++i)
        sigaction(signals[i], &fault, &previous[i]);
    sigjmp_buf jump;
    volatile bool completed = false;
    if (sigsetjmp(jump, 1) == 0) {
        activeCall = &jump;
        ffi_call(cif, FFI_FN(function), ret, values);
        completed = true;
    }
    activeCall = nullptr;
    for (int i = 0; i < 4; ++i)
        sigaction(signals[i], &previous[i], nullptr);
    return completed;
}

struct Library {
    void* handle = nullptr;
    ~Library() {
        if (handle)
            dlclose(handle);
    }
};

} // namespace

QStringList LibraryCandidates(const QString& name) {
    QStringList out;
    if (name.isEmpty())
        return out;
    out.append(name);
    QString base = name;
    if (base.endsWith(QLatin1String(".dll"), Qt::CaseInsensitive)) {
        base.chop(4);
        out.append(base);
    }
    if (!base.contains(QLatin1Char('/')) && !base.contains(QLatin1String(".so"))) {
        if (!base.startsWith(QLatin1String("lib")))
            out.append(QStringLiteral("lib") + base + QStringLiteral(".so"));
        out.append(base + QStringLiteral(".so"));
        // The C and maths libraries exist only under their versioned names.
        const QString lower = base.toLower();
        if (lower == QLatin1String("c") || lower == QLatin1String("libc") ||
            lower == QLatin1String("msvcrt") || lower == QLatin1String("crtdll"))
            out.append(QStringLiteral("libc.so.6"));
        if (lower == QLatin1String("m") || lower == QLatin1String("libm"))
            out.append(QStringLiteral("libm.so.6"));
    }
    out.removeDuplicates();
    return out;
}

Status Call(const QString& library, const QString& function, QList<Argument>& arguments,
            qint32& result) {
    result = 0;
    Library lib;
    for (const QString& candidate : LibraryCandidates(library)) {
        lib.handle = dlopen(QFile::encodeName(candidate).constData(), RTLD_NOW | RTLD_LOCAL);
        if (lib.handle)
            break;
    }
    if (!lib.handle)
        return Status::LibraryNotFound;
    if (function.isEmpty())
        return Status::FunctionNotFound;
    void* symbol = dlsym(lib.handle, function.toLatin1().constData());
    if (!symbol)
        return Status::FunctionNotFound;
    if (arguments.size() > MaxArguments)
        return Status::CallFailed;

    // Every argument travels as one register-wide integer: numbers widened
    // with their sign, texts and blocks as pointers.
    const int count = int(arguments.size());
    std::vector<ffi_type*> types(std::size_t(count), &ffi_type_sint64);
    static_assert(sizeof(std::intptr_t) == 8 || sizeof(std::intptr_t) == 4);
    if constexpr (sizeof(std::intptr_t) == 4)
        std::fill(types.begin(), types.end(), &ffi_type_sint32);
    std::vector<std::intptr_t> words(std::size_t(count), 0);
    std::vector<void*> values(std::size_t(count), nullptr);

    struct TextSlot {
        std::unique_ptr<char[]> buffer;
        std::size_t size = 0;
    };
    std::vector<TextSlot> texts(static_cast<std::size_t>(count));
    std::vector<std::vector<std::intptr_t>> blocks(static_cast<std::size_t>(count));
    std::vector<std::vector<TextSlot>> blockTexts(static_cast<std::size_t>(count));

    for (int i = 0; i < count; ++i) {
        Argument& a = arguments[i];
        switch (a.kind) {
        case Argument::Kind::Number:
            words[i] = std::intptr_t(a.number);
            break;
        case Argument::Kind::Text:
            texts[i].buffer = TextBuffer(a.text, texts[i].size);
            words[i] = reinterpret_cast<std::intptr_t>(texts[i].buffer.get());
            break;
        case Argument::Kind::Block: {
            auto& fields = blocks[i];
            auto& owned = blockTexts[i];
            // One spare field keeps an empty block a valid pointer.
            fields.assign(std::size_t(a.fields.size()) + 1, 0);
            owned.resize(std::size_t(a.fields.size()));
            for (qsizetype f = 0; f < a.fields.size(); ++f) {
                if (a.fields[f].isText) {
                    owned[f].buffer = TextBuffer(a.fields[f].text, owned[f].size);
                    fields[f] = reinterpret_cast<std::intptr_t>(owned[f].buffer.get());
                } else {
                    fields[f] = std::intptr_t(a.fields[f].number);
                }
            }
            words[i] = reinterpret_cast<std::intptr_t>(fields.data());
            break;
        }
        }
        values[i] = &words[i];
    }

    ffi_cif cif;
    if (ffi_prep_cif(&cif, FFI_DEFAULT_ABI, unsigned(count), &ffi_type_sint32,
                     types.empty() ? nullptr : types.data()) != FFI_OK)
        return Status::CallFailed;
    ffi_arg ret = 0;
    if (!ProtectedCall(&cif, symbol, &ret, values.empty() ? nullptr : values.data()))
        return Status::CallFailed;
    result = qint32(std::int64_t(ret));

    for (int i = 0; i < count; ++i) {
        Argument& a = arguments[i];
        if (a.kind == Argument::Kind::Text) {
            a.text = ReadBack(texts[i].buffer.get(), texts[i].size);
        } else if (a.kind == Argument::Kind::Block) {
            for (qsizetype f = 0; f < a.fields.size(); ++f) {
                Field& field = a.fields[f];
                const std::intptr_t now = blocks[i][std::size_t(f)];
                if (field.isText &&
                    now == reinterpret_cast<std::intptr_t>(blockTexts[i][f].buffer.get())) {
                    field.text = ReadBack(blockTexts[i][f].buffer.get(), blockTexts[i][f].size);
                } else {
                    // A field the callee filled with a number (or a pointer of
                    // its own, which we must not follow) comes back as a number.
                    field.isText = false;
                    field.text.clear();
                    field.number = qint32(now);
                }
            }
        }
    }
    return Status::Ok;
}

} // namespace lumi::dll
