#include "wallpaper/codecs/PictureLoading.h"

#include <QFile>

#include <algorithm>
#include <array>
#include <cmath>

#include "platform/imageio/PictureLoader.h"
#include "platform/raster/PictureSurface.h"
#include "platform/ui/Ui.h"
#include "wallpaper/codecs/GifControlView.h"
#include "wallpaper/codecs/GifPlayer.h"
#include "wallpaper/codecs/StdPNG.h"

namespace pellimore {

namespace {

constexpr int kPngTransparentStyle = -1;  // keep the alpha channel
constexpr int kPreviewMinFrameDelay = 50;
constexpr int kWideCap = 82;
constexpr int kTallCap = 78;
constexpr int kWideLargeFontExtra = 12;
constexpr int kTallLargeFontExtra = 5;

QByteArray ReadWholeFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw PictureReadError(path, file.errorString());
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw PictureReadError(path, file.errorString());
    return bytes;
}

// The byte at 0-based position i, or -1 past the end of the data.
int ByteAt(const QByteArray &bytes, int64_t i)
{
    return i >= 0 && i < bytes.size() ? uint8_t(bytes[qsizetype(i)]) : -1;
}

// Steps over data sub-blocks whose first length byte is at i; the position
// after the terminator, or -1 when the data ends first.
int64_t SkipSubBlocks(const QByteArray &bytes, int64_t i)
{
    for (;;) {
        const int length = ByteAt(bytes, i);
        if (length < 0)
            return -1;
        if (length == 0)
            return i + 1;
        i += 1 + length;
    }
}

int64_t ColorTableBytes(int packed) { return 3 * (int64_t(2) << (packed & 7)); }

}  // namespace

PictureReadError::PictureReadError(const QString &filePath, const QString &why)
    : std::runtime_error(QStringLiteral("Cannot read \"%1\": %2").arg(filePath, why).toStdString()),
      path(filePath),
      reason(why)
{
}

QString PictureType(const QString &fileName)
{
    return fileName.right(3).toUpper();
}

QString PicturePath(const QString &pictureFolder, const QString &fileName)
{
    if (pictureFolder.endsWith(QLatin1Char('/')))
        return pictureFolder + fileName;
    return pictureFolder + QLatin1Char('/') + fileName;
}

LoadByTypeResult LoadPictureByType(const QString &path, PictureSurface &surface, StdPNG &png,
                                   const ShownSizeFunction &shownSize, const ShownCanvasFunction &shownCanvas)
{
    LoadByTypeResult result;
    const QString type = PictureType(path);
    if (type == QLatin1String("PNG")) {
        result.kind = LoadedPictureKind::Png;
        surface.ClearPicture();
        surface.Cls();
        png.SetTransparentStyle(kPngTransparentStyle);
        // A picture shown smaller is decoded at the shown size when the
        // surface would halftone it there anyway: the same pixels, without
        // the whole picture in memory.
        if (shownSize && surface.Dc().StretchBltMode() == StretchMode::Halftone) {
            png.SetShownSize(shownSize);
            png.SetShownCanvas(shownCanvas);
        }
        const bool loaded = png.LoadFile(path, true, false, 255);
        png.SetShownSize({});
        png.SetShownCanvas({});
        if (!loaded) {
            result.error = png.LastError();
            return result;
        }
        result.storedSize = QSize(png.Width(), png.Height());
        if (png.OnCanvas()) {
            // Already the fitted wallpaper: the surface takes it as it is.
            surface.SetPictureAndSize(png.TakeImage());
            result.onCanvas = true;
            result.ok = true;
            return result;
        }
        QSize shown = shownSize ? shownSize(result.storedSize) : QSize();
        if (shown.isEmpty() || shown.width() >= png.Width() || shown.height() >= png.Height())
            shown = result.storedSize;
        surface.Resize(shown.width(), shown.height());
        surface.Cls();
        png.Paint(surface.Dc(), 0, 0, shown.width(), shown.height());
        png.ReleaseImage();
        surface.TakeImageAsPicture();
        result.ok = true;
        return result;
    }
    result.kind = type == QLatin1String("GIF") ? LoadedPictureKind::Gif : LoadedPictureKind::Other;
    PictureLoadOptions options;
    options.shownSize = shownSize;
    // As for PNGs: a surface that halftones anyway may get the shown size.
    options.jpegToShownSize = surface.Dc().StretchBltMode() == StretchMode::Halftone;
    options.shownCanvas = shownCanvas;
    PictureResult picture = LoadPicture(path, options);
    if (!picture.Ok()) {
        result.error = picture.error;
        return result;
    }
    result.storedSize = picture.storedSize;
    result.onCanvas = picture.onCanvas;
    surface.SetPictureAndSize(std::move(picture.bitmap));
    result.ok = true;
    return result;
}

bool HasMultiFrameMarker(const QByteArray &bytes)
{
    static constexpr char kMarker[] = {'\x00', '\x21', '\xF9'};
    return std::search(bytes.begin(), bytes.end(), std::begin(kMarker), std::end(kMarker)) != bytes.end();
}

