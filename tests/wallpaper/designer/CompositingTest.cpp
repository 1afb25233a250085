// Compositing a designed wallpaper on the hidden picture form, with the real
// settings file, picture files in a temporary folder and a scripted ui.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>

#include <set>

#include "platform/imageio/PictureLoader.h"
#include "platform/raster/PictureSurface.h"
#include "tests/support/FixedSystemColors.h"
#include "tests/wallpaper/changer/ApplyFixture.h"
#include "wallpaper/codecs/StdPNG.h"
#include "wallpaper/designer/Compositing.h"
#include "wallpaper/designer/frmPics.h"
#include "wallpaper/designer/modGradients.h"

namespace pellimore::test {
namespace {

constexpr ColorRef kRed = 0x0000FF;
constexpr ColorRef kGrey = 0xC0C0C0;
constexpr ColorRef kButtonFace = 0xD0D0D0;

Bitmap Solid(int width, int height, ColorRef color)
{
    Bitmap bitmap(width, height, 24);
    bitmap.Fill(PixelFromColorRef(color));
    return bitmap;
}

ColorRef At(const Bitmap &bitmap, int x, int y)
{
    return ColorRefFromPixel(bitmap.Row(y)[x]);
}

class CompositingTest : public ApplyFixture {
protected:
    CompositingTest()
    {
        state.DesktopWidth = 1024;
        state.DesktopHeight = 768;
        settings.channels = GradientChannels::FromColors(0xFF8000, 0x0000C0);
        gradients.SetStartColor(0xFF8000);
        gradients.SetEndColor(0x0000C0);
        gradients.SetAngle(GradientAngle(0, false));
    }

    // The main window's picture: a plain one of the size, as the change loads it.
    void SetFront(int width, int height, ColorRef color = kRed)
    {
        view.Source().ClearPicture();
        view.Source().Resize(width, height);
        view.Source().SetPicture(Solid(width, height, color));
        state.LargerThanDesktop = width > state.DesktopWidth || height > state.DesktopHeight;
    }

    // The gradient background alone, as the designer paints it on a
    // desktop-sized canvas.
    Bitmap GradientAlone()
    {
        PictureSurface canvas(state.DesktopWidth, state.DesktopHeight);
        canvas.SetBackColor(settings.backColor);
        PaintBackgroundGradient(canvas, gradients, settings.channels, settings.gradientKind, settings.reverse,
                                settings.toCenter);
        return canvas.Image();
    }

    Bitmap ReadPreview()
    {
        PictureResult read = LoadPicture(folder.filePath(kPreviewComboName));
        EXPECT_TRUE(read.Ok()) << read.error.toStdString();
        return read.bitmap;
    }

