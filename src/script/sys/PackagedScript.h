#pragma once
// Scripts carried inside a copy of the engine program: after the executable
// image comes a trailer of attached files and one script record.
//
//   { "//FILE:" name "," length "/\" <length bytes> "/END/" }*
//   "INFO:" <encoded script> NUL
//
// The encoded script is the script in code page 932 with CR LF as byte 4,
// every character as hexadecimal digits (four for a double-byte character,
// two for a single byte), the whole digit string reversed.

#include "common/TextFile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

namespace lumi::packaged {

// Where the executable image ends and a trailer may begin, or 0 when the
// bytes are not an image this reader knows.
// PE: the raw-data end of the last section-table entry.
// ELF (32 or 64 bit, either byte order): the later of the end of the
// section-header table and the end of the last section with file content.
qint64 ImageEnd(QByteArrayView image);

// The script text of an encoded record (the bytes after "INFO:", up to but
// not including the NUL). Malformed digits end the decoding; what was
// decoded so far is kept.
QString DecodeScriptRecord(QByteArrayView digits);
// The inverse, as the writer produces it (upper-case digits).
QByteArray EncodeScriptRecord(const QString& script);

struct AttachedFile {
    QString name;       // the name as stored; may carry a folder part
    QByteArray content; // exact bytes
};

struct Trailer {
    QList<AttachedFile> files;
    QString script;
    bool hasScript = false; // an "INFO:" record was found
};

// Parses a trailer (the bytes from the image end on). Attached-file contents
// are taken by their declared length and never scanned for markers; a
// length that runs past the end of the data keeps what is there.
Trailer ParseTrailer(QByteArrayView trailer);
// The bytes of a trailer holding these files and this script.
QByteArray BuildTrailer(const QList<AttachedFile>& files, const QString& script);

// The message shown when the image end of the program file cannot be found.
QString ImageEndFailureMessage(const QString& programPath);

struct LoadResult {
    bool imageEndFound = false;
    QString script;             // empty when nothing could be read
    QStringList extractedFiles; // full paths of the files written
};

// Reads the packaged script of `programPath` and writes its attached files,
// byte-identical, into `tempFolder` under the part of their name after the
// last backslash (or slash). A file that cannot be written is skipped.
LoadResult LoadExe(const QString& programPath, const QString& tempFolder);

// Copies the engine program `enginePath` (without any trailer it already
// carries) to `outPath` and appends a trailer holding `scriptPath` and the
// `attachPaths` files (stored under their file names). The output is made
// executable.
WriteResult PackProgram(const QString& enginePath, const QString& scriptPath,
                        const QStringList& attachPaths, const QString& outPath);

} // namespace lumi::packaged
