#include "wallpaper/changer/WallpaperRender.h"

#include <algorithm>
#include <cmath>

#include "platform/raster/Raster.h"

namespace pellimore {

int WholePart(float value)
{
    return int(std::floor(value));
}

int ScaledPixels(int size, float factor)
{
    // In double precision, as the classic floating-point unit kept it.
    return int(std::lrint(double(size) * double(factor)));
}

FitLayout FitToDesktopLayout(QSize picture, QSize desktop)
{
    const int W = picture.width(), H = picture.height();
    const int DW = desktop.width(), DH = desktop.height();
    const float rW = float(DW) / float(W);
    const float rH = float(DH) / float(H);
    // Plain ints: a picture more than 32767 pixels beyond the desktop must not
    // wrap around and pick the wrong side.
    const int eW = W - DW;
    const int eH = H - DH;
    const float aspect = float(W) / float(H);

    float s;
    if (rW > 1.0f || rH > 1.0f)
        s = rH >= rW ? rW : rH;
    else
        s = aspect > 1.4f ? rW : rH;
    const int CW = std::max(1, ScaledPixels(W, s));
    const int CH = std::max(1, ScaledPixels(H, s));

    float g = 1.0f;
    if (CW - 2 < W || CH - 2 < H)
        g = eH < eW ? float(CW - 2) / float(W) : float(CH - 2) / float(H);
    const int w = std::max(1, ScaledPixels(W, g));
    const int h = std::max(1, ScaledPixels(H, g));
    const int x = WholePart(float(CW - w) / 2.0f);
    const int y = WholePart(float(CH - h) / 2.0f);
    return {QSize(CW, CH), QRect(x, y, w, h)};
}

Bitmap FitToDesktop(const Bitmap &picture, QSize desktop, ColorRef backColor, QSize storedSize)
{
    const FitLayout layout =
        FitToDesktopLayout(storedSize.isEmpty() ? QSize(picture.Width(), picture.Height()) : storedSize, desktop);
    Bitmap canvas(layout.canvas.width(), layout.canvas.height(), 24);
    canvas.Fill(PixelFromColorRef(backColor & 0xFFFFFF));
    const QRect &r = layout.picture;
    StretchBlt(canvas, r.x(), r.y(), r.width(), r.height(), picture, 0, 0, picture.Width(), picture.Height(),
               StretchMode::Halftone, kSrcCopy);
    return canvas;
}

QSize WallpaperShownSize(QSize stored, QSize desktop, WallpaperStyle style)
{
    if (stored.isEmpty() || desktop.isEmpty() || !IsLargerThanDesktop(stored, desktop))
        return QSize();
    // The desktop stretches a stretched picture to its own size.
    if (style == WallpaperStyle::Stretched)
        return desktop;
    return FitToDesktopLayout(stored, desktop).picture.size();
}

Bitmap LayOverColor(const Bitmap &picture, ColorRef color)
{
    Bitmap result(picture.Width(), picture.Height(), 24);
    const uint32_t cr = RedOf(color), cg = GreenOf(color), cb = BlueOf(color);
    for (int y = 0; y < picture.Height(); ++y) {
        const Pixel *in = picture.Row(y);
        Pixel *out = result.Row(y);
        for (int x = 0; x < picture.Width(); ++x) {
            const uint32_t a = PixelAlpha(in[x]);
            auto mix = [a](uint32_t p, uint32_t c) { return uint8_t((p * a + c * (255 - a) + 127) / 255); };
            out[x] = MakePixel(mix(PixelRed(in[x]), cr), mix(PixelGreen(in[x]), cg), mix(PixelBlue(in[x]), cb));
        }
    }
    return result;
}

Bitmap RenderWallpaper(const Bitmap &picture, const WallpaperRenderInput &input)
{
    if (!input.largerThanDesktop || input.animatedPreviewShown)
        return input.gifNeedsBackground ? LayOverColor(picture, input.backColor) : picture;
    if (input.style == WallpaperStyle::Stretched)
        return picture;
    return FitToDesktop(picture, input.desktop, input.backColor, input.storedSize);
}

}  // namespace pellimore
