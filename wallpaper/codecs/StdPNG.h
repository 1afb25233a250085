#pragma once

// StdPNG: the program's own PNG decoder. It reads a PNG file, inflates the
// image data through zlib (bound at run time), reverses the row filters (also
// for Adam7 files), converts the pixels into a top-down bitmap held by its
// stdPNGdata, applies the transparency policy of TransparentStyle and paints
// the result into a device context. Every failure is shown through the ui
// service with its fixed text and title, and LoadFile returns false.
//
// 32-bit results are premultiplied (component x alpha / 255, rounded down);
// pixels of alpha 0 are all zero. 24-bit and palette results are opaque.

#include <QByteArray>
#include <QDateTime>
#include <QSize>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "platform/colors/DesktopSystemColors.h"
#include "platform/raster/Bitmap.h"
#include "platform/raster/DeviceContext.h"
#include "platform/raster/Raster.h"
#include "wallpaper/codecs/png/PngChunks.h"
#include "wallpaper/codecs/png/ZlibLibrary.h"
#include "wallpaper/codecs/stdPNGdata.h"

namespace pellimore {

class PictureSurface;
class Ui;

// The arguments of the ProgessiveDisplay event. A host that sets
// destinationDC gets the rows painted there, at (destX, destY), while
// decoding; destinationHwnd, when set, is refreshed after each painting.
struct ProgressiveDisplayArgs {
    int Width = 0;
    int Height = 0;
    DeviceContext *destinationDC = nullptr;     // in/out
    PictureSurface *destinationHwnd = nullptr;  // in/out
    std::optional<ColorRef> WinBkgColor;        // the bKGD colour
    bool AlphaPng = false;                      // alpha channel or tRNS present
    int destX = 0;                              // in/out
    int destY = 0;                              // in/out
    bool IsInterlaced = false;
    bool useProgression = false;  // in/out: whether painting while decoding is worth while
};

struct PngAspectRatio {
    uint32_t pixelsPerUnitX = 0;
    uint32_t pixelsPerUnitY = 0;
    uint8_t unit = 0;
};
struct PngOffsetValues {
    int32_t x = 0;
    int32_t y = 0;
    uint8_t unit = 0;
};

// Special values of TransparentStyle; any other value is a background colour.
enum : int32_t {
    kPngKeepAlpha = -1,
    kPngIgnoreAlpha = -2,
    kPngKeyColorBackground = -3,
    kPngFileBackground = -4,
};

// The largest PNG the wallpaper change and the screen saver decode: 36
// megapixels (7200 x 5000) cost at most about 300 MiB while decoding.
inline constexpr int64_t kWallpaperPngMaxPixels = 36'000'000;

// What a decoder tells its host while it loads; both events are optional.
class StdPNGEvents {
public:
    virtual ~StdPNGEvents() = default;
    // How far the load is, 0 to 100.
    virtual void Progress(int Percentage) { (void)Percentage; }
    // Before the pixels are made: a host that sets a destination there sees
    // the picture grow (see ProgressiveDisplay()).
    virtual void ProgessiveDisplay(ProgressiveDisplayArgs &args) { (void)args; }
};

class StdPNG {
public:
    struct Options {
        // The zlib shared library to bind.
        QString zlibLibrary = QString::fromLatin1(png::kDefaultZlibLibrary);
        // Resolves system-colour references (TransparentStyle values with the
        // top bit set); must outlive the decoder. By default the desktop's
        // colours, without the desktop background.
        const SystemColors *systemColors = nullptr;
        // The screen whose area decides whether progressive display is worth
        // while; by default the primary screen.
        std::optional<QSize> screenSize;
        png::PngLimits limits;
    };

    explicit StdPNG(Ui &ui);
    StdPNG(Ui &ui, Options options);
    ~StdPNG();
    StdPNG(const StdPNG &) = delete;
    StdPNG &operator=(const StdPNG &) = delete;

    // Loads a PNG file, discarding the previous image. False (after telling
    // the user) when the file cannot be used, or at once while a load runs.
    bool LoadFile(const QString &FileName, bool ValidateAllData = false, bool Make32Bit = false,
                  uint8_t AlphaBlendValue = 255);

    // Draws the image (or the block pngX, pngY, pngCx, pngCy of PngDC; null
    // means the object's own context, and nothing is drawn without one) into
    // hDC at (destX, destY), stretched to destCx x destCy. Zero destination
    // sizes and source sizes of 0 or less mean the image's; a negative
    // destination size draws nothing. 32-bit images are blended with their
    // per-pixel alpha and the constant alpha AlphaBlend; others are copied
    // opaquely in the destination's stretch mode.
    void Paint(DeviceContext &hDC, int destX, int destY, int destCx = 0, int destCy = 0,
               DeviceContext *PngDC = nullptr, int pngX = 0, int pngY = 0, int pngCx = 0, int pngCy = 0,
               uint8_t AlphaBlend = 255);

