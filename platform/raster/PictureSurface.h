#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QString>

#include <optional>

#include "platform/raster/Bitmap.h"
#include "platform/raster/DeviceContext.h"
#include "platform/raster/Raster.h"

namespace pellimore {

// Units of a surface's coordinates (the classic ScaleMode values).
enum class ScaleUnit : int {
    Twips = 1,   // 1/1440 inch; TwipsPerPixelX/Y() twips to a pixel
    Pixels = 3,
};

// What Line draws between its two points.
enum class LineShape {
    Line,       // a line; the end pixel is not drawn with a pen of width 1
    Box,        // the rectangle outline through both corners ("B")
    FilledBox,  // the rectangle filled with the line colour ("BF")
};

// A picture surface: a persistent picture and a drawing image with the drawing
// state of a picture box (colours, pen, draw mode, font, current position,
// scale unit, size and position). No widget is involved; PictureBox shows one.
//
// Model: the drawing image (Image()) is what is shown and what all drawing
// changes. The persistent picture (Picture()) is what survives a clear: Cls
// fills the drawing image with BackColor and then draws the persistent
// picture at (0, 0) over it, unscaled. Setting or emptying the picture
// redraws the drawing image the same way (the current position is kept).
// TakeImageAsPicture makes a copy of the drawing image the persistent picture.
// Picture and drawing image share their pixels until one is drawn on (see
// Bitmap), so a surface showing just its picture holds it once.
// Drawing persists until the next clear.
//
// Coordinates passed to the drawing operations (Line, PSet, PaintPicture,
// CurrentX/Y, TextWidth/Height) are in the current scale unit and are rounded
// to whole pixels. Size and position (Resize, Move, Width, Left, ...) are
// always in pixels; ScaleWidth/ScaleHeight give the size in the scale unit.
//
// Colours are RGB ColorRefs; a system-colour reference must be resolved by
// the caller first (its top byte is ignored here). BackColor starts white and
// ForeColor black. The drawing image stands for a 24-bit picture (BitCount
// 24) and its pixels are opaque after a clear. Resize throws
// std::length_error for a size no Bitmap may have.
class PictureSurface {
public:
    explicit PictureSurface(int width = 0, int height = 0);
    PictureSurface(const PictureSurface &) = delete;
    PictureSurface &operator=(const PictureSurface &) = delete;

    // --- size, position and scale -----------------------------------------
    int Width() const { return image_.Width(); }
    int Height() const { return image_.Height(); }
    int Left() const { return left_; }
    int Top() const { return top_; }
    // New size in pixels: the drawing in the overlapping part is kept, any
    // new area is filled with BackColor. Negative sizes count as 0.
    void Resize(int width, int height);
    void Move(int left, int top);
    void Move(int left, int top, int width, int height);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible) { visible_ = visible; }

    ScaleUnit ScaleMode() const { return scaleMode_; }
    void SetScaleMode(ScaleUnit unit) { scaleMode_ = unit; }
    // Twips to a pixel (15 at 96 DPI); values below or at 0 are ignored. The
    // vertical factor also sets the resolution text is measured at.
    void SetTwipsPerPixel(double x, double y);
    double TwipsPerPixelX() const { return twipsPerPixelX_; }
    double TwipsPerPixelY() const { return twipsPerPixelY_; }
    double ScaleWidth() const;   // Width() in the scale unit
    double ScaleHeight() const;  // Height() in the scale unit
    // Conversions between the scale unit and pixels (unrounded).
    double ToPixelsX(double value) const;
    double ToPixelsY(double value) const;
    double FromPixelsX(double pixels) const;
    double FromPixelsY(double pixels) const;

