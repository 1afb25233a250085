#pragma once

// zlib, bound at run time by the name of its shared library, so that a
// missing library is reported to the user instead of stopping the program.

#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

struct z_stream_s;

namespace pellimore::png {

inline constexpr char kDefaultZlibLibrary[] = "libz.so.1";

class ZlibLibrary {
public:
    explicit ZlibLibrary(QString libraryName = QString::fromLatin1(kDefaultZlibLibrary));
    ~ZlibLibrary();
    ZlibLibrary(const ZlibLibrary &) = delete;
    ZlibLibrary &operator=(const ZlibLibrary &) = delete;

    // Opens the library and looks up `uncompress`, `crc32` and the streaming
    // inflate calls; true when all are there. Once bound, later calls return true at once.
    bool Bind();
    bool IsBound() const { return uncompress_ != nullptr; }
    const QString &LibraryName() const { return name_; }

    // zlib's uncompress: inflates `sourceLength` bytes into at most *destLength
    // bytes and sets *destLength to the count produced; zlib's return code.
    int Uncompress(uint8_t *dest, std::size_t *destLength, const uint8_t *source, std::size_t sourceLength) const;
    // zlib's crc32 of `length` bytes, starting from 0.
    uint32_t Crc32(const uint8_t *data, std::size_t length) const;

private:
    friend class InflateStream;
    using UncompressFn = int (*)(unsigned char *, unsigned long *, const unsigned char *, unsigned long);
    using Crc32Fn = unsigned long (*)(unsigned long, const unsigned char *, unsigned int);
    using InflateInitFn = int (*)(z_stream_s *, const char *, int);
    using InflateFn = int (*)(z_stream_s *, int);
    using InflateEndFn = int (*)(z_stream_s *);

    QString name_;
    void *handle_ = nullptr;
    UncompressFn uncompress_ = nullptr;
    Crc32Fn crc32_ = nullptr;
    InflateInitFn inflateInit_ = nullptr;
    InflateFn inflate_ = nullptr;
    InflateEndFn inflateEnd_ = nullptr;
};

// One zlib stream inflated a piece at a time, so that a decoder can work on
// its output without holding all of it. The library must be bound and the
// source must outlive the stream.
class InflateStream {
public:
    InflateStream(const ZlibLibrary &zlib, std::span<const uint8_t> source);
    ~InflateStream();
    InflateStream(const InflateStream &) = delete;
    InflateStream &operator=(const InflateStream &) = delete;

    // The next `size` bytes of the output; false when the stream is damaged
    // or ends before that.
    bool Read(uint8_t *dest, std::size_t size);
    // True when the stream ends, whole and checked, right after what was read.
    bool EndsHere();

private:
    void Feed();

    const ZlibLibrary &zlib_;
    std::unique_ptr<z_stream_s> stream_;
    std::size_t remaining_ = 0;  // source bytes not yet handed to zlib
    bool ok_ = false;
    bool ended_ = false;
};

}  // namespace pellimore::png
