#pragma once

// A large byte buffer for file data and inflated rows, from the big-block
// memory of the raster layer (huge pages for the biggest).

#include <cstddef>
#include <cstdint>

namespace pellimore::png {

class PngBuffer {
public:
    PngBuffer() = default;
    ~PngBuffer() { Release(); }
    PngBuffer(const PngBuffer &) = delete;
    PngBuffer &operator=(const PngBuffer &) = delete;

    // A buffer of `size` bytes, contents undefined; false (and empty) when the
    // memory cannot be had.
    bool Allocate(std::size_t size);
    void Release();

    uint8_t *Data() { return data_; }
    const uint8_t *Data() const { return data_; }
    std::size_t Size() const { return size_; }

private:
    uint8_t *data_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace pellimore::png