    // When set, SetPicture resizes the surface to the picture's size.
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize) { autoSize_ = autoSize; }

    // --- drawing state -------------------------------------------------------
    ColorRef BackColor() const { return backColor_; }
    // Sets the background colour and clears the surface (as Cls).
    void SetBackColor(ColorRef color);
    ColorRef ForeColor() const { return foreColor_; }
    void SetForeColor(ColorRef color);
    int DrawWidth() const { return drawWidth_; }
    void SetDrawWidth(int width);  // below 1 counts as 1
    // 0 solid, 1 dash, 2 dot, 3 dash-dot, 4 dash-dot-dot, 5 transparent,
    // 6 inside solid (see PenStyle). Values outside 0..6 are ignored.
    int DrawStyle() const { return int(drawStyle_); }
    void SetDrawStyle(int style);
    // 1..16 as Rop2: 13 copy pen, 6 invert, 7 xor pen, ... Values outside
    // 1..16 are ignored.
    int DrawMode() const { return int(drawMode_); }
    void SetDrawMode(int mode);
    const QFont &Font() const { return font_; }
    void SetFont(const QFont &font) { font_ = font; }
    // With FontTransparent off, printed text first fills its box with
    // BackColor. On by default.
    bool FontTransparent() const { return fontTransparent_; }
    void SetFontTransparent(bool transparent) { fontTransparent_ = transparent; }
    // The current position, in the scale unit.
    double CurrentX() const { return currentX_; }
    double CurrentY() const { return currentY_; }
    void SetCurrentX(double x) { currentX_ = x; }
    void SetCurrentY(double y) { currentY_ = y; }

    // --- pictures ------------------------------------------------------------
    // The drawing image: what is shown, and the bitmap for platform drawing
    // calls (with Dc()). Its size is the surface's size; resize the surface,
    // not the bitmap.
    Bitmap &Image() { return image_; }
    const Bitmap &Image() const { return image_; }
    // The device context drawing into Image(). Its pen follows ForeColor,
    // DrawWidth and DrawStyle and its Rop2 follows DrawMode whenever those
    // are set; SelectPen/SetRop2 on it change only the context.
    DeviceContext &Dc() { return dc_; }
    // The persistent picture (a null Bitmap when there is none).
    const Bitmap &Picture() const { return picture_; }
    bool HasPicture() const { return !picture_.IsNull(); }
    void SetPicture(const Bitmap &picture);
    void SetPicture(Bitmap &&picture);
    // Sets the picture and sizes the surface to it, whatever AutoSize says.
    // The drawing image then shows the picture from the same pixels: a big
    // picture is held once, not once as picture and once as drawing.
    void SetPictureAndSize(Bitmap &&picture);
    void ClearPicture();
    void TakeImageAsPicture();

    // --- operations ----------------------------------------------------------
    // Fills the drawing image with BackColor, draws the persistent picture at
    // (0, 0) and puts the current position at (0, 0).
    void Cls();

    // Paints picture into the drawing image. Without sizes, the whole picture
    // at its own size; with a width and height, stretched to them (negative
    // sizes mirror). The last form takes the block (srcX, srcY, srcWidth,
    // srcHeight) of the picture. Positions and sizes are in the scale unit
    // (source ones too). Equal sizes copy as BitBlt; others stretch in the
    // context's StretchBltMode. Returns false for an unknown rop.
    bool PaintPicture(const Bitmap &picture, double x, double y);
    bool PaintPicture(const Bitmap &picture, double x, double y, double width, double height);
    bool PaintPicture(const Bitmap &picture, double x, double y, double width, double height, double srcX,
                      double srcY, double srcWidth, double srcHeight, uint32_t rop = kSrcCopy);

    // Line (x1, y1)-(x2, y2), colour, shape: draws with DrawWidth, DrawStyle
    // and DrawMode in colour (ForeColor when none is given) and leaves the
    // current position at (x2, y2). A box has its corner pixels at the two
    // points (both included). A filled box ignores DrawStyle.
    void Line(double x1, double y1, double x2, double y2, std::optional<ColorRef> color = std::nullopt,
              LineShape shape = LineShape::Line);
    // Line -(x2, y2): from the current position.
    void LineFromCurrent(double x2, double y2, std::optional<ColorRef> color = std::nullopt,
                         LineShape shape = LineShape::Line);
    // Sets one pixel (or a DrawWidth-sized dot) in colour with DrawMode and
    // moves the current position there.
    void PSet(double x, double y, std::optional<ColorRef> color = std::nullopt);
    // The colour of the pixel at (x, y), or -1 outside the surface.
    int64_t Point(double x, double y) const;

    // Prints text at the current position in Font and ForeColor. A line
    // break ("\r\n", "\n" or "\r") continues at the left edge (x 0) of the
    // next line. Afterwards the current position is at the left edge of the
    // next line, or, with newLine false (a trailing ";"), just after the
    // printed text on its last line.
    void Print(const QString &text, bool newLine = true);
    // Width of the widest line and height of all lines of text, in the scale
    // unit.
    double TextWidth(const QString &text) const;
    double TextHeight(const QString &text) const;

    // Changes of the drawing image can be watched (a form can compare the
    // counter to decide whether its PictureBox needs a Refresh): it grows
    // with each operation of the surface that changes the image or its
    // geometry. Drawing through Image() or Dc() directly does not count; call
    // Refresh() afterwards.
    uint64_t Generation() const { return generation_; }
    void Refresh() { ++generation_; }

private:
    Pen CurrentPen() const;
    void SyncPen();
    void Redraw();
    void PictureChanged(bool sizeToPicture);
    void ShowWholePicture();
    int PixelX(double value) const;
    int PixelY(double value) const;
    int Dpi() const;
    QFontMetricsF Metrics() const;

    Bitmap image_;
    Bitmap picture_;
    DeviceContext dc_{image_};
    int left_ = 0;
    int top_ = 0;
    bool visible_ = true;
    bool autoSize_ = false;
    ScaleUnit scaleMode_ = ScaleUnit::Pixels;
    double twipsPerPixelX_ = 15.0;
    double twipsPerPixelY_ = 15.0;
    ColorRef backColor_ = 0xFFFFFF;
    ColorRef foreColor_ = 0;
    int drawWidth_ = 1;
    PenStyle drawStyle_ = PenStyle::Solid;
    Rop2 drawMode_ = Rop2::CopyPen;
    QFont font_;
    bool fontTransparent_ = true;
    double currentX_ = 0;
    double currentY_ = 0;
    uint64_t generation_ = 0;
};

}  // namespace pellimore
