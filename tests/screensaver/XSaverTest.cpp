// The screen saver program on a real X server (Xvfb): the show, its end by a
// key, the preview inside a window we create, and drawing into a window
// given with -window-id. Skipped when PELLIMORE_X_DISPLAY is not set.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <xcb/xcb.h>

#include <cstdlib>
#include <functional>

#include "platform/store/IniSettingsStore.h"
#include "tests/support/HostilePictures.h"
#include "tests/screensaver/SaverFixture.h"

using namespace pellimore;
using namespace pellimore::test;

namespace {

QString XDisplayName() { return qEnvironmentVariable("PELLIMORE_X_DISPLAY"); }

QString SaverProgram()
{
    return qEnvironmentVariable("PELLIMORE_BINARY_DIR") + QStringLiteral("/screensaver/Wallpaper Pellimore");
}

QImage BuiltIn(const char *name)
{
    return QImage(qEnvironmentVariable("PELLIMORE_BINARY_DIR") + QStringLiteral("/assets/screensaver/pictures/")
                  + QLatin1String(name));
}

// Our own connection to the X server: windows to host the saver, and pixels
// read back from the screen.
class XConnection {
public:
    XConnection()
    {
        // A server that resets after its last client left refuses connections
        // for a moment.
        for (int attempt = 0; attempt < 40; ++attempt) {
            c_ = xcb_connect(XDisplayName().toLocal8Bit().constData(), nullptr);
            if (xcb_connection_has_error(c_) == 0) {
                screen_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
                return;
            }
            xcb_disconnect(c_);
            QThread::msleep(50);
        }
        c_ = xcb_connect(XDisplayName().toLocal8Bit().constData(), nullptr);
    }
    ~XConnection() { xcb_disconnect(c_); }
    bool Ok() const { return screen_ != nullptr; }
    uint32_t Root() const { return screen_->root; }

    uint32_t CreateWindow(int x, int y, int w, int h)
    {
        const uint32_t id = xcb_generate_id(c_);
        const uint32_t values[] = {screen_->black_pixel, 1};  // background, override-redirect
        xcb_create_window(c_, XCB_COPY_FROM_PARENT, id, screen_->root, int16_t(x), int16_t(y), uint16_t(w),
                          uint16_t(h), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen_->root_visual,
                          XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
        xcb_map_window(c_, id);
        xcb_flush(c_);
        return id;
    }
    void DestroyWindow(uint32_t id)
    {
        xcb_destroy_window(c_, id);
        xcb_flush(c_);
    }

    // The pixels of a window (the root for the whole screen).
    QImage Grab(uint32_t window, int x, int y, int w, int h)
    {
        xcb_generic_error_t *error = nullptr;
        xcb_get_image_reply_t *reply = xcb_get_image_reply(
            c_, xcb_get_image(c_, XCB_IMAGE_FORMAT_Z_PIXMAP, window, int16_t(x), int16_t(y), uint16_t(w),
                              uint16_t(h), ~0u),
            &error);
        QImage image;
        if (reply && !error && xcb_get_image_data_length(reply) >= w * h * 4)
            image = QImage(xcb_get_image_data(reply), w, h, w * 4, QImage::Format_RGB32).copy();
        std::free(reply);
        std::free(error);
        return image;
    }
    QImage GrabScreen() { return Grab(Root(), 0, 0, screen_->width_in_pixels, screen_->height_in_pixels); }
    QSize ScreenSize() const { return QSize(screen_->width_in_pixels, screen_->height_in_pixels); }

private:
    xcb_connection_t *c_ = nullptr;
    xcb_screen_t *screen_ = nullptr;
};

bool Near(QRgb a, QRgb b, int tolerance = 24)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance
           && std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

// The share of pixels of a region that are near colour.
double ShareNear(const QImage &image, const QRect &region, QRgb color)
{
    int hits = 0, total = 0;
    for (int y = region.top(); y <= region.bottom(); y += 2)
        for (int x = region.left(); x <= region.right(); x += 2, ++total)
            hits += Near(image.pixel(x, y), color) ? 1 : 0;
    return total ? double(hits) / total : 0;
}

// True when condition becomes true within ms milliseconds.
bool Within(int ms, const std::function<bool()> &condition)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        if (condition())
            return true;
        QThread::msleep(50);
    }
    return condition();
}

