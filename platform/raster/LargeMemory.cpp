#include "platform/raster/LargeMemory.h"

#include <sys/mman.h>

#include <cstdlib>

#if defined(__SANITIZE_ADDRESS__)
#define PELLIMORE_HEAP_ONLY 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PELLIMORE_HEAP_ONLY 1
#endif
#endif

namespace pellimore {

namespace {

constexpr std::size_t kMapThreshold = std::size_t(32) << 20;

bool Mapped(std::size_t bytes)
{
#if defined(PELLIMORE_HEAP_ONLY)
    (void)bytes;
    return false;
#else
    return bytes >= kMapThreshold;
#endif
}

}  // namespace

void *AllocateLarge(std::size_t bytes, bool zeroed) noexcept
{
    if (!Mapped(bytes)) {
        const std::size_t size = bytes == 0 ? 1 : bytes;
        return zeroed ? std::calloc(size, 1) : std::malloc(size);
    }
    void *block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED)
        return nullptr;
#if defined(MADV_HUGEPAGE)
    madvise(block, bytes, MADV_HUGEPAGE);
#endif
    return block;
}

void FreeLarge(void *block, std::size_t bytes) noexcept
{
    if (!block)
        return;
    if (Mapped(bytes))
        munmap(block, bytes);
    else
        std::free(block);
}

}  // namespace pellimore
