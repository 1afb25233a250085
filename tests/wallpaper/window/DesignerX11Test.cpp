// The designer on a real X server (Xvfb, PELLIMORE_X_DISPLAY) with the plain
// X11 desktop: the desktop preview on the root window and its revert, and
// the eyedropper reading the screen.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>

#include <memory>

#include "platform/Platform.h"
#include "platform/ProgramNames.h"
#include "platform/desktop/SystemDesktop.h"
#include "platform/desktop/X11Root.h"
#include "platform/desktop/X11RootBackend.h"
#include "platform/raster/BmpFile.h"
#include "platform/shell/QtShellFolders.h"
#include "platform/store/IniSettingsStore.h"
#include "platform/store/SettingsKeys.h"
#include "tests/support/FixedClock.h"
#include "tests/support/RecordingDesktop.h"
#include "tests/support/RecordingHelp.h"
#include "tests/support/ScriptedInstance.h"
#include "tests/support/ScriptedRandom.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempHome.h"
#include "tests/support/Wptool.h"
#include "wallpaper/forms/ScreenColor.h"
#include "wallpaper/window/DesignerModel.h"
#include "wallpaper/window/MainWindowModel.h"

namespace pellimore::test {
namespace {

QString Display()
{
    return qEnvironmentVariable("PELLIMORE_X_DISPLAY");
}

class SilentMainForm final : public MainWindowView {
public:
    void UpdateControls() override {}
    void ShowSplash(bool) override {}
    void ShowWindow() override {}
    void HideWindow(bool) override {}
    void SetTrayIconShown(bool) override {}
    void PopUpTrayMenu() override {}
    bool AskExit() override { return true; }
    bool ShowReminder(bool) override { return false; }
    void ShowAbout() override {}
    void SetBusy(bool) override {}
    bool ShowAnimatedPreview(const QString &, ColorRef) override { return false; }
    void StopAnimatedPreview() override {}
    void CloseWindow() override {}
    void EndProgram() override {}
    void OpenDesigner() override {}
    void OpenResize() override {}
};

// The designer's view with the real screen reader of the form.
class ScreenReadingDesigner final : public DesignerView {
public:
    void UpdateControls() override {}
    void SetBusy(bool) override {}
    void FocusSetMargins() override {}
    void CloseWindow() override {}
    std::optional<ColorRef> ScreenColorUnderPointer() override { return ReadX11ScreenColorAtPointer(Display()); }
};

QImage Pattern(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb((x * 5) & 255, (y * 7) & 255, (x + y) & 255));
    return image;
}

// The number of pixels that differ between a root read back and a picture.
int Differences(const Bitmap &root, const Bitmap &picture)
{
    if (root.Width() != picture.Width() || root.Height() != picture.Height())
        return -1;
    int differences = 0;
    for (int y = 0; y < root.Height(); ++y)
        for (int x = 0; x < root.Width(); ++x)
            differences += (root.At(x, y) & 0xFFFFFF) != (picture.At(x, y) & 0xFFFFFF);
    return differences;
}

class DesignerX11Test : public testing::Test {
protected:
    void SetUp() override
    {
        if (Display().isEmpty())
            GTEST_SKIP() << "PELLIMORE_X_DISPLAY is not set (scripts/test.sh starts Xvfb)";
        QFile::remove(QDir::homePath() + "/.config/Corvane/Corvane.ini");
        QDir(Pictures()).removeRecursively();
        QDir().mkpath(Pictures() + "/backgrounds");
        ASSERT_TRUE(Pattern(300, 200).save(Pictures() + "/front.bmp", "BMP"));
        QImage tile(64, 48, QImage::Format_RGB32);
        tile.fill(QColor(30, 90, 150));
        ASSERT_TRUE(tile.save(Pictures() + "/backgrounds/tile.bmp", "BMP"));
        const QString section = WallpaperKeys::kSection;
        store.SaveSetting(kApplicationName, section, WallpaperKeys::kFolder, Pictures());
        store.SaveSetting(kApplicationName, section, WallpaperKeys::kStartup, " 0");
        store.SaveSetting(kApplicationName, section, WallpaperKeys::kAutoStartMessage, "1");
        desktop = std::make_unique<SystemDesktop>(std::make_unique<X11RootBackend>(Display()), 0,
                                                  QDir::homePath() + "/.cache/designer-x11");
        app = std::make_unique<WallpaperApp>(WallpaperApp::Services{platform, instance, *desktop, activeDesktop, sound,
                                                               QStringLiteral("/usr/bin/WallPaper")});
        main = std::make_unique<MainWindowModel>(*app, mainForm);
        ASSERT_EQ(app->Start({}), StartOutcome::Running);
        main->FileList_Click(0);
        designer = std::make_unique<DesignerModel>(*main, form);
        designer->Form_Load();
    }
    void TearDown() override
    {
        designer.reset();
        main.reset();
        app.reset();
    }
    static QString Pictures() { return QDir::homePath() + "/x11-pictures"; }
    static Bitmap Root()
    {
        std::optional<Bitmap> root = ReadRootPixmap(Display());
        EXPECT_TRUE(root.has_value());
        return root ? *root : Bitmap();
    }

