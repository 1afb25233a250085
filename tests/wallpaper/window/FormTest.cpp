// The settings window's real form, offscreen, over the real app with a
// temporary HOME, a scripted ui and a scripted notification area.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>

#include "platform/Platform.h"
#include "platform/ProgramNames.h"
#include "platform/shell/QtShellFolders.h"
#include "platform/store/IniSettingsStore.h"
#include "platform/store/SettingsKeys.h"
#include "platform/tray/NotificationArea.h"
#include "tests/support/FixedClock.h"
#include "tests/support/ProgramServices.h"
#include "tests/support/RecordingDesktop.h"
#include "tests/support/RecordingHelp.h"
#include "tests/support/ScriptedInstance.h"
#include "tests/support/ScriptedNotificationArea.h"
#include "tests/support/ScriptedRandom.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempHome.h"
#include "wallpaper/forms/frmWallpaper.h"

namespace pellimore::test {
namespace {

class FormTest : public testing::Test, protected ProgramServices {
protected:
    void SetUp() override
    {
        QFile::remove(QDir::homePath() + "/.config/Corvane/Corvane.ini");
        const QString pictures = QDir::homePath() + "/form-pictures";
        QDir(pictures).removeRecursively();
        QDir().mkpath(pictures);
        for (const char *name : {"one.jpg", "two.jpg"}) {
            QImage image(320, 200, QImage::Format_RGB32);
            image.fill(QColor(200, 90, 30));
            ASSERT_TRUE(image.save(pictures + "/" + name));
        }
        store.SaveSetting(kApplicationName, WallpaperKeys::kSection, WallpaperKeys::kFolder, pictures);
        store.SaveSetting(kApplicationName, WallpaperKeys::kSection, WallpaperKeys::kStartup, " 0");
        store.SaveSetting(kApplicationName, WallpaperKeys::kSection, WallpaperKeys::kAutoStartMessage, "1");
    }

    template <typename Widget>
    Widget *Control(QWidget &window, const char *name)
    {
        auto *widget = window.findChild<Widget *>(QLatin1String(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    static QStringList Captions(const QMenu &menu)
    {
        QStringList captions;
        for (const QAction *action : menu.actions())
            captions << (action->isSeparator() ? QStringLiteral("-") : action->text());
        return captions;
    }

    ScriptedNotificationArea area;
    WallpaperApp app{ForApp()};
};

TEST_F(FormTest, TheWindowShowsItsControlsAndMenusAndTheTrayIconItsMenu)
{
    frmWallpaper window(app, area);
    ASSERT_EQ(app.Start({}), StartOutcome::Running);
    EXPECT_EQ(window.windowTitle(), "Wallpaper Pellimore Desktop Designer Settings");
    EXPECT_EQ(Control<QPushButton>(window, "cmdSetWallpaper")->text(), "Start Wallpaper Pellimore");
    EXPECT_EQ(Control<QPushButton>(window, "cmdPreview")->text(), "&Preview on Desktop");
    EXPECT_EQ(Control<QPushButton>(window, "cmdAddPic")->toolTip(), "Add picture to list");
    EXPECT_EQ(Control<QListWidget>(window, "FileList")->count(), 2);
    // No picture is shown yet: the commands that work on one are off until a
    // click shows one.
    EXPECT_FALSE(app.View().Source().HasPicture());
    EXPECT_FALSE(Control<QPushButton>(window, "cmdBackground")->isEnabled());
    EXPECT_FALSE(Control<QPushButton>(window, "cmdReSize")->isEnabled());
    window.Model().FileList_Click(0);
    EXPECT_TRUE(Control<QPushButton>(window, "cmdReSize")->isEnabled());
    EXPECT_TRUE(Control<QPushButton>(window, "cmdBackground")->isEnabled()) << "a picture smaller than the desktop";
    QStringList menus;
    for (const QAction *action : window.menuBar()->actions())
        menus << action->text();
    EXPECT_EQ(menus, QStringList({"&Program", "&Options", "&Help"}));
    EXPECT_FALSE(Control<QAction>(window, "mnuStartup")->isChecked());
    EXPECT_FALSE(Control<QAction>(window, "mnuMessage")->isChecked());

    // Start: the icon goes into the notification area with its tip; the
    // right button pops the "Tray" menu up.
    Control<QPushButton>(window, "cmdSetWallpaper")->click();
    const NotifyIconData *icon = area.OnlyIcon();
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->tip, "Wallpaper Pellimore");
    EXPECT_FALSE(window.isVisible());
    auto *tray = Control<QMenu>(window, "mnuTray");
    EXPECT_EQ(Captions(*tray), QStringList({"Settings", "Next Wallpaper", "-", "Close Wallpaper Pellimore"}));
    ASSERT_TRUE(area.Send(TrayMouse::kRightDown));
    EXPECT_TRUE(tray->isVisible());
    tray->hide();

    // A double click brings the settings back; the icon stays.
    ASSERT_TRUE(area.Send(TrayMouse::kLeftDoubleClick));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(area.IconCount(), 1u);
}

TEST_F(FormTest, PreviewWithoutAPictureSaysSoAndWithOneShrinksTheWindow)
{
    store.SaveSetting(kApplicationName, WallpaperKeys::kSection, WallpaperKeys::kCurrent, " 0");
    frmWallpaper window(app, area);
    ASSERT_EQ(app.Start({}), StartOutcome::Running);
    window.show();
    app.State().PendingApply = false;
    ui.ExpectMessage(kNoPictureClickedText, MessageResult::Ok);
    auto *preview = Control<QPushButton>(window, "cmdPreview");
    preview->click();
    EXPECT_TRUE(ui.VerifyAllUsed());

    auto *list = Control<QListWidget>(window, "FileList");
    window.Model().FileList_Click(1);
    EXPECT_EQ(list->currentRow(), 1);
    preview->click();
    EXPECT_EQ(preview->text(), "End &Preview");
    EXPECT_FALSE(Control<QWidget>(window, "Frame13")->isVisible());
    ASSERT_EQ(desktop.AppliedWallpapers().size(), 1u);

    // Closing now ends the preview only.
    EXPECT_FALSE(window.close());
    EXPECT_EQ(preview->text(), "&Preview on Desktop");
    EXPECT_TRUE(Control<QWidget>(window, "Frame13")->isVisible());
}

}  // namespace
}  // namespace pellimore::test
