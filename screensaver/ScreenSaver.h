#pragma once

#include <QString>
#include <QStringList>

#include <functional>

#include "screensaver/CommandLine.h"
#include "screensaver/SaverSettings.h"

namespace pellimore {

struct Platform;

// True when a file name counts as a picture of the show: its last three
// characters, upper-cased, are "JPG", "GIF" or "BMP".
bool IsShowPictureName(const QString &fileName);

// How a wait lets the program's events run: it blocks until an event
// arrives or maxMs milliseconds pass, so a wait costs no CPU.
class EventPump {
public:
    virtual ~EventPump() = default;
    virtual void WaitForEvents(int maxMs) = 0;
    // Runs the events already queued, without blocking.
    virtual void ProcessPending() = 0;
};

// The ScreenSaver module: the program-wide state of the screen saver and
// its shared routines (settings, picture list, waits).
class ScreenSaver {
public:
    ScreenSaver(Platform &platform, EventPump &pump);

    Platform &platform;
    EventPump &pump;

    // --- program-wide state -------------------------------------------------
    RunMode runMode = RunMode::Setup;
    bool StopRequested = false;
    int twipsPerPixelX = 15;
    int twipsPerPixelY = 15;
    uint32_t previewParent = 0;
    bool previewRunning = false;
    bool firstRunWithShow = false;  // no folder configured and started with "/S"
    // Message boxes are left out when nobody can answer them (under
    // xscreensaver the daemon owns the screen and the input).
    bool quiet = false;

    QStringList pictureList;  // file names without folder; entry i (from 1) at [i - 1]
    bool listEmpty = true;
    int PictureCount() const { return int(pictureList.size()); }

    SaverSettings settings;

    // --- show state -----------------------------------------------------------
    int pictureIndex = 1;  // entry shown now; 0 = the built-in start picture
    float stepDelay = 0.05f;
    int sizeClass = 0;
    bool oversize = false;
    bool firstCycle = false;
    int screenWidthPx = 0;
    int screenHeightPx = 0;
    int screenWidthTwips = 0;

    // --- settings ---------------------------------------------------------------
    // Reads section "ScreenSaver". When the stored folder is not an existing
    // folder, takes the first-run path: the main program's folder if it has
    // one, first-run defaults written at once, the warning, and (unless the
    // command line begins with "/S") showSetupModal.
    void LoadSaverSettings(const QString &commandLine, const std::function<void()> &showSetupModal);
    void SaveSaverSettings();
    void SavePictureIndex();
    // The folder a setup dialog offers: the folder, or "MyDocs" when none is set.
    QString OfferedFolder() const { return settings.folder.isEmpty() ? settings.myDocs : settings.folder; }

    // --- picture list -----------------------------------------------------------
    void BuildPictureList();
    void ShufflePictures();
    void ShowNoPicturesMessage();
    // The full path of entry i (from 1).
    QString PicturePath(int entry) const;

    // --- waits ------------------------------------------------------------------
    // Wait until seconds have passed, the time of day wraps past midnight, or
    // StopRequested is set, letting events run meanwhile.
    void Wait(double seconds);
    void WaitOneSecond() { Wait(1); }
    void WaitStep() { Wait(stepDelay); }
    void WaitInterval() { Wait(IntervalSeconds()); }
    // The picture interval; 0 counts as 2 seconds.
    double IntervalSeconds() const { return settings.display == 0 ? 2 : settings.display; }
    // Seconds since midnight by the platform clock.
    double TimeOfDaySeconds() const;

    // The part of ExitSaver that keeps state: in Show mode the picture index
    // is written.
    void SaveOnExit();
};

}  // namespace pellimore