    // The text the last failed LoadFile told the user; empty after a success.
    const QString &LastError() const { return lastError_; }
    // Lets go of the image once it has been painted where it is shown.
    void ReleaseImage();

    // --- read-only properties (0 or empty while a load resolves its pixels) --
    // The bitmap handle is the Bitmap itself (its BitCount() is the depth it
    // stands for), the device context a DeviceContext drawing into it.
    const Bitmap *Handle() const;  // the bitmap, null when there is none
    DeviceContext *hDC();          // the own drawing context, null when there is none
    int Width() const;
    int Height() const;
    bool IsInterlaced() const;
    uint8_t ColorType() const;
    // The text chunks, "keyword: text" each, joined by CRLF; sNoCommentPrefix
    // itself when there is no text.
    QString Comments(const QString &sNoCommentPrefix = QString()) const;
    QDateTime LastModified() const;      // invalid without a usable tIME chunk
    double GammaCorrection() const;      // 0 without a gAMA chunk
    std::vector<double> Chromaticity() const;  // eight values, or none
    std::optional<PngAspectRatio> AspectRatio() const;
    std::optional<PngOffsetValues> Offsets() const;
    int StdRGB() const;
    int ScanLineWidth() const;
    int BitCount_PNG() const;
    int BitCount_BMP() const;

    // --- read-write properties (writes are ignored while pixels are resolved) -
    bool HasOwnDC() const;
    void SetHasOwnDC(bool bCreateDC);
    int32_t TransparentStyle() const;
    void SetTransparentStyle(int32_t BkgStyle);
    // The palette as stored in the file (R, G, B triples). Writing one (whole
    // triples, 1 to 256 of them) recolours the bitmap of a palette image.
    QByteArray Palette() const;
    void SetPalette(const QByteArray &newPalette);
    // Below 4 the ProgessiveDisplay event is raised before the pixels are
    // made; a host that supplies a destination then sees the picture grow.
    // Interlaced files show each pass with its pixels spread over the blocks
    // later passes fill (0 and 1) or only the pixels decoded so far (2 and
    // 3). 4 to 6 turn progressive display off; values above 6 are ignored.
    uint8_t ProgressiveDisplay() const;
    void SetProgressiveDisplay(uint8_t DisplayType);

    // The size the picture will be shown at, asked with its stored size
    // before the pixels are made (none by default). An opaque picture stored
    // in file order that is larger both ways is then decoded straight to that
    // size with the halftone filter (the same pixels as a halftone Paint of the
    // whole picture to that size), so the whole picture never exists in
    // memory; Handle() then holds the reduced picture while Width() and
    // Height() still tell the stored size. Not used with progressive display.
    void SetShownSize(std::function<QSize(QSize)> shownSize) { shownSize_ = std::move(shownSize); }
    // With a shown size, the canvas such a picture is drawn into as it is
    // decoded, when the canvas's block for it has the shown size: the image
    // is then that canvas (OnCanvas()), its margin in the canvas's colour.
    void SetShownCanvas(ShownCanvasFunction canvas) { shownCanvas_ = std::move(canvas); }
    // True when the last load drew into the canvas asked for.
    bool OnCanvas() const { return onCanvas_; }
    // Hands the image over (nothing is copied) and lets go of the rest.
    Bitmap TakeImage();

    // --- events ---------------------------------------------------------------
    // The host that hears the events (not owned; nullptr, the default: none).
    void SetEvents(StdPNGEvents *events) { events_ = events; }

private:
    struct LoadPlan;
    class Loader;
    friend class Loader;

    bool Inert() const { return state_ >= kStateResolved; }
    bool CheckLibraries();
    bool Fail(const char *text, const char *title);
    void ResetImage();
    ColorRef ResolveColor(int32_t style) const;
    QSize ScreenSize() const;

    static constexpr uint16_t kStateLoading = 0x0800;
    static constexpr uint16_t kStateResolved = 0x1000;

    Ui &ui_;
    Options options_;
    StdPNGEvents *events_ = nullptr;
    std::function<QSize(QSize)> shownSize_;
    ShownCanvasFunction shownCanvas_;
    bool onCanvas_ = false;
    DesktopSystemColors desktopColors_;
    const SystemColors &systemColors_;
    png::ZlibLibrary zlib_;
    bool librariesChecked_ = false;
    uint16_t state_ = 0;
    bool hasOwnDC_ = true;
    int32_t transparentStyle_ = 0;
    uint8_t progressiveDisplay_ = 0;
    png::PngChunkData chunks_;
    std::unique_ptr<stdPNGdata> data_;
    QString lastError_;
};

}  // namespace pellimore
