// The wlroots backend against a real sway, started headless with the pixman
// renderer, and the real swaybg: grim takes the output's picture, which is
// compared with the rendering the style should give. sway refuses to run as
// root, so a root test runs it as the user "nobody".
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <atomic>
#include <pwd.h>
#include <signal.h>
#include <thread>
#include <unistd.h>

#include "platform/desktop/OtherBackends.h"
#include "platform/desktop/ProcessRunner.h"
#include "tests/support/QtPrinters.h"

namespace pellimore {
namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;

// sway on a private runtime folder, ended with the object.
class HeadlessSway {
public:
    ~HeadlessSway()
    {
        if (sway_.state() != QProcess::NotRunning) {
            sway_.terminate();
            if (!sway_.waitForFinished(3000))
                sway_.kill();
            sway_.waitForFinished(1000);
        }
    }

    // Starts sway and waits until its output can be captured; false with the
    // reason when it cannot run here.
    bool Start(std::string *why)
    {
        for (const char *program : {"sway", "swaybg", "grim"}) {
            if (QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty()) {
                *why = std::string(program) + " is not installed (Debian packages sway, swaybg, grim)";
                return false;
            }
        }
        if (!dir_.isValid()) {
            *why = "no temporary folder";
            return false;
        }
        QStringList command{QStringLiteral("sway"), QStringLiteral("-c"), dir_.filePath(QStringLiteral("config"))};
        const QString runtime = dir_.filePath(QStringLiteral("run"));
        QDir().mkpath(runtime);
        if (::geteuid() == 0) {
            // The compositor's user must reach its folder; the test, as root,
            // reaches the compositor's socket whatever its owner.
            const passwd *nobody = ::getpwnam("nobody");
            if (!nobody || QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty()) {
                *why = "running as root without the user nobody or setpriv to start sway as another user";
                return false;
            }
            QFile::setPermissions(dir_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                   QFile::ReadOther | QFile::ExeOther | QFile::ReadGroup |
                                                   QFile::ExeGroup);
            if (::chown(QFile::encodeName(runtime).constData(), nobody->pw_uid, nobody->pw_gid) != 0) {
                *why = "cannot hand the runtime folder to the user nobody";
                return false;
            }
            command = QStringList{QStringLiteral("setpriv"), QStringLiteral("--reuid=%1").arg(nobody->pw_uid),
                                  QStringLiteral("--regid=%1").arg(nobody->pw_gid), QStringLiteral("--clear-groups"),
                                  QStringLiteral("--")} +
                      command;
        }
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile config(dir_.filePath(QStringLiteral("config")));
        if (!config.open(QIODevice::WriteOnly)) {
            *why = "cannot write sway's configuration";
            return false;
        }
        // No background of sway's own: what shows is sway's grey or our swaybg.
        config.write(QStringLiteral("swaybg_command -\nxwayland disable\noutput * mode %1x%2\n")
                         .arg(kWidth)
                         .arg(kHeight)
                         .toUtf8());
        config.close();
        QFile::setPermissions(config.fileName(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther |
                                                     QFile::ReadGroup);

        QProcessEnvironment env;
        env.insert(QStringLiteral("PATH"), qEnvironmentVariable("PATH"));
        env.insert(QStringLiteral("HOME"), dir_.path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        env.insert(QStringLiteral("WLR_BACKENDS"), QStringLiteral("headless"));
        env.insert(QStringLiteral("WLR_LIBINPUT_NO_DEVICES"), QStringLiteral("1"));
        env.insert(QStringLiteral("WLR_RENDERER"), QStringLiteral("pixman"));
        sway_.setProcessEnvironment(env);
        sway_.setProcessChannelMode(QProcess::MergedChannels);
        sway_.start(command.takeFirst(), command);
        if (!sway_.waitForStarted(5000)) {
            *why = "sway could not be started: " + sway_.errorString().toStdString();
            return false;
        }
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 10000) {
            if (sway_.state() == QProcess::NotRunning) {
                *why = "sway ended at start: " + sway_.readAll().right(600).toStdString();
                return false;
            }
            const QStringList sockets =
                QDir(runtime).entryList({QStringLiteral("wayland-*")}, QDir::System | QDir::Files);
            for (const QString &socket : sockets) {
                if (!socket.endsWith(QLatin1String(".lock")))
                    display_ = socket;
            }
            if (!display_.isEmpty()) {
                runtime_ = runtime;
                if (Screenshot())
                    return true;
            }
            QThread::msleep(50);
        }
        *why = "sway showed no output within 10 s: " + sway_.readAll().right(600).toStdString();
        return false;
    }

    QString Runtime() const { return runtime_; }
    QString Display() const { return display_; }

    // The output as grim captures it; nothing when grim fails.
    std::optional<QImage> Screenshot() const
    {
        QProcess grim;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_);
        env.insert(QStringLiteral("WAYLAND_DISPLAY"), display_);
        grim.setProcessEnvironment(env);
        grim.start(QStringLiteral("grim"), {QStringLiteral("-t"), QStringLiteral("ppm"), QStringLiteral("-")});
        if (!grim.waitForFinished(5000) || grim.exitCode() != 0)
            return std::nullopt;
        QImage image = QImage::fromData(grim.readAllStandardOutput(), "PPM");
        if (image.isNull())
            return std::nullopt;
        return image.convertToFormat(QImage::Format_RGB32);
    }

private:
    QTemporaryDir dir_{QDir::tempPath() + QStringLiteral("/pellimore-sway-XXXXXX")};
    QProcess sway_;
    QString runtime_;
    QString display_;
};

// Where the picture and the screenshot differ, as a message; "" when they match.
std::string Difference(const QImage &actual, const QImage &expected)
{
    if (actual.size() != expected.size())
        return "the output is " + std::to_string(actual.width()) + "x" + std::to_string(actual.height());
    int count = 0;
    std::string first;
    for (int y = 0; y < actual.height(); ++y) {
        for (int x = 0; x < actual.width(); ++x) {
            const QRgb a = actual.pixel(x, y) & 0xFFFFFF;
            const QRgb e = expected.pixel(x, y) & 0xFFFFFF;
            if (a != e && count++ == 0) {
                first = QStringLiteral("(%1, %2) is %3, expected %4")
                            .arg(x)
                            .arg(y)
                            .arg(a, 6, 16, QLatin1Char('0'))
                            .arg(e, 6, 16, QLatin1Char('0'))
                            .toStdString();
            }
        }
    }
    return count == 0 ? std::string() : std::to_string(count) + " pixels differ, first " + first;
}

// A picture whose every pixel differs from its neighbours, so an offset by
// one pixel shows.
QImage Pattern(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x * 5 % 256, y * 7 % 256, (x * 3 + y * 11) % 256));
    }
    return image;
}

