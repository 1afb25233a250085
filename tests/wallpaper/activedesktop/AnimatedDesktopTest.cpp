// The animated desktop of plain X11 sessions on a real X server with a real
// window manager (a private Xvfb with openbox), driven the way the program
// drives it: the schedule's next picture, through the installer, with the
// real X11 desktop below.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <memory>

#include "platform/Platform.h"
#include "platform/ProgramNames.h"
#include "platform/desktop/SystemDesktop.h"
#include "platform/desktop/X11Root.h"
#include "platform/desktop/X11RootBackend.h"
#include "platform/shell/QtShellFolders.h"
#include "platform/store/IniSettingsStore.h"
#include "platform/store/SettingsKeys.h"
#include "tests/support/FixedClock.h"
#include "tests/support/RecordingDesktop.h"
#include "tests/support/RecordingHelp.h"
#include "tests/support/ScriptedRandom.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempHome.h"
#include "tests/wallpaper/activedesktop/XSession.h"
#include "tests/wallpaper/codecs/GifTestFiles.h"
#include "wallpaper/activedesktop/X11ActiveDesktop.h"
#include "wallpaper/changer/ChangerState.h"
#include "wallpaper/changer/PictureLibrary.h"
#include "wallpaper/changer/PictureViewModel.h"
#include "wallpaper/changer/Schedule.h"
#include "wallpaper/changer/Settings.h"
#include "wallpaper/changer/ShellIntegration.h"
#include "wallpaper/changer/WallpaperInstaller.h"
#include "wallpaper/codecs/GifPlayer.h"

namespace pellimore {
namespace {

using test::XClient;
using test::XSession;

constexpr ColorRef kRed = Rgb(220, 0, 0), kBlue = Rgb(0, 0, 200), kYellow = Rgb(240, 240, 0);
constexpr ColorRef kBack = Rgb(0, 96, 64);  // every entry's desktop colour

// Frames of 64 x 48: red, blue, yellow, each for delayCs hundredths.
QByteArray ThreeFrameGif(int loops, std::vector<int> delays = {10, 10, 10})
{
    test::GifBuilder gif(64, 48);
    gif.GlobalTable({Rgb(0, 0, 0), kRed, kBlue, kYellow}).Netscape(loops);
    for (int i = 0; i < 3; ++i)
        gif.Control(1, delays[std::size_t(i)]).SolidImage(0, 0, 64, 48, uint8_t(i + 1));
    return gif.Trailer().Bytes();
}

QRgb ToQRgb(ColorRef c)
{
    return qRgb(RedOf(c), GreenOf(c), BlueOf(c));
}

// The smallest rectangle holding every pixel in which the two images differ.
QRect Difference(const QImage &a, const QImage &b)
{
    QRect changed;
    for (int y = 0; y < a.height(); ++y) {
        const auto *ra = reinterpret_cast<const QRgb *>(a.constScanLine(y));
        const auto *rb = reinterpret_cast<const QRgb *>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            if ((ra[x] & 0xFFFFFF) != (rb[x] & 0xFFFFFF))
                changed |= QRect(x, y, 1, 1);
        }
    }
    return changed;
}

class AnimatedDesktopTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!XSession::Start(&why_))
            return;
    }
    static void TearDownTestSuite() { XSession::Stop(); }

    void SetUp() override
    {
        if (XSession::Display().isEmpty())
            GTEST_SKIP() << why_.toStdString();
        desktop_ = std::make_unique<SystemDesktop>(std::make_unique<X11RootBackend>(XSession::Display()), 0,
                                                   cache.path());
        active_ = std::make_unique<X11ActiveDesktop>(XSession::Display(), *desktop_);
        installer_ = std::make_unique<WallpaperInstaller>(state, platform, *desktop_, *active_, sound);
        view_ = std::make_unique<PictureViewModel>(state, library, platform, *desktop_, *installer_);
        schedule_ = std::make_unique<Schedule>(state, library, *view_, *installer_, platform);
        schedule_->SetListener(&listener_);
        state.PictureFolder = folder.path();
        state.MyDocsPath = QDir::homePath() + "/";
        state.ScheduleKind = QStringLiteral("Daily");
        state.NextChangeDate = ShortDateText(clock.Today());
        state.NoActiveDesktop = 0;
    }
    void TearDown() override
    {
        if (active_)
            active_->Disable();
    }

    void WriteFile(const QString &name, const QByteArray &bytes)
    {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    void AddJpeg(const QString &name, QColor colour)
    {
        QImage image(200, 100, QImage::Format_RGB32);
        image.fill(colour);
        ASSERT_TRUE(image.save(folder.filePath(name), "JPEG", 100));
    }
    void Start()
    {
        state.Loading = true;
        library.ScanPictureFolder();
        library.ReadPictureData();
        for (PictureRecord &record : library.Records())
            record.BackColor = kBack;
        state.Loading = false;
        state.SelectedIndex = 0;
        view_->MeasureDesktop();
    }
    // Changes to the next picture until `name` is the wallpaper.
    void ChangeTo(const QString &name)
    {
        for (int attempt = 0; attempt < 4; ++attempt) {
            ASSERT_TRUE(schedule_->NextWallpaper());
            if (library.Records()[std::size_t(state.CurrentIndex - 1)].FileName == name)
                return;
        }
        FAIL() << "never changed to " << name.toStdString();
    }
    // Waits until frame `frame` shows, then for the server to draw it.
    QImage ScreenshotOfFrame(int frame)
    {
        int shown = 0;
        const auto connection =
            QObject::connect(active_.get(), &X11ActiveDesktop::FrameShown, [&](int f, int) { shown = f; });
        const bool reached = test::WaitFor([&] { return shown == frame; }, 5000);
        QObject::disconnect(connection);
        if (!reached)
            return QImage();
        test::Spin(30);
        return x.Screenshot();
    }

    static inline QString why_;
    QTemporaryDir folder;
    QTemporaryDir configFolder;
    QTemporaryDir cache;
    IniSettingsStore store{configFolder.path()};
    test::ScriptedUi ui;
    QtShellFolders shell{test::SourcePath("assets"), QDir::homePath() + "/no-program"};
    test::FixedClock clock;
    test::ScriptedRandom random;
    test::RecordingHelp help;
    Platform platform{store, ui, shell, clock, random, help};
    test::RecordingSound sound;
    ChangerState state;
    PictureLibrary library{state, platform};
    std::unique_ptr<SystemDesktop> desktop_;
    std::unique_ptr<X11ActiveDesktop> active_;
    std::unique_ptr<WallpaperInstaller> installer_;
    std::unique_ptr<PictureViewModel> view_;
    std::unique_ptr<Schedule> schedule_;
    struct : ScheduleListener {
        bool ShowAnimatedPreview() override { return true; }
    } listener_;
    XClient x;
};

