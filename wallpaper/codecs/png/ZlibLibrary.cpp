#include "wallpaper/codecs/png/ZlibLibrary.h"

#include <dlfcn.h>
#include <zlib.h>

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
    auto inflateInit = reinterpret_cast<InflateInitFn>(dlsym(handle, "inflateInit_"));
    auto inflate = reinterpret_cast<InflateFn>(dlsym(handle, "inflate"));
    auto inflateEnd = reinterpret_cast<InflateEndFn>(dlsym(handle, "inflateEnd"));
    if (!uncompress || !crc32 || !inflateInit || !inflate || !inflateEnd) {
        dlclose(handle);
        return false;
    }
    handle_ = handle;
    uncompress_ = uncompress;
    crc32_ = crc32;
    inflateInit_ = inflateInit;
    inflate_ = inflate;
    inflateEnd_ = inflateEnd;
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

InflateStream::InflateStream(const ZlibLibrary &zlib, std::span<const uint8_t> source)
    : zlib_(zlib), stream_(std::make_unique<z_stream_s>())
{
    z_stream &z = *stream_;
    z = z_stream{};
    z.next_in = const_cast<Bytef *>(source.data());
    z.avail_in = 0;
    ok_ = zlib_.IsBound() && zlib_.inflateInit_(&z, ZLIB_VERSION, int(sizeof(z_stream))) == Z_OK;
    // avail_in is 32 bits: larger sources are fed in pieces.
    remaining_ = ok_ ? source.size() : 0;
}

InflateStream::~InflateStream()
{
    if (ok_)
        zlib_.inflateEnd_(stream_.get());
}

void InflateStream::Feed()
{
    z_stream &z = *stream_;
    if (z.avail_in == 0 && remaining_ > 0) {
        const std::size_t piece = std::min<std::size_t>(remaining_, std::numeric_limits<uInt>::max());
        z.avail_in = uInt(piece);
        remaining_ -= piece;
    }
}

bool InflateStream::Read(uint8_t *dest, std::size_t size)
{
    if (!ok_)
        return false;
    z_stream &z = *stream_;
    while (size > 0) {
        if (ended_)
            return false;
        Feed();
        const std::size_t piece = std::min<std::size_t>(size, std::numeric_limits<uInt>::max());
        z.next_out = dest;
        z.avail_out = uInt(piece);
        const int result = zlib_.inflate_(&z, Z_NO_FLUSH);
        const std::size_t produced = piece - z.avail_out;
        dest += produced;
        size -= produced;
        if (result == Z_STREAM_END)
            ended_ = true;
        else if (result != Z_OK && !(result == Z_BUF_ERROR && produced > 0))
            return ok_ = false;
        // No progress and no input left: the data ends early.
        if (produced == 0 && z.avail_in == 0 && remaining_ == 0 && !ended_)
            return ok_ = false;
    }
    return true;
}

bool InflateStream::EndsHere()
{
    if (!ok_)
        return false;
    if (ended_)
        return true;
    // Nothing more may come out; zlib still checks the stream's trailer.
    z_stream &z = *stream_;
    uint8_t extra = 0;
    for (;;) {
        Feed();
        z.next_out = &extra;
        z.avail_out = 1;
        const int result = zlib_.inflate_(&z, Z_NO_FLUSH);
        if (z.avail_out == 0)
            return false;
        if (result == Z_STREAM_END)
            return ended_ = true;
        if (result != Z_OK || (z.avail_in == 0 && remaining_ == 0))
            return false;
    }
}

}  // namespace pellimore::png