class XSaver : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!XDisplayName().isEmpty())
            shared = new XConnection;
    }
    static void TearDownTestSuite()
    {
        delete shared;
        shared = nullptr;
    }
    static inline XConnection *shared = nullptr;

    void SetUp() override
    {
        if (XDisplayName().isEmpty())
            GTEST_SKIP() << "PELLIMORE_X_DISPLAY is not set";
        ASSERT_TRUE(shared && shared->Ok()) << "cannot connect to " << XDisplayName().toStdString();
        ASSERT_TRUE(QFile::exists(SaverProgram()));
        QFile::remove(store.FilePath(QStringLiteral("Corvane")));
        QDir(QDir::homePath()).mkpath(QStringLiteral("pictures"));
        folder = QDir::homePath() + QStringLiteral("/pictures");
    }
    void TearDown() override
    {
        if (saver.state() != QProcess::NotRunning) {
            saver.kill();
            saver.waitForFinished(2000);
        }
    }
    void Configure(const QString &key, const QString &value)
    {
        store.SaveSetting(QStringLiteral("Corvane"), QStringLiteral("ScreenSaver"), key, value);
    }
    QString Stored(const QString &key)
    {
        return store.GetSetting(QStringLiteral("Corvane"), QStringLiteral("ScreenSaver"), key, QStringLiteral("<absent>"));
    }
    void Start(const QStringList &arguments)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), XDisplayName());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.remove(QStringLiteral("XSCREENSAVER_WINDOW"));
        saver.setProcessEnvironment(env);
        saver.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        saver.start(SaverProgram(), arguments);
        ASSERT_TRUE(saver.waitForStarted(5000));
    }
    bool EndsWithin(int ms) { return saver.waitForFinished(ms); }

    XConnection &x = *shared;
    IniSettingsStore store;
    QString folder;
    QProcess saver;
};

}  // namespace

TEST_F(XSaver, ShowsStartPictureThenThePicturesOverGradientAndTitleAndEndsOnAKey)
{
    const QRgb red = qRgb(220, 20, 20), green = qRgb(20, 200, 20), blue = qRgb(20, 20, 230);
    WritePicture(folder, "a.bmp", 120, 90, red);
    WritePicture(folder, "b.bmp", 90, 120, green);
    WritePicture(folder, "c.jpg", 1500, 1100, blue);  // larger than the screen: scaled
    Configure("Folder", folder);
    Configure("Display", "1");
    Start({"/S"});

    const QSize screen = x.ScreenSize();
    const QPoint centre(screen.width() / 2, screen.height() / 2);
    const QImage start = BuiltIn("start.bmp");
    ASSERT_FALSE(start.isNull());
    const auto startShown = [&] {
        const QImage shot = x.GrabScreen();
        return Near(shot.pixel(centre), start.pixel(start.width() / 2, start.height() / 2), 8)
               && Near(shot.pixel(centre.x() - 100, centre.y() - 100),
                       start.pixel(start.width() / 2 - 100, start.height() / 2 - 100), 8);
    };
    // The start picture, centred.
    ASSERT_TRUE(Within(3000, startShown));
    const QImage first = x.GrabScreen();
    // The gradient: the background colour (0, 0, 160) at the top, black at the bottom.
    EXPECT_TRUE(Near(first.pixel(screen.width() - 10, 2), qRgb(0, 0, 160), 6));
    EXPECT_TRUE(Near(first.pixel(screen.width() - 10, screen.height() - 2), qRgb(0, 0, 0), 6));
    EXPECT_GT(qBlue(first.pixel(screen.width() - 10, screen.height() / 4)),
              qBlue(first.pixel(screen.width() - 10, screen.height() * 3 / 4)));
    // The title in white near the top left, below its two empty lines.
    EXPECT_GT(ShareNear(first, QRect(0, 20, 300, 80), qRgb(255, 255, 255)), 0.02);

    // The stored index 1 was shown last: entries 2 and 3, the start picture
    // again, then entry 1; each centred.
    const auto pictureShown = [&](QRgb color) {
        const bool shown = Within(15000, [&] {
            const QImage shot = x.GrabScreen();
            return ShareNear(shot, QRect(centre - QPoint(30, 30), QSize(60, 60)), color) > 0.95;
        });
        if (!shown)
            x.GrabScreen().save(QDir::tempPath() + QStringLiteral("/saver-show-failure.png"));
        return shown;
    };
    EXPECT_TRUE(pictureShown(green));
    EXPECT_TRUE(pictureShown(blue));
    // The oversized picture is scaled to the width of the screen (less its margin).
    EXPECT_TRUE(Within(8000, [&] {
        const QImage big = x.GrabScreen();
        return ShareNear(big, QRect(4, centre.y() - 10, screen.width() - 8, 20), blue) > 0.95
               && ShareNear(big, QRect(0, 0, screen.width(), 10), blue) < 0.05;
    }));
    EXPECT_TRUE(Within(15000, startShown));
    EXPECT_TRUE(pictureShown(red));

    // A key ends the show within a second, and the index is kept.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QProcess key;
    env.insert("DISPLAY", XDisplayName());
    key.setProcessEnvironment(env);
    key.start(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("x")});
    ASSERT_TRUE(key.waitForFinished(5000)) << "xdotool is needed";
    EXPECT_TRUE(EndsWithin(1000));
    EXPECT_EQ(Stored("Index"), "1");
}