// True while the process runs (an ended child not yet reaped does not).
bool Running(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = stat.readAll();
    const qsizetype close = text.lastIndexOf(')');
    return close > 0 && close + 2 < text.size() && text.at(close + 2) != 'Z';
}

class SwaybgRealTest : public testing::Test {
protected:
    void SetUp() override
    {
        std::string why;
        if (!sway_.Start(&why))
            GTEST_SKIP() << "no headless sway here: " << why;
        savedRuntime_ = qgetenv("XDG_RUNTIME_DIR");
        savedDisplay_ = qgetenv("WAYLAND_DISPLAY");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(sway_.Runtime()));
        qputenv("WAYLAND_DISPLAY", QFile::encodeName(sway_.Display()));
        backend_ = std::make_unique<SwaybgBackend>(runner_, files_.filePath(QStringLiteral("swaybg.pid")));
    }
    void TearDown() override
    {
        // Our swaybg goes with the compositor; ending it first keeps its exit quiet.
        QFile pid(files_.filePath(QStringLiteral("swaybg.pid")));
        if (pid.open(QIODevice::ReadOnly))
            runner_.Terminate(pid.readAll().trimmed().toLongLong(), QStringLiteral("swaybg"));
        if (!savedRuntime_.isNull()) {
            qputenv("XDG_RUNTIME_DIR", savedRuntime_);
            if (savedDisplay_.isNull())
                qunsetenv("WAYLAND_DISPLAY");
            else
                qputenv("WAYLAND_DISPLAY", savedDisplay_);
        }
    }

    // The picture saved as the program saves it (a Windows bitmap).
    QString Save(const QImage &picture, const QString &name)
    {
        const QString path = files_.filePath(name);
        EXPECT_TRUE(picture.save(path, "BMP"));
        return path;
    }

    // Applies, then waits until the output settles on a picture other than
    // `before`, at most 5 s; returns the last screenshot.
    QImage ApplyAndCapture(const WallpaperSettings &settings, const QImage &before = QImage())
    {
        const DesktopResult result = backend_->Apply(settings);
        EXPECT_TRUE(result.Ok()) << result.error.toStdString();
        QElapsedTimer timer;
        timer.start();
        QImage shot;
        while (timer.elapsed() < 5000) {
            if (const std::optional<QImage> taken = sway_.Screenshot()) {
                // Two equal screenshots in a row, different from before: swaybg has drawn.
                if (!shot.isNull() && *taken == shot && *taken != before)
                    return shot;
                shot = *taken;
            }
            QThread::msleep(30);
        }
        return shot;
    }

    HeadlessSway sway_;
    QTemporaryDir files_;
    SystemProcessRunner runner_;
    std::unique_ptr<SwaybgBackend> backend_;
    QByteArray savedRuntime_, savedDisplay_;
};

