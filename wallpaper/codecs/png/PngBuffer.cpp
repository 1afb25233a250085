#include "wallpaper/codecs/png/PngBuffer.h"

#include "platform/raster/LargeMemory.h"

namespace pellimore::png {

bool PngBuffer::Allocate(std::size_t size)
{
    Release();
    if (size == 0)
        return true;
    data_ = static_cast<uint8_t *>(AllocateLarge(size, false));
    if (!data_)
        return false;
    size_ = size;
    return true;
}

void PngBuffer::Release()
{
    if (!data_)
        return;
    FreeLarge(data_, size_);
    data_ = nullptr;
    size_ = 0;
}

}  // namespace pellimore::png
