#include "wallpaper/codecs/png/PngBuffer.h"

#include <sys/mman.h>

#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define PELLIMORE_PNG_HEAP_ONLY 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PELLIMORE_PNG_HEAP_ONLY 1
#endif
#endif

namespace pellimore::png {

bool PngBuffer::Allocate(std::size_t size)
{
    Release();
    if (size == 0)
        return true;
#if !defined(PELLIMORE_PNG_HEAP_ONLY)
    constexpr std::size_t kMapThreshold = std::size_t(4) << 20;
    if (size >= kMapThreshold) {
        void *p = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED)
            return false;
#if defined(MADV_HUGEPAGE)
        madvise(p, size, MADV_HUGEPAGE);
#endif
        data_ = static_cast<uint8_t *>(p);
        size_ = size;
        mapped_ = true;
        return true;
    }
#endif
    data_ = new (std::nothrow) uint8_t[size];
    if (!data_)
        return false;
    size_ = size;
    mapped_ = false;
    return true;
}

void PngBuffer::Release()
{
    if (!data_)
        return;
    if (mapped_)
        munmap(data_, size_);
    else
        delete[] data_;
    data_ = nullptr;
    size_ = 0;
    mapped_ = false;
}

}  // namespace pellimore::png