TEST_F(SwaybgRealTest, CenteredShowsThePictureAtItsSizeOverTheEntryColour)
{
    const QImage picture = Pattern(40, 30);
    const ColorRef color = Rgb(0x12, 0x80, 0xe0);
    const QImage shot = ApplyAndCapture({Save(picture, QStringLiteral("centred.bmp")), WallpaperStyle::Centered, color});
    QImage expected(kWidth, kHeight, QImage::Format_RGB32);
    expected.fill(QColor(0x12, 0x80, 0xe0));
    QPainter(&expected).drawImage((kWidth - 40) / 2, (kHeight - 30) / 2, picture);
    EXPECT_EQ(Difference(shot, expected), "");
}

TEST_F(SwaybgRealTest, TiledRepeatsThePictureFromTheTopLeftCorner)
{
    const QImage picture = Pattern(48, 36);  // tiles cut off at the right and bottom
    const QImage shot =
        ApplyAndCapture({Save(picture, QStringLiteral("tiled.bmp")), WallpaperStyle::Tiled, Rgb(255, 0, 0)});
    QImage expected(kWidth, kHeight, QImage::Format_RGB32);
    QPainter(&expected).drawTiledPixmap(expected.rect(), QPixmap::fromImage(picture));
    EXPECT_EQ(Difference(shot, expected), "");
}

TEST_F(SwaybgRealTest, StretchedCoversTheOutputWithinSwaybgsSmoothing)
{
    // Four blocks of 20 x 15 pixels, stretched eight times to 160 x 120.
    // swaybg scales smoothly: a pixel within half a stretched source pixel
    // (4 pixels) of a block's edge blends its neighbours, and at the output's
    // edge the background colour; one pixel more is allowed for rounding.
    // Every other pixel must be the block's colour exactly.
    const QRgb blocks[2][2] = {{qRgb(255, 0, 0), qRgb(0, 0, 255)}, {qRgb(255, 255, 0), qRgb(0, 160, 80)}};
    QImage picture(40, 30, QImage::Format_RGB32);
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 40; ++x)
            picture.setPixel(x, y, blocks[y / 15][x / 20]);
    }
    const QImage shot =
        ApplyAndCapture({Save(picture, QStringLiteral("stretched.bmp")), WallpaperStyle::Stretched, Rgb(0, 255, 0)});
    ASSERT_EQ(shot.size(), QSize(kWidth, kHeight));
    constexpr int kBlend = 8 / 2 + 1;
    int checked = 0;
    std::string first;
    int wrong = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const int dx = std::min({x, kWidth - 1 - x, std::abs(x - 160) - (x < 160 ? 1 : 0)});
            const int dy = std::min({y, kHeight - 1 - y, std::abs(y - 120) - (y < 120 ? 1 : 0)});
            if (dx < kBlend || dy < kBlend)
                continue;
            ++checked;
            const QRgb want = blocks[y / 120][x / 160] & 0xFFFFFF;
            const QRgb got = shot.pixel(x, y) & 0xFFFFFF;
            if (got != want && wrong++ == 0)
                first = QStringLiteral("(%1, %2) is %3").arg(x).arg(y).arg(got, 6, 16, QLatin1Char('0')).toStdString();
        }
    }
    EXPECT_GT(checked, kWidth * kHeight * 3 / 4);
    EXPECT_EQ(wrong, 0) << first;
}

TEST_F(SwaybgRealTest, ASecondChangeReplacesTheFirstSwaybgWithoutShowingGrey)
{
    const QImage first = ApplyAndCapture(
        {Save(Pattern(40, 30), QStringLiteral("first.bmp")), WallpaperStyle::Centered, Rgb(0, 0, 0x80)});
    ASSERT_FALSE(first.isNull());
    QFile pidFile(files_.filePath(QStringLiteral("swaybg.pid")));
    ASSERT_TRUE(pidFile.open(QIODevice::ReadOnly));
    const qint64 firstPid = pidFile.readAll().trimmed().toLongLong();
    pidFile.close();

    // Screenshots all through the change, and a little after it.
    std::atomic<bool> done{false};
    std::vector<QImage> frames;
    std::thread watcher([&] {
        while (!done) {
            if (const std::optional<QImage> shot = sway_.Screenshot())
                frames.push_back(*shot);
        }
    });
    const QImage second = ApplyAndCapture(
        {Save(Pattern(60, 20), QStringLiteral("second.bmp")), WallpaperStyle::Centered, Rgb(0x80, 0, 0)}, first);
    QThread::msleep(300);
    done = true;
    watcher.join();

    QImage expected(kWidth, kHeight, QImage::Format_RGB32);
    expected.fill(QColor(0x80, 0, 0));
    QPainter(&expected).drawImage((kWidth - 60) / 2, (kHeight - 20) / 2, Pattern(60, 20));
    EXPECT_EQ(Difference(second, expected), "");
    ASSERT_GE(frames.size(), 3u);
    for (std::size_t i = 0; i < frames.size(); ++i)
        EXPECT_TRUE(frames[i] == first || frames[i] == second) << "frame " << i << " of " << frames.size()
                                                               << " shows neither wallpaper";
    EXPECT_FALSE(Running(firstPid)) << "the first swaybg still runs";
}

}  // namespace
}  // namespace pellimore
