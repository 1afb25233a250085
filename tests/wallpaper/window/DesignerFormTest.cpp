// The Combine Pictures window's real form, offscreen, opened from the real
// settings window over the real app with a temporary HOME and a scripted ui.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>

#include "platform/Platform.h"
#include "platform/ProgramNames.h"
#include "platform/shell/QtShellFolders.h"
#include "platform/store/IniSettingsStore.h"
#include "platform/store/SettingsKeys.h"
#include "platform/tray/NotificationArea.h"
#include "tests/support/FixedClock.h"
#include "tests/support/RecordingDesktop.h"
#include "tests/support/RecordingHelp.h"
#include "tests/support/ScriptedInstance.h"
#include "tests/support/ScriptedNotificationArea.h"
#include "tests/support/ScriptedRandom.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempHome.h"
#include "wallpaper/forms/frmCombine.h"
#include "wallpaper/forms/frmWallpaper.h"

namespace pellimore::test {
namespace {

class DesignerFormTest : public testing::Test {
protected:
    void SetUp() override
    {
        QFile::remove(QDir::homePath() + "/.config/Corvane/Corvane.ini");
        QDir(Pictures()).removeRecursively();
        QDir().mkpath(Pictures() + "/backgrounds");
        Write(Pictures() + "/front.jpg", QSize(1000, 600), QColor(200, 40, 40));
        Write(Pictures() + "/backgrounds/small.jpg", QSize(400, 300), QColor(20, 160, 20));
        Write(Pictures() + "/backgrounds/wide.jpg", QSize(401, 300), QColor(20, 20, 160));
        for (const auto &[key, value] : {std::pair{WallpaperKeys::kFolder, Pictures()},
                                         std::pair{WallpaperKeys::kStartup, QStringLiteral(" 0")},
                                         std::pair{WallpaperKeys::kAutoStartMessage, QStringLiteral("1")}})
            store.SaveSetting(kApplicationName, WallpaperKeys::kSection, key, value);
    }
    static QString Pictures() { return QDir::homePath() + "/designer-pictures"; }
    static void Write(const QString &path, QSize size, QColor color)
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(color);
        ASSERT_TRUE(image.save(path));
    }
    template <typename Widget>
    static Widget *Control(QWidget &window, const char *name, int index = -1)
    {
        for (Widget *widget : window.findChildren<Widget *>(QLatin1String(name))) {
            if (index < 0 || widget->property("index").toInt() == index)
                return widget;
        }
        ADD_FAILURE() << name << " " << index;
        return nullptr;
    }
    // The settings window with the front picture chosen, and the designer
    // opened from its "Combine &Pics" button.
    frmCombine *OpenDesigner(frmWallpaper &window)
    {
        EXPECT_EQ(app.Start({}), StartOutcome::Running);
        window.show();
        window.Model().FileList_Click(0);
        Control<QPushButton>(window, "cmdBackground")->click();
        for (QWidget *top : QApplication::topLevelWidgets()) {
            if (auto *designer = qobject_cast<frmCombine *>(top))
                return designer;
        }
        ADD_FAILURE() << "no designer";
        return nullptr;
    }
    static void Type(QWidget *box, Qt::Key key, const QString &text)
    {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(box, &press);
    }

