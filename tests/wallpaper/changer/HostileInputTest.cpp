// `WallPaper --next` (a child process, plain X11 backend on Xvfb) against
// hostile and damaged pictures made here, files it cannot save, a read-only
// picture folder and links planted in it. The child's peak memory is read
// with getrusage after it has been reaped.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <vector>


#include "platform/ProgramNames.h"
#include "platform/instance/LocalInstanceChannel.h"
#include "platform/store/IniSettingsStore.h"
#include "platform/store/SettingsKeys.h"
#include "tests/support/HostilePictures.h"
#include "tests/support/TempHome.h"
#include "wallpaper/changer/PictureData.h"

namespace pellimore::test {
namespace {

constexpr long kMaxChildKiB = 300 * 1024;

QByteArray Be32(uint32_t v)
{
    const char b[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    return QByteArray(b, 4);
}

QByteArray Chunk(const char *type, const QByteArray &data)
{
    const QByteArray body = QByteArray(type, 4) + data;
    return Be32(uint32_t(data.size())) + body +
           Be32(uint32_t(crc32(0, reinterpret_cast<const Bytef *>(body.constData()), uInt(body.size()))));
}

QByteArray Png(int width, int height, int colorType, const QByteArray &zlibData)
{
    QByteArray ihdr = Be32(uint32_t(width)) + Be32(uint32_t(height));
    ihdr += char(8);
    ihdr += char(colorType);
    ihdr += QByteArray(3, '\0');
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + Chunk("IHDR", ihdr) + Chunk("IDAT", zlibData) + Chunk("IEND", {});
}

// `rows` rows of `rowBytes` zero bytes (each after its filter byte), deflated
// as a stream so that no buffer of the whole picture is needed.
QByteArray DeflatedZeroRows(int rowBytes, int rows)
{
    z_stream z = {};
    deflateInit(&z, 9);
    const QByteArray row(rowBytes + 1, '\0');
    QByteArray out;
    char buffer[65536];
    for (int y = 0; y <= rows; ++y) {
        const bool last = y == rows;
        z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(row.constData()));
        z.avail_in = last ? 0 : uInt(row.size());
        do {
            z.next_out = reinterpret_cast<Bytef *>(buffer);
            z.avail_out = sizeof buffer;
            deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
            out.append(buffer, qsizetype(sizeof buffer - z.avail_out));
        } while (z.avail_out == 0);
    }
    deflateEnd(&z);
    return out;
}


class HostileInputTest : public testing::Test {
protected:
    void SetUp() override
    {
        display_ = qEnvironmentVariable("PELLIMORE_X_DISPLAY");
        if (display_.isEmpty())
            GTEST_SKIP() << "PELLIMORE_X_DISPLAY is not set (scripts/test.sh starts Xvfb)";
        program_ = qEnvironmentVariable("PELLIMORE_WALLPAPER_PROGRAM");
        ASSERT_FALSE(program_.isEmpty());
        ASSERT_TRUE(root_.isValid());
        folder_ = root_.filePath(QStringLiteral("pictures"));
        config_ = root_.filePath(QStringLiteral("config"));
        ASSERT_TRUE(QDir().mkpath(folder_));
        ASSERT_TRUE(QDir().mkpath(config_));
        ::chmod(QFile::encodeName(root_.path()).constData(), 0755);
    }

    // "a.bmp" is shown; `name` (with these bytes) comes next.
    void Prepare(const QString &name, const QByteArray &bytes)
    {
        ASSERT_TRUE(QImage(30, 20, QImage::Format_RGB32).save(folder_ + QStringLiteral("/a.bmp"), "BMP"));
        QFile next(folder_ + QLatin1Char('/') + name);
        ASSERT_TRUE(next.open(QIODevice::WriteOnly));
        next.write(bytes);
        next.close();
        QFile data(folder_ + QStringLiteral("/wallpaper.dat"));
        ASSERT_TRUE(data.open(QIODevice::WriteOnly));
        data.write(FormatPictureData({{QStringLiteral("a.bmp"), 0, 0, 1}, {name, 0, 0, 2}}));
        data.close();
        IniSettingsStore store(config_);
        const QString section = WallpaperKeys::kSection;
        store.SaveSetting(kApplicationName, section, QStringLiteral("Folder"), folder_);
        store.SaveSetting(kApplicationName, section, QStringLiteral("Startup"), QStringLiteral(" 1"));
        store.SaveSetting(kApplicationName, section, QStringLiteral("Current"), QStringLiteral(" 1"));
        store.SaveSetting(kApplicationName, section, QStringLiteral("Time"), QStringLiteral("Daily"));
        store.SaveSetting(kApplicationName, section, QStringLiteral("Sound"), QStringLiteral(" 0"));
    }

