#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <cstdint>
#include <vector>

#include "platform/raster/Bitmap.h"
#include "wallpaper/designer/GraphicsGradients.h"

// Compositing a designed wallpaper: a background (a colour, a gradient, or a
// picture drawn once, fitted or tiled) with the front picture placed on it at
// an orientation and margin, optionally framed by a border. The full-size
// result is built on the hidden picture form's canvas; the small previews of
// the designer and the main window on their own surfaces.

namespace pellimore {

struct ChangerState;
class PictureSurface;
class PictureViewModel;
class StdPNG;
class SystemColors;
class Ui;
class WallpaperInstaller;
class frmPics;
class modGradients;

// The background source that stands for the gradient.
inline const QString kUseGradient = QStringLiteral("UseGradient");
inline const QString kPreviewComboName = QStringLiteral("TempCombo.bmp");
inline const QString kCouldNotSaveText = QStringLiteral("Could not save file!");

// Where the front picture goes: the index of the orientation option.
enum class FrontOrientation : int16_t { Center = 0, TopLeft = 1, TopRight = 2, BottomLeft = 3, BottomRight = 4 };

// The designer's composition choices; the designer window owns them and they
// live while the program runs.
struct DesignerSettings {
    QString background;            // a background picture's full path, or kUseGradient
    ColorRef backColor = 0;        // fills the canvas first
    GradientChannels channels;     // start and end colour, split
    int gradientKind = 0;          // GradientKind
    bool reverse = false;
    bool toCenter = false;
    bool backgroundOnly = false;   // "Background Only": no front picture
    FrontOrientation orientation = FrontOrientation::Center;
    // The margin boxes' texts (horizontal, vertical), in desktop pixels.
    // Placing the front picture may correct them.
    QString marginText[2] = {QStringLiteral("72"), QStringLiteral("72")};
    bool border = false;
    ColorRef borderColor = 0;
    bool frontIsTransparentGif = false;
    bool frontIsPng = false;
};

// A window whose pictures are composed: its picture at full size (picSource),
// its scaled preview (picEffect) and its image control Image1 (the tile
// source when the window tiles one of its previews).
struct PictureWindow {
    bool isDesigner = false;
    PictureSurface &picSource;
    PictureSurface &picEffect;
    Bitmap &Image1;
};

// The aspect-kept size of a picture of pictureSize that fits within box;
// nothing is ever scaled up. An empty picture or box gives an empty size.
QSize FitPictureSize(QSize pictureSize, QSize box);

// The positions TilePicture paints a tile of tileSize at on a target of
// targetSize, in painting order: column by column (each from the top) when
// there are more columns than rows, else row by row (each from the left).
std::vector<QPoint> TilePositions(QSize targetSize, QSize tileSize);
// Clears target and paints tile at each of TilePositions.
void TilePicture(const Bitmap &tile, PictureSurface &target);

// Where a thumbnail goes in its monitor frame, whose top left is at
// monitorTopLeft: the wide screen for a desktop wider than 4:3, else the 4:3
// one.
QRect FitMonitorPreview(QSize desktop, QPoint monitorTopLeft);

// The colour dialog preset to current: the chosen colour, or cancelled with
// colour 0 (the caller keeps its colour).
struct PickedColor {
    ColorRef color = 0;
    bool cancelled = false;
};
PickedColor PickColor(Ui &ui, ColorRef current);

// A colour's red, green and blue (the low byte is red).
struct ColorParts {
    int16_t red = 0;
    int16_t green = 0;
    int16_t blue = 0;
};
ColorParts SplitColor(ColorRef color);

// A margin box's text as a margin: the integer part of a number, 0 when the
// text is not one. Numbers beyond what a margin can hold are clamped to
// 0..32767 rather than wrapped.
int16_t MarginFromText(const QString &text);

// The border of the full-size canvas around a front picture of size at
// (x, y): a 6-pixel outline in colour centred on the picture's edge, then an
// inside-solid 1-pixel outline from (x + 3, y + 3) to (x + w, y + h) in
// buttonFace.
void DrawBorder(PictureSurface &canvas, QPoint at, QSize size, ColorRef color, ColorRef buttonFace);
// The border of a preview: a 1-pixel outline around the picture.
void DrawThumbnailBorder(PictureSurface &canvas, QPoint at, QSize size, ColorRef color);

// Draws a transparent picture (its alpha honoured) onto canvas at (x, y),
// scaled to size.
void RenderTransparentFront(PictureSurface &canvas, const Bitmap &picture, QPoint at, QSize size);

// What the compositor reads and changes besides the designer's choices.
struct CompositorParts {
    ChangerState &state;            // picture folder, desktop size and colour, JPEG quality, analysis flags
    frmPics &pics;
    PictureViewModel &mainView;     // the main window: the front picture and its scaled preview
    PictureWindow designer;         // the designer: the background picture and its preview
    modGradients &gradients;
    WallpaperInstaller &installer;  // the desktop colour during a desktop preview
    Ui &ui;
    const SystemColors &colors;
};

// The front picture in the forms that are not plain bitmaps: the PNG decoder
// holding a PNG front picture, and the picture of a transparent GIF.
struct FrontPictureSources {
    StdPNG *png = nullptr;
    const Bitmap *transparentGif = nullptr;
};

// Composes wallpapers from the designer's settings on the hidden picture form.
class Compositor {
public:
    Compositor(CompositorParts parts, DesignerSettings &settings);

    void SetFrontSources(FrontPictureSources sources) { front_ = sources; }

    // Builds the full-size wallpaper on picBack and saves it. preview: as the
    // bitmap "TempCombo.bmp" in the picture folder; otherwise as a JPEG the
    // user names (default name + "Combo.jpg"). The saved file's name without
    // its folder, or empty when nothing was saved (cancelled, or the writer
    // failed: then "Could not save file!" has been shown).
    QString ComposeWallpaper(const QString &background, const QString &name, bool preview);

    // The front picture's position on canvas, frontSize being its size there;
    // corrects margins that do not fit (with a message) in the settings.
    QPoint PlaceFrontPicture(const PictureSurface &canvas, QSize frontSize);

    // The combined preview: the background preview with the front picture's
    // preview placed on it.
    void ComposeThumbnail(const PictureSurface &backgroundThumbnail, PictureSurface &combinedThumbnail);

    // Analyses the window's picture into target; tiles target with the
    // window's scaled preview when the picture is tiled (the designer's small
    // background, or the main window with tile set).
    void PreviewInStyle(PictureWindow &window, PictureSurface &target, bool tile);

    // The product's own picture becomes the window's picture and is
    // previewed in target.
    void RefreshSourcePicture(PictureWindow &window, PictureSurface &target);

    // The margins after the last placement that changed them.
    const DesignerSettings &Settings() const { return settings_; }

private:
    void PaintBackground(const QString &background, bool preview);
    void PaintFront();
    QString Save(const QString &name, bool preview);

    CompositorParts parts_;
    DesignerSettings &settings_;
    FrontPictureSources front_;
};

}  // namespace pellimore
