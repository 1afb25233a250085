#pragma once

#include <QStringList>

#include <memory>

#include "platform/raster/Bitmap.h"
#include "screensaver/CommandLine.h"

namespace pellimore {

class InstanceChannel;
class ScreenSaver;
class SlideShow;
class SetupSaver;
class ControlForm;

// The built-in pictures the program carries.
struct SaverPictures {
    Bitmap start;    // the show's start picture (Image1)
    Bitmap logo;     // the logo (LogoImage)
    Bitmap preview;  // the preview picture
    Bitmap about;    // the about box picture
};
// The pictures compiled into the program, read with the platform loader.
SaverPictures LoadBuiltInPictures();

// The screen saver's entry routine and its exit path. instance answers
// "is another copy running"; preview the same for preview windows.
class SaverApp {
public:
    SaverApp(ScreenSaver &saver, InstanceChannel &instance, InstanceChannel &preview, SaverPictures pictures);
    ~SaverApp();

    // Runs the program for these arguments (without the program name);
    // returns the exit code once the program has ended.
    int Run(const QStringList &arguments, const QString &xscreensaverWindow);
    // The common exit path: saves the index of a show, shows the cursor,
    // unloads every window and ends the program.
    void ExitSaver();
    bool Exiting() const { return exiting_; }

private:
    void ShowSetupModal();
    void OpenSetupOverShow();
    int RunShow(const SaverCommand &command);
    int RunPreview();
    int RunSetup();

    ScreenSaver &saver_;
    InstanceChannel &instance_;
    InstanceChannel &preview_;
    SaverPictures pictures_;
    bool firstInstance_ = false;
    bool exiting_ = false;
    bool cursorHidden_ = false;
    std::unique_ptr<SlideShow> slideShow_;
    std::unique_ptr<SetupSaver> setup_;
    std::unique_ptr<ControlForm> controlForm_;
};

}  // namespace pellimore