bool IsTransparentGifData(const QByteArray &bytes, Ui &ui)
{
    if (!bytes.startsWith("GIF8")) {
        ui.Message(QStringLiteral("Sorry, not an Animated Gif file"), MessageIcon::None,
                   QStringLiteral("Not a Valid Animated Gif File!"), MessageButtons::Ok);
        return false;
    }
    const int screenPacked = ByteAt(bytes, 10);
    if (screenPacked < 0)
        return false;
    int64_t i = 13;
    if (screenPacked & 0x80)
        i += ColorTableBytes(screenPacked);
    const int64_t size = bytes.size();
    while (i < size) {
        const int introducer = ByteAt(bytes, i);
        if (introducer == 0x21) {
            const int label = ByteAt(bytes, i + 1);
            int64_t next = 0;
            if (label == 0xFF)
                next = SkipSubBlocks(bytes, i + 14);  // after the 11-byte application block
            else if (label == 0xFE)
                next = SkipSubBlocks(bytes, i + 2);
            else if (label == 0x01)
                next = SkipSubBlocks(bytes, i + 15);  // after the 12-byte plain text block
            else if (label == 0xF9)
                return ByteAt(bytes, i + 3) > 0 && (ByteAt(bytes, i + 3) & 1) != 0;  // the packed byte
            else
                next = i + 1;
            if (next < 0)
                return false;
            i = next;
        } else if (introducer == 0x2C) {
            const int packed = ByteAt(bytes, i + 9);
            if (packed < 0)
                return false;
            int64_t codeSize = i + 10;
            if (packed & 0x80)
                codeSize += ColorTableBytes(packed);
            if (ByteAt(bytes, codeSize) < 0)
                return false;
            i = SkipSubBlocks(bytes, codeSize + 1);
            if (i < 0)
                return false;
        } else if (introducer == 0x3B && i >= size - 4) {
            return false;
        } else {
            ++i;
        }
    }
    return false;
}

bool IsTransparentGif(const QString &path, Ui &ui)
{
    if (path.isEmpty())
        return false;
    return IsTransparentGifData(ReadWholeFile(path), ui);
}

bool ShowAnimatedPreview(GifControlView &control, const AnimatedPreviewGeometry &geometry, const QString &path,
                         ColorRef backColor)
{
    GifPlayer &player = control.Player();
    control.MoveTo(QPoint(geometry.previewButton.left(), control.Geometry().y()));
    control.SetShown(false);
    player.SetAutoSize(true);
    player.SetgifMinFrameDelay(kPreviewMinFrameDelay);
    player.RemoveCustomBkgDC();
    player.SetBackColor(backColor);
    if (!player.LoadGIF(path))
        return false;
    player.SetAnimate(true);

    const QRect thumb = geometry.thumbnail;
    const QRect loaded = control.Geometry();
    if (thumb.width() > 0 && thumb.height() > 0 &&
        (loaded.width() > thumb.width() || loaded.height() > thumb.height())) {
        player.SetAnimate(false);
        player.SetAutoSize(false);
        player.SetStretch(1);
        const QRect shown = control.Geometry();
        int p = 0;
        if (shown.height() < shown.width()) {
            p = std::min(int(double(shown.width()) / thumb.width() + 20), kWideCap);
            if (geometry.largeFonts)
                p += kWideLargeFontExtra;
        } else {
            p = std::min(int(double(shown.height()) / thumb.height() + 20), kTallCap);
            if (geometry.largeFonts)
                p += kTallLargeFontExtra;
        }
        const int logicalWidth = player.gifLogicalWindowCx();
        const int logicalHeight = player.gifLogicalWindowCy();
        int newWidth = int(std::lround(logicalWidth - p / 100.0 * logicalWidth));
        int newHeight = int(std::lround(logicalHeight - p / 100.0 * logicalHeight));
        bool canShrink = false;
        int borderWidth = 0;
        player.ScaleLogWinToSize(newWidth, newHeight, canShrink, borderWidth);
        // The main window lays its controls out in twips; the control's size
        // goes there and back through the display's twips per pixel.
        const double widthTwips = (player.BorderWidth() + newWidth) * geometry.twipsPerPixelX;
        const double heightTwips = (player.BorderHeight() + newHeight) * geometry.twipsPerPixelY;
        control.Move(shown.x(), shown.y(), int(std::lround(widthTwips / geometry.twipsPerPixelX)),
                     int(std::lround(heightTwips / geometry.twipsPerPixelY)));
        player.SetAnimate(true);
    }
    const QRect placed = control.Geometry();
    control.MoveTo(QPoint(thumb.left() + thumb.width() / 2 - placed.width() / 2, placed.y()));
    player.SetBorderStyle(1);
    control.SetShown(true);
    return true;
}

bool InspectGif(const QString &path, GifInspectionHost &host)
{
    const QByteArray bytes = ReadWholeFile(path);
    if (HasMultiFrameMarker(bytes)) {
        host.flags.gifNeedsBackground = true;
        if (host.repaint)
            host.repaint();
        if (!host.dontUseActiveDesktop && host.showAnimatedPreview && host.showAnimatedPreview())
            host.flags.animatedPreviewShown = true;
        return true;
    }
    if (host.repaint)
        host.repaint();
    if (IsTransparentGif(path, host.ui))
        host.flags.gifNeedsBackground = true;
    return false;
}

}  // namespace pellimore
