// Rendering a picture against a 1024 x 768 desktop: canvas sizes, the drawn
// rectangle and its margin, the thumbnail, the desktop values and the failure
// paths of the desktop and the animated desktop.
#include "platform/ProgramNames.h"
#include "platform/store/SettingsKeys.h"
#include "tests/wallpaper/changer/ApplyFixture.h"

#include "platform/imageio/PictureLoader.h"
#include "platform/raster/PictureSurface.h"
#include "wallpaper/changer/WallpaperRender.h"
#include "wallpaper/codecs/PictureLoading.h"
#include "wallpaper/codecs/StdPNG.h"

namespace pellimore::test {
namespace {

constexpr ColorRef kTeal = 0x808000;  // red 0, green 128, blue 128

class PictureViewTest : public ApplyFixture {
protected:
    // One picture, style and colour set, rendered and applied.
    const RecordingDesktop::Applied &Render(int width, int height, int style)
    {
        const QString path = AddPicture(QStringLiteral("p.bmp"), width, height, QColor(255, 0, 0));
        Start();
        library.Records()[0].Style = style;
        library.Records()[0].BackColor = kTeal;
        Load(path);
        view.AnalysePicture();
        QString error;
        EXPECT_TRUE(view.RenderWallpaperBitmap(&error)) << error.toStdString();
        EXPECT_EQ(desktop.AppliedWallpapers().size(), 1u);
        return desktop.AppliedWallpapers().back();
    }
};

// The bounding box of the red pixels.
QRect RedArea(const Bitmap &bitmap)
{
    QRect area;
    for (int y = 0; y < bitmap.Height(); ++y) {
        for (int x = 0; x < bitmap.Width(); ++x) {
            if (PixelRed(bitmap.At(x, y)) > 128 && PixelGreen(bitmap.At(x, y)) < 100)
                area |= QRect(x, y, 1, 1);
        }
    }
    return area;
}

TEST_F(PictureViewTest, LargePictureIsFittedWithAMarginOfItsColour)
{
    const auto &applied = Render(1600, 1200, kStyleCentered);
    EXPECT_EQ(applied.path, folder.filePath(QStringLiteral("Wallpaper Pellimore.bmp")));
    EXPECT_EQ(applied.style, WallpaperStyle::Centered);
    EXPECT_EQ(applied.color, kTeal);
    ASSERT_EQ(applied.picture.Width(), 1024);
    ASSERT_EQ(applied.picture.Height(), 768);
    EXPECT_EQ(RedArea(applied.picture), QRect(1, 0, 1022, 767));
    EXPECT_EQ(applied.picture.At(0, 300) & 0xFFFFFF, PixelFromColorRef(kTeal) & 0xFFFFFF);
    EXPECT_EQ(applied.picture.At(1023, 300) & 0xFFFFFF, PixelFromColorRef(kTeal) & 0xFFFFFF);
    EXPECT_EQ(applied.picture.At(500, 767) & 0xFFFFFF, PixelFromColorRef(kTeal) & 0xFFFFFF);
    EXPECT_EQ(DesktopValue(QStringLiteral("TileWallpaper")), QStringLiteral(" 0"));
    EXPECT_EQ(DesktopValue(QStringLiteral("WallpaperStyle")), QStringLiteral(" 0"));
    EXPECT_EQ(DesktopValue(QStringLiteral("Wallpaper")), applied.path);
    EXPECT_EQ(state.DesktopColor, kTeal);
    EXPECT_TRUE(state.LargerThanDesktop);
    EXPECT_EQ(view.Analysis().sizeLabel, QStringLiteral("Image = 1600 x 1200"));
    EXPECT_EQ(view.Analysis().sizeLabelColor, 192u);
    EXPECT_FALSE(view.Analysis().tiledEnabled);
    EXPECT_FALSE(view.Analysis().combineEnabled);
}

TEST_F(PictureViewTest, WidePictureIsFittedByItsWidth)
{
    const auto &applied = Render(1920, 1080, kStyleCentered);
    EXPECT_EQ(applied.picture.Width(), 1024);
    EXPECT_EQ(applied.picture.Height(), 576);
    const QRect red = RedArea(applied.picture);
    EXPECT_EQ(red.width(), 1022);
    EXPECT_EQ(red.left(), 1);
}

TEST_F(PictureViewTest, SmallerPictureIsSavedUnchanged)
{
    const auto &applied = Render(800, 600, kStyleTiled);
    const PictureResult original = LoadPicture(folder.filePath(QStringLiteral("p.bmp")));
    ASSERT_TRUE(original.Ok());
    EXPECT_EQ(applied.picture, original.bitmap);
    EXPECT_EQ(applied.style, WallpaperStyle::Tiled);
    EXPECT_EQ(DesktopValue(QStringLiteral("TileWallpaper")), QStringLiteral(" 1"));
    EXPECT_EQ(view.Analysis().sizeLabelColor, 16711680u);
    EXPECT_TRUE(view.Analysis().tiledEnabled);
    EXPECT_FALSE(state.LargerThanDesktop);
}

TEST_F(PictureViewTest, LargePhotosLoadedForTheWallpaperGiveTheSameFitAsTheirShownSizeDecode)
{
    // A photo-like JPEG or PNG the fit shrinks comes decoded into the fitted
    // canvas; the wallpaper is the shown-size decode fitted as before, also
    // when the colour changes between loading and fitting.
    QImage image(2400, 1500, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb((x * 7) & 255, (y * 3) & 255, (x + y) & 255));
    ASSERT_TRUE(image.save(folder.filePath(QStringLiteral("photo.jpg")), "JPEG", 90));
    ASSERT_TRUE(image.save(folder.filePath(QStringLiteral("photo.png")), "PNG"));
    Start();
    const QSize desktopSize(state.DesktopWidth, state.DesktopHeight);
    const QSize stored(2400, 1500);
    const QSize shown = WallpaperShownSize(stored, desktopSize, WallpaperStyle::Centered);
    ASSERT_FALSE(shown.isEmpty());

    for (const QString name : {QStringLiteral("photo.jpg"), QStringLiteral("photo.png")}) {
        SCOPED_TRACE(name.toStdString());
        const QString path = folder.filePath(name);
        // The shown-size decode, as the surfaces had it before.
        StdPNG png(ui);
        PictureSurface reduced;
        reduced.Dc().SetStretchBltMode(StretchMode::Halftone);
        const LoadByTypeResult direct = LoadPictureByType(path, reduced, png, [&](QSize) { return shown; });
        ASSERT_TRUE(direct.ok) << direct.error.toStdString();
        ASSERT_FALSE(direct.onCanvas);
        ASSERT_EQ(QSize(reduced.Width(), reduced.Height()), shown);
        // Asked for a canvas, either decoder draws into it.
        PictureSurface onCanvas;
        onCanvas.Dc().SetStretchBltMode(StretchMode::Halftone);
        const FitLayout layout = FitToDesktopLayout(stored, desktopSize);
        const LoadByTypeResult drawn = LoadPictureByType(
            path, onCanvas, png, [&](QSize) { return shown; },
            [&](QSize) { return ShownCanvas{layout.canvas, layout.picture, PixelFromColorRef(kTeal)}; });
        ASSERT_TRUE(drawn.ok) << drawn.error.toStdString();
        EXPECT_TRUE(drawn.onCanvas);
        EXPECT_EQ(drawn.storedSize, stored);
        EXPECT_TRUE(onCanvas.Picture() == FitToDesktop(reduced.Picture(), desktopSize, kTeal, stored));

        state.SelectedIndex = -1;
        for (std::size_t i = 0; i < library.Records().size(); ++i) {
            if (library.Records()[i].FileName == name)
                state.SelectedIndex = int(i);
        }
        ASSERT_GE(state.SelectedIndex, 0);
        PictureRecord &entry = library.Records()[std::size_t(state.SelectedIndex)];
        for (const bool colourChanged : {false, true}) {
            entry.Style = kStyleCentered;
            entry.BackColor = kTeal;
            QString error;
            ASSERT_TRUE(view.LoadPicture(path, png, false, &error, true)) << error.toStdString();
            const ColorRef colour = colourChanged ? ColorRef(0x2040C0) : kTeal;
            entry.BackColor = colour;
            view.AnalysePicture();
            const Bitmap expected = FitToDesktop(reduced.Picture(), desktopSize, colour, stored);
            ASSERT_TRUE(view.RenderWallpaperBitmap(&error)) << error.toStdString();
            EXPECT_TRUE(desktop.AppliedWallpapers().back().picture == expected) << "colour changed: " << colourChanged;
            EXPECT_EQ(view.Analysis().sizeLabel, QStringLiteral("Image = 2400 x 1500"));
            EXPECT_TRUE(state.LargerThanDesktop);
            view.ClearPictures();
        }
    }
}

TEST_F(PictureViewTest, ExactFitDisablesTiledAndStretchedAndShowsBlack)
{
    Render(1024, 768, kStyleCentered);
    EXPECT_FALSE(view.Analysis().tiledEnabled);
    EXPECT_FALSE(view.Analysis().stretchedEnabled);
    EXPECT_FALSE(view.Analysis().combineEnabled);
    EXPECT_EQ(view.Analysis().sizeLabelColor, 0u);
    EXPECT_EQ(view.Analysis().sizeLabel, QStringLiteral("Image = 1024 x 768"));
}

TEST_F(PictureViewTest, StretchedLargePictureIsLeftForTheDesktopToStretch)
{
    const auto &applied = Render(1600, 1200, kStyleStretched);
    EXPECT_EQ(applied.picture.Width(), 1600);
    EXPECT_EQ(applied.picture.Height(), 1200);
    EXPECT_EQ(applied.style, WallpaperStyle::Stretched);
    EXPECT_EQ(DesktopValue(QStringLiteral("WallpaperStyle")), QStringLiteral(" 2"));
}

TEST_F(PictureViewTest, ThumbnailShowsThePictureAtItsSizeRelativeToTheDesktop)
{
    const QString path = AddPicture(QStringLiteral("p.bmp"), 800, 600, QColor(255, 0, 0));
    Start();
    view.Thumbnail().SetBackColor(Rgb(0, 0, 255));
    Load(path);
    view.AnalysePicture();
    // f = 160 / 1024: 125 x 94 at (17, 13).
    EXPECT_EQ(RedArea(view.Thumbnail().Image()), QRect(17, 13, 125, 94));
    EXPECT_TRUE(state.PendingApply);

    // Larger than the desktop: the fitted canvas fills the thumbnail but a
    // one-pixel frame.
    const QString large = AddPicture(QStringLiteral("q.bmp"), 1600, 1200, QColor(255, 0, 0));
    Load(large);
    view.AnalysePicture();
    const QRect area = RedArea(view.Thumbnail().Image());
    EXPECT_EQ(area.left(), 1);
    EXPECT_EQ(area.width(), 158);
    EXPECT_EQ(area.top(), 1);
}

TEST_F(PictureViewTest, DesignerKnowsSmallAndFittedPictures)
{
    const QString path = AddPicture(QStringLiteral("p.bmp"), 400, 300);
    Start();
    Load(path);
    view.AnalysePicture(AnalysisWindow::Designer, view.Source(), view.Effect(), view.Thumbnail());
    EXPECT_TRUE(state.SmallPicture);
    EXPECT_FALSE(view.Analysis().DesignerFit);
    Load(AddPicture(QStringLiteral("q.bmp"), 1100, 300));
    view.AnalysePicture(AnalysisWindow::Designer, view.Source(), view.Effect(), view.Thumbnail());
    EXPECT_FALSE(state.SmallPicture);
    EXPECT_TRUE(view.Analysis().DesignerFit);
}

TEST_F(PictureViewTest, TransparentGifIsLaidOverItsColour)
{
    const QString gif = TestDataPath(QStringLiteral("gif/peterdn/static_transparent.gif"));
    const PictureResult loaded = LoadPicture(gif);
    ASSERT_TRUE(loaded.Ok()) << loaded.error.toStdString();
    int transparent = 0;
    for (int y = 0; y < loaded.bitmap.Height(); ++y)
        for (int x = 0; x < loaded.bitmap.Width(); ++x)
            transparent += PixelAlpha(loaded.bitmap.At(x, y)) == 0;
    ASSERT_GT(transparent, 0);

    AddPicture(QStringLiteral("a.bmp"), 10, 10);
    Start();
    library.Records()[0].BackColor = Rgb(0, 255, 0);
    view.Source().SetPicture(loaded.bitmap);
    view.GifFlags().gifNeedsBackground = true;
    view.AnalysePicture();
    ASSERT_TRUE(view.RenderWallpaperBitmap());
    const Bitmap &rendered = desktop.AppliedWallpapers().back().picture;
    ASSERT_EQ(rendered.Width(), loaded.bitmap.Width());
    for (int y = 0; y < rendered.Height(); ++y) {
        for (int x = 0; x < rendered.Width(); ++x) {
            const Pixel expected = PixelAlpha(loaded.bitmap.At(x, y)) == 0 ? MakePixel(0, 255, 0)
                                                                          : (loaded.bitmap.At(x, y) | 0xFF000000u);
            ASSERT_EQ(rendered.At(x, y) | 0xFF000000u, expected) << x << "," << y;
        }
    }
}

// A desktop drawn from the pixels gets them while the file is written beside
// it: the file ends up holding the same picture, and a file that cannot be
// written still fails the change with the reason.
TEST_F(PictureViewTest, ADesktopDrawnFromThePixelsGetsThemWhileTheFileIsWritten)
{
    desktop.ShowPixelsWithoutFile(true);
    const auto &applied = Render(1600, 1200, kStyleCentered);
    EXPECT_TRUE(applied.pixelsHandedOver);
    const BmpResult file = ReadBmp(applied.path);
    ASSERT_EQ(file.bitmap.Width(), applied.picture.Width());
    ASSERT_EQ(file.bitmap.Height(), applied.picture.Height());
    for (int y = 0; y < file.bitmap.Height(); ++y) {
        for (int x = 0; x < file.bitmap.Width(); ++x)
            ASSERT_EQ(file.bitmap.At(x, y) & 0xFFFFFF, applied.picture.At(x, y) & 0xFFFFFF) << x << "," << y;
    }
    const QString path = applied.path;
    EXPECT_EQ(DesktopValue(QStringLiteral("Wallpaper")), path);

    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QDir().mkpath(path));   // a folder where the file goes
    QString error;
    EXPECT_FALSE(view.RenderWallpaperBitmap(&error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("The wallpaper bitmap ") + path + " could not be written: "))
        << error.toStdString();
    EXPECT_EQ(desktop.AppliedWallpapers().size(), 2u);
}

TEST_F(PictureViewTest, ADesktopThatRefusesIsToldOnceAndTheChangeFails)
{
    const QString path = AddPicture(QStringLiteral("p.bmp"), 300, 200);
    Start();
    Load(path);
    desktop.FailWith(QStringLiteral("GNOME desktop: gsettings is not installed"));
    ui.ExpectMessage(QStringLiteral("The wallpaper could not be set on this desktop.\n\nGNOME desktop: gsettings is not installed"),
                     kApplicationTitle, MessageResult::Ok)
        .WithIcon(MessageIcon::Exclamation);
    QString error;
    EXPECT_FALSE(view.RenderWallpaperBitmap(&error));
    EXPECT_EQ(error, QStringLiteral("GNOME desktop: gsettings is not installed"));
    EXPECT_FALSE(view.RenderWallpaperBitmap(&error)) << "no second box";
    EXPECT_EQ(DesktopValue(QStringLiteral("Wallpaper")), QStringLiteral("<none>"));
}

TEST_F(PictureViewTest, AnimatedDesktopFailureSwitchesToTheDirectMethodForGood)
{
    const QString path = AddPicture(QStringLiteral("p.bmp"), 300, 200);
    Start();
    Load(path);
    state.NoActiveDesktop = 0;
    view.GifFlags().gifNeedsBackground = true;
    view.GifFlags().animatedPreviewShown = true;
    ui.ExpectMessage(kActiveDesktopText + QStringLiteral("\n") + kNoAnimationText, kActiveDesktopTitle,
                     MessageResult::Ok)
        .WithIcon(MessageIcon::Critical);
    ASSERT_TRUE(view.RenderWallpaperBitmap());
    EXPECT_EQ(state.NoActiveDesktop, 1);
    EXPECT_FALSE(state.ActiveDesktopFailed);
    EXPECT_FALSE(installer.ActiveDesktopMenuEnabled());
    EXPECT_EQ(store.GetSetting(kApplicationName, WallpaperKeys::kSection, QStringLiteral("AD")), QStringLiteral(" 1"));
    // The animated picture itself goes to the desktop.
    EXPECT_EQ(desktop.AppliedWallpapers().back().path, folder.filePath(QStringLiteral("p.bmp")));
}

TEST_F(PictureViewTest, ColourForAllAndTheSavedDesktopColour)
{
    AddPicture(QStringLiteral("a.bmp"), 10, 10);
    AddPicture(QStringLiteral("b.bmp"), 10, 10);
    Start();
    struct CountingView final : PictureViewListener {
        void ShowEntry() override { ++shown; }
        int shown = 0;
    } listener;
    int &shown = listener.shown;
    view.SetListener(&listener);
    view.SetColorLabel(Rgb(0, 128, 255));
    ui.ExpectMessage(MessageResult::No).WithDefaultButton(2);
    view.ChangeColorForAll();
    EXPECT_NE(library.Records()[1].BackColor, Rgb(0, 128, 255));
    ui.ExpectMessage(MessageResult::Yes);
    view.ChangeColorForAll();
    for (const PictureRecord &record : library.Records())
        EXPECT_EQ(record.BackColor, Rgb(0, 128, 255));
    EXPECT_EQ(state.DefaultBackColor, Rgb(0, 128, 255));
    EXPECT_EQ(shown, 1);

    installer.SetDesktopColor(Rgb(0, 128, 255));
    installer.SaveDesktopColor();
    EXPECT_EQ(DesktopValue(QStringLiteral("Background")), QStringLiteral("0 128 255"));
    EXPECT_EQ(desktop.BackgroundColor(), Rgb(0, 128, 255));

    ui.ExpectColor(std::nullopt);
    view.ChooseColor();
    EXPECT_EQ(shown, 1);
    ui.ExpectColor(Rgb(1, 2, 3));
    view.ChooseColor();
    EXPECT_EQ(library.Records()[0].BackColor, Rgb(1, 2, 3));
}

TEST_F(PictureViewTest, SelectStyleMarksTheOptionAndTheEntry)
{
    AddPicture(QStringLiteral("a.bmp"), 10, 10);
    Start();
    view.SelectStyle(2);
    EXPECT_EQ(library.Records()[0].Style, 2);
    EXPECT_EQ(view.Styles().colors[2], StyleOptions::kChosen);
    EXPECT_EQ(view.Styles().colors[0], StyleOptions::kNormal);
}

TEST_F(PictureViewTest, ChangeSoundPlaysTheProgramsWaveUnlessSwitchedOff)
{
    installer.PlayChangeSound();
    ASSERT_EQ(sound.Played().size(), 1u);
    EXPECT_TRUE(sound.Played()[0].endsWith(QStringLiteral("/pellimore.wav")));
    state.PlaySoundOnChange = 0;
    installer.PlayChangeSound();
    EXPECT_EQ(sound.Played().size(), 1u);
}

TEST_F(PictureViewTest, StoredWallpaperIsShownAgain)
{
    EXPECT_FALSE(ReapplyStoredWallpaper(store, desktop).Ok());
    const auto &applied = Render(300, 200, kStyleTiled);
    installer.SaveDesktopColor();
    RecordingDesktop fresh;
    ASSERT_TRUE(ReapplyStoredWallpaper(store, fresh).Ok());
    ASSERT_EQ(fresh.AppliedWallpapers().size(), 1u);
    EXPECT_EQ(fresh.AppliedWallpapers()[0].path, applied.path);
    EXPECT_EQ(fresh.AppliedWallpapers()[0].style, WallpaperStyle::Tiled);
    EXPECT_EQ(fresh.AppliedWallpapers()[0].color, kTeal);
}

}  // namespace
}  // namespace pellimore::test
