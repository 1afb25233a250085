// The settings dialog through its handlers (offscreen), with the scripted ui.
#include <gtest/gtest.h>

#include <QFontMetrics>

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include "screensaver/SetupSaver.h"
#include "tests/screensaver/SaverFixture.h"

using namespace pellimore;
using namespace pellimore::test;

namespace {

class SetupDialog : public testing::Test {
protected:
    void SetUp() override
    {
        QFile::remove(s.store.FilePath(QStringLiteral("Corvane")));
        WritePicture(pictures.path(), "a.jpg", 4, 4);
        WritePicture(pictures.path(), "b.bmp", 4, 4);
        s.saver.settings.folder = pictures.path();
        s.saver.settings.title = "My Show";
        s.saver.settings.display = 9;
    }
    QTemporaryDir pictures;
    SaverServices s;
};

}  // namespace

TEST_F(SetupDialog, OpensWithTheSettingsAndItsCaptions)
{
    SetupSaver dialog(s.saver);
    EXPECT_EQ(dialog.windowTitle(), "Wallpaper Pellimore Screen Saver Settings");
    EXPECT_EQ(dialog.txtDir->text(), pictures.path());
    EXPECT_EQ(dialog.txtTitle->text(), "My Show");
    EXPECT_EQ(dialog.txtTime->text(), "9");
    EXPECT_TRUE(dialog.cmdSave->isEnabled());
    EXPECT_TRUE(dialog.optDisplay[0]->isChecked());
    EXPECT_TRUE(dialog.txtTime->isHidden());  // hidden with "Use Transitions"
    EXPECT_EQ(dialog.cmdDir->text(), "Change &Folder");
    EXPECT_EQ(dialog.lblTime->text(), "Time interval between pictures  (seconds)");
    EXPECT_EQ(dialog.txtColor->toolTip(), "Click here to change color");
    EXPECT_EQ(dialog.txtTime->toolTip(), "1-120 seconds");
    dialog.optDisplay[1]->setChecked(true);
    dialog.optDisplay_Click(1);
    EXPECT_FALSE(dialog.txtTime->isHidden());
}

TEST_F(SetupDialog, TheTitleSampleShowsTheWholeTitleFromItsStartInItsFont)
{
    s.saver.settings.title = QStringLiteral("Wallpaper Pellimore Presents...");
    s.saver.settings.fontSize = 24;
    SetupSaver dialog(s.saver);
    dialog.show();
    dialog.adjustSize();
    EXPECT_EQ(dialog.txtTitle->cursorPosition(), 0);
    EXPECT_EQ(dialog.txtTitle->font().pointSize(), 24);
    const int needed = QFontMetrics(dialog.txtTitle->font()).horizontalAdvance(dialog.txtTitle->text());
    EXPECT_GT(dialog.txtTitle->width(), needed) << "the title is cut off";
}

TEST_F(SetupDialog, FolderWithoutPicturesDisablesSave)
{
    QTemporaryDir empty;
    s.saver.settings.folder = empty.path();
    SetupSaver dialog(s.saver);
    EXPECT_FALSE(dialog.cmdSave->isEnabled());
}

TEST_F(SetupDialog, IntervalMustBeOneTo120WithSlideShowOnly)
{
    SetupSaver dialog(s.saver);
    dialog.optDisplay[1]->setChecked(true);
    for (const char *text : {"", "0", "121"}) {
        SCOPED_TRACE(text);
        dialog.txtTime->setText(text);
        s.ui.ExpectMessage("Time between pictures must be between 1 and 120 seconds", "Set Interval",
                           MessageResult::Ok)
            .WithIcon(MessageIcon::Critical);
        dialog.cmdSave_Click();
        EXPECT_EQ(dialog.txtTime->text(), "2");
        EXPECT_EQ(s.Stored("Display"), "<absent>");  // nothing saved
    }
    dialog.txtTime->setText("120");
    dialog.cmdSave_Click();
    EXPECT_EQ(s.Stored("Display"), "120");
    EXPECT_EQ(s.Stored("Slide"), "1");
    EXPECT_EQ(s.Stored("Title"), "My Show");
}

