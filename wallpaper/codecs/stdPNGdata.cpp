#include "wallpaper/codecs/stdPNGdata.h"

#include <new>
#include <stdexcept>
#include <utility>

namespace pellimore {

bool stdPNGdata::Create(int width, int height, int bitCount, std::vector<Pixel> colorTable, bool withDC,
                        bool overwritten)
{
    Clear();
    try {
        Bitmap bitmap;
        if (spare_.Width() == width && spare_.Height() == height) {
            bitmap = std::exchange(spare_, Bitmap());
            if (!overwritten)
                bitmap.Fill(0);
            bitmap.SetBitCount(bitCount);
        } else {
            spare_ = Bitmap();
            bitmap = Bitmap(width, height, bitCount);
        }
        bitmap.ColorTable() = std::move(colorTable);
        bitmap_ = std::move(bitmap);
    } catch (const std::bad_alloc &) {
        return false;
    } catch (const std::length_error &) {
        return false;
    }
    if (bitmap_.IsNull())
        return false;
    if (withDC)
        CreateDC();
    return true;
}

void stdPNGdata::ClearKeepingMemory()
{
    Bitmap kept = std::exchange(bitmap_, Bitmap());
    Clear();
    spare_ = std::move(kept);
}

void stdPNGdata::Clear()
{
    dc_.reset();
    bitmap_ = Bitmap();
    background_ = Bitmap();
    indices_ = {};
}

int stdPNGdata::ScanLineWidth() const
{
    if (IsNull())
        return 0;
    const int64_t bits = int64_t(bitmap_.Width()) * bitmap_.BitCount();
    return int(((bits + 31) & ~int64_t(31)) / 8);
}

bool stdPNGdata::CreateIndices()
{
    try {
        indices_ = ZeroedVector<uint8_t>(std::size_t(bitmap_.Width()) * std::size_t(bitmap_.Height()));
    } catch (const std::bad_alloc &) {
        return false;
    }
    return true;
}

void stdPNGdata::CreateDC()
{
    if (!dc_ && !IsNull())
        dc_.emplace(bitmap_);
}

bool stdPNGdata::PrepareBackground(ColorRef color)
{
    try {
        background_ = Bitmap(bitmap_.Width(), bitmap_.Height(), 24);
    } catch (const std::bad_alloc &) {
        return false;
    } catch (const std::length_error &) {
        return false;
    }
    background_.Fill(PixelFromColorRef(color));
    return true;
}

void stdPNGdata::TakeBackgroundAsImage()
{
    bitmap_ = std::move(background_);
    background_ = Bitmap();
    bitmap_.SetBitCount(24);
    bitmap_.ColorTable().clear();
    indices_ = {};
}

}  // namespace pellimore
