#pragma once

// Picture loading by type: the file name's last three characters, upper-cased,
// choose the loader (the program's own PNG decoder for "PNG", the platform
// picture loader for everything else). GIF files are also inspected: whether
// they hold more than one image, whether a still GIF declares a transparent
// colour, and the animated preview over the main window's thumbnail.

#include <QByteArray>
#include <QRect>
#include <QSize>
#include <QString>

#include <functional>
#include <stdexcept>

#include "platform/raster/Bitmap.h"
#include "platform/raster/Raster.h"

namespace pellimore {

class GifControlView;
class PictureSurface;
class StdPNG;
class Ui;

// A picture file that cannot be read (missing, locked): the inspection does
// not handle it; it reaches the caller's error handling.
class PictureReadError : public std::runtime_error {
public:
    PictureReadError(const QString &path, const QString &reason);
    QString path;
    QString reason;
};

// "PNG", "GIF", "JPG", ...: the last three characters of the name, upper-cased.
QString PictureType(const QString &fileName);

// The picture folder, a "/" and the file name.
QString PicturePath(const QString &pictureFolder, const QString &fileName);

enum class LoadedPictureKind { Png, Gif, Other };

struct LoadByTypeResult {
    bool ok = false;
    LoadedPictureKind kind = LoadedPictureKind::Other;
    QString error;  // the reason (the PNG decoder has also told the user itself)
    QSize storedSize;  // the picture's size in its file
    // The surface holds the canvas shownCanvas asked for, the picture drawn
    // into its block, instead of the picture alone.
    bool onCanvas = false;
};

// Given a picture's stored size, the size it will be shown at; an empty size
// keeps it whole.
using ShownSizeFunction = std::function<QSize(QSize stored)>;

// Loads the picture at path into surface by its type. On success the picture
// is the surface's persistent picture (and its drawing image) and the surface
// has the picture's size. "PNG": the surface is cleared, the file is decoded by
// png (TransparentStyle -1, LoadFile with ValidateAllData True, Make32Bit False,
// AlphaBlendValue 255) and painted with Paint onto the surface sized to the
// decoder's Width and Height; the caller marks the picture as PNG. Anything
// else: the platform picture loader (for a GIF its first image). On failure
// the surface is left as it was, except that a failing PNG has cleared it.
// With shownSize, a picture that will be shown smaller comes reduced: a JPEG
// at the decoder's nearest reduction that still covers the shown size, a PNG
// painted (halftone) straight at the shown size; the decoder's full-size
// image is let go as soon as it is painted. With shownCanvas as well, a JPEG
// shown smaller may come already drawn into that canvas (onCanvas).
LoadByTypeResult LoadPictureByType(const QString &path, PictureSurface &surface, StdPNG &png,
                                   const ShownSizeFunction &shownSize = {},
                                   const ShownCanvasFunction &shownCanvas = {});

// The multi-frame marker: a data-block terminator followed by the introducer
// and label of a graphic control extension.
bool HasMultiFrameMarker(const QByteArray &bytes);

// True when the GIF's first graphic control extension sets its transparent-
// colour flag. Data that does not begin with "GIF8" is reported in a message
// box ("Sorry, not an Animated Gif file", "Not a Valid Animated Gif File!") and
// gives False. Every read is checked: data that ends early gives False.
bool IsTransparentGifData(const QByteArray &bytes, Ui &ui);
// The same for a file; an empty path gives False. Throws PictureReadError when
// the file cannot be read.
bool IsTransparentGif(const QString &path, Ui &ui);

// The main window's geometry that the animated preview is laid out against,
// in the main window's pixels.
struct AnimatedPreviewGeometry {
    QRect thumbnail;       // picThumb, as recorded when the main window loaded
    QRect previewButton;   // cmdPreview
    double twipsPerPixelX = 15.0;
    double twipsPerPixelY = 15.0;
    bool largeFonts = false;  // the display's horizontal resolution is not 96 DPI
};

// Shows the GIF at path animated in control over the thumbnail: loaded with
// AutoSize, gifMinFrameDelay 50 and backColor, shrunk to the GIF's aspect
// ratio when it is larger than the thumbnail, centred over the thumbnail with
// a single-line border. False (and the control stays hidden) when the control
// cannot load the file.
bool ShowAnimatedPreview(GifControlView &control, const AnimatedPreviewGeometry &geometry, const QString &path,
                         ColorRef backColor);

// The flags one current picture shares with the rendering of the wallpaper.
struct GifPictureFlags {
    bool gifNeedsBackground = false;
    bool animatedPreviewShown = false;
};

// What InspectGif needs of the main window.
struct GifInspectionHost {
    Ui &ui;
    GifPictureFlags &flags;
    bool dontUseActiveDesktop = false;     // the user option "Don't use Active Desktop"
    std::function<void()> repaint;         // repaints the main window
    // Runs the animated preview of the current entry; true when it is shown.
    std::function<bool()> showAnimatedPreview;
};

// Inspects the GIF at path (the current library entry): True when the
// multi-frame marker is found, which sets gifNeedsBackground and (unless
// "Don't use Active Desktop" is on) shows the animated preview; otherwise a
// transparent still GIF sets gifNeedsBackground. Throws PictureReadError when
// the file cannot be read.
bool InspectGif(const QString &path, GifInspectionHost &host);

}  // namespace pellimore
