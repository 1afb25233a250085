#include "platform/raster/PictureSurface.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace pellimore {

namespace {

constexpr ColorRef kRgbBits = 0xFFFFFF;

// Far-off coordinates are held well inside int range.
int RoundToPixel(double value)
{
    if (!std::isfinite(value))
        return 0;
    return int(std::lround(std::clamp(value, -1e9, 1e9)));
}

QStringList SplitLines(const QString &text)
{
    static const QRegularExpression kBreak(QStringLiteral("\r\n|\n|\r"));
    return text.split(kBreak);
}

// A view of the drawing image for QPainter: opaque RGB, so text blends with
// the colours whatever the alpha bytes hold, and touched pixels end opaque.
QImage OpaqueView(Bitmap &image, int dpi)
{
    QImage view(image.Bits(), image.Width(), image.Height(), image.Stride(), QImage::Format_RGB32);
    const int dotsPerMeter = int(std::lround(dpi / 0.0254));
    view.setDotsPerMeterX(dotsPerMeter);
    view.setDotsPerMeterY(dotsPerMeter);
    return view;
}

}  // namespace

PictureSurface::PictureSurface(int width, int height)
{
    Resize(width, height);
    SyncPen();
}

// --- size, position and scale ----------------------------------------------

void PictureSurface::Resize(int width, int height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == image_.Width() && height == image_.Height())
        return;
    Bitmap resized(width, height, 24);
    resized.Fill(PixelFromColorRef(backColor_));
    BitBlt(resized, 0, 0, image_.Width(), image_.Height(), image_, 0, 0, kSrcCopy);
    image_ = std::move(resized);
    ++generation_;
}

void PictureSurface::Move(int left, int top)
{
    left_ = left;
    top_ = top;
    ++generation_;
}

void PictureSurface::Move(int left, int top, int width, int height)
{
    Move(left, top);
    Resize(width, height);
}

void PictureSurface::SetTwipsPerPixel(double x, double y)
{
    if (x > 0 && std::isfinite(x))
        twipsPerPixelX_ = x;
    if (y > 0 && std::isfinite(y))
        twipsPerPixelY_ = y;
}

double PictureSurface::ScaleWidth() const
{
    return FromPixelsX(Width());
}

double PictureSurface::ScaleHeight() const
{
    return FromPixelsY(Height());
}

double PictureSurface::ToPixelsX(double value) const
{
    return scaleMode_ == ScaleUnit::Twips ? value / twipsPerPixelX_ : value;
}

double PictureSurface::ToPixelsY(double value) const
{
    return scaleMode_ == ScaleUnit::Twips ? value / twipsPerPixelY_ : value;
}

double PictureSurface::FromPixelsX(double pixels) const
{
    return scaleMode_ == ScaleUnit::Twips ? pixels * twipsPerPixelX_ : pixels;
}

double PictureSurface::FromPixelsY(double pixels) const
{
    return scaleMode_ == ScaleUnit::Twips ? pixels * twipsPerPixelY_ : pixels;
}

int PictureSurface::PixelX(double value) const
{
    return RoundToPixel(ToPixelsX(value));
}

int PictureSurface::PixelY(double value) const
{
    return RoundToPixel(ToPixelsY(value));
}

int PictureSurface::Dpi() const
{
    return std::max(1, int(std::lround(1440.0 / twipsPerPixelY_)));
}

// --- drawing state -----------------------------------------------------------

void PictureSurface::SetBackColor(ColorRef color)
{
    backColor_ = color & kRgbBits;
    Cls();
}

void PictureSurface::SetForeColor(ColorRef color)
{
    foreColor_ = color & kRgbBits;
    SyncPen();
}

void PictureSurface::SetDrawWidth(int width)
{
    drawWidth_ = std::max(width, 1);
    SyncPen();
}

void PictureSurface::SetDrawStyle(int style)
{
    if (style < 0 || style > 6)
        return;
    drawStyle_ = PenStyle(style);
    SyncPen();
}