    IniSettingsStore store;
    ScriptedUi ui;
    QtShellFolders shell{SourcePath("assets"), QDir::homePath() + "/no-program"};
    FixedClock clock;
    ScriptedRandom random;
    RecordingHelp help;
    Platform platform{store, ui, shell, clock, random, help};
    ScriptedInstance instance;
    RecordingDesktop desktop{QSize(1024, 768)};
    UnavailableActiveDesktop activeDesktop;
    RecordingSound sound;
    ScriptedNotificationArea area;
    WallpaperApp app{{platform, instance, desktop, activeDesktop, sound, QStringLiteral("/usr/bin/WallPaper")}};
};

TEST_F(DesignerFormTest, OpensOverTheHiddenMainWindowWithItsMarginsAndATypedLetterChangesNothing)
{
    frmWallpaper window(app, area);
    QPointer<frmCombine> designer = OpenDesigner(window);
    ASSERT_TRUE(designer);
    EXPECT_EQ(designer->windowTitle(), "Create Wallpaper -Choose Background Picture or Gradient");
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(Control<QPushButton>(*designer, "cmdPreview")->toolTip(), "Preview on Desktop");
    EXPECT_EQ(Control<QPushButton>(*designer, "cmdSavePic")->toolTip(), "Save new wallpaper");
    EXPECT_EQ(Control<QLabel>(*designer, "imgCursor")->toolTip(),
              "Click & hold mouse down to select color from screen.");
    EXPECT_EQ(Control<QLabel>(*designer, "lblScreenRes")->text(), "Desktop = 1024 x 768");
    EXPECT_FALSE(Control<QPushButton>(*designer, "cmdSavePic")->isEnabled());
    EXPECT_EQ(Control<QListWidget>(*designer, "FileList")->count(), 2);

    QLineEdit *horizontal = Control<QLineEdit>(*designer, "txtMargin", 1);
    QLineEdit *vertical = Control<QLineEdit>(*designer, "txtMargin", 2);
    EXPECT_EQ(horizontal->text(), "0");
    EXPECT_EQ(vertical->text(), "72");

    designer->Model().FileList_Click(0);
    auto *preview = Control<QPushButton>(*designer, "cmdPreview");
    ASSERT_TRUE(preview->isEnabled());
    Control<QRadioButton>(*designer, "optOrient", 1)->click();
    ASSERT_TRUE(vertical->isEnabled());
    vertical->setFocus();
    Type(vertical, Qt::Key_A, "a");
    EXPECT_EQ(vertical->text(), "72");
    EXPECT_FALSE(preview->isEnabled());

    Control<QPushButton>(*designer, "cmdCancel")->click();
    QApplication::processEvents();
    EXPECT_TRUE(designer.isNull()) << "closed and deleted";
    EXPECT_TRUE(window.isVisible()) << "the main window is back";
}

TEST_F(DesignerFormTest, TheTileViewShowsBackgroundsUpTo400PixelsAndTheDesktopPreviewShrinksToAStrip)
{
    frmWallpaper window(app, area);
    frmCombine *designer = OpenDesigner(window);
    ASSERT_NE(designer, nullptr);
    auto *list = Control<QListWidget>(*designer, "FileList");
    auto *tile = Control<QLabel>(*designer, "lblTile");
    emit list->itemClicked(list->item(0));
    EXPECT_TRUE(tile->isVisibleTo(designer));
    emit list->itemClicked(list->item(1));
    EXPECT_FALSE(tile->isVisibleTo(designer));

    auto *preview = Control<QPushButton>(*designer, "cmdPreview");
    const QSize full = designer->size();
    preview->click();
    EXPECT_EQ(preview->text(), "End &Preview");
    EXPECT_FALSE(Control<QWidget>(*designer, "fraFileLlist")->isVisibleTo(designer));
    EXPECT_TRUE(Control<QWidget>(*designer, "picThumbCombo")->isVisibleTo(designer));
    EXPECT_LT(designer->width() * designer->height(), full.width() * full.height());
    EXPECT_EQ(desktop.AppliedWallpapers().back().path, Pictures() + "/TempCombo.bmp");

    // Closing during the preview ends it and keeps the window open.
    EXPECT_FALSE(designer->close());
    EXPECT_EQ(preview->text(), "&Preview");
    EXPECT_TRUE(Control<QWidget>(*designer, "fraFileLlist")->isVisibleTo(designer));
    EXPECT_FALSE(QFile::exists(Pictures() + "/TempCombo.bmp"));
    designer->close();
}

TEST_F(DesignerFormTest, SavingSelectsTheNewPictureInTheMainWindowAndClosesTheDesigner)
{
    frmWallpaper window(app, area);
    QPointer<frmCombine> designer = OpenDesigner(window);
    ASSERT_TRUE(designer);
    Control<QRadioButton>(*designer, "optBackType", 1)->click();
    EXPECT_TRUE(Control<QWidget>(*designer, "fraColor")->isVisibleTo(designer));
    EXPECT_FALSE(Control<QWidget>(*designer, "ckDiagonal")->isVisibleTo(designer));
    Control<QRadioButton>(*designer, "optGrad", 3)->click();
    EXPECT_TRUE(Control<QWidget>(*designer, "ckDiagonal")->isVisibleTo(designer));

    ui.ExpectSaveFile(std::nullopt);
    Control<QPushButton>(*designer, "cmdSavePic")->click();
    EXPECT_EQ(Control<QLabel>(*designer, "lblSaved")->text(), "Saved!");
    ASSERT_TRUE(designer);

    ui.ExpectSaveFile(Pictures() + "/mine.jpg");
    Control<QPushButton>(*designer, "cmdSavePic")->click();
    QApplication::processEvents();
    EXPECT_TRUE(designer.isNull());
    EXPECT_TRUE(window.isVisible());
    auto *mainList = Control<QListWidget>(window, "FileList");
    ASSERT_NE(mainList->currentItem(), nullptr);
    EXPECT_EQ(mainList->currentItem()->text(), "mine.jpg");
    EXPECT_TRUE(ui.VerifyAllUsed());
}

}  // namespace
}  // namespace pellimore::test