    // As root, permissions do not bind: the child then runs as "nobody",
    // owning the test's files. False when that cannot be arranged.
    bool AsOrdinaryUser()
    {
        if (::getuid() != 0)
            return true;
        const passwd *nobody = ::getpwnam("nobody");
        if (!nobody || QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
            return false;
        QProcess::execute(QStringLiteral("chown"),
                          {QStringLiteral("-R"), QStringLiteral("%1:%2").arg(nobody->pw_uid).arg(nobody->pw_gid),
                           root_.path()});
        asNobody_ = {QStringLiteral("--reuid=%1").arg(nobody->pw_uid), QStringLiteral("--regid=%1").arg(nobody->pw_gid),
                     QStringLiteral("--clear-groups"), program_};
        return true;
    }

    // Runs `WallPaper --next` with HOME and the XDG folders in the test's root.
    int RunNext(QString *output)
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display_);
        env.insert(QStringLiteral("PELLIMORE_DESKTOP"), QStringLiteral("x11"));
        env.insert(QStringLiteral("HOME"), root_.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config_);
        env.insert(QStringLiteral("XDG_CACHE_HOME"), root_.filePath(QStringLiteral("cache")));
        env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        process.setProcessEnvironment(env);
        if (asNobody_.isEmpty())
            process.start(program_, {QStringLiteral("--next")});
        else
            process.start(QStringLiteral("setpriv"), asNobody_ + QStringList{QStringLiteral("--next")});
        EXPECT_TRUE(process.waitForFinished(60000));
        *output = QString::fromLocal8Bit(process.readAllStandardError());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    static long ChildrenPeakKiB()
    {
        rusage usage = {};
        getrusage(RUSAGE_CHILDREN, &usage);
        return usage.ru_maxrss;
    }

    QString RenderedBitmap() const { return folder_ + QStringLiteral("/Wallpaper Pellimore.bmp"); }

    QString display_, program_, folder_, config_;
    QStringList asNobody_;
    QTemporaryDir root_;
};

TEST_F(HostileInputTest, TinyOrDamagedPicturesAreRefusedCheaplyWithTheDecodersReason)
{
    const QByteArray cutJpeg = JpegClaiming(2560, 1600);
    struct Case {
        const char *name;
        QByteArray bytes;
        const char *reason;
    } cases[] = {
        {"claims.jpg", JpegClaiming(16000, 16000), "truncated or damaged"},
        {"cut.jpg", cutJpeg.left(cutJpeg.size() / 2) + QByteArray("\xFF\xD9", 2), "truncated or damaged"},
        {"claims.png", Png(16000, 16000, 2, qCompress(QByteArray(200, '\0')).mid(4)), "Image is too large to process."},
        {"claims-less.png", Png(5000, 5000, 2, qCompress(QByteArray(200, '\0')).mid(4)),
         "This PNG file is not compressed correctly."},
        {"ten-rows.png", Png(100, 100, 2, qCompress(QByteArray(10 * 301, '\x01')).mid(4)),
         "This PNG file is not compressed correctly."},
        {"zeros.png", Png(16000, 16000, 0, DeflatedZeroRows(16000, 16000)), "Image is too large to process."},
        {"frames.gif", GifOfHugeFrames(), "truncated or damaged"},
    };
    ASSERT_LT(Png(16000, 16000, 2, qCompress(QByteArray(200, '\0')).mid(4)).size(), 80);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_LT(c.bytes.size(), 1 << 20);
        Prepare(QString::fromLatin1(c.name), c.bytes);
        QString output;
        EXPECT_EQ(RunNext(&output), 1) << output.toStdString();
        EXPECT_TRUE(output.contains(QString::fromLatin1(c.reason))) << output.toStdString();
        EXPECT_LT(ChildrenPeakKiB(), kMaxChildKiB);
        QFile::remove(folder_ + QLatin1Char('/') + QString::fromLatin1(c.name));
    }
}

TEST_F(HostileInputTest, ALargePhotoIsDecodedReducedAndSet)
{
    // 12000 x 9000 (a real, valid JPEG) onto the 1024 x 768 screen, encoded
    // row by row: a forked child inherits this process's peak memory.
    const QByteArray jpeg = UniformJpeg(12000, 9000, 200, 120, 40);
    Prepare(QStringLiteral("big.jpg"), jpeg);
    QString output;
    ASSERT_EQ(RunNext(&output), 0) << output.toStdString();
    EXPECT_LT(ChildrenPeakKiB(), kMaxChildKiB);
    // Fitted to 1024 x 768 (aspect 1.33: by height), centred over its colour.
    const QImage written(RenderedBitmap());
    ASSERT_EQ(written.size(), QSize(1024, 768));
    const QRgb middle = written.pixel(512, 384);
    EXPECT_NEAR(qRed(middle), 200, 3);
    EXPECT_NEAR(qGreen(middle), 120, 3);
    EXPECT_NEAR(qBlue(middle), 40, 3);
}

TEST_F(HostileInputTest, SettingsThatCannotBeSavedFailTheCommand)
{
    Prepare(QStringLiteral("b.bmp"), QByteArray());
    ASSERT_TRUE(QImage(40, 30, QImage::Format_RGB32).save(folder_ + QStringLiteral("/b.bmp"), "BMP"));
    if (!AsOrdinaryUser())
        GTEST_SKIP() << "running as root without the user nobody or setpriv";
    ::chmod(QFile::encodeName(config_ + QStringLiteral("/Corvane")).constData(), 0555);
    QString output;
    EXPECT_EQ(RunNext(&output), 1);
    EXPECT_TRUE(output.contains(QStringLiteral("Permission denied"))) << output.toStdString();
    ::chmod(QFile::encodeName(config_ + QStringLiteral("/Corvane")).constData(), 0755);
}

TEST_F(HostileInputTest, AReadOnlyPictureFolderIsUsedThroughTheCacheFolder)
{
    Prepare(QStringLiteral("b.bmp"), QByteArray());
    ASSERT_TRUE(QImage(40, 30, QImage::Format_RGB32).save(folder_ + QStringLiteral("/b.bmp"), "BMP"));
    if (!AsOrdinaryUser())
        GTEST_SKIP() << "running as root without the user nobody or setpriv";
    ::chmod(QFile::encodeName(folder_).constData(), 0555);
    QString output;
    const int status = RunNext(&output);
    ::chmod(QFile::encodeName(folder_).constData(), 0755);
    EXPECT_EQ(status, 0) << output.toStdString();
    EXPECT_FALSE(QFileInfo::exists(RenderedBitmap()));
    // The bitmap and the library went to the cache folder; the next change
    // goes on from there.
    QStringList written;
    for (const QFileInfo &entry : QDir(root_.filePath(QStringLiteral("cache/Corvane/folders")))
                                      .entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot))
        written += QDir(entry.filePath()).entryList(QDir::Files);
    written.sort();
    EXPECT_EQ(written, (QStringList{QStringLiteral("Wallpaper Pellimore.bmp"), QStringLiteral("wallpaper.dat")}));
}

