// `WallPaper --next` end to end on a real X server (Xvfb, PELLIMORE_X_DISPLAY)
// with the plain X11 backend: the root pixmap published in _XROOTPMAP_ID is
// read back and compared with the expected layout.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QLocalSocket>

#include <unistd.h>

#include "platform/ProgramNames.h"
#include "platform/desktop/X11Root.h"
#include "platform/raster/Raster.h"
#include "platform/store/IniSettingsStore.h"
#include "platform/store/SettingsKeys.h"
#include "tests/support/TempHome.h"
#include "wallpaper/changer/PictureData.h"
#include "wallpaper/changer/Settings.h"

namespace pellimore::test {
namespace {

QString Display()
{
    return qEnvironmentVariable("PELLIMORE_X_DISPLAY");
}

// A picture whose pixels tell where they lie.
QImage Pattern(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb((x * 5) & 255, (y * 7) & 255, (x + y) & 255));
    return image;
}

Pixel ImagePixel(const QImage &image, int x, int y)
{
    const QRgb c = image.pixel(x, y);
    return MakePixel(uint8_t(qRed(c)), uint8_t(qGreen(c)), uint8_t(qBlue(c)));
}

class NextCommandTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (Display().isEmpty())
            GTEST_SKIP() << "PELLIMORE_X_DISPLAY is not set (scripts/test.sh starts Xvfb)";
        program_ = qEnvironmentVariable("PELLIMORE_WALLPAPER_PROGRAM");
        ASSERT_FALSE(program_.isEmpty());
        ASSERT_TRUE(folder_.isValid());
    }

    // Two pictures; "b.bmp" comes next, in the given style and colour.
    void Prepare(const QImage &next, int style, ColorRef color)
    {
        ASSERT_TRUE(Pattern(30, 20).save(folder_.filePath(QStringLiteral("a.bmp")), "BMP"));
        ASSERT_TRUE(next.save(folder_.filePath(QStringLiteral("b.bmp")), "BMP"));
        const std::vector<PictureRecord> records = {{QStringLiteral("a.bmp"), 0, 0, 1},
                                                    {QStringLiteral("b.bmp"), style, color, 2}};
        QFile data(folder_.filePath(QStringLiteral("wallpaper.dat")));
        ASSERT_TRUE(data.open(QIODevice::WriteOnly));
        data.write(FormatPictureData(records));
        data.close();
        IniSettingsStore store;
        const QString section = WallpaperKeys::kSection;
        store.SaveSetting(kApplicationName, section, QStringLiteral("Folder"), folder_.path());
        store.SaveSetting(kApplicationName, section, QStringLiteral("Startup"), QStringLiteral(" 1"));
        store.SaveSetting(kApplicationName, section, QStringLiteral("Current"), QStringLiteral(" 1"));
        store.SaveSetting(kApplicationName, section, QStringLiteral("Time"), QStringLiteral("Daily"));
        store.SaveSetting(kApplicationName, section, QStringLiteral("Sound"), QStringLiteral(" 0"));
    }

    // Runs `WallPaper --next`; its exit status.
    int RunNext(QString *output = nullptr)
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), Display());
        env.insert(QStringLiteral("PELLIMORE_DESKTOP"), QStringLiteral("x11"));
        process.setProcessEnvironment(env);
        process.start(program_, {QStringLiteral("--next")});
        EXPECT_TRUE(process.waitForFinished(60000));
        if (output)
            *output = QString::fromLocal8Bit(process.readAllStandardError());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    static Bitmap Root()
    {
        std::optional<Bitmap> root = ReadRootPixmap(Display());
        EXPECT_TRUE(root.has_value());
        return root ? *root : Bitmap();
    }

    QString program_;
    QTemporaryDir folder_;
};

TEST_F(NextCommandTest, CentredPictureOverItsColour)
{
    const QImage picture = Pattern(100, 80);
    Prepare(picture, 0, Rgb(0, 128, 255));
    QString output;
    ASSERT_EQ(RunNext(&output), 0) << output.toStdString();
    const Bitmap root = Root();
    ASSERT_EQ(root.Width(), 1024);
    ASSERT_EQ(root.Height(), 768);
    const int left = (1024 - 100) / 2, top = (768 - 80) / 2;
    for (int y = 0; y < 768; y += 3) {
        for (int x = 0; x < 1024; x += 3) {
            const bool inside = x >= left && x < left + 100 && y >= top && y < top + 80;
            const Pixel expected = inside ? ImagePixel(picture, x - left, y - top) : MakePixel(0, 128, 255);
            ASSERT_EQ(root.At(x, y), expected) << x << "," << y;
        }
    }
    // The settings moved on: "b.bmp" is current, and the desktop values say how
    // to show it again at the next log-in.
    IniSettingsStore store;
    EXPECT_EQ(store.GetSetting(kApplicationName, WallpaperKeys::kSection, QStringLiteral("Current")), QStringLiteral(" 2"));
    EXPECT_EQ(store.GetSetting(kApplicationName, QStringLiteral("Desktop"), QStringLiteral("Background")),
              QStringLiteral("0 128 255"));
}

