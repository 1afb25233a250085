// Section "ScreenSaver" through the real settings file under the temporary HOME.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "platform/shell/PathHelpers.h"
#include "tests/screensaver/SaverFixture.h"

using namespace pellimore;
using namespace pellimore::test;

namespace {

const QString kWarning = QStringLiteral("Please choose a folder with pictures to display in the screen saver.");
const QString kWarningTitle = QStringLiteral("Wallpaper Pellimore Screen Saver");

class SaverSettingsTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        // Each test starts from an empty settings file.
        QFile::remove(s.store.FilePath(QStringLiteral("Corvane")));
    }
    QTemporaryDir folder;
    SaverServices s;
};

}  // namespace

TEST_F(SaverSettingsTest, ReadsEveryKeyWithItsRule)
{
    s.Store("Folder", folder.path());
    s.Store("Display", "0");
    s.Store("Title", "");
    s.Store("FontSize", "11.6");
    s.Store("FontColor", "255");
    s.Store("Bold", "  False ");
    s.Store("Italic", "true");
    s.Store("Underline", "nonsense");
    s.Store("Index", "0");
    s.Store("Random", "7");
    s.Store("Slide", "1");
    s.Store("Color", "65280");
    s.Store("Style", "1");
    s.saver.LoadSaverSettings("/s", nullptr);

    const SaverSettings &v = s.saver.settings;
    EXPECT_EQ(v.folder, folder.path());
    EXPECT_EQ(v.display, 2);                        // 0 becomes 2
    EXPECT_EQ(v.title, "Wallpaper Pellimore Presents...");  // empty becomes the default title
    EXPECT_EQ(v.font, "Arial");
    EXPECT_EQ(v.fontSize, 12);                      // rounded
    EXPECT_EQ(v.fontColor, 255u);
    EXPECT_FALSE(v.bold);
    EXPECT_TRUE(v.italic);
    EXPECT_FALSE(v.underline);                      // unreadable: its default
    EXPECT_EQ(s.saver.pictureIndex, 1);             // 0 becomes 1
    EXPECT_TRUE(v.random);
    EXPECT_TRUE(v.slide);
    EXPECT_EQ(v.color, 65280u);
    EXPECT_EQ(v.style, 1);
    EXPECT_FALSE(s.saver.firstRunWithShow);
}

TEST_F(SaverSettingsTest, IntervalOutOfRangeAndBadIndexAreRepaired)
{
    s.Store("Folder", folder.path());
    for (const char *display : {"121", "-5", "abc"}) {
        s.Store("Display", display);
        s.saver.LoadSaverSettings("/s", nullptr);
        EXPECT_EQ(s.saver.settings.display, 2) << display;
    }
    s.Store("Display", " 120");
    s.Store("Index", "-3");
    s.saver.LoadSaverSettings("/s", nullptr);
    EXPECT_EQ(s.saver.settings.display, 120);
    EXPECT_EQ(s.saver.pictureIndex, 1);
}

TEST_F(SaverSettingsTest, FirstRunWithShowWarnsAndTakesTheMainProgramsFolder)
{
    s.store.SaveSetting("Corvane", "Wallpaper", "Folder", folder.path());
    s.ui.ExpectMessage(kWarning, kWarningTitle, MessageResult::Ok).WithIcon(MessageIcon::Exclamation);
    bool setupShown = false;
    s.saver.LoadSaverSettings("/S 1234", [&] { setupShown = true; });

    EXPECT_TRUE(s.saver.firstRunWithShow);
    EXPECT_FALSE(setupShown);  // the dialog opens later, not modally here
    EXPECT_EQ(s.saver.settings.folder, folder.path());
    EXPECT_EQ(s.Stored("Folder"), folder.path());
    EXPECT_EQ(s.Stored("Index"), "1");
    EXPECT_EQ(s.Stored("Random"), "0");
    EXPECT_EQ(s.Stored("Slide"), "0");
    EXPECT_EQ(s.Stored("Color"), "10485760");
    EXPECT_EQ(s.Stored("Style"), "0");
    EXPECT_EQ(s.Stored("Display"), "2");
    EXPECT_EQ(s.Stored("Title"), "Wallpaper Pellimore Presents...");
    // The main program's key is read, never written.
    EXPECT_EQ(s.store.GetSetting("Corvane", "Wallpaper", "Folder"), folder.path());
}

TEST_F(SaverSettingsTest, FirstRunWithoutShowOpensTheDialogAndNeverWritesAnEmptyFolder)
{
    s.Store("Folder", "/no/such/folder");
    s.Store("Random", "1");
    s.ui.ExpectMessage(kWarning, kWarningTitle, MessageResult::Ok);
    int setupShown = 0;
    s.saver.LoadSaverSettings("", [&] { ++setupShown; });
    EXPECT_EQ(setupShown, 1);
    EXPECT_FALSE(s.saver.firstRunWithShow);
    EXPECT_FALSE(s.saver.settings.random);
    EXPECT_TRUE(s.saver.settings.folder.isEmpty());
    EXPECT_EQ(s.Stored("Folder"), "/no/such/folder");
    // "MyDocs" that is no folder: the documents folder is offered.
    EXPECT_EQ(s.saver.OfferedFolder(), s.shell.DocumentsFolder());
}