    FixedSystemColors colors{[](int index) { return index == 15 ? kButtonFace : ColorRef(0); }};
    modGradients gradients{ui, colors};
    frmPics pics;
    DesignerSettings settings;
    PictureSurface designerSource;
    PictureSurface designerEffect;
    Bitmap designerImage1;
    Compositor compositor{{state, pics, view, {true, designerSource, designerEffect, designerImage1}, gradients,
                           installer, ui, colors},
                          settings};
};

// ---------------------------------------------------------------------------
// Placing the front picture

TEST_F(CompositingTest, CenterIgnoresTheMarginBoxesWhateverTheyHold)
{
    SetFront(400, 300);
    settings.orientation = FrontOrientation::Center;
    settings.marginText[0] = QStringLiteral("abc");
    settings.marginText[1] = QStringLiteral("5000");
    PictureSurface canvas(1024, 768);
    EXPECT_EQ(compositor.PlaceFrontPicture(canvas, QSize(400, 300)), QPoint(312, 234));
    EXPECT_EQ(settings.marginText[0], "abc");
    EXPECT_EQ(settings.marginText[1], "5000");
    EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(CompositingTest, EachCornerCountsItsMarginsFromItsOwnEdges)
{
    SetFront(400, 300);
    settings.marginText[0] = QStringLiteral("10");
    settings.marginText[1] = QStringLiteral(" 20.9 ");  // the integer part, trimmed
    PictureSurface canvas(1024, 768);
    const std::pair<FrontOrientation, QPoint> expected[] = {
        {FrontOrientation::TopLeft, {10, 20}},
        {FrontOrientation::TopRight, {614, 20}},
        {FrontOrientation::BottomLeft, {10, 448}},
        {FrontOrientation::BottomRight, {614, 448}},
    };
    for (const auto &[orientation, at] : expected) {
        settings.orientation = orientation;
        EXPECT_EQ(compositor.PlaceFrontPicture(canvas, QSize(400, 300)), at) << int(orientation);
    }
    EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(CompositingTest, AMarginTooBigBecomesTheLargestThatFitsWithTheMessage)
{
    SetFront(800, 300);
    settings.orientation = FrontOrientation::TopRight;
    settings.marginText[0] = QStringLiteral("300");
    settings.marginText[1] = QStringLiteral("0");
    ui.ExpectMessage(QStringLiteral("Horizontal Margin is too big! Maximum margin is  224 pixels."),
                     QStringLiteral("Horizontal Margin Amount"), MessageResult::Ok)
        .WithIcon(MessageIcon::Critical);
    PictureSurface canvas(1024, 768);
    EXPECT_EQ(compositor.PlaceFrontPicture(canvas, QSize(800, 300)), QPoint(0, 0));
    EXPECT_EQ(settings.marginText[0], "224");
    EXPECT_TRUE(ui.VerifyAllUsed());

    SetFront(300, 700);
    settings.orientation = FrontOrientation::BottomLeft;
    settings.marginText[0] = QStringLiteral("0");
    settings.marginText[1] = QStringLiteral("100");
    ui.ExpectMessage(QStringLiteral("Vertical Margin is too big! Maximum margin is  68 pixels."),
                     QStringLiteral("Vertical Margin Amount"), MessageResult::Ok);
    EXPECT_EQ(compositor.PlaceFrontPicture(canvas, QSize(300, 700)), QPoint(0, 0));
    EXPECT_EQ(settings.marginText[1], "68");
}

TEST_F(CompositingTest, MarginsOutsideTheirRangeAreClampedNotWrapped)
{
    SetFront(100, 100);
    settings.orientation = FrontOrientation::TopLeft;
    PictureSurface canvas(1024, 768);

    // 70000 would wrap to 4464 as a 16-bit number; it is too big and is corrected.
    settings.marginText[0] = QStringLiteral("70000");
    settings.marginText[1] = QStringLiteral("-40");  // pasted in: no negative margin
    ui.ExpectMessage(QStringLiteral("Horizontal Margin is too big! Maximum margin is  924 pixels."),
                     MessageResult::Ok);
    EXPECT_EQ(compositor.PlaceFrontPicture(canvas, QSize(100, 100)), QPoint(924, 0));
    EXPECT_EQ(settings.marginText[0], "924");
    EXPECT_EQ(settings.marginText[1], "0");

    settings.marginText[0] = QStringLiteral("twelve");
    settings.marginText[1] = QStringLiteral("");
    EXPECT_EQ(compositor.PlaceFrontPicture(canvas, QSize(100, 100)), QPoint(0, 0));
    EXPECT_EQ(settings.marginText[0], "0");
    EXPECT_EQ(settings.marginText[1], "0");
    EXPECT_TRUE(ui.VerifyAllUsed());
}

TEST_F(CompositingTest, APreviewScalesTheMarginsByTheDesktopToCanvasRatio)
{
    SetFront(400, 300);
    settings.orientation = FrontOrientation::TopLeft;
    settings.marginText[0] = QStringLiteral("50");
    settings.marginText[1] = QStringLiteral("50");
    PictureSurface preview(160, 120);
    // 1024 / 160 = 6.4 -> 6 and 768 / 120 = 6.4 -> 6: 50 / 6 = 8.33 -> 8.
    EXPECT_EQ(compositor.PlaceFrontPicture(preview, QSize(62, 47)), QPoint(8, 8));
    // A canvas wider than 200 takes the margins as they are.
    PictureSurface wide(201, 150);
    EXPECT_EQ(compositor.PlaceFrontPicture(wide, QSize(62, 47)), QPoint(50, 50));
}

TEST_F(CompositingTest, AFrontFittedToTheDesktopIsNeverPlacedOffTheCanvas)
{
    // Wider than the desktop, lower than it: fitted to 1024 x 256.
    SetFront(2000, 500);
    settings.orientation = FrontOrientation::TopRight;
    settings.marginText[0] = QStringLiteral("72");
    settings.marginText[1] = QStringLiteral("72");
    ui.ExpectMessage(QStringLiteral("Horizontal Margin is too big! Maximum margin is  0 pixels."), MessageResult::Ok);
    PictureSurface canvas(1024, 768);
    EXPECT_EQ(compositor.PlaceFrontPicture(canvas, QSize(1024, 256)), QPoint(0, 72));
    EXPECT_EQ(settings.marginText[0], "0");
    EXPECT_TRUE(ui.VerifyAllUsed());

    // 2560 x 1600 fits as 1280 x 800 on 1280 x 720: it overflows the desktop
    // vertically and is cropped evenly there, whatever the corner.
    state.DesktopWidth = 1280;
    state.DesktopHeight = 720;
    SetFront(2560, 1600);
    settings.orientation = FrontOrientation::BottomRight;
    settings.marginText[0] = QStringLiteral("0");
    settings.marginText[1] = QStringLiteral("0");
    PictureSurface desktopCanvas(1280, 720);
    EXPECT_EQ(compositor.PlaceFrontPicture(desktopCanvas, QSize(1280, 800)), QPoint(0, -40));
}

// ---------------------------------------------------------------------------
// Tiles, sizes and frames

TEST_F(CompositingTest, ASquareTileCoversTheCanvasColumnByColumn)
{
    const std::vector<QPoint> positions = TilePositions(QSize(1024, 768), QSize(100, 100));
    std::set<int> columns, rows;
    for (const QPoint &p : positions) {
        columns.insert(p.x());
        rows.insert(p.y());
    }
    EXPECT_EQ(columns.size(), 11u);
    EXPECT_EQ(rows.size(), 8u);
    ASSERT_EQ(positions.size(), 88u);
    // Column by column, each from the top.
    EXPECT_EQ(positions[0], QPoint(0, 0));
    EXPECT_EQ(positions[7], QPoint(0, 700));
    EXPECT_EQ(positions[8], QPoint(100, 0));
    EXPECT_EQ(positions.back(), QPoint(1000, 700));

    // A tall canvas runs row by row; a wide tile gets the extra rows and
    // still covers everything.
    const std::vector<QPoint> rowsFirst = TilePositions(QSize(300, 1000), QSize(120, 50));
    ASSERT_GE(rowsFirst.size(), 3u);
    EXPECT_EQ(rowsFirst[1], QPoint(120, 0));
    EXPECT_EQ(rowsFirst[3], QPoint(0, 50));
    EXPECT_EQ(rowsFirst.back(), QPoint(240, 950));
    EXPECT_TRUE(TilePositions(QSize(100, 100), QSize(0, 10)).empty());
}

TEST_F(CompositingTest, TilingFillsTheTargetWithTheTile)
{
    Bitmap tile(100, 100, 24);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            tile.Row(y)[x] = MakePixel(uint8_t(x), uint8_t(y), 7);
    PictureSurface target(1024, 768);
    TilePicture(tile, target);
    for (const QPoint &p : {QPoint(0, 0), QPoint(1023, 767), QPoint(517, 333), QPoint(1000, 700)})
        EXPECT_EQ(target.Image().Row(p.y())[p.x()], tile.Row(p.y() % 100)[p.x() % 100]) << p.x() << "," << p.y();
}

TEST_F(CompositingTest, SizesOfFramesAndFittedPictures)
{
    EXPECT_EQ(FitMonitorPreview(QSize(1920, 1080), QPoint(100, 50)), QRect(111, 59, 173, 110));
    EXPECT_EQ(FitMonitorPreview(QSize(1024, 768), QPoint(0, 0)), QRect(11, 9, 167, 119));
    EXPECT_EQ(FitPictureSize(QSize(400, 100), QSize(160, 120)), QSize(160, 40));
    EXPECT_EQ(FitPictureSize(QSize(50, 40), QSize(160, 120)), QSize(50, 40));  // never enlarged
    EXPECT_EQ(FitPictureSize(QSize(0, 40), QSize(160, 120)), QSize());

    const ColorParts parts = SplitColor(0x123456);
    EXPECT_EQ(parts.red, 0x56);
    EXPECT_EQ(parts.green, 0x34);
    EXPECT_EQ(parts.blue, 0x12);
    ui.ExpectColor(std::nullopt);
    const PickedColor cancelled = PickColor(ui, 0xABCDEF);
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_EQ(cancelled.color, 0u);
    ui.ExpectColor(0x00FF00);
    EXPECT_EQ(PickColor(ui, 0).color, 0x00FF00u);
    EXPECT_EQ(ui.ColorRequests().front(), 0xABCDEFu);
}

TEST_F(CompositingTest, MonitorFramesShowABlackScreenInsideTheirBezelAtAnyScale)
{
    for (double scale : {1.0, 2.0}) {
        for (MonitorShape shape : {MonitorShape::Wide, MonitorShape::Square}) {
            const Bitmap frame = DrawMonitorFrame(shape, scale);
            const QSize logical = MonitorFrameSize(shape);
            EXPECT_EQ(frame.Width(), int(logical.width() * scale));
            EXPECT_EQ(frame.Height(), int(logical.height() * scale));
            const QSize screen = shape == MonitorShape::Wide ? kWideScreenSize : kSquareScreenSize;
            const QRect inside(kMonitorScreenOffset * scale, screen * scale);
            // The screen is black and opaque; the bezel beside it is opaque but not black.
            EXPECT_EQ(frame.Row(inside.center().y())[inside.center().x()], MakePixel(0, 0, 0));
            EXPECT_EQ(frame.Row(inside.top() + 1)[inside.left() + 1], MakePixel(0, 0, 0));
            const Pixel bezel = frame.Row(inside.center().y())[int(4 * scale)];
            EXPECT_EQ(PixelAlpha(bezel), 255);
            EXPECT_GT(PixelRed(bezel) + PixelGreen(bezel) + PixelBlue(bezel), 30);
            // The corners beside the stand stay transparent.
            EXPECT_EQ(PixelAlpha(frame.Row(frame.Height() - 1)[0]), 0);
        }
    }
    const Bitmap tile = DrawPellimoreTile(2.0);
    EXPECT_EQ(tile.Width(), 128);
    EXPECT_EQ(PixelAlpha(tile.Row(5)[5]), 255);
}

// ---------------------------------------------------------------------------
// Borders

TEST_F(CompositingTest, TheBorderIsACentredSixPixelOutlineThenAButtonFaceLine)
{
    PictureSurface canvas(200, 200);
    canvas.SetBackColor(0xFFFFFF);
    DrawBorder(canvas, QPoint(50, 50), QSize(100, 80), kRed, kButtonFace);
    // The thick outline of corners (50, 50) and (149, 129): each edge covers
    // six pixels across, from three before the edge pixel to two after it.
    const QRect outer(QPoint(47, 47), QPoint(151, 131));
    const QRect hole(QPoint(53, 53), QPoint(145, 125));
    // The thin one, corners (53, 53) and (150, 130), drawn last.
    const QRect thin(QPoint(53, 53), QPoint(150, 130));
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 200; ++x) {
            const bool onThin = thin.contains(x, y) && (x == thin.left() || x == thin.right() ||
                                                        y == thin.top() || y == thin.bottom());
            ColorRef expected = 0xFFFFFF;
            if (onThin)
                expected = kButtonFace;
            else if (outer.contains(x, y) && !hole.contains(x, y))
                expected = kRed;
            ASSERT_EQ(At(canvas.Image(), x, y), expected) << x << "," << y;
        }
    }
    EXPECT_EQ(canvas.DrawWidth(), 1);
    EXPECT_EQ(canvas.DrawStyle(), 0);

    PictureSurface thumbnail(40, 40);
    DrawThumbnailBorder(thumbnail, QPoint(5, 6), QSize(20, 10), kRed);
    EXPECT_EQ(At(thumbnail.Image(), 5, 6), kRed);
    EXPECT_EQ(At(thumbnail.Image(), 24, 15), kRed);
    EXPECT_EQ(At(thumbnail.Image(), 25, 15), 0xFFFFFFu);
    EXPECT_EQ(At(thumbnail.Image(), 10, 10), 0xFFFFFFu);
}

// ---------------------------------------------------------------------------
// The full-size composition

TEST_F(CompositingTest, BackgroundOnlyWithAGradientWritesOnlyTheGradient)
{
    SetFront(300, 200);
    settings.backgroundOnly = true;
    settings.border = true;
    EXPECT_EQ(compositor.ComposeWallpaper(kUseGradient, QStringLiteral("Temp"), true), kPreviewComboName);
    const Bitmap written = ReadPreview();
    const Bitmap expected = GradientAlone();
    ASSERT_EQ(written.Width(), 1024);
    ASSERT_EQ(written.Height(), 768);
    for (int y = 0; y < 768; y += 7)
        for (int x = 0; x < 1024; x += 5)
            ASSERT_EQ(At(written, x, y), At(expected, x, y)) << x << "," << y;
}

TEST_F(CompositingTest, AFrontOnAGradientWithItsBorder)
{
    SetFront(300, 200);
    settings.orientation = FrontOrientation::BottomRight;
    settings.marginText[0] = QStringLiteral("40");
    settings.marginText[1] = QStringLiteral("30");
    settings.border = true;
    settings.borderColor = 0x00FF00;
    ASSERT_EQ(compositor.ComposeWallpaper(kUseGradient, QStringLiteral("Temp"), true), kPreviewComboName);
    const Bitmap written = ReadPreview();
    const Bitmap gradient = GradientAlone();
    // The front at (1024 - 300 - 40, 768 - 200 - 30) = (684, 538).
    EXPECT_EQ(At(written, 684 + 150, 538 + 100), kRed);
    EXPECT_EQ(At(written, 684 + 4, 538 + 4), kRed);
    EXPECT_EQ(At(written, 684 + 3, 538 + 50), kButtonFace);
    EXPECT_EQ(At(written, 684 - 3, 538 + 50), 0x00FF00u);
    EXPECT_EQ(At(written, 684 - 4, 538 + 50), At(gradient, 684 - 4, 538 + 50));
    EXPECT_EQ(At(written, 10, 10), At(gradient, 10, 10));
    // The canvases are given back afterwards.
    EXPECT_EQ(pics.picBack().Width(), 0);
    EXPECT_FALSE(pics.picFront().HasPicture());
}

TEST_F(CompositingTest, ATransparentGifFrontShowsTheGradientThroughItsHoles)
{
    SetFront(64, 48);
    Bitmap gif(64, 48, 32);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            gif.Row(y)[x] = (x / 8 + y / 8) % 2 ? MakePixel(10, 200, 30) : MakePixel(0, 0, 0, 0);
    settings.frontIsTransparentGif = true;
    compositor.SetFrontSources({nullptr, &gif});
    ASSERT_EQ(compositor.ComposeWallpaper(kUseGradient, QStringLiteral("Temp"), true), kPreviewComboName);
    const Bitmap written = ReadPreview();
    const Bitmap gradient = GradientAlone();
    const QPoint at(480, 360);
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 64; ++x) {
            const bool opaque = (x / 8 + y / 8) % 2;
            const ColorRef expected = opaque ? Rgb(10, 200, 30) : At(gradient, at.x() + x, at.y() + y);
            ASSERT_EQ(At(written, at.x() + x, at.y() + y), expected) << x << "," << y;
        }
    }
}

