// The picture surface: clear, persistent picture, painting, lines and boxes in
// every draw mode, text and scale units.
#include <gtest/gtest.h>

#include <QFont>
#include <QImage>

#include <utility>

#include "platform/raster/PictureSurface.h"

using namespace pellimore;

namespace {

constexpr ColorRef kBlue = 0xFF0000;  // COLORREF: blue in the third byte
constexpr ColorRef kYellow = 0x00FFFF;

int CountColour(const Bitmap &b, ColorRef c)
{
    int n = 0;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            n += ColorRefFromPixel(b.At(x, y)) == c;
    return n;
}

Bitmap Checker(int w, int h)
{
    Bitmap b(w, h, 24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.Set(x, y, (x + y) % 2 ? MakePixel(10, 20, 30) : MakePixel(200, 150, 100));
    return b;
}

}  // namespace

TEST(PictureSurface, ClsShowsBackColourAndPersistentPicture)
{
    PictureSurface s(6, 4);
    EXPECT_EQ(s.Image().BitCount(), 24);
    s.SetBackColor(kBlue);
    EXPECT_EQ(CountColour(s.Image(), kBlue), 24);
    EXPECT_EQ(PixelAlpha(s.Image().At(5, 3)), 255);

    const Bitmap picture = Checker(3, 2);
    s.SetPicture(picture);
    EXPECT_EQ(s.Image().At(2, 1), picture.At(2, 1));
    EXPECT_EQ(ColorRefFromPixel(s.Image().At(3, 1)), kBlue);

    s.Line(0, 3, 5, 3, kYellow);
    s.SetCurrentX(2);
    s.Cls();
    EXPECT_EQ(CountColour(s.Image(), kYellow), 0) << "drawing persists only until the next clear";
    EXPECT_EQ(s.Image().At(0, 0), picture.At(0, 0)) << "the picture survives a clear";
    EXPECT_EQ(s.CurrentX(), 0);

    // Drawing taken as the picture survives the next clear.
    s.Line(0, 3, 5, 3, kYellow);
    s.TakeImageAsPicture();
    s.Cls();
    EXPECT_EQ(CountColour(s.Image(), kYellow), 5);
    s.ClearPicture();
    EXPECT_FALSE(s.HasPicture());
    EXPECT_EQ(CountColour(s.Image(), kBlue), 24);
}

TEST(PictureSurface, AutoSizeAndResizeKeepTheDrawing)
{
    PictureSurface s;
    EXPECT_TRUE(s.Image().IsNull());
    s.Line(0, 0, 10, 10);  // nothing to draw on, nothing breaks
    s.Print(QStringLiteral("x"));
    s.SetAutoSize(true);
    s.SetPicture(Checker(7, 5));
    EXPECT_EQ(s.Width(), 7);
    EXPECT_EQ(s.Height(), 5);

    s.SetBackColor(kBlue);  // clears, the picture stays
    s.Resize(9, 6);
    EXPECT_EQ(s.Image().At(6, 4), Checker(7, 5).At(6, 4));
    EXPECT_EQ(ColorRefFromPixel(s.Image().At(8, 5)), kBlue);
    s.Move(10, 20, 3, 3);
    EXPECT_EQ(s.Left(), 10);
    EXPECT_EQ(s.Top(), 20);
    EXPECT_EQ(s.Width(), 3);
}

TEST(PictureSurface, PaintPictureCopiesOrStretches)
{
    PictureSurface s(8, 8);
    s.SetBackColor(0xFFFFFF);
    const Bitmap picture = Checker(4, 4);
    ASSERT_TRUE(s.PaintPicture(picture, 2, 2));
    EXPECT_EQ(s.Image().At(2, 2), picture.At(0, 0));
    EXPECT_EQ(s.Image().At(5, 5), picture.At(3, 3));
    EXPECT_EQ(ColorRefFromPixel(s.Image().At(6, 6)), 0xFFFFFFu);

    // A block of the picture at twice its size.
    s.Cls();
    ASSERT_TRUE(s.PaintPicture(picture, 0, 0, 4, 4, 1, 1, 2, 2));
    EXPECT_EQ(s.Image().At(0, 0), picture.At(1, 1));
    EXPECT_EQ(s.Image().At(1, 1), picture.At(1, 1));
    EXPECT_EQ(s.Image().At(2, 0), picture.At(2, 1));
    EXPECT_EQ(ColorRefFromPixel(s.Image().At(4, 0)), 0xFFFFFFu);
    EXPECT_FALSE(s.PaintPicture(picture, 0, 0, 4, 4, 0, 0, 4, 4, 0xDEAD));
}

TEST(PictureSurface, BoxesWithDrawWidthAndDrawStyle)
{
    PictureSurface s(40, 40);
    s.SetBackColor(0xFFFFFF);
    s.SetDrawWidth(6);
    s.Line(10, 10, 25, 24, kBlue, LineShape::Box);
    EXPECT_EQ(CountColour(s.Image(), kBlue), 21 * 20 - 9 * 8);
    EXPECT_EQ(ColorRefFromPixel(s.Image().At(7, 7)), kBlue);
    EXPECT_EQ(s.CurrentX(), 25);
    EXPECT_EQ(s.CurrentY(), 24);

    s.Cls();
    s.SetDrawWidth(2);
    s.SetDrawStyle(6);
    s.Line(5, 5, 14, 12, kBlue, LineShape::Box);
    EXPECT_EQ(ColorRefFromPixel(s.Image().At(4, 5)), 0xFFFFFFu);
    EXPECT_EQ(ColorRefFromPixel(s.Image().At(6, 6)), kBlue);
    EXPECT_EQ(ColorRefFromPixel(s.Image().At(7, 7)), 0xFFFFFFu);

    s.Cls();
    s.SetDrawStyle(5);  // transparent
    s.Line(0, 0, 30, 30, kBlue, LineShape::Box);
    EXPECT_EQ(CountColour(s.Image(), kBlue), 0);
    s.Line(1, 1, 3, 3, kBlue, LineShape::FilledBox);
    EXPECT_EQ(CountColour(s.Image(), kBlue), 9);
    s.SetDrawStyle(99);  // ignored
    EXPECT_EQ(s.DrawStyle(), 5);
}

TEST(PictureSurface, InvertAndXorModesDrawnTwiceRestore)
{
    PictureSurface s(30, 30);
    s.SetPicture(Checker(30, 30));
    const Bitmap before = s.Image();
    for (int mode : {6, 7}) {
        s.SetDrawMode(mode);
        s.SetDrawWidth(1);
        s.SetForeColor(Rgb(12, 200, 77));
        for (int pass = 0; pass < 2; ++pass) {
            s.Line(0, 29, 30, 0);
            s.LineFromCurrent(15, 15);
            s.Line(3, 3, 26, 20, std::nullopt, LineShape::Box);
            s.SetDrawWidth(4);
            s.Line(2, 25, 28, 5);
            s.PSet(10, 10);
            s.SetDrawWidth(1);
        }
        EXPECT_EQ(s.Image(), before) << "draw mode " << mode;
    }
    s.SetDrawMode(0);  // ignored
    EXPECT_EQ(s.DrawMode(), 7);
    // The surface's device context follows the draw mode and pen.
    EXPECT_EQ(s.Dc().GetRop2(), Rop2::XorPen);
    EXPECT_EQ(s.Dc().SelectedPen().color, Rgb(12, 200, 77));
}

TEST(PictureSurface, LineLeavesItsEndPixelAndMovesTheCurrentPosition)
{
    PictureSurface s(10, 10);
    s.SetBackColor(0xFFFFFF);
    s.Line(1, 1, 6, 1, kBlue);
    EXPECT_EQ(CountColour(s.Image(), kBlue), 5);
    EXPECT_EQ(ColorRefFromPixel(s.Image().At(6, 1)), 0xFFFFFFu);
    s.LineFromCurrent(6, 5, kBlue);
    EXPECT_EQ(ColorRefFromPixel(s.Image().At(6, 1)), kBlue);
    EXPECT_EQ(s.Point(6, 4), int64_t(kBlue));
    EXPECT_EQ(s.Point(60, 4), -1);
}

TEST(PictureSurface, TwipsAreConvertedWithTheTwipsPerPixelFactor)
{
    PictureSurface s(20, 10);
    s.SetBackColor(0xFFFFFF);
    s.SetScaleMode(ScaleUnit::Twips);
    EXPECT_EQ(s.ScaleWidth(), 300);
    EXPECT_EQ(s.ScaleHeight(), 150);
    s.Line(15, 30, 15 * 5, 30, kBlue);  // pixels (1, 2) to (5, 2)
    EXPECT_EQ(ColorRefFromPixel(s.Image().At(1, 2)), kBlue);
    EXPECT_EQ(ColorRefFromPixel(s.Image().At(4, 2)), kBlue);
    EXPECT_EQ(CountColour(s.Image(), kBlue), 4);
    s.SetTwipsPerPixel(12, 12);  // 120 DPI
    EXPECT_EQ(s.ScaleWidth(), 240);
    s.SetTwipsPerPixel(0, -1);  // ignored
    EXPECT_EQ(s.TwipsPerPixelX(), 12);
    EXPECT_DOUBLE_EQ(s.ToPixelsX(24), 2.0);
}

TEST(PictureSurface, PrintAdvancesLikeAPictureBox)
{
    PictureSurface s(200, 80);
    s.SetBackColor(0xFFFFFF);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(14);
    s.SetFont(font);
    s.SetForeColor(kBlue);
    const double lineHeight = s.TextHeight(QStringLiteral("Ag"));
    ASSERT_GT(lineHeight, 10);
    EXPECT_DOUBLE_EQ(s.TextHeight(QStringLiteral("a\r\nb")), 2 * lineHeight);
    EXPECT_GT(s.TextWidth(QStringLiteral("wide line\nx")), s.TextWidth(QStringLiteral("x")));

    s.SetCurrentX(30);
    s.SetCurrentY(5);
    s.Print(QStringLiteral("Hi"), false);  // trailing ';': stays on the line
    EXPECT_DOUBLE_EQ(s.CurrentX(), 30 + s.TextWidth(QStringLiteral("Hi")));
    EXPECT_DOUBLE_EQ(s.CurrentY(), 5);
    s.Print(QStringLiteral("\r\n\r\n  Title"));
    EXPECT_EQ(s.CurrentX(), 0);
    EXPECT_DOUBLE_EQ(s.CurrentY(), 5 + 3 * lineHeight);

    // Ink lands where the text went: right of x 30 on the first line, at the
    // left edge on the third line, nowhere on the empty second line.
    auto inkIn = [&](int x0, int x1, double y0, double y1) {
        int n = 0;
        for (int y = int(y0); y < int(y1); ++y)
            for (int x = x0; x < x1; ++x)
                n += ColorRefFromPixel(s.Image().At(x, y)) != 0xFFFFFFu;
        return n;
    };
    EXPECT_GT(inkIn(30, 60, 5, 5 + lineHeight), 0);
    EXPECT_EQ(inkIn(0, 29, 5, 5 + lineHeight), 0);
    EXPECT_EQ(inkIn(0, 200, 5 + lineHeight + 1, 5 + 2 * lineHeight), 0);
    EXPECT_GT(inkIn(0, 60, 5 + 2 * lineHeight, 5 + 3 * lineHeight), 0);
    EXPECT_EQ(PixelAlpha(s.Image().At(35, 12)), 255);
}

TEST(PictureSurface, APictureThatFillsTheSurfaceIsHeldOnce)
{
    Bitmap picture(40, 30, 24);
    picture.Fill(MakePixel(200, 100, 50));
    picture.Set(39, 29, MakePixel(1, 2, 3));
    const uint8_t *pixels = std::as_const(picture).Bits();

    PictureSurface surface(5, 5);
    surface.SetBackColor(kBlue);
    surface.SetPictureAndSize(std::move(picture));
    EXPECT_EQ(surface.Width(), 40);
    EXPECT_EQ(surface.Height(), 30);
    // Picture and drawing image are the same memory as the bitmap handed in.
    EXPECT_EQ(surface.Picture().Bits(), pixels);
    EXPECT_EQ(std::as_const(surface.Image()).Bits(), pixels);
    EXPECT_EQ(surface.Image().BitCount(), 24);
    EXPECT_EQ(surface.Image().At(39, 29), MakePixel(1, 2, 3));

    // Drawing changes the image only; a clear shows the picture again.
    surface.Line(0, 0, 9, 0, kYellow);
    EXPECT_EQ(surface.Image().At(0, 0), PixelFromColorRef(kYellow));
    EXPECT_EQ(surface.Picture().At(0, 0), MakePixel(200, 100, 50));
    surface.Cls();
    EXPECT_EQ(surface.Image().At(0, 0), MakePixel(200, 100, 50));

    // A picture smaller than the surface still shows over the back colour.
    PictureSurface wide(50, 30);
    wide.SetBackColor(kBlue);
    wide.SetPicture(surface.Picture());
    EXPECT_EQ(wide.Image().At(45, 10), PixelFromColorRef(kBlue));
    EXPECT_EQ(wide.Image().At(10, 10), MakePixel(200, 100, 50));
    // Taking the drawing as the picture shares it too.
    wide.TakeImageAsPicture();
    EXPECT_EQ(wide.Picture().Bits(), std::as_const(wide.Image()).Bits());
}
