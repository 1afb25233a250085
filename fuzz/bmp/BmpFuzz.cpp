// Fuzz target for the BMP reader: whatever the bytes, decoding must end in a
// bitmap or an error text, and a decoded bitmap must encode again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/raster/BmpFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size)
{
    const pellimore::BmpResult result = pellimore::DecodeBmp(data, size);
    if (result.Ok()) {
        if (pellimore::EncodeBmp(result.bitmap).isEmpty())
            std::abort();
    } else if (result.error.isEmpty()) {
        std::abort();
    }
    return 0;
}