TEST_F(CompositingTest, APngWithAlphaIsBlendedOverTheGradient)
{
    QImage image(40, 30, QImage::Format_ARGB32);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            image.setPixel(x, y, qRgba(250, 20, 60, x * 6));
    const QString path = folder.filePath(QStringLiteral("front.png"));
    ASSERT_TRUE(image.save(path));
    StdPNG png(ui);
    png.SetTransparentStyle(kPngKeepAlpha);
    ASSERT_TRUE(png.LoadFile(path, true, false, 255));
    SetFront(40, 30);
    settings.frontIsPng = true;
    compositor.SetFrontSources({&png, nullptr});
    ASSERT_EQ(compositor.ComposeWallpaper(kUseGradient, QStringLiteral("Temp"), true), kPreviewComboName);
    const Bitmap written = ReadPreview();
    const Bitmap gradient = GradientAlone();
    const QPoint at(492, 369);
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 40; ++x) {
            const ColorRef under = At(gradient, at.x() + x, at.y() + y);
            const int a = x * 6;
            const auto mix = [a](int top, int bottom) { return (top * a + bottom * (255 - a) + 127) / 255; };
            const ColorRef got = At(written, at.x() + x, at.y() + y);
            ASSERT_NEAR(int(RedOf(got)), mix(250, RedOf(under)), 1) << x << "," << y;
            ASSERT_NEAR(int(GreenOf(got)), mix(20, GreenOf(under)), 1) << x << "," << y;
            ASSERT_NEAR(int(BlueOf(got)), mix(60, BlueOf(under)), 1) << x << "," << y;
        }
    }
}

