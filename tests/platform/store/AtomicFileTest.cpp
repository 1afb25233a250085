#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/store/AtomicFile.h"

namespace pellimore {
namespace {

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

TEST(AtomicFile, ReplacesTheWholeFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("wallpaper.dat");
    ASSERT_TRUE(WriteFileAtomically(path, "first version, rather long\n"));
    ASSERT_TRUE(WriteFileAtomically(path, "second\n"));
    EXPECT_EQ(ReadAll(path), "second\n");
    ASSERT_TRUE(WriteFileAtomically(path, QByteArray()));
    EXPECT_EQ(ReadAll(path), "");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"wallpaper.dat"});
}

TEST(AtomicFile, AFailedRenameLeavesNothingBehind)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("target");
    QDir().mkpath(path + "/inside");   // a folder that holds something cannot be replaced by a file
    QString error;
    EXPECT_FALSE(WriteFileAtomically(path, "data", &error));
    EXPECT_TRUE(error.contains("cannot replace")) << error.toStdString();
    EXPECT_TRUE(QDir(path + "/inside").exists());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"target"});
}

TEST(AtomicFile, AMissingFolderIsAFailure)
{
    QTemporaryDir dir;
    QString error;
    EXPECT_FALSE(WriteFileAtomically(dir.filePath("no/such/folder/file"), "data", &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(AtomicFile, StaleTemporaryFilesAreRemovedOnRequest)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Corvane.ini");
    for (const char *name : {".Corvane.ini.new-AbC123", ".Corvane.ini.new-zzzzzz", ".Corvane.ini.new-short",
                             ".Other.ini.new-AbC123", "Corvane.ini.lock"}) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    RemoveStaleTemporaryFiles(path);
    QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    left.sort();
    EXPECT_EQ(left, (QStringList{".Corvane.ini.new-short", ".Other.ini.new-AbC123", "Corvane.ini.lock"}));
}

}  // namespace
}  // namespace pellimore