void PictureSurface::SetDrawMode(int mode)
{
    if (mode < 1 || mode > 16)
        return;
    drawMode_ = Rop2(mode);
    dc_.SetRop2(drawMode_);
}

Pen PictureSurface::CurrentPen() const
{
    return Pen{foreColor_, drawWidth_, drawStyle_};
}

void PictureSurface::SyncPen()
{
    dc_.SelectPen(CurrentPen());
    dc_.SetRop2(drawMode_);
}

// --- pictures ------------------------------------------------------------------

void PictureSurface::SetPicture(const Bitmap &picture)
{
    picture_ = picture;
    PictureChanged(autoSize_);
}

void PictureSurface::SetPicture(Bitmap &&picture)
{
    picture_ = std::move(picture);
    PictureChanged(autoSize_);
}

void PictureSurface::SetPictureAndSize(Bitmap &&picture)
{
    picture_ = std::move(picture);
    PictureChanged(true);
}

void PictureSurface::PictureChanged(bool sizeToPicture)
{
    if (sizeToPicture && !picture_.IsNull() &&
        (picture_.Width() != image_.Width() || picture_.Height() != image_.Height())) {
        // The whole drawing image is about to show the picture: nothing of
        // the old one is kept, so no second buffer is made at the new size.
        image_ = Bitmap();
        ShowWholePicture();
        ++generation_;
    }
    Redraw();
}

void PictureSurface::ShowWholePicture()
{
    // The same pixels as a clear followed by a copy of the picture, shared
    // with the picture until either is drawn on.
    image_ = picture_;
    image_.SetBitCount(24);
    image_.ColorTable().clear();
}

void PictureSurface::ClearPicture()
{
    picture_ = Bitmap();
    Redraw();
}

void PictureSurface::TakeImageAsPicture()
{
    picture_ = image_;
}

void PictureSurface::Redraw()
{
    if (!picture_.IsNull() && picture_.Width() == image_.Width() && picture_.Height() == image_.Height()) {
        ShowWholePicture();
    } else {
        image_.Fill(PixelFromColorRef(backColor_));
        if (!picture_.IsNull())
            BitBlt(image_, 0, 0, picture_.Width(), picture_.Height(), picture_, 0, 0, kSrcCopy);
    }
    ++generation_;
}

void PictureSurface::Cls()
{
    Redraw();
    currentX_ = 0;
    currentY_ = 0;
}

// --- operations ------------------------------------------------------------------

bool PictureSurface::PaintPicture(const Bitmap &picture, double x, double y)
{
    const bool ok = BitBlt(image_, PixelX(x), PixelY(y), picture.Width(), picture.Height(), picture, 0, 0, kSrcCopy);
    ++generation_;
    return ok;
}

bool PictureSurface::PaintPicture(const Bitmap &picture, double x, double y, double width, double height)
{
    return PaintPicture(picture, x, y, width, height, 0, 0, FromPixelsX(picture.Width()),
                        FromPixelsY(picture.Height()));
}

bool PictureSurface::PaintPicture(const Bitmap &picture, double x, double y, double width, double height,
                                  double srcX, double srcY, double srcWidth, double srcHeight, uint32_t rop)
{
    if (!IsSupportedRop(rop))
        return false;
    const int dx = PixelX(x), dy = PixelY(y), dw = PixelX(width), dh = PixelY(height);
    const int sx = PixelX(srcX), sy = PixelY(srcY), sw = PixelX(srcWidth), sh = PixelY(srcHeight);
    if (dw == 0 || dh == 0 || sw == 0 || sh == 0 || picture.IsNull())
        return true;
    if (dw == sw && dh == sh && dw > 0 && dh > 0)
        BitBlt(image_, dx, dy, dw, dh, picture, sx, sy, rop);
    else
        StretchBlt(image_, dx, dy, dw, dh, picture, sx, sy, sw, sh, dc_.StretchBltMode(), rop);
    ++generation_;
    return true;
}