TEST_F(CompositingTest, APictureBackgroundIsDrawnOnceFittedOrTiled)
{
    SetFront(10, 10);
    settings.backgroundOnly = true;
    settings.backColor = 0x804020;
    AddPicture(QStringLiteral("small.png"), 100, 100, QColor(0, 0, 255));
    AddPicture(QStringLiteral("medium.png"), 700, 500, QColor(0, 255, 0));

    // A small background is tiled over the whole canvas.
    state.SmallPicture = true;
    ASSERT_FALSE(compositor.ComposeWallpaper(folder.filePath("small.png"), "Temp", true).isEmpty());
    Bitmap written = ReadPreview();
    EXPECT_EQ(At(written, 1023, 767), 0xFF0000u);

    // A larger one is drawn once at the top left over the background colour,
    // which the desktop shows during the preview while the program's own
    // desktop colour stays what it was.
    state.SmallPicture = false;
    state.DesktopColor = 0x111111;
    ASSERT_FALSE(compositor.ComposeWallpaper(folder.filePath("medium.png"), "Temp", true).isEmpty());
    written = ReadPreview();
    EXPECT_EQ(At(written, 699, 499), 0x00FF00u);
    EXPECT_EQ(At(written, 700, 499), 0x804020u);
    EXPECT_EQ(desktop.BackgroundColor(), 0x804020u);
    EXPECT_EQ(state.DesktopColor, 0x111111u);

    // A background that cannot be read saves nothing.
    QFile::remove(folder.filePath(kPreviewComboName));
    EXPECT_TRUE(compositor.ComposeWallpaper(folder.filePath("gone.png"), "Temp", true).isEmpty());
    EXPECT_FALSE(QFile::exists(folder.filePath(kPreviewComboName)));
}

