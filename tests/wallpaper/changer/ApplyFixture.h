#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include "platform/Platform.h"
#include "platform/ProgramNames.h"
#include "platform/shell/QtShellFolders.h"
#include "platform/store/IniSettingsStore.h"
#include "platform/store/SettingsKeys.h"
#include "tests/support/FixedClock.h"
#include "tests/support/RecordingDesktop.h"
#include "tests/support/RecordingHelp.h"
#include "tests/support/ScriptedRandom.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempHome.h"
#include "wallpaper/changer/ChangerState.h"
#include "wallpaper/changer/PictureViewModel.h"
#include "wallpaper/changer/PictureLibrary.h"
#include "wallpaper/changer/Schedule.h"
#include "wallpaper/changer/Settings.h"
#include "wallpaper/changer/ShellIntegration.h"
#include "wallpaper/changer/WallpaperInstaller.h"

namespace pellimore::test {

// A picture folder with real picture files, the real settings file, and the
// changer's library, picture view, installer and schedule over a recording desktop of
// 1024 x 768.
class ApplyFixture : public testing::Test {
protected:
    ApplyFixture()
    {
        state.PictureFolder = folder.path();
        state.MyDocsPath = QDir::homePath() + "/";
        state.ScheduleKind = QStringLiteral("Daily");
        state.NextChangeDate = ShortDateText(clock.Today());
    }

    // Writes a picture of one colour (or a pattern when pattern is set).
    QString AddPicture(const QString &name, int width, int height, QColor color = QColor(200, 40, 10))
    {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(color);
        const QString path = folder.filePath(name);
        EXPECT_TRUE(image.save(path, nullptr, 95)) << name.toStdString();
        return path;
    }
    // Scans and reads the library as the start-up does; the first entry is
    // selected.
    void Start()
    {
        state.Loading = true;
        library.ScanPictureFolder();
        library.ReadPictureData();
        state.Loading = false;
        state.SelectedIndex = 0;
        view.MeasureDesktop();
    }
    // Loads the picture into picSource as the change does.
    void Load(const QString &path)
    {
        QImage image(path);
        ASSERT_FALSE(image.isNull());
        view.Source().SetPicture(Bitmap::FromImage(image));
    }
    QString DesktopValue(const QString &key) const
    {
        return store.GetSetting(kApplicationName, DesktopKeys::kSection, key, QStringLiteral("<none>"));
    }

    QTemporaryDir folder;
    QTemporaryDir configFolder;  // a settings file of this test's own
    IniSettingsStore store{configFolder.path()};
    ScriptedUi ui;
    QtShellFolders shell{SourcePath("assets"), QDir::homePath() + "/no-program"};
    FixedClock clock;
    ScriptedRandom random;
    RecordingHelp help;
    Platform platform{store, ui, shell, clock, random, help};
    RecordingDesktop desktop;
    UnavailableActiveDesktop activeDesktop;
    RecordingSound sound;
    ChangerState state;
    PictureLibrary library{state, platform};
    WallpaperInstaller installer{state, platform, desktop, activeDesktop, sound};
    PictureViewModel view{state, library, platform, desktop, installer};
    Schedule schedule{state, library, view, installer, platform};
};

}  // namespace pellimore::test
