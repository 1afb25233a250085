#pragma once

// Raster operations on Bitmaps with the semantics of the classic device
// calls (BitBlt, StretchBlt, GradientFill, AlphaBlend, pens). All work on the
// 32-bit pixels directly; none allocates per pixel or goes through QPainter.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include <QRect>
#include <QSize>

#include "platform/raster/Bitmap.h"

namespace pellimore {

// ---------------------------------------------------------------------------
// Block transfers

// Ternary raster operations (the classic numeric values). BitBlt and
// StretchBlt apply them bitwise to the whole 32-bit pixel, alpha byte
// included, as on a 32-bit DIB section.
constexpr uint32_t kSrcCopy = 0x00CC0020;       // D = S
constexpr uint32_t kSrcPaint = 0x00EE0086;      // D = D | S
constexpr uint32_t kSrcAnd = 0x008800C6;        // D = D & S
constexpr uint32_t kSrcInvert = 0x00660046;     // D = D ^ S
constexpr uint32_t kDstAndNotSrc = 0x00220326;  // D = D & ~S
constexpr uint32_t kNotSrcCopy = 0x00330008;    // D = ~S
constexpr uint32_t kDstInvert = 0x00550009;     // D = ~D
constexpr uint32_t kBlackness = 0x00000042;     // D = 0
constexpr uint32_t kWhiteness = 0x00FF0062;     // D = 0xFFFFFFFF

// True for the raster operations above.
bool IsSupportedRop(uint32_t rop);

// Copies the w x h block at (sx, sy) of src to (x, y) of dst, combined by
// rop. The block is clipped to both bitmaps (a part outside either is
// skipped, the rest stays in place). dst may be src: overlapping blocks are
// copied as by memmove. Returns false (and draws nothing) for an unknown rop;
// an empty or fully clipped block is a successful no-op.
bool BitBlt(Bitmap &dst, int x, int y, int w, int h, const Bitmap &src, int sx, int sy, uint32_t rop);

// Stretch modes (the classic SetStretchBltMode values).
enum class StretchMode : int {
    // Nearest sample: destination pixel i takes source pixel
    // floor((i + 0.5) * sw / dw). Also taken for the modes 1 and 2.
    ColorOnColor = 3,
    // Each axis on its own: an area average (box filter with fractional
    // edge weights) when that axis shrinks, bilinear interpolation between
    // pixel centres when it grows; equal sizes copy. All four bytes are
    // filtered alike, so premultiplied pixels stay premultiplied. The brush
    // origin has no effect on the result.
    Halftone = 4,
};

// Stretches the sw x sh block at (sx, sy) of src onto the dw x dh block at
// (dx, dy) of dst, combined by rop. A negative dw (or sw) mirrors
// horizontally and a negative dh (or sh) vertically; a negative width w at x
// covers the columns x + w + 1 .. x, as in GDI. Destination pixels outside dst
// are skipped; source positions outside src are clamped to its edge pixels.
// dst may be src (the source block is copied first). Returns false for an
// unknown rop or a zero size.
bool StretchBlt(Bitmap &dst, int dx, int dy, int dw, int dh, const Bitmap &src, int sx, int sy, int sw, int sh,
                StretchMode mode, uint32_t rop = kSrcCopy);

// A halftone stretch of a picture that arrives a row at a time, top to
// bottom, onto the whole of dst: the same pixels as StretchBlt(dst, 0, 0,
// dst.Width(), dst.Height(), picture, 0, 0, sourceWidth, sourceHeight,
// StretchMode::Halftone), while only the few source rows that one
// destination row needs are held. A decoder writes each source row
// (sourceWidth pixels) into NextRow() and then calls RowDone(); destination
// rows are finished as soon as their source rows are in. With no source
// (a size of 0) NextRow() is null.
class StreamingHalftone {
public:
    StreamingHalftone(Bitmap &dst, int sourceWidth, int sourceHeight);
    // The same onto the block `target` of dst (which must lie inside dst);
    // the rest of dst is left as it is.
    StreamingHalftone(Bitmap &dst, const QRect &target, int sourceWidth, int sourceHeight);
    ~StreamingHalftone();
    StreamingHalftone(const StreamingHalftone &) = delete;
    StreamingHalftone &operator=(const StreamingHalftone &) = delete;