// ---------------------------------------------------------------------------
// Saving as JPEG

TEST_F(CompositingTest, SavingAsksForTheNameAndWritesTheJpeg)
{
    SetFront(300, 200);
    state.JpegQuality = 93;
    const QString target = folder.filePath(QStringLiteral("mine.jpg"));
    ui.ExpectSaveFile(target);
    EXPECT_EQ(compositor.ComposeWallpaper(kUseGradient, QStringLiteral("front"), false), "mine.jpg");
    ASSERT_EQ(ui.SaveFileRequests().size(), 1u);
    const SaveFileRequest &request = ui.SaveFileRequests().front();
    EXPECT_EQ(request.title, "Save new wallpaper");
    EXPECT_EQ(request.fileName, "frontCombo.jpg");
    EXPECT_EQ(request.filter, "Images Files (*.jpg;)|*.jpg");
    EXPECT_EQ(request.initialFolder, state.PictureFolder);
    EXPECT_TRUE(request.confirmOverwrite);
    const QImage saved(target);
    ASSERT_EQ(saved.size(), QSize(1024, 768));
    const QColor centre = saved.pixelColor(512, 384);
    EXPECT_GT(centre.red(), 230);  // the red front, through JPEG
    EXPECT_LT(centre.green(), 30);
}

TEST_F(CompositingTest, ACancelledOrFailedSaveWritesNothing)
{
    SetFront(300, 200);
    ui.ExpectSaveFile(std::nullopt);
    EXPECT_TRUE(compositor.ComposeWallpaper(kUseGradient, QStringLiteral("front"), false).isEmpty());
    EXPECT_TRUE(ui.Messages().empty());

    // A folder that does not exist: the writer fails, the user is told, and
    // no file of the chosen name appears.
    const QString target = folder.filePath(QStringLiteral("missing/mine.jpg"));
    ui.ExpectSaveFile(target);
    ui.ExpectMessage(kCouldNotSaveText, MessageResult::Ok).WithButtons(MessageButtons::Ok);
    EXPECT_TRUE(compositor.ComposeWallpaper(kUseGradient, QStringLiteral("front"), false).isEmpty());
    EXPECT_FALSE(QFile::exists(target));
    EXPECT_TRUE(ui.VerifyAllUsed());
}