TEST_F(XSaver, AKeyEndsTheShowWithinASecondWhateverTheFolderHolds)
{
    // A real photo far larger than the screen, files that claim gigapixels
    // and a cut one: the show decodes or refuses them between its steps.
    const auto write = [this](const char *name, const QByteArray &bytes) {
        QFile file(folder + QLatin1Char('/') + QString::fromLatin1(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    };
    write("a-big.jpg", UniformJpeg(12000, 9000, 30, 160, 90));
    write("b-claims.jpg", JpegClaiming(16000, 16000));
    const QByteArray cut = JpegClaiming(2560, 1600);
    write("c-cut.jpg", cut.left(cut.size() / 2));
    write("d-frames.gif", GifOfHugeFrames());
    write("e-big.jpg", UniformJpeg(9000, 12000, 200, 40, 40));
    Configure("Folder", folder);
    Configure("Display", "1");

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", XDisplayName());
    // Keys at different moments of the show: its start, its first pictures.
    for (const int after : {1200, 1900, 2600, 3300}) {
        SCOPED_TRACE(after);
        Start({"/S"});
        QThread::msleep(after);
        ASSERT_EQ(saver.state(), QProcess::Running);
        QProcess key;
        key.setProcessEnvironment(env);
        key.start(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("x")});
        ASSERT_TRUE(key.waitForFinished(5000)) << "xdotool is needed";
        QElapsedTimer answer;
        answer.start();
        EXPECT_TRUE(EndsWithin(1000)) << "still running " << answer.elapsed() << " ms after the key";
        if (saver.state() != QProcess::NotRunning) {
            saver.kill();
            saver.waitForFinished(2000);
        }
    }
}

TEST_F(XSaver, PreviewShowsInsideTheGivenWindowAndEndsWithIt)
{
    Configure("Folder", folder);
    const uint32_t host = x.CreateWindow(100, 100, 200, 150);
    Start({"/p", QString::number(host)});
    const QImage preview = BuiltIn("preview.bmp");
    ASSERT_FALSE(preview.isNull());
    const QRgb expected = preview.scaled(200, 150).pixel(100, 75);
    EXPECT_TRUE(Within(3000, [&] {
        const QImage shot = x.Grab(host, 0, 0, 200, 150);
        return !shot.isNull() && Near(shot.pixel(100, 75), expected, 12)
               && Near(shot.pixel(190, 10), preview.scaled(200, 150).pixel(190, 10), 12);
    }));
    x.DestroyWindow(host);
    EXPECT_TRUE(EndsWithin(1500));
}

TEST_F(XSaver, PreviewOfNoWindowEndsAtTheFirstTick)
{
    Configure("Folder", folder);
    Start({"/p", "0"});
    EXPECT_TRUE(EndsWithin(2000));
    EXPECT_EQ(saver.exitCode(), 0);
}

TEST_F(XSaver, WindowIdDrawsTheShowIntoThatWindow)
{
    Configure("Folder", folder);
    const uint32_t host = x.CreateWindow(0, 0, 600, 400);
    Start({"-window-id", QStringLiteral("0x%1").arg(host, 0, 16)});
    const QImage start = BuiltIn("start.bmp");
    EXPECT_TRUE(Within(3000, [&] {
        const QImage shot = x.Grab(host, 0, 0, 600, 400);
        // The gradient's top colour, and the start picture at the window's centre.
        return !shot.isNull() && Near(shot.pixel(595, 1), qRgb(0, 0, 160), 8)
               && Near(shot.pixel(300, 200), start.pixel(start.width() / 2, start.height() / 2), 8);
    }));
    // Under xscreensaver the daemon ends the show, not a key.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", XDisplayName());
    QProcess key;
    key.setProcessEnvironment(env);
    key.start(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("x")});
    key.waitForFinished(5000);
    EXPECT_FALSE(EndsWithin(500));
    x.DestroyWindow(host);
}
