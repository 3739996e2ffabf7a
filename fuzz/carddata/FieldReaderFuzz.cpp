// The record reader of the card and status lists on any bytes: it ends, and
// every record it gives has its fields.
#include "carddata/CardList.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    lumi::FieldReader reader(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    std::size_t records = 0;
    while (!reader.atEnd()) {
        auto rec = reader.record(4);
        if (!rec)
            break;
        if (rec->size() != 4 || ++records > size)
            std::abort();
    }
    return 0;
}
