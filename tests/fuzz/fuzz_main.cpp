// A libFuzzer binary for one entry of entries.h, chosen at build time.
#include <cstddef>
#include <cstdint>

#include "entries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    // Not copied, so a read past the end is AddressSanitizer's to see.
    IMPC_FUZZ_ENTRY(QByteArray::fromRawData(reinterpret_cast<const char*>(bytes), qsizetype(size)));
    return 0;
}
