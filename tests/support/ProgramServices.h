#pragma once

#include <QDir>

#include "platform/Platform.h"
#include "platform/shell/QtShellFolders.h"
#include "platform/store/IniSettingsStore.h"
#include "tests/support/FixedClock.h"
#include "tests/support/RecordingDesktop.h"
#include "tests/support/RecordingHelp.h"
#include "tests/support/ScriptedInstance.h"
#include "tests/support/ScriptedRandom.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempHome.h"
#include "wallpaper/changer/WallpaperApp.h"

namespace pellimore::test {

// The services a WallPaper started in a test gets: the real settings file and
// shell folders under the test's HOME (the samples from the sources), a
// scripted ui, random source and instance channel, a fixed clock, and
// recording help, desktop and sound.
struct ProgramServices {
    WallpaperApp::Services ForApp()
    {
        return {platform, instance, desktop, activeDesktop, sound, QStringLiteral("/usr/bin/WallPaper")};
    }

    IniSettingsStore store;
    ScriptedUi ui;
    QtShellFolders shell{SourcePath("assets"), QDir::homePath() + "/no-program"};
    FixedClock clock;
    ScriptedRandom random;
    RecordingHelp help;
    Platform platform{store, ui, shell, clock, random, help};
    ScriptedInstance instance;
    RecordingDesktop desktop;
    UnavailableActiveDesktop activeDesktop;
    RecordingSound sound;
};

}  // namespace pellimore::test
