#pragma once

// zlib, bound at run time by the name of its shared library, so that a
// missing library is reported to the user instead of stopping the program.

#include <QString>

#include <cstddef>
#include <cstdint>

namespace pellimore::png {

inline constexpr char kDefaultZlibLibrary[] = "libz.so.1";

class ZlibLibrary {
public:
    explicit ZlibLibrary(QString libraryName = QString::fromLatin1(kDefaultZlibLibrary));
    ~ZlibLibrary();
    ZlibLibrary(const ZlibLibrary &) = delete;
    ZlibLibrary &operator=(const ZlibLibrary &) = delete;

    // Opens the library and looks up `uncompress` and `crc32`; true when both
    // are there. Once bound, later calls return true at once.
    bool Bind();
    bool IsBound() const { return uncompress_ != nullptr; }
    const QString &LibraryName() const { return name_; }

    // zlib's uncompress: inflates `sourceLength` bytes into at most *destLength
    // bytes and sets *destLength to the count produced; zlib's return code.
    int Uncompress(uint8_t *dest, std::size_t *destLength, const uint8_t *source, std::size_t sourceLength) const;
    // zlib's crc32 of `length` bytes, starting from 0.
    uint32_t Crc32(const uint8_t *data, std::size_t length) const;

private:
    using UncompressFn = int (*)(unsigned char *, unsigned long *, const unsigned char *, unsigned long);
    using Crc32Fn = unsigned long (*)(unsigned long, const unsigned char *, unsigned int);

    QString name_;
    void *handle_ = nullptr;
    UncompressFn uncompress_ = nullptr;
    Crc32Fn crc32_ = nullptr;
};

}  // namespace pellimore::png