// ---------------------------------------------------------------------------
// Previews

TEST_F(CompositingTest, TheCombinedPreviewPlacesTheFrontPreviewOnTheBackgroundPreview)
{
    // The main window's scaled preview of its picture: 40 x 30 of red.
    view.Effect().ClearPicture();
    view.Effect().Resize(40, 30);
    view.Effect().SetPicture(Solid(40, 30, kRed));
    SetFront(400, 300);
    settings.orientation = FrontOrientation::TopLeft;
    settings.marginText[0] = QStringLiteral("60");
    settings.marginText[1] = QStringLiteral("60");
    settings.border = true;
    settings.borderColor = 0x00FF00;
    PictureSurface background(160, 120);
    background.SetBackColor(kGrey);
    PictureSurface combined(160, 120);
    compositor.ComposeThumbnail(background, combined);
    // 60 / nearest(6.4) = 10.
    EXPECT_EQ(At(combined.Image(), 10, 10), 0x00FF00u);  // the thin border on the picture's edge
    EXPECT_EQ(At(combined.Image(), 11, 11), kRed);
    EXPECT_EQ(At(combined.Image(), 49, 39), 0x00FF00u);
    EXPECT_EQ(At(combined.Image(), 50, 40), kGrey);
    EXPECT_EQ(At(combined.Image(), 9, 9), kGrey);

    settings.backgroundOnly = true;
    compositor.ComposeThumbnail(background, combined);
    EXPECT_EQ(At(combined.Image(), 11, 11), kGrey);
}

