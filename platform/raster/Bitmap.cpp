#include "Bitmap.h"

#include <QImage>

#include <cstring>
#include <stdexcept>

namespace pellimore {

bool Bitmap::SizeIsAllowed(int64_t width, int64_t height)
{
    return width > 0 && height > 0 && width <= kMaxPixels / height;
}

Bitmap::Bitmap(int width, int height, int bitCount) : bitCount_(bitCount)
{
    if (width == 0 || height == 0) {
        if (width < 0 || height < 0)
            throw std::length_error("negative bitmap size");
        return;
    }
    if (!SizeIsAllowed(width, height))
        throw std::length_error("bitmap size not allowed");
    width_ = width;
    height_ = height;
    pixels_ = std::make_shared<ZeroedVector<Pixel>>(std::size_t(width) * std::size_t(height));
}

void Bitmap::Unshare(bool keep)
{
    pixels_ = keep ? std::make_shared<ZeroedVector<Pixel>>(*pixels_)
                   : std::make_shared<ZeroedVector<Pixel>>(pixels_->size());
}

void Bitmap::Fill(Pixel p)
{
    if (!pixels_)
        return;
    // Every pixel is about to change: shared values need no copying first.
    if (pixels_.use_count() > 1)
        Unshare(false);
    std::fill(pixels_->begin(), pixels_->end(), p);
}

QImage Bitmap::Wrap()
{
    if (IsNull())
        return QImage();
    return QImage(Bits(), width_, height_, Stride(), QImage::Format_ARGB32);
}

QImage Bitmap::ToImage() const
{
    if (IsNull())
        return QImage();
    QImage image(width_, height_, QImage::Format_ARGB32);
    for (int y = 0; y < height_; ++y)
        std::memcpy(image.scanLine(y), Row(y), std::size_t(Stride()));
    return image;
}

Bitmap Bitmap::FromImage(const QImage &source)
{
    if (source.isNull())
        return Bitmap();
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    Bitmap bitmap(image.width(), image.height(), source.hasAlphaChannel() ? 32 : 24);
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(bitmap.Row(y), image.constScanLine(y), std::size_t(bitmap.Stride()));
    return bitmap;
}

}  // namespace pellimore
