// The path helpers both programs share, and where the screen saver's folder
// test differs from the changer's.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/shell/PathHelpers.h"
#include "platform/shell/ShellFolders.h"
#include "tests/support/QtPrinters.h"

namespace pellimore {
namespace {

class FixedFolders final : public ShellFolders {
public:
    QString program = QStringLiteral("/opt/pellimore");
    QString documents = QStringLiteral("/home/ann/Documents");
    QString autostart = QStringLiteral("/home/ann/.config/autostart");
    QString ProgramFolder() const override { return program; }
    QString DocumentsFolder() const override { return documents; }
    QString AutostartFolder() const override { return autostart; }
};

TEST(SpecialFolderPath, NamesTheShellFolderOrFallsBackToTheProgramFolder)
{
    FixedFolders shell;
    EXPECT_EQ(SpecialFolderPath(kDocumentsFolder, shell), "/home/ann/Documents");
    EXPECT_EQ(SpecialFolderPath(kStartupFolder, shell), "/home/ann/.config/autostart");
    EXPECT_EQ(SpecialFolderPath(36, shell), "/opt/pellimore");   // a folder we do not know
    shell.documents.clear();
    shell.autostart.clear();
    EXPECT_EQ(SpecialFolderPath(kDocumentsFolder, shell), "/opt/pellimore");
    EXPECT_EQ(SpecialFolderPath(kStartupFolder, shell), "/opt/pellimore");
}

TEST(TrimTrailingBackslash, TrimsBlanksOnlyThenOneSlash)
{
    EXPECT_EQ(TrimTrailingBackslash(""), "");
    EXPECT_EQ(TrimTrailingBackslash("/"), "");
    EXPECT_EQ(TrimTrailingBackslash(" /a/b / "), "/a/b ");   // the blank before the slash stays
    EXPECT_EQ(TrimTrailingBackslash("\t/a/b/\t"), "\t/a/b/\t");
}

TEST(FolderTests, TheChangersTakesThePathAsItStandsTheScreenSaversTrimsItFirst)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.path();
    QFile(folder + "/file").open(QIODevice::WriteOnly);

    for (const QString &path : {folder, folder + "/"}) {
        EXPECT_TRUE(FolderExists(path)) << path.toStdString();
        EXPECT_TRUE(TrimmedFolderExists(path)) << path.toStdString();
    }
    for (const QString &path : {" " + folder, folder + " ", " " + folder + "/ "}) {
        EXPECT_FALSE(FolderExists(path)) << path.toStdString();
        EXPECT_TRUE(TrimmedFolderExists(path)) << path.toStdString();
    }
    // The root: one slash is the folder for the changer, nothing once trimmed.
    EXPECT_TRUE(FolderExists("/"));
    EXPECT_FALSE(TrimmedFolderExists("/"));
    EXPECT_TRUE(TrimmedFolderExists("//"));
    for (const QString &path : {QString(), QStringLiteral("   "), folder + "/file", folder + "/missing"}) {
        EXPECT_FALSE(FolderExists(path)) << path.toStdString();
        EXPECT_FALSE(TrimmedFolderExists(path)) << path.toStdString();
    }
    EXPECT_TRUE(FileExists(folder + "/file"));
    EXPECT_FALSE(FileExists(folder + "/file "));
}

}  // namespace
}  // namespace pellimore