TEST_F(NextCommandTest, TiledPictureRepeatsFromTheCorner)
{
    const QImage picture = Pattern(70, 50);
    Prepare(picture, 1, Rgb(255, 0, 0));
    ASSERT_EQ(RunNext(), 0);
    const Bitmap root = Root();
    for (int y = 0; y < 768; y += 5)
        for (int x = 0; x < 1024; x += 5)
            ASSERT_EQ(root.At(x, y), ImagePixel(picture, x % 70, y % 50)) << x << "," << y;
}

TEST_F(NextCommandTest, StretchedPictureCoversTheScreen)
{
    const QImage picture = Pattern(200, 150);
    Prepare(picture, 2, Rgb(255, 0, 0));
    ASSERT_EQ(RunNext(), 0);
    const Bitmap root = Root();
    Bitmap expected(1024, 768, 24);
    ASSERT_TRUE(StretchBlt(expected, 0, 0, 1024, 768, Bitmap::FromImage(picture), 0, 0, 200, 150,
                           StretchMode::Halftone));
    for (int y = 0; y < 768; y += 4)
        for (int x = 0; x < 1024; x += 4)
            ASSERT_EQ(root.At(x, y), expected.At(x, y) | 0xFF000000u) << x << "," << y;
}

TEST_F(NextCommandTest, TwoMonitorsEachShowThePicture)
{
    if (QStandardPaths::findExecutable(QStringLiteral("xrandr")).isEmpty())
        GTEST_SKIP() << "xrandr is not installed (x11-xserver-utils)";
    auto xrandr = [](const QStringList &args) {
        return QProcess::execute(QStringLiteral("xrandr"), QStringList{QStringLiteral("-display"), Display()} + args);
    };
    ASSERT_EQ(xrandr({"--setmonitor", "pellimore-left", "512/135x768/270+0+0", "none"}), 0);
    ASSERT_EQ(xrandr({"--setmonitor", "pellimore-right", "512/135x768/270+512+0", "none"}), 0);
    const QImage picture = Pattern(100, 80);
    Prepare(picture, 0, Rgb(10, 20, 30));
    const int status = RunNext();
    const Bitmap root = Root();
    xrandr({"--delmonitor", "pellimore-left"});
    xrandr({"--delmonitor", "pellimore-right"});
    ASSERT_EQ(status, 0);
    for (const int monitorLeft : {0, 512}) {
        const int left = monitorLeft + (512 - 100) / 2, top = (768 - 80) / 2;
        EXPECT_EQ(root.At(left, top), ImagePixel(picture, 0, 0));
        EXPECT_EQ(root.At(left + 99, top + 79), ImagePixel(picture, 99, 79));
        EXPECT_EQ(root.At(left + 37, top + 11), ImagePixel(picture, 37, 11));
        EXPECT_EQ(root.At(left - 1, top), MakePixel(10, 20, 30));
    }
    EXPECT_EQ(root.At(511, 10), MakePixel(10, 20, 30));
}

TEST_F(NextCommandTest, ARunningWallPaperIsAskedToChange)
{
    const QImage picture = Pattern(90, 60);
    Prepare(picture, 0, Rgb(40, 50, 60));
    QProcess first;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), Display());
    env.insert(QStringLiteral("PELLIMORE_DESKTOP"), QStringLiteral("x11"));
    first.setProcessEnvironment(env);
    first.setProcessChannelMode(QProcess::MergedChannels);
    first.start(program_);
    ASSERT_TRUE(first.waitForStarted());
    // Wait until the first instance listens on its channel.
    const QString socketPath =
        qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/WallPaper-%1.socket").arg(getuid());
    bool listening = false;
    for (int attempt = 0; attempt < 75 && !listening; ++attempt) {
        QLocalSocket probe;
        probe.connectToServer(socketPath);
        listening = probe.waitForConnected(200);
        if (!listening)
            QThread::msleep(200);
    }
    ASSERT_TRUE(listening) << first.readAll().toStdString();
    QString output;
    EXPECT_EQ(RunNext(&output), 0) << output.toStdString();
    // The running instance does the change on its own event loop.
    const int left = (1024 - 90) / 2, top = (768 - 60) / 2;
    bool changed = false;
    for (int attempt = 0; attempt < 50 && !changed; ++attempt) {
        QThread::msleep(100);
        const std::optional<Bitmap> root = ReadRootPixmap(Display());
        changed = root && root->At(left + 5, top + 5) == ImagePixel(picture, 5, 5) &&
                  root->At(left - 1, top) == MakePixel(40, 50, 60);
    }
    first.terminate();
    first.waitForFinished(5000);
    EXPECT_TRUE(changed) << first.readAll().toStdString();
}

TEST_F(NextCommandTest, OnePictureFailsWithAReason)
{
    ASSERT_TRUE(Pattern(30, 20).save(folder_.filePath(QStringLiteral("only.bmp")), "BMP"));
    IniSettingsStore store;
    store.SaveSetting(kApplicationName, WallpaperKeys::kSection, QStringLiteral("Folder"), folder_.path());
    store.SaveSetting(kApplicationName, WallpaperKeys::kSection, QStringLiteral("Startup"), QStringLiteral(" 1"));
    QString output;
    EXPECT_NE(RunNext(&output), 0);
    EXPECT_TRUE(output.contains(QStringLiteral("only one wallpaper picture"))) << output.toStdString();
}

}  // namespace
}  // namespace pellimore::test