TEST_F(AnimatedDesktopTest, AnimatedGifPlaysInOurDesktopWindowBelowOthersUntilAJpegFollows)
{
    WriteFile(QStringLiteral("anim.gif"), ThreeFrameGif(0));
    AddJpeg(QStringLiteral("still.jpg"), QColor(250, 250, 250));
    Start();
    ChangeTo(QStringLiteral("anim.gif"));
    ASSERT_TRUE(active_->Showing());
    EXPECT_EQ(state.NoActiveDesktop, 0) << "no failure";
    EXPECT_TRUE(installer_->ActiveDesktopMenuEnabled());

    // One window for the one monitor, of the desktop type, kept below, off
    // the task bar and pager, managed by the window manager.
    ASSERT_EQ(active_->Windows().size(), 1u);
    const xcb_window_t ours = active_->Windows().front();
    ASSERT_TRUE(test::WaitFor([&] {
        const std::vector<xcb_window_t> list = x.Stacking();
        return std::find(list.begin(), list.end(), ours) != list.end();
    }));
    EXPECT_EQ(x.Property32(ours, "_NET_WM_WINDOW_TYPE"),
              std::vector<uint32_t>{x.Atom("_NET_WM_WINDOW_TYPE_DESKTOP")});
    const std::vector<uint32_t> wmState = x.Property32(ours, "_NET_WM_STATE");
    for (const char *flag : {"_NET_WM_STATE_BELOW", "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"})
        EXPECT_NE(std::find(wmState.begin(), wmState.end(), x.Atom(flag)), wmState.end()) << flag;

    // A normal window opened afterwards stays above ours.
    const QRect normalRect(40, 40, 200, 150);
    const xcb_window_t normal = x.OpenWindow(normalRect, 0x00FF00);
    ASSERT_TRUE(test::WaitFor([&] {
        const std::vector<xcb_window_t> list = x.Stacking();
        return std::find(list.begin(), list.end(), normal) != list.end();
    }));
    test::Spin(200);
    const std::vector<xcb_window_t> stacking = x.Stacking();
    EXPECT_LT(std::find(stacking.begin(), stacking.end(), ours) - stacking.begin(),
              std::find(stacking.begin(), stacking.end(), normal) - stacking.begin());

    // Two screenshots some frames apart differ where the GIF is and nowhere
    // else: the GIF centred on the screen, the entry's colour around it, the
    // normal window on top.
    const QImage red = ScreenshotOfFrame(1);
    const QImage blue = ScreenshotOfFrame(2);
    ASSERT_FALSE(red.isNull());
    ASSERT_FALSE(blue.isNull());
    const QRect gif((1024 - 64) / 2, (768 - 48) / 2, 64, 48);
    EXPECT_EQ(Difference(red, blue), gif);
    EXPECT_EQ(red.pixel(gif.center()), ToQRgb(kRed));
    EXPECT_EQ(blue.pixel(gif.center()), ToQRgb(kBlue));
    EXPECT_EQ(red.pixel(gif.left() - 1, gif.top()), ToQRgb(kBack));
    EXPECT_EQ(red.pixel(1023, 767), ToQRgb(kBack));
    EXPECT_EQ(red.pixel(normalRect.center()), qRgb(0, 255, 0));
    EXPECT_EQ(ScreenshotOfFrame(3).pixel(gif.center()), ToQRgb(kYellow));
    EXPECT_EQ(ScreenshotOfFrame(1).pixel(gif.center()), ToQRgb(kRed)) << "the GIF loops";

    // The still frame lies below as the fall-back.
    const std::optional<Bitmap> root = ReadRootPixmap(XSession::Display());
    ASSERT_TRUE(root.has_value());
    EXPECT_EQ(root->At(gif.center().x(), gif.center().y()) & 0xFFFFFF, PixelFromColorRef(kRed) & 0xFFFFFF);

    // The next change, to a JPEG, removes the window.
    ChangeTo(QStringLiteral("still.jpg"));
    EXPECT_FALSE(active_->Showing());
    x.Sync();
    EXPECT_FALSE(x.Exists(ours));
    test::Spin(100);
    EXPECT_EQ(qRed(x.Screenshot().pixel(512, 384)), 250) << "the JPEG shows";
    x.Close(normal);
}