TEST_F(CompositingTest, ASmallDesignerBackgroundPreviewsTiled)
{
    // 100 x 100 on 1024 x 768 is at most half the desktop both ways.
    designerSource.SetAutoSize(true);
    Bitmap tile(100, 100, 24);
    tile.Fill(PixelFromColorRef(0x0000FF));
    for (int x = 0; x < 100; ++x)
        tile.Row(0)[x] = PixelFromColorRef(0xFFFFFF);  // a white top row shows the repeats
    designerSource.SetPicture(tile);
    PictureWindow designer{true, designerSource, designerEffect, designerImage1};
    PictureSurface target(173, 110);
    compositor.PreviewInStyle(designer, target, false);
    EXPECT_TRUE(state.SmallPicture);
    // The tile is scaled as the desktop is (173 / 1024) and repeated: more
    // than one white row across the preview.
    int whiteRows = 0;
    for (int y = 0; y < target.Height(); ++y)
        whiteRows += At(target.Image(), 80, y) == 0xFFFFFFu || RedOf(At(target.Image(), 80, y)) > 128;
    EXPECT_GE(whiteRows, 5);
    EXPECT_FALSE(designerImage1.IsNull());

    // The product's own tile stands in for the designer's picture.
    compositor.RefreshSourcePicture(designer, target);
    EXPECT_EQ(designerSource.Width(), pics.imgPellimore().Width());
    EXPECT_TRUE(state.SmallPicture);
}

}  // namespace
}  // namespace pellimore::test
