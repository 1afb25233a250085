#pragma once

// The Resize and Crop window's tests: the real app, picture folder and
// settings under a temporary HOME and a scripted ui.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>

#include <memory>

#include "platform/Platform.h"
#include "platform/ProgramNames.h"
#include "platform/shell/QtShellFolders.h"
#include "platform/store/IniSettingsStore.h"
#include "platform/store/SettingsKeys.h"
#include "tests/support/FixedClock.h"
#include "tests/support/ProgramServices.h"
#include "tests/support/RecordingDesktop.h"
#include "tests/support/RecordingHelp.h"
#include "tests/support/ScriptedInstance.h"
#include "tests/support/ScriptedRandom.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempHome.h"
#include "wallpaper/changer/ChangerState.h"
#include "wallpaper/changer/PictureLibrary.h"
#include "wallpaper/changer/WallpaperApp.h"
#include "wallpaper/window/ResizeModel.h"

namespace pellimore::test {

// A picture whose every pixel differs from its neighbours, so a crop in the
// wrong place cannot match.
inline QImage Pattern(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb((x * 7) & 255, (y * 5) & 255, ((x + y) * 3) & 255));
    return image;
}

class ResizeFixture : public testing::Test, protected ProgramServices {
protected:
    void SetUp() override
    {
        QFile::remove(QDir::homePath() + "/.config/Corvane/Corvane.ini");
        QDir(Pictures()).removeRecursively();
        QDir().mkpath(Pictures());
        store.SaveSetting(kApplicationName, WallpaperKeys::kSection, WallpaperKeys::kFolder, Pictures());
        store.SaveSetting(kApplicationName, WallpaperKeys::kSection, WallpaperKeys::kStartup, " 0");
    }

    static QString Pictures() { return QDir::homePath() + "/pictures"; }
    // Lossless pictures (PNG, BMP) keep exact pixels for the comparisons.
    static void Write(const QString &name, const QImage &image) { ASSERT_TRUE(image.save(Pictures() + "/" + name)); }

    // Starts the app with `name` selected in the main list.
    bool Start(const QString &name)
    {
        app = std::make_unique<WallpaperApp>(ForApp());
        if (app->Start({}) != StartOutcome::Running)
            return false;
        const int index = int(app->Library().PictureNames().indexOf(name));
        if (index < 0)
            return false;
        app->State().SelectedIndex = index;
        return true;
    }

    std::unique_ptr<WallpaperApp> app;
};

}  // namespace pellimore::test
