#pragma once

#include <QString>

#include "platform/raster/Bitmap.h"

namespace pellimore {

// Program-wide state of the wallpaper changer: the settings of section
// "Wallpaper" as they are held while the program runs, and the start-up flags.
// One object, owned by the application and passed by reference.
struct ChangerState {
    // Settings (their keys are in Settings.cpp).
    QString PictureFolder;
    int StartupState = 3;          // 3 never decided, 1 shortcut present, 0 removed by the user
    int CurrentOrder = 0;
    QString ScheduleKind;          // "Hour", "Daily", "Week", "Month"
    int HourInterval = 1;
    int ChangeWeekday = 0;         // Monday = 1 ... Sunday = 7; 0 not chosen
    QString NextChangeDate;        // short date text
    int PlaySoundOnChange = 1;
    ColorRef DefaultBackColor = 0;
    int NoActiveDesktop = 1;
    int JpegQuality = 85;          // 85, 93 or 100
    int ReminderOff = 0;

    // Start-up state.
    QString MyDocsPath;            // the documents folder, ending in "/"
    ColorRef DesktopColor = 0;
    bool FirstRun = false;
    bool AutoRunStart = false;
    bool Loading = false;

    // The picture library's positions (see PictureLibrary).
    int SelectedIndex = -1;        // 0-based list position the program works on; -1 none selected
    int CurrentIndex = 0;          // 1-based list number of the current picture; 0 none

    // The desktop and the picture last analysed (see PictureViewModel).
    int DesktopWidth = 0;          // primary screen, device pixels
    int DesktopHeight = 0;
    bool LargeFonts = false;       // the screen is not 96 DPI
    bool LargerThanDesktop = false;
    bool SmallPicture = false;     // at most half the desktop both ways (designer)
    bool PendingApply = false;     // a picture is shown in the thumbnail and not yet the wallpaper
    bool ActiveDesktopFailed = false;
    bool UnsavedTold = false;      // the user has been told that a file could not be saved

    // The schedule's minute counting (see Schedule).
    int CheckPeriodMinutes = 60;
    int MinutesSinceCheck = 0;
};

}  // namespace pellimore