TEST_F(SetupDialog, HiddenIntervalIsNotCheckedWithTransitions)
{
    SetupSaver dialog(s.saver);
    dialog.txtTime->setText("500");
    dialog.cmdSave_Click();
    EXPECT_EQ(s.Stored("Display"), "9");
    EXPECT_EQ(s.Stored("Slide"), "0");
}

TEST_F(SetupDialog, IntervalBoxTakesOnlyDigitsAndBackspace)
{
    SetupSaver dialog(s.saver);
    dialog.txtTime->setText("");
    QTest::keyClicks(dialog.txtTime, "1a2-b");
    EXPECT_EQ(dialog.txtTime->text(), "12");
    QTest::keyClick(dialog.txtTime, Qt::Key_Backspace);
    EXPECT_EQ(dialog.txtTime->text(), "1");
}

TEST_F(SetupDialog, TurningRandomOffRebuildsTheListAndRestarts)
{
    s.saver.settings.random = true;
    s.saver.pictureIndex = 2;
    SetupSaver dialog(s.saver);
    s.saver.pictureList = QStringList({"b.bmp", "a.jpg"});
    dialog.ckRandom->setChecked(false);
    dialog.cmdSave_Click();
    EXPECT_EQ(s.saver.pictureList, QStringList({"a.jpg", "b.bmp"}));
    EXPECT_EQ(s.saver.pictureIndex, 1);
    EXPECT_EQ(s.Stored("Random"), "0");
}

TEST_F(SetupDialog, ColourFontAndFolderChoosers)
{
    SetupSaver dialog(s.saver);
    s.ui.ExpectColor(std::nullopt);  // cancelled: nothing changes
    dialog.txtColor_MouseDown();
    EXPECT_EQ(dialog.DialogColor(), SaverSettings::kDefaultBackground);
    s.ui.ExpectColor(Rgb(1, 2, 3));
    dialog.txtColor_MouseDown();
    EXPECT_EQ(dialog.DialogColor(), Rgb(1, 2, 3));

    QFont font("DejaVu Serif");
    font.setPointSizeF(17.6);
    font.setItalic(true);
    s.ui.ExpectFont(font);
    s.ui.ExpectColor(Rgb(9, 9, 9));  // the title colour comes next
    dialog.cmdFont_Click();
    EXPECT_EQ(s.saver.settings.font, "DejaVu Serif");
    EXPECT_EQ(s.saver.settings.fontSize, 18);
    EXPECT_TRUE(s.saver.settings.italic);
    EXPECT_EQ(s.saver.settings.fontColor, Rgb(9, 9, 9));

    // A folder without pictures: the message, the old folder stays.
    QTemporaryDir empty;
    s.ui.ExpectFolder(empty.path());
    s.ui.ExpectMessage(MessageResult::Ok).WithIcon(MessageIcon::Critical);
    dialog.cmdDir_Click();
    EXPECT_EQ(s.ui.FolderRequests().back().initialFolder, pictures.path());
    EXPECT_EQ(s.ui.FolderRequests().back().title,
              "Select another folder with pictures in it that you'd like the Screen Saver to use:");
    EXPECT_EQ(s.saver.settings.folder, pictures.path());

    dialog.cmdSave_Click();
    EXPECT_EQ(s.Stored("Color"), "197121");
    EXPECT_EQ(s.Stored("Font"), "DejaVu Serif");
}

TEST_F(SetupDialog, ClosingOutsideTheShowEndsTheProgramAndF1OpensHelp)
{
    int unloads = 0;
    {
        SetupSaver dialog(s.saver);
        dialog.SetOnUnload([&] { ++unloads; });
        QTest::keyClick(&dialog, Qt::Key_F1);
        ASSERT_FALSE(s.help.Empty());
        EXPECT_EQ(s.help.Last().helpFile, "WP.chm");
        dialog.show();
        dialog.Command2_Click();
    }
    EXPECT_EQ(unloads, 1);

    s.saver.runMode = RunMode::Show;
    SetupSaver overShow(s.saver);
    overShow.SetOnUnload([&] { ++unloads; });
    overShow.show();
    overShow.Command2_Click();
    EXPECT_EQ(unloads, 1);
}