TEST_F(HostileInputTest, LinksInThePictureFolderAreReplacedNotWrittenThrough)
{
    Prepare(QStringLiteral("b.bmp"), QByteArray());
    ASSERT_TRUE(QImage(40, 30, QImage::Format_RGB32).save(folder_ + QStringLiteral("/b.bmp"), "BMP"));
    const QString victim = root_.filePath(QStringLiteral("victim.txt"));
    QFile file(victim);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("precious");
    file.close();
    ASSERT_TRUE(QFile::link(victim, RenderedBitmap()));
    QString output;
    ASSERT_EQ(RunNext(&output), 0) << output.toStdString();
    EXPECT_FALSE(QFileInfo(RenderedBitmap()).isSymLink());
    EXPECT_EQ(QImage(RenderedBitmap()).size(), QSize(40, 30));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("precious"));
}

// The channel lives in a folder only this user can write: $XDG_RUNTIME_DIR
// when it is private, else the user's own "<cache>/Corvane/run".
TEST(InstanceChannelFolder, IsNeverASharedFolderAndIsCheckedBeforeUse)
{
    QTemporaryDir root;
    const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray savedCache = qgetenv("XDG_CACHE_HOME");
    qunsetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_CACHE_HOME", QFile::encodeName(root.filePath(QStringLiteral("cache"))));
    {
        LocalInstanceChannel channel(QStringLiteral("Probe"));
        const QString folder = QFileInfo(channel.SocketPath()).absolutePath();
        EXPECT_EQ(folder, root.filePath(QStringLiteral("cache/Corvane/run")));
        struct stat info = {};
        ASSERT_EQ(::stat(QFile::encodeName(folder).constData(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700u);
        EXPECT_EQ(info.st_uid, ::getuid());
    }
    {
        // A runtime folder others may write (as /tmp) is not used, and a
        // private folder whose mode was opened up is refused.
        qputenv("XDG_RUNTIME_DIR", "/tmp");
        ::chmod(QFile::encodeName(root.filePath(QStringLiteral("cache/Corvane/run"))).constData(), 0777);
        LocalInstanceChannel channel(QStringLiteral("Probe"));
        EXPECT_TRUE(channel.SocketPath().isEmpty());
        EXPECT_TRUE(channel.Unavailable().contains(QStringLiteral("can be written by other users")))
            << channel.Unavailable().toStdString();
        // It runs alone rather than meet another user's files.
        EXPECT_TRUE(channel.ClaimFirstInstance());
        EXPECT_FALSE(channel.SendToFirstInstance(InstanceChannel::Request::Raise));
    }
    qputenv("XDG_RUNTIME_DIR", savedRuntime);
    qputenv("XDG_CACHE_HOME", savedCache);
}

}  // namespace
}  // namespace pellimore::test
