// The INI parser on any bytes: an untouched document gives its bytes back,
// and a written key reads back whatever else the file holds.
#include "carddata/IniDocument.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    lumi::IniDocument doc = lumi::IniDocument::parse(bytes);
    if (doc.toBytes() != bytes)
        std::abort();
    for (const char* section : {"header", "body", "General", "head"})
        for (const char* key : {"name", "001", "rare", "DrawCheck"})
            (void)doc.value(QLatin1String(section), QLatin1String(key));
    doc.set(QStringLiteral("fuzz"), QStringLiteral("key"), QStringLiteral("value"));
    if (doc.get(QStringLiteral("fuzz"), QStringLiteral("key")) != QStringLiteral("value"))
        std::abort();
    doc.set(QStringLiteral("header"), QStringLiteral("name"), QStringLiteral("名前"));
    if (doc.get(QStringLiteral("header"), QStringLiteral("name")) != QStringLiteral("名前"))
        std::abort();
    return 0;
}