TEST_F(SaverSettingsTest, SaveWritesTheWholeSectionAndTheIndexAlone)
{
    SaverSettings &v = s.saver.settings;
    v.folder = folder.path();
    v.display = 7;
    v.random = true;
    v.title = "Holiday";
    v.slide = false;
    v.color = 123456;
    v.style = 1;
    v.font = "DejaVu Sans";
    v.bold = false;
    v.italic = true;
    v.fontSize = 20;
    v.fontColor = 255;
    v.underline = true;
    s.saver.SaveSaverSettings();
    EXPECT_EQ(s.Stored("Folder"), folder.path());
    EXPECT_EQ(s.Stored("Display"), "7");
    EXPECT_EQ(s.Stored("Random"), "1");
    EXPECT_EQ(s.Stored("Title"), "Holiday");
    EXPECT_EQ(s.Stored("Slide"), "0");
    EXPECT_EQ(s.Stored("Color"), "123456");
    EXPECT_EQ(s.Stored("Style"), "1");
    EXPECT_EQ(s.Stored("Font"), "DejaVu Sans");
    EXPECT_EQ(s.Stored("Bold"), "False");
    EXPECT_EQ(s.Stored("Italic"), "True");
    EXPECT_EQ(s.Stored("FontSize"), "20");
    EXPECT_EQ(s.Stored("FontColor"), "255");
    EXPECT_EQ(s.Stored("Underline"), "True");
    EXPECT_EQ(s.Stored("Index"), "<absent>");
    EXPECT_EQ(s.Stored("MyDocs"), "<absent>");

    s.saver.pictureIndex = 4;
    s.saver.SavePictureIndex();
    EXPECT_EQ(s.Stored("Index"), "4");

    // Read back, the same values.
    SaverServices again;
    again.saver.LoadSaverSettings("/s", nullptr);
    EXPECT_EQ(again.saver.settings.title, "Holiday");
    EXPECT_EQ(again.saver.settings.fontSize, 20);
    EXPECT_TRUE(again.saver.settings.italic);
    EXPECT_EQ(again.saver.pictureIndex, 4);
}

TEST(SaverPaths, FolderAndNameRules)
{
    QTemporaryDir dir;
    EXPECT_EQ(TrimTrailingBackslash("  /a/b/ "), "/a/b");
    EXPECT_EQ(TrimTrailingBackslash("/a/b//"), "/a/b/");
    EXPECT_TRUE(TrimmedFolderExists(dir.path() + "/"));
    EXPECT_TRUE(TrimmedFolderExists(" " + dir.path()));
    EXPECT_FALSE(TrimmedFolderExists(""));
    EXPECT_FALSE(TrimmedFolderExists(WritePicture(dir.path(), "x.bmp", 2, 2)));
    for (const char *name : {"a.jpg", "b.JPG", "c.Gif", "d.bmp", "jpg"})
        EXPECT_TRUE(IsShowPictureName(name)) << name;
    for (const char *name : {"a.jpeg", "b.png", "c.gif.txt", "gi"})
        EXPECT_FALSE(IsShowPictureName(name)) << name;
}

TEST(PictureList, CountsPicturesInNameOrderAndShuffles)
{
    SaverServices s;
    QTemporaryDir dir;
    for (const char *name : {"c.BMP", "a.jpg", "B.Gif", "skip.jpeg", "skip.png", ".hidden.jpg"})
        WritePicture(dir.path(), name, 2, 2);
    QDir(dir.path()).mkdir("folder.jpg");
    s.saver.settings.folder = dir.path();
    s.saver.BuildPictureList();
    EXPECT_FALSE(s.saver.listEmpty);
    EXPECT_EQ(s.saver.pictureList, QStringList({"a.jpg", "B.Gif", "c.BMP"}));
    EXPECT_EQ(s.saver.PicturePath(2), dir.path() + "/B.Gif");

    // i = 1: r = int(3 * 0.9) + 1 = 3 (c, B, a); i = 2: 0.4 gives 2 = i, so
    // draw again: 0.0 gives 1 (B, c, a); i = 3: 0.0 gives 1 (a, c, B).
    s.random.Queue({0.9f, 0.4f, 0.0f, 0.0f});
    s.saver.ShufflePictures();
    EXPECT_EQ(s.saver.pictureList, QStringList({"a.jpg", "c.BMP", "B.Gif"}));

    // A folder without pictures leaves the list as it was.
    QTemporaryDir empty;
    s.saver.settings.folder = empty.path();
    s.saver.BuildPictureList();
    EXPECT_TRUE(s.saver.listEmpty);
    EXPECT_EQ(s.saver.PictureCount(), 3);

    // A list of one stays as it is (and draws no number).
    s.saver.pictureList = QStringList({"only.jpg"});
    const int before = s.random.Calls();
    s.saver.ShufflePictures();
    EXPECT_EQ(s.saver.pictureList, QStringList({"only.jpg"}));
    EXPECT_EQ(s.random.Calls(), before);
}

TEST(Waits, EndOnTimeOnStopAndAtMidnight)
{
    SaverServices s;
    s.saver.settings.display = 5;
    s.saver.WaitInterval();
    EXPECT_EQ(s.pump.sleptMs, 5000);
    EXPECT_EQ(s.pump.turns, 5);  // never more than a second per turn

    // An interval of 0 waits 2 seconds.
    s.pump.sleptMs = 0;
    s.saver.settings.display = 0;
    s.saver.WaitInterval();
    EXPECT_EQ(s.pump.sleptMs, 2000);

    // A stop request ends the wait at the next turn.
    s.pump.sleptMs = 0;
    s.pump.onTurn = [&] { s.saver.StopRequested = true; };
    s.saver.Wait(60);
    EXPECT_EQ(s.pump.sleptMs, 1000);
    s.saver.StopRequested = false;

    // Midnight: the time of day goes back, the wait ends.
    s.pump.onTurn = nullptr;
    s.clock.SetTimeOfDay(QTime(23, 59, 59));
    s.pump.sleptMs = 0;
    s.saver.Wait(30);
    EXPECT_EQ(s.pump.sleptMs, 1000);
}
