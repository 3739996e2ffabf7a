#pragma once
// Calling a function of a shared library by name, as scripts call DLL
// functions: numbers go as 32-bit integers widened to the register width,
// texts as pointers to NUL-terminated code page 932 copies, blocks as arrays
// of pointer-sized fields; the result is a 32-bit integer.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace lumi::dll {

struct Field {
    bool isText = false;
    qint32 number = 0;
    QByteArray text; // code page 932, without NUL
};

struct Argument {
    enum class Kind { Number, Text, Block };
    Kind kind = Kind::Number;
    qint32 number = 0;
    QByteArray text;     // Kind::Text: code page 932, without NUL
    QList<Field> fields; // Kind::Block
};

enum class Status { Ok, LibraryNotFound, FunctionNotFound, CallFailed };

// The most arguments a call takes; more give CallFailed.
inline constexpr int MaxArguments = 32;
// Every text buffer handed to a callee has at least this many bytes (zero
// filled after the text), so a callee that writes a short answer into a
// text argument stays inside it.
inline constexpr int MinTextBuffer = 1024;

// The file names tried for a library name, in order ("kernel32.dll" →
// "kernel32.dll", "kernel32", "libkernel32.so", "kernel32.so"; "c" and "m"
// also as the C library's versioned names).
QStringList LibraryCandidates(const QString& name);

// Loads the library, finds the function, calls it and releases the library.
// A callee that faults (a number passed where it wanted a pointer) gives
// CallFailed instead of ending the program; the arguments are then left as
// they were.
// After the call each text argument holds its buffer up to the first NUL,
// each block field its field again (a text field whose pointer the callee
// replaced becomes that value as a number).
Status Call(const QString& library, const QString& function, QList<Argument>& arguments,
            qint32& result);

} // namespace lumi::dll
