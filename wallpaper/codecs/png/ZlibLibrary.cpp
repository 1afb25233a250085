#include "wallpaper/codecs/png/ZlibLibrary.h"

#include <dlfcn.h>

#include <algorithm>
#include <limits>

namespace pellimore::png {

ZlibLibrary::ZlibLibrary(QString libraryName) : name_(std::move(libraryName)) {}

ZlibLibrary::~ZlibLibrary()
{
    if (handle_)
        dlclose(handle_);
}

bool ZlibLibrary::Bind()
{
    if (IsBound())
        return true;
    void *handle = dlopen(name_.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return false;
    auto uncompress = reinterpret_cast<UncompressFn>(dlsym(handle, "uncompress"));
    auto crc32 = reinterpret_cast<Crc32Fn>(dlsym(handle, "crc32"));
    if (!uncompress || !crc32) {
        dlclose(handle);
        return false;
    }
    handle_ = handle;
    uncompress_ = uncompress;
    crc32_ = crc32;
    return true;
}

int ZlibLibrary::Uncompress(uint8_t *dest, std::size_t *destLength, const uint8_t *source,
                            std::size_t sourceLength) const
{
    unsigned long length = *destLength;
    const int result = uncompress_(dest, &length, source, sourceLength);
    *destLength = length;
    return result;
}

uint32_t ZlibLibrary::Crc32(const uint8_t *data, std::size_t length) const
{
    // crc32 takes an unsigned int length: feed larger spans in pieces.
    unsigned long crc = 0;
    while (length > 0) {
        const std::size_t piece = std::min<std::size_t>(length, std::numeric_limits<unsigned int>::max());
        crc = crc32_(crc, data, unsigned(piece));
        data += piece;
        length -= piece;
    }
    return uint32_t(crc);
}

}  // namespace pellimore::png