TEST_F(AnimatedDesktopTest, AnotherDesktopWindowMakesTheAttemptFailAndTheStillFrameIsSet)
{
    WriteFile(QStringLiteral("anim.gif"), ThreeFrameGif(0));
    AddJpeg(QStringLiteral("still.jpg"), QColor(250, 250, 250));
    Start();
    // A still picture through our animated desktop first, while no other
    // program draws the desktop.
    ChangeTo(QStringLiteral("still.jpg"));
    ASSERT_EQ(state.NoActiveDesktop, 0);
    EXPECT_FALSE(active_->Showing());

    const xcb_window_t dummy = x.OpenWindow(QRect(0, 0, 1024, 768), 0x000000, true);
    ASSERT_TRUE(test::WaitFor([&] {
        const std::vector<xcb_window_t> list = x.Stacking();
        return std::find(list.begin(), list.end(), dummy) != list.end();
    }));
    ui.ExpectMessage(kActiveDesktopText + QStringLiteral("\n") + kNoAnimationText, kActiveDesktopTitle,
                     MessageResult::Ok)
        .WithIcon(MessageIcon::Critical);
    ChangeTo(QStringLiteral("anim.gif"));
    x.Close(dummy);

    EXPECT_FALSE(active_->Showing());
    EXPECT_TRUE(active_->Windows().empty());
    EXPECT_EQ(state.NoActiveDesktop, 1);
    EXPECT_FALSE(installer_->ActiveDesktopMenuEnabled());
    EXPECT_EQ(store.GetSetting(kApplicationName, WallpaperKeys::kSection, QStringLiteral("AD")), QStringLiteral(" 1"));
    // The GIF's still frame is the wallpaper, over the entry's colour.
    const std::optional<Bitmap> root = ReadRootPixmap(XSession::Display());
    ASSERT_TRUE(root.has_value());
    EXPECT_EQ(root->At(512, 384) & 0xFFFFFF, PixelFromColorRef(kRed) & 0xFFFFFF);
    EXPECT_EQ(root->At(5, 5) & 0xFFFFFF, PixelFromColorRef(kBack) & 0xFFFFFF);
}

