#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/store/IniDocument.h"
#include "platform/store/IniSettingsStore.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempHome.h"

namespace pellimore {
namespace {

const QString kApp = QStringLiteral("Corvane");
const QString kSection = QStringLiteral("Wallpaper");

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void WriteRaw(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QStringList TemporaryFilesBeside(const QString &path)
{
    return QDir(QFileInfo(path).absolutePath())
        .entryList({QStringLiteral(".*.new-*")}, QDir::Files | QDir::Hidden | QDir::System);
}

unsigned ModeOf(const QString &path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

class IniSettingsStoreTest : public testing::Test {
protected:
    QTemporaryDir dir_;
    QString config_ = dir_.path() + QStringLiteral("/config");
    IniSettingsStore store_{config_};
    QString file_ = config_ + QStringLiteral("/Corvane/Corvane.ini");
};

TEST_F(IniSettingsStoreTest, KeepsOneFilePerApplicationUnderTheConfigFolder)
{
    EXPECT_EQ(store_.FilePath(kApp), file_);
    EXPECT_EQ(store_.GetSetting(kApp, kSection, "Folder", "0"), "0");
    EXPECT_FALSE(QFile::exists(file_)) << "reading creates nothing";

    ASSERT_TRUE(store_.SaveSetting(kApp, kSection, "Folder", "/home/ann/Pictures"));
    ASSERT_TRUE(store_.SaveSetting("Other", "Main", "Folder", "elsewhere"));
    EXPECT_EQ(ReadAll(file_), QByteArray("[Wallpaper]\nFolder=/home/ann/Pictures\n"));
    EXPECT_EQ(ReadAll(config_ + "/Other/Other.ini"), QByteArray("[Main]\nFolder=elsewhere\n"));
    EXPECT_FALSE(QFile::exists(file_ + ".lock")) << "the lock is released";
}

TEST_F(IniSettingsStoreTest, DefaultLocationFollowsXdgConfigHome)
{
    test::TempHome home;
    EXPECT_EQ(IniSettingsStore().FilePath(kApp), home.ConfigHome() + "/Corvane/Corvane.ini");

    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(IniSettingsStore().FilePath(kApp), home.Path() + "/.config/Corvane/Corvane.ini");
    qputenv("XDG_CONFIG_HOME", "relative/config");   // not absolute: ignored, as the XDG rules say
    EXPECT_EQ(IniSettingsStore().FilePath(kApp), home.Path() + "/.config/Corvane/Corvane.ini");
}

TEST_F(IniSettingsStoreTest, RefusesNamesThatCannotBeFiles)
{
    for (const QString &app : {QString(), QStringLiteral("."), QStringLiteral(".."), QStringLiteral("a/b"),
                               QStringLiteral("../Corvane")}) {
        EXPECT_TRUE(store_.FilePath(app).isEmpty()) << app.toStdString();
        EXPECT_FALSE(store_.SaveSetting(app, kSection, "Key", "1")) << app.toStdString();
        EXPECT_EQ(store_.GetSetting(app, kSection, "Key", "default"), "default");
    }
    EXPECT_FALSE(store_.SaveSetting(kApp, QString(), "Key", "1"));
    EXPECT_FALSE(store_.SaveSetting(kApp, kSection, QString(), "1"));
    EXPECT_FALSE(QDir(config_).exists());
}

TEST_F(IniSettingsStoreTest, ValuesRoundTripThroughTheFileExactly)
{
    const QStringList values = {QStringLiteral(" 3"), QStringLiteral("-5"), QStringLiteral(" 0 "), QString(),
                                QStringLiteral("x=y;z#w"), QStringLiteral("C:\\a\\b\\"), QStringLiteral("two\nlines"),
                                QString::fromUtf8("Bildschirmschoner für Ängstliche 日本"), QStringLiteral("\"q\"")};
    for (int i = 0; i < values.size(); ++i)
        ASSERT_TRUE(store_.SaveSetting(kApp, kSection, QStringLiteral("K%1").arg(i), values[i]));
    IniSettingsStore fresh(config_);
    for (int i = 0; i < values.size(); ++i)
        EXPECT_EQ(fresh.GetSetting(kApp, kSection, QStringLiteral("K%1").arg(i), "<absent>"), values[i]);
    // An empty value is a value, not a missing key.
    EXPECT_EQ(fresh.GetSetting(kApp, kSection, "K3", "default"), "");
}

TEST_F(IniSettingsStoreTest, DeleteRemovesOnlyThatKey)
{
    ASSERT_TRUE(store_.SaveSetting(kApp, kSection, "A", "1"));
    ASSERT_TRUE(store_.SaveSetting(kApp, kSection, "B", "2"));
    EXPECT_TRUE(store_.DeleteSetting(kApp, kSection, "a"));
    EXPECT_TRUE(store_.DeleteSetting(kApp, kSection, "never there"));
    EXPECT_TRUE(store_.DeleteSetting(kApp, "No such section", "A"));
    EXPECT_EQ(IniSettingsStore(config_).GetSetting(kApp, kSection, "A", "gone"), "gone");
    EXPECT_EQ(ReadAll(file_), QByteArray("[Wallpaper]\nB=2\n"));
}

TEST_F(IniSettingsStoreTest, SeveralValuesAreWrittenTogetherOrNotAtAll)
{
    ASSERT_TRUE(store_.SaveSetting(kApp, kSection, "B", "old"));
    ASSERT_TRUE(store_.SaveSettings(kApp, kSection, {{"A", "1"}, {"B", "2"}, {"C", " 3"}}));
    EXPECT_EQ(ReadAll(file_), QByteArray("[Wallpaper]\nB=2\nA=1\nC=\" 3\"\n"));
    EXPECT_EQ(IniSettingsStore(config_).GetSetting(kApp, kSection, "C"), " 3");
    EXPECT_TRUE(TemporaryFilesBeside(file_).isEmpty());

    // Unchanged values leave the file as it is; a key without a name refuses
    // the whole write.
    const QByteArray written = ReadAll(file_);
    const struct stat unchanged = [&] {
        struct stat info {};
        ::stat(QFile::encodeName(file_).constData(), &info);
        return info;
    }();
    ASSERT_TRUE(store_.SaveSettings(kApp, kSection, {{"A", "1"}, {"B", "2"}}));
    struct stat after {};
    ::stat(QFile::encodeName(file_).constData(), &after);
    EXPECT_EQ(after.st_ino, unchanged.st_ino) << "the file was replaced although nothing changed";
    EXPECT_FALSE(store_.SaveSettings(kApp, kSection, {{"A", "9"}, {"", "x"}}));
    EXPECT_FALSE(store_.LastError().isEmpty());
    EXPECT_EQ(ReadAll(file_), written);
}

TEST_F(IniSettingsStoreTest, ABatchHoldsItsWritesUntilItEndsAndKeepsWhatOthersWroteMeanwhile)
{
    ASSERT_TRUE(store_.SaveSettings(kApp, kSection, {{"Current", " 1"}, {"Sound", " 1"}}));
    const QByteArray before = ReadAll(file_);
    IniSettingsStore other(config_);

    store_.BeginBatch();
    EXPECT_TRUE(store_.SaveSetting(kApp, kSection, "Current", " 2"));
    EXPECT_TRUE(store_.SaveSettings(kApp, "Desktop", {{"Wallpaper", "/w.bmp"}, {"TileWallpaper", " 0"}}));
    EXPECT_TRUE(store_.DeleteSetting(kApp, kSection, "Sound"));
    EXPECT_FALSE(store_.SaveSetting(kApp, kSection, "", "x")) << "a key without a name is refused at once";
    // Read back as written (keys in any case), while the file is untouched.
    EXPECT_EQ(store_.GetSetting(kApp, kSection, "current"), " 2");
    EXPECT_EQ(store_.GetSetting(kApp, "Desktop", "Wallpaper"), "/w.bmp");
    EXPECT_EQ(store_.GetSetting(kApp, kSection, "Sound", "gone"), "gone");
    EXPECT_EQ(ReadAll(file_), before);
    EXPECT_EQ(other.GetSetting(kApp, kSection, "Current"), " 1");
    // Another program writes meanwhile; an inner batch ends without writing.
    ASSERT_TRUE(other.SaveSetting(kApp, "ScreenSaver", "Speed", " 3"));
    store_.BeginBatch();
    EXPECT_TRUE(store_.SaveSetting(kApp, kSection, "Time", "Daily"));
    EXPECT_TRUE(store_.EndBatch());
    EXPECT_EQ(other.GetSetting(kApp, kSection, "Time", "absent"), "absent");

    EXPECT_TRUE(store_.EndBatch());
    EXPECT_EQ(ReadAll(file_), QByteArray("[Wallpaper]\nCurrent=\" 2\"\nTime=Daily\n\n[ScreenSaver]\nSpeed=\" 3\"\n\n"
                                         "[Desktop]\nWallpaper=/w.bmp\nTileWallpaper=\" 0\"\n"));
    EXPECT_TRUE(TemporaryFilesBeside(file_).isEmpty());

    // Held writes are not lost when the batch or the store ends unended.
    {
        SettingsBatch batch(store_);
        ASSERT_TRUE(store_.SaveSetting(kApp, kSection, "Current", " 3"));
    }
    {
        IniSettingsStore ending(config_);
        ending.BeginBatch();
        ASSERT_TRUE(ending.SaveSetting(kApp, kSection, "Sound", " 0"));
    }
    EXPECT_EQ(other.GetSetting(kApp, kSection, "Current"), " 3");
    EXPECT_EQ(other.GetSetting(kApp, kSection, "Sound"), " 0");
}

TEST_F(IniSettingsStoreTest, ABatchThatCannotBeWrittenSaysSoAndLeavesTheFile)
{
    ASSERT_TRUE(store_.SaveSetting(kApp, kSection, "Folder", "/pictures"));
    const QByteArray before = ReadAll(file_);
    SettingsBatch batch(store_);
    ASSERT_TRUE(store_.SaveSetting(kApp, kSection, "Folder", "/elsewhere"));
    ASSERT_TRUE(QDir().mkpath(file_ + ".lock"));   // no lock can be taken
    EXPECT_FALSE(batch.Commit());
    EXPECT_TRUE(store_.LastError().contains("lock")) << store_.LastError().toStdString();
    EXPECT_EQ(ReadAll(file_), before);
    EXPECT_EQ(store_.GetSetting(kApp, kSection, "Folder"), "/pictures") << "what could not be stored is not shown";
    EXPECT_TRUE(batch.Commit()) << "nothing more is held";
}

TEST_F(IniSettingsStoreTest, TwoStoresOnOneFileSeeEachOthersWrites)
{
    IniSettingsStore other(config_);
    ASSERT_TRUE(store_.SaveSetting(kApp, kSection, "Current", " 1"));
    EXPECT_EQ(other.GetSetting(kApp, kSection, "Current"), " 1");
    ASSERT_TRUE(other.SaveSetting(kApp, "ScreenSaver", "Speed", " 2"));
    ASSERT_TRUE(other.SaveSetting(kApp, kSection, "Current", " 2"));
    EXPECT_EQ(store_.GetSetting(kApp, kSection, "Current"), " 2");
    // A write merges into the file as it is now, not as this store last saw it.
    ASSERT_TRUE(store_.SaveSetting(kApp, kSection, "Sound", " 0"));
    EXPECT_EQ(other.GetSetting(kApp, "ScreenSaver", "Speed"), " 2");
    EXPECT_EQ(other.GetSetting(kApp, kSection, "Sound"), " 0");

    // Another program rewrites the file in place (different length).
    WriteRaw(file_, "[Wallpaper]\nCurrent=\" 17\"\n");
    EXPECT_EQ(store_.GetSetting(kApp, kSection, "Current"), " 17");
    EXPECT_EQ(store_.GetSetting(kApp, kSection, "Sound", "gone"), "gone");
    // ... and removes it.
    QFile::remove(file_);
    EXPECT_EQ(other.GetSetting(kApp, kSection, "Current", "default"), "default");
}

TEST_F(IniSettingsStoreTest, ReadsTheRestOfADamagedFileAndMendsItOnWrite)
{
    static const char kDamaged[] = "[Wallpaper]\nFolder=/pictures\n\x01\x02\x03\xFF garbage\x00\nno equals sign\n"
                                   "Current=1\nCurrent=2\n; a comment\nSound=\"1";
    WriteRaw(file_, QByteArray(kDamaged, sizeof kDamaged - 1));
    EXPECT_EQ(store_.GetSetting(kApp, kSection, "Folder"), "/pictures");
    EXPECT_EQ(store_.GetSetting(kApp, kSection, "Current"), "2");
    EXPECT_EQ(store_.GetSetting(kApp, kSection, "Sound", "default"), "default");

    ASSERT_TRUE(store_.SaveSetting(kApp, kSection, "Sound", "0"));
    // The unreadable lines are gone; the rest stays as it was.
    EXPECT_EQ(ReadAll(file_), QByteArray("[Wallpaper]\nFolder=/pictures\nCurrent=1\nCurrent=2\nSound=0\n; a comment\n"));
}

TEST_F(IniSettingsStoreTest, ReadingAFolderOrAHugeFileGivesDefaultsAndWritingLeavesItAlone)
{
    QDir().mkpath(file_);   // a folder where the file should be
    EXPECT_EQ(store_.GetSetting(kApp, kSection, "Folder", "0"), "0");
    EXPECT_FALSE(store_.SaveSetting(kApp, kSection, "Folder", "x"));
    EXPECT_FALSE(store_.LastError().isEmpty());
    EXPECT_TRUE(QFileInfo(file_).isDir());
    QDir(file_).removeRecursively();

    QByteArray huge = "[Wallpaper]\nFolder=/pictures\n";
    huge.append(QByteArray(IniSettingsStore::kMaxFileBytes, '#'));
    WriteRaw(file_, huge);
    EXPECT_EQ(store_.GetSetting(kApp, kSection, "Folder", "0"), "0");
    EXPECT_FALSE(store_.SaveSetting(kApp, kSection, "Folder", "x"));
    EXPECT_EQ(QFileInfo(file_).size(), huge.size());
}

TEST_F(IniSettingsStoreTest, AFullDiskLeavesThePreviousFile)
{
    ASSERT_TRUE(store_.SaveSetting(kApp, kSection, "Folder", "/pictures"));
    const QByteArray before = ReadAll(file_);

    // Files may grow to 4 KiB only, so the new file cannot be written in full.
    struct rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto savedHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved1 = store_.SaveSetting(kApp, kSection, "Big", QString(100000, QLatin1Char('x')));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, savedHandler);

    EXPECT_FALSE(saved1);
    EXPECT_FALSE(store_.LastError().isEmpty());
    EXPECT_EQ(ReadAll(file_), before);
    EXPECT_TRUE(TemporaryFilesBeside(file_).isEmpty());
    EXPECT_EQ(store_.GetSetting(kApp, kSection, "Big", "absent"), "absent");
    EXPECT_EQ(store_.GetSetting(kApp, kSection, "Folder"), "/pictures");
}

TEST_F(IniSettingsStoreTest, AReadOnlyFolderLeavesThePreviousFile)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind root";
    ASSERT_TRUE(store_.SaveSetting(kApp, kSection, "Folder", "/pictures"));
    const QString folder = QFileInfo(file_).absolutePath();
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    EXPECT_FALSE(store_.SaveSetting(kApp, kSection, "Folder", "/elsewhere"));
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(IniSettingsStore(config_).GetSetting(kApp, kSection, "Folder"), "/pictures");
}

TEST_F(IniSettingsStoreTest, KeepsPermissionsAndFollowsSymbolicLinks)
{
    const QString real = dir_.path() + "/dotfiles/Corvane.ini";
    WriteRaw(real, "[Wallpaper]\nFolder=/a\n");
    ::chmod(QFile::encodeName(real).constData(), 0640);
    QDir().mkpath(QFileInfo(file_).absolutePath());
    ASSERT_TRUE(QFile::link(real, file_));

    ASSERT_TRUE(store_.SaveSetting(kApp, kSection, "Folder", "/b"));
    EXPECT_TRUE(QFileInfo(file_).isSymLink());
    EXPECT_EQ(ReadAll(real), "[Wallpaper]\nFolder=/b\n");
    EXPECT_EQ(ModeOf(real), 0640u);

    // A new file is private to its user.
    ASSERT_TRUE(store_.SaveSetting("Fresh", "S", "K", "v"));
    EXPECT_EQ(ModeOf(store_.FilePath("Fresh")), 0600u);
}

// --- other processes ----------------------------------------------------------
// The DISABLED_ tests below are not run on their own: the tests above start
// this executable again to run one of them as a second program.

QString ChildArgument() { return qEnvironmentVariable("PELLIMORE_STORE_CHILD_ARG"); }

QProcess *StartChild(const QString &test, const QString &config, const QString &argument, QObject *owner)
{
    auto *child = new QProcess(owner);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("PELLIMORE_STORE_CHILD_CONFIG", config);
    environment.insert("PELLIMORE_STORE_CHILD_ARG", argument);
    child->setProcessEnvironment(environment);
    child->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child->start(QCoreApplication::applicationFilePath(),
                 {"--gtest_also_run_disabled_tests", "--gtest_filter=DISABLED_StoreChild." + test});
    return child;
}

// Saves a 1 MB value with files limited to 64 KiB and the default action of
// SIGXFSZ: the process is killed by the system in the middle of the write.
TEST(DISABLED_StoreChild, CrashMidWrite)
{
    IniSettingsStore store(qEnvironmentVariable("PELLIMORE_STORE_CHILD_CONFIG"));
    const struct rlimit noCore {0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    std::signal(SIGXFSZ, SIG_DFL);
    struct rlimit limit {};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = 64 * 1024;
    setrlimit(RLIMIT_FSIZE, &limit);
    store.SaveSetting(kApp, kSection, "Big", QString(1 << 20, QLatin1Char('n')));
    ADD_FAILURE() << "the write was not stopped";
}

// Writes the keys <prefix>0 ... <prefix>29.
TEST(DISABLED_StoreChild, WriteKeys)
{
    IniSettingsStore store(qEnvironmentVariable("PELLIMORE_STORE_CHILD_CONFIG"));
    for (int i = 0; i < 30; ++i)
        ASSERT_TRUE(store.SaveSetting(kApp, kSection, ChildArgument() + QString::number(i), QString::number(i)));
}

TEST_F(IniSettingsStoreTest, AWriterKilledMidWriteLeavesThePreviousFile)
{
    ASSERT_TRUE(store_.SaveSetting(kApp, kSection, "Big", QString(100000, QLatin1Char('o'))));
    ASSERT_TRUE(store_.SaveSetting(kApp, "Other", "Keep", "kept"));
    const QByteArray before = ReadAll(file_);

    QObject owner;
    QProcess *child = StartChild("CrashMidWrite", config_, QString(), &owner);
    ASSERT_TRUE(child->waitForFinished(60000));
    ASSERT_EQ(child->exitStatus(), QProcess::CrashExit) << "the writer was to be killed mid-write";
    ASSERT_EQ(TemporaryFilesBeside(file_).size(), 1) << "the killed writer leaves its half-written file";

    EXPECT_EQ(ReadAll(file_), before);
    IniSettingsStore fresh(config_);
    EXPECT_EQ(fresh.GetSetting(kApp, kSection, "Big"), QString(100000, QLatin1Char('o')));
    EXPECT_EQ(fresh.GetSetting(kApp, "Other", "Keep"), "kept");

    // The next writer gets the lock the killed one held, and clears away its leftovers.
    ASSERT_TRUE(fresh.SaveSetting(kApp, "Other", "Keep", "still kept"));
    EXPECT_TRUE(TemporaryFilesBeside(file_).isEmpty()) << TemporaryFilesBeside(file_).join(' ').toStdString();
    EXPECT_EQ(store_.GetSetting(kApp, "Other", "Keep"), "still kept");
}

TEST_F(IniSettingsStoreTest, ProgramsWritingAtTheSameTimeLoseNothing)
{
    QObject owner;
    QProcess *first = StartChild("WriteKeys", config_, "First", &owner);
    QProcess *second = StartChild("WriteKeys", config_, "Second", &owner);
    for (int i = 0; i < 30; ++i)
        ASSERT_TRUE(store_.SaveSetting(kApp, kSection, "Here" + QString::number(i), QString::number(i)));
    ASSERT_TRUE(first->waitForFinished(120000));
    ASSERT_TRUE(second->waitForFinished(120000));
    EXPECT_EQ(first->exitCode(), 0);
    EXPECT_EQ(second->exitCode(), 0);

    IniSettingsStore fresh(config_);
    for (const char *prefix : {"First", "Second", "Here"}) {
        for (int i = 0; i < 30; ++i)
            EXPECT_EQ(fresh.GetSetting(kApp, kSection, prefix + QString::number(i), "lost"), QString::number(i))
                << prefix << i;
    }
}

}  // namespace
}  // namespace pellimore