    IniSettingsStore store;
    ScriptedUi ui;
    QtShellFolders shell{SourcePath("assets"), QDir::homePath() + "/no-program"};
    FixedClock clock;
    ScriptedRandom random;
    RecordingHelp help;
    Platform platform{store, ui, shell, clock, random, help};
    ScriptedInstance instance;
    UnavailableActiveDesktop activeDesktop;
    RecordingSound sound;
    std::unique_ptr<SystemDesktop> desktop;
    std::unique_ptr<WallpaperApp> app;
    SilentMainForm mainForm;
    std::unique_ptr<MainWindowModel> main;
    ScreenReadingDesigner form;
    std::unique_ptr<DesignerModel> designer;
};

TEST_F(DesignerX11Test, ThePreviewPutsTheCompositionOnTheRootAndEndingItRestoresTheRootExactly)
{
    if (qEnvironmentVariableIsEmpty("PELLIMORE_WPTOOL"))
        GTEST_SKIP() << "PELLIMORE_WPTOOL is not set";
    // The program's own wallpaper is on the desktop first.
    const QString own = Pictures() + "/" + kRenderedWallpaperName;
    ASSERT_TRUE(Pattern(1024, 768).mirrored().save(own, "BMP"));
    ASSERT_TRUE(desktop->SetWallpaper(own, WallpaperStyle::Centered).Ok());
    const Bitmap before = Root();
    const ColorRef colorBefore = desktop->BackgroundColor();

    designer->FileList_Click(0);
    designer->cmdPreview_Click();
    ASSERT_TRUE(designer->Previewing());
    const Bitmap previewed = Root();
    EXPECT_GT(Differences(previewed, before), 0) << "the design replaced the wallpaper";

    const QString composed = QDir::homePath() + "/composed.bmp";
    const ToolRun run = Wptool({"compose", Pictures() + "/front.bmp", composed, "--desktop", "1024x768",
                                "--background", Pictures() + "/backgrounds/tile.bmp", "--color",
                                QString::number(designer->Settings().backColor)});
    ASSERT_EQ(run.exitCode, 0) << run.errorText.toStdString();
    const BmpResult expected = ReadBmp(composed);
    ASSERT_FALSE(expected.bitmap.IsNull());
    EXPECT_EQ(Differences(previewed, expected.bitmap), 0);

    designer->cmdPreview_Click();
    EXPECT_FALSE(designer->Previewing());
    EXPECT_EQ(Differences(Root(), before), 0) << "the root picture is back";
    EXPECT_EQ(desktop->BackgroundColor(), colorBefore);
}

TEST_F(DesignerX11Test, TheEyedropperReadsTheColourPaintedOnTheRoot)
{
    const QString xsetroot = QStandardPaths::findExecutable("xsetroot");
    if (xsetroot.isEmpty())
        GTEST_SKIP() << "xsetroot is not installed";
    QProcess paint;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", Display());
    paint.setProcessEnvironment(env);
    paint.start(xsetroot, {"-solid", "#123456"});
    ASSERT_TRUE(paint.waitForFinished(10000));
    ASSERT_EQ(paint.exitCode(), 0);

    designer->optBackType_Click(BackgroundType::Gradient);
    designer->optColor_Click(1);
    designer->imgCursor_MouseDown();
    designer->Timer1_Timer();
    EXPECT_EQ(designer->SamplingColor(), std::optional<ColorRef>(Rgb(0x12, 0x34, 0x56)));
    designer->imgCursor_MouseUp();
    EXPECT_EQ(designer->EndColor(), Rgb(0x12, 0x34, 0x56));
}

}  // namespace
}  // namespace pellimore::test