TEST_F(AnimatedDesktopTest, LoopsAndFrameTimesFollowTheGifPlayer)
{
    // Two passes; the second and third frames ask for less than the
    // player's minimum delay.
    WriteFile(QStringLiteral("twice.gif"), ThreeFrameGif(2, {12, 0, 3}));
    const QString path = folder.filePath(QStringLiteral("twice.gif"));

    // What the animated GIF control's player does with the file.
    std::vector<std::pair<int, int>> expected;
    GifPlayer player;
    ASSERT_TRUE(player.LoadGIF(path));
    QObject::connect(&player, &GifPlayer::AnimationProgress,
                     [&](int frame) { expected.emplace_back(frame, player.tmrGIF().interval()); });
    bool expired = false;
    QObject::connect(&player, &GifPlayer::AnimationLoopExpired, [&] { expired = true; });
    player.SetAnimate(true);
    ASSERT_TRUE(test::WaitFor([&] { return expired; }));

    std::vector<std::pair<int, int>> shown;
    QObject::connect(active_.get(), &X11ActiveDesktop::FrameShown,
                     [&](int frame, int interval) { shown.emplace_back(frame, interval); });
    ASSERT_TRUE(active_->SetWallpaper(path, WallpaperStyle::Centered, kBack, false).Ok());
    ASSERT_TRUE(test::WaitFor([&] { return !active_->Running(); }));
    EXPECT_TRUE(active_->Showing()) << "the last frame stays";
    EXPECT_TRUE(active_->Replaying()) << "the second pass came from the frames kept on the server";
    const std::vector<std::pair<int, int>> twice = {{1, 120}, {2, 50}, {3, 50}, {1, 120}, {2, 50}, {3, 50}};
    EXPECT_EQ(expected, twice);
    EXPECT_EQ(shown, twice);
    test::Spin(50);
    EXPECT_EQ(x.Screenshot().pixel(512, 384), ToQRgb(kYellow));
}

TEST_F(AnimatedDesktopTest, LaterPassesShowWhatTheFirstPassShowed)
{
    // Small frames over a full first one: one kept, one cleared by its
    // disposal, so each later frame changes only a part of the picture.
    test::GifBuilder gif(64, 48);
    gif.GlobalTable({Rgb(0, 0, 0), kRed, kBlue, kYellow}).Netscape(0);
    gif.Control(1, 10).SolidImage(0, 0, 64, 48, 1);
    gif.Control(1, 10).SolidImage(8, 8, 16, 16, 2);
    gif.Control(2, 10).SolidImage(40, 20, 16, 16, 3);
    gif.Control(1, 10).SolidImage(30, 30, 8, 8, 2);
    WriteFile(QStringLiteral("parts.gif"), gif.Trailer().Bytes());
    ASSERT_TRUE(
        active_->SetWallpaper(folder.filePath(QStringLiteral("parts.gif")), WallpaperStyle::Centered, kBack, false).Ok());
    std::vector<QImage> first;
    for (int frame = 1; frame <= 4; ++frame)
        first.push_back(ScreenshotOfFrame(frame));
    for (int frame = 1; frame <= 4; ++frame) {
        const QImage later = ScreenshotOfFrame(frame);
        ASSERT_TRUE(active_->Replaying());
        ASSERT_FALSE(later.isNull());
        EXPECT_TRUE(Difference(first[std::size_t(frame - 1)], later).isEmpty()) << "frame " << frame;
    }
    const QPoint gifAt((1024 - 64) / 2, (768 - 48) / 2);
    EXPECT_EQ(first[2].pixel(gifAt + QPoint(10, 10)), ToQRgb(kBlue)) << "kept from frame 2";
    EXPECT_EQ(first[2].pixel(gifAt + QPoint(42, 22)), ToQRgb(kYellow));
    // The player clears an opaque GIF's disposed area to the GIF's own
    // background colour (index 0, black).
    EXPECT_EQ(first[3].pixel(gifAt + QPoint(42, 22)), qRgb(0, 0, 0)) << "frame 3 cleared by its disposal";
    EXPECT_EQ(first[3].pixel(gifAt + QPoint(10, 10)), ToQRgb(kBlue));
}