void PictureSurface::Line(double x1, double y1, double x2, double y2, std::optional<ColorRef> color,
                          LineShape shape)
{
    Pen pen = CurrentPen();
    if (color)
        pen.color = *color & kRgbBits;
    const int px1 = PixelX(x1), py1 = PixelY(y1), px2 = PixelX(x2), py2 = PixelY(y2);
    switch (shape) {
    case LineShape::Line: DrawLine(image_, px1, py1, px2, py2, pen, drawMode_); break;
    case LineShape::Box: DrawRectangleOutline(image_, px1, py1, px2, py2, pen, drawMode_); break;
    case LineShape::FilledBox: FillRectangle(image_, px1, py1, px2, py2, pen.color, drawMode_); break;
    }
    currentX_ = x2;
    currentY_ = y2;
    ++generation_;
}

void PictureSurface::LineFromCurrent(double x2, double y2, std::optional<ColorRef> color, LineShape shape)
{
    Line(currentX_, currentY_, x2, y2, color, shape);
}

void PictureSurface::PSet(double x, double y, std::optional<ColorRef> color)
{
    const ColorRef c = color.value_or(foreColor_) & kRgbBits;
    const int px = PixelX(x), py = PixelY(y);
    if (drawWidth_ <= 1) {
        if (image_.Contains(px, py))
            image_.Set(px, py, ApplyRop2(image_.At(px, py), PixelFromColorRef(c), drawMode_));
    } else {
        // A round dot of the pen's width.
        DrawLine(image_, px, py, px, py, Pen{c, drawWidth_, PenStyle::Solid}, drawMode_);
    }
    currentX_ = x;
    currentY_ = y;
    ++generation_;
}

int64_t PictureSurface::Point(double x, double y) const
{
    const int px = PixelX(x), py = PixelY(y);
    if (!image_.Contains(px, py))
        return -1;
    return ColorRefFromPixel(image_.At(px, py));
}

// --- text ------------------------------------------------------------------------

QFontMetricsF PictureSurface::Metrics() const
{
    // Measured at the surface's resolution, as the text is drawn.
    QImage probe(1, 1, QImage::Format_RGB32);
    const int dotsPerMeter = int(std::lround(Dpi() / 0.0254));
    probe.setDotsPerMeterX(dotsPerMeter);
    probe.setDotsPerMeterY(dotsPerMeter);
    return QFontMetricsF(font_, &probe);
}

void PictureSurface::Print(const QString &text, bool newLine)
{
    const QStringList lines = SplitLines(text);
    const QFontMetricsF metrics = Metrics();
    const double lineHeight = metrics.height();
    double x = ToPixelsX(currentX_);
    double y = ToPixelsY(currentY_);
    double lastWidth = 0;
    QImage view;
    QPainter painter;
    if (!image_.IsNull()) {
        view = OpaqueView(image_, Dpi());
        painter.begin(&view);
        painter.setFont(font_);
        painter.setPen(QColor(RedOf(foreColor_), GreenOf(foreColor_), BlueOf(foreColor_)));
    }
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0) {
            x = 0;
            y += lineHeight;
        }
        const QString &line = lines.at(i);
        lastWidth = metrics.horizontalAdvance(line);
        if (!painter.isActive() || line.isEmpty())
            continue;
        const QPointF origin(std::round(x), std::round(y));
        if (!fontTransparent_)
            painter.fillRect(QRectF(origin, QSizeF(lastWidth, lineHeight)),
                             QColor(RedOf(backColor_), GreenOf(backColor_), BlueOf(backColor_)));
        painter.drawText(origin + QPointF(0, metrics.ascent()), line);
    }
    painter.end();
    if (newLine) {
        currentX_ = 0;
        currentY_ = FromPixelsY(y + lineHeight);
    } else {
        currentX_ = FromPixelsX(x + lastWidth);
        currentY_ = FromPixelsY(y);
    }
    ++generation_;
}

double PictureSurface::TextWidth(const QString &text) const
{
    const QFontMetricsF metrics = Metrics();
    double widest = 0;
    for (const QString &line : SplitLines(text))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    return FromPixelsX(widest);
}

double PictureSurface::TextHeight(const QString &text) const
{
    return FromPixelsY(Metrics().height() * double(SplitLines(text).size()));
}

}  // namespace pellimore