    Pixel *NextRow();
    void RowDone();
    // True once every destination row is finished. Destination rows of a
    // large target are filtered on a second core as their source rows come;
    // this waits until every row the source rows given so far allow is in
    // dst, and dst must not be touched before it (or the destructor) ran.
    bool Done();

private:
    struct State;
    void FilterRow(int y);
    void FilterRowsAsTheyCome();
    Bitmap &dst_;
    QRect target_;
    std::unique_ptr<State> state_;
};

// A canvas that a picture shown smaller is drawn into as it is decoded: the
// canvas's size, the block the picture is halftoned into, and the colour of
// the rest. A null size: the picture is not wanted on a canvas.
struct ShownCanvas {
    QSize size;
    QRect picture;
    Pixel fill = 0;
    bool IsNull() const { return size.isEmpty(); }
    // True when a picture shown at this size can be drawn into it: its block
    // has that size and lies inside the canvas.
    bool Takes(QSize shown) const
    {
        return !IsNull() && picture.size() == shown && QRect(QPoint(0, 0), size).contains(picture);
    }
};
// Given the size a picture's file stores, the canvas it is wanted on.
using ShownCanvasFunction = std::function<ShownCanvas(QSize stored)>;
// Gives the margin around the canvas's block (bitmap has the canvas's size)
// the canvas's colour. The block is left alone for the picture, so a fresh
// bitmap's pages there are first touched by whoever draws it.
void FillCanvasMargin(Bitmap &bitmap, const ShownCanvas &canvas);

// ---------------------------------------------------------------------------
// Gradients

// A vertex of a gradient mesh: position in pixels and 16-bit colour channels
// (0..0xFF00; an 8-bit value b is b * 256, and a pixel takes the high byte).
struct TriVertex {
    int32_t x = 0;
    int32_t y = 0;
    uint16_t Red = 0;
    uint16_t Green = 0;
    uint16_t Blue = 0;
    uint16_t Alpha = 0;
};

// TriVertex of a colour: each channel b becomes b * 256.
TriVertex MakeTriVertex(int32_t x, int32_t y, ColorRef color, uint8_t alpha = 0);

struct GradientRect {
    uint32_t UpperLeft = 0;   // vertex index
    uint32_t LowerRight = 0;  // vertex index
};

struct GradientTriangle {
    uint32_t Vertex1 = 0;
    uint32_t Vertex2 = 0;
    uint32_t Vertex3 = 0;
};

// The classic GRADIENT_FILL_* mode values.
enum class GradientFillMode : uint32_t {
    RectH = 0,     // colour runs left to right
    RectV = 1,     // colour runs top to bottom
    Triangle = 2,  // colours interpolated over each triangle
};

// Rectangle mode (RectH or RectV): each rectangle covers the pixels
// [left, right) x [top, bottom) of the two vertices' bounding box (vertices
// in any order). The colour runs linearly from the colour of the vertex
// nearer the left (RectH) or top (RectV) edge in the first column (row) to
// the other vertex's colour in the last column (row), so the corners carry
// the vertex colours; a one-pixel run takes the first colour. Channels are
// interpolated at 16 bits and the pixel takes the high byte. Alpha is
// interpolated and written like the colours.
// Returns false (drawing nothing) for a mode other than RectH/RectV or a vertex
// index out of range.
bool GradientFill(Bitmap &dst, std::span<const TriVertex> vertices, std::span<const GradientRect> mesh,
                  GradientFillMode mode);

// Triangle mode: every pixel whose position (x, y) lies inside or on the edge
// of a triangle takes the barycentric blend of the three vertex colours (so a
// vertex pixel carries exactly its vertex colour, and triangles that share an
// edge give it the same colours). Returns false (drawing nothing) for a vertex
// index out of range or a vertex coordinate beyond +-2^24.
bool GradientFill(Bitmap &dst, std::span<const TriVertex> vertices, std::span<const GradientTriangle> mesh);

// ---------------------------------------------------------------------------
// Alpha blending

// Source-over blend of the sw x sh block at (sx, sy) of src onto the dw x dh
// block at (dx, dy) of dst (stretched by nearest sample when the sizes differ,
// as AlphaBlend does). Each source pixel is first scaled by constantAlpha/255
// (all four bytes). With perPixelAlpha the source is premultiplied
// (AC_SRC_ALPHA): D = S' + D * (255 - S'.alpha) / 255; without it
// D = S' + D * (255 - constantAlpha) / 255. All four bytes of D are
// blended; results are rounded and clamped to 255. Clipped to dst. Returns
// false (drawing nothing) when a size is not positive or the source block does
// not lie inside src.
bool AlphaBlend(Bitmap &dst, int dx, int dy, int dw, int dh, const Bitmap &src, int sx, int sy, int sw, int sh,
                uint8_t constantAlpha, bool perPixelAlpha);

// ---------------------------------------------------------------------------
// Pens and lines

// Binary raster operations of a pen (the classic R2_* values; the same numbers
// are a picture surface's DrawMode). P is the pen colour, D the destination.
enum class Rop2 : int {
    Black = 1,         // 0
    NotMergePen = 2,   // ~(D | P)
    MaskNotPen = 3,    // D & ~P
    NotCopyPen = 4,    // ~P
    MaskPenNot = 5,    // P & ~D
    Not = 6,           // ~D (invert)
    XorPen = 7,        // D ^ P
    NotMaskPen = 8,    // ~(D & P)
    MaskPen = 9,       // D & P
    NotXorPen = 10,    // ~(D ^ P)
    Nop = 11,          // D
    MergeNotPen = 12,  // D | ~P
    CopyPen = 13,      // P
    MergePenNot = 14,  // P | ~D
    MergePen = 15,     // D | P
    White = 16,        // white
};

// Pen styles (the classic PS_* values; also a surface's DrawStyle).
enum class PenStyle : int {
    Solid = 0,
    Dash = 1,         // 18 on, 6 off   (width 1 only; wider pens draw solid)
    Dot = 2,          // 3 on, 3 off
    DashDot = 3,      // 9 on, 6 off, 3 on, 6 off
    DashDotDot = 4,   // 9 on, 3 off, 3 on, 3 off, 3 on, 3 off
    Null = 5,         // draws nothing
    InsideFrame = 6,  // solid; a rectangle outline keeps the whole pen inside
};

struct Pen {
    ColorRef color = 0;  // RGB; the top byte is ignored
    int width = 1;       // below 1 counts as 1
    PenStyle style = PenStyle::Solid;
};

// Combines one pixel with a pen colour by a Rop2. Operations that ignore the
// destination (Black, White, CopyPen, NotCopyPen) give an opaque pixel; the
// others work on the colour bytes and keep the destination's alpha byte, so
// xor and invert drawn twice restore every byte.
Pixel ApplyRop2(Pixel dst, Pixel pen, Rop2 rop);

// Draws the line from (x1, y1) towards (x2, y2) with the pen, combined by rop.
// A pen of width 1 follows the Bresenham path and does not draw the end
// pixel (as LineTo); each pixel is touched once, so an xor or invert line
// drawn twice restores the bitmap. A wider pen is the band of pixels whose
// centres lie within width/2 of the segment, with round caps, each pixel
// touched once. Clipped to the bitmap.
void DrawLine(Bitmap &dst, int x1, int y1, int x2, int y2, const Pen &pen, Rop2 rop = Rop2::CopyPen);

// Draws the outline of the rectangle whose corner pixels are (x1, y1) and
// (x2, y2) (both included, any order). A pen of width w is centred on the
// outline: each edge covers w pixels across, from the edge pixel - w/2 to
// the edge pixel + (w - 1)/2 (width 6: three pixels outward, two inward);
// PenStyle::InsideFrame puts the whole width inside the rectangle. Each pixel
// is touched once. Dashed styles of width 1 follow the outline clockwise from
// (x1, y1).
void DrawRectangleOutline(Bitmap &dst, int x1, int y1, int x2, int y2, const Pen &pen, Rop2 rop = Rop2::CopyPen);

// Fills the rectangle whose corner pixels are (x1, y1) and (x2, y2) (both
// included, any order) with colour, combined by rop. Clipped.
void FillRectangle(Bitmap &dst, int x1, int y1, int x2, int y2, ColorRef color, Rop2 rop = Rop2::CopyPen);

}  // namespace pellimore