TEST_F(AnimatedDesktopTest, AGifOverTheFrameBudgetIsDrawnByThePlayerThroughout)
{
    WriteFile(QStringLiteral("twice.gif"), ThreeFrameGif(2));
    active_->SetFrameBudget(64 * 48 * 4);  // room for one frame only
    std::vector<int> shown;
    QObject::connect(active_.get(), &X11ActiveDesktop::FrameShown, [&](int frame, int) { shown.push_back(frame); });
    ASSERT_TRUE(
        active_->SetWallpaper(folder.filePath(QStringLiteral("twice.gif")), WallpaperStyle::Centered, kBack, false).Ok());
    const QImage blue = ScreenshotOfFrame(2);
    ASSERT_FALSE(blue.isNull());
    EXPECT_EQ(blue.pixel(512, 384), ToQRgb(kBlue));
    ASSERT_TRUE(test::WaitFor([&] { return !active_->Running(); }));
    EXPECT_FALSE(active_->Replaying());
    EXPECT_EQ(shown, (std::vector<int>{1, 2, 3, 1, 2, 3}));
    test::Spin(30);
    EXPECT_EQ(x.Screenshot().pixel(512, 384), ToQRgb(kYellow));
}

TEST_F(AnimatedDesktopTest, StretchedFramesCoverTheMonitor)
{
    WriteFile(QStringLiteral("anim.gif"), ThreeFrameGif(0));
    ASSERT_TRUE(
        active_->SetWallpaper(folder.filePath(QStringLiteral("anim.gif")), WallpaperStyle::Stretched, kBack, false).Ok());
    const QImage blue = ScreenshotOfFrame(2);
    ASSERT_FALSE(blue.isNull());
    for (const QPoint corner : {QPoint(1, 1), QPoint(1022, 1), QPoint(1, 766), QPoint(1022, 766), QPoint(512, 384)})
        EXPECT_EQ(blue.pixel(corner), ToQRgb(kBlue)) << corner.x() << "," << corner.y();
}

TEST_F(AnimatedDesktopTest, PausesWhileCoveredAndFollowsMonitorChanges)
{
    WriteFile(QStringLiteral("anim.gif"), ThreeFrameGif(0));
    const QString path = folder.filePath(QStringLiteral("anim.gif"));
    ASSERT_TRUE(active_->SetWallpaper(path, WallpaperStyle::Tiled, kBack, false).Ok());
    int frames = 0;
    QObject::connect(active_.get(), &X11ActiveDesktop::FrameShown, [&](int, int) { ++frames; });
    ASSERT_TRUE(test::WaitFor([&] { return frames >= 4; }));
    // Tiled from the monitor's corner.
    const QImage tiled = x.Screenshot();
    EXPECT_EQ(tiled.pixel(3, 3), tiled.pixel(64 + 3, 48 + 3));
    EXPECT_NE(tiled.pixel(3, 3), ToQRgb(kBack));

    // A window over the whole screen pauses the animation.
    const xcb_window_t cover = x.OpenWindow(QRect(0, 0, 1024, 768), 0x202020, false, true);
    ASSERT_TRUE(test::WaitFor([&] { return active_->Paused(); }));
    const int pausedAt = frames;
    test::Spin(400);
    EXPECT_EQ(frames, pausedAt);
    x.Close(cover);
    ASSERT_TRUE(test::WaitFor([&] { return !active_->Paused() && frames > pausedAt + 1; }));

    // The monitor changes its mode: the window follows it.
    auto xrandr = [](const QStringList &args) {
        return QProcess::execute(QStringLiteral("xrandr"),
                                 QStringList{QStringLiteral("-display"), XSession::Display()} + args);
    };
    xrandr({"--newmode", "pellimore-800", "40", "800", "840", "968", "1056", "600", "601", "605", "628"});
    xrandr({"--addmode", "screen", "pellimore-800"});
    if (xrandr({"--output", "screen", "--mode", "pellimore-800"}) != 0)
        GTEST_SKIP() << "xrandr cannot change the mode here";
    const bool followed =
        test::WaitFor([&] { return active_->Monitors() == std::vector<QRect>{QRect(0, 0, 800, 600)}; });
    xrandr({"--output", "screen", "--mode", "1024x768"});
    ASSERT_TRUE(followed);
    ASSERT_TRUE(test::WaitFor([&] { return active_->Monitors() == std::vector<QRect>{QRect(0, 0, 1024, 768)}; }));
    const int shownBefore = frames;
    ASSERT_TRUE(test::WaitFor([&] { return frames > shownBefore + 1; }));
    test::Spin(30);
    const QImage after = x.Screenshot();
    EXPECT_EQ(after.pixel(1024 - 64 + 3, 768 - 48 + 3), after.pixel(3, 3)) << "tiled over the whole screen again";
    EXPECT_NE(after.pixel(3, 3), ToQRgb(kBack));
    EXPECT_TRUE(active_->Running());
}

}  // namespace
}  // namespace pellimore
