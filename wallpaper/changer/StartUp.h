#pragma once

#include <QString>
#include <QStringList>

#include "platform/raster/Bitmap.h"

namespace pellimore {

struct ChangerState;
struct Platform;
class InstanceChannel;

inline const QString kDuplicateInstanceText = QStringLiteral(
    "Wallpaper Pellimore is already running.\n\nIn the future, just click the Wallpaper Pellimore icon in the "
    "Windows System Tray (bottom right hand corner of your desktop) to open the program.");
inline const QString kDuplicateInstanceTitle = QStringLiteral("WP Already running");

// True when the command line (the arguments after the program name, joined by
// blanks) begins with "/C" in any case: the start at log-in.
bool IsAutoRunCommandLine(const QStringList &arguments);

// The start of a second instance: tells the user, asks the first instance to
// come forward, and says so when it could not be reached. The second instance
// reads and writes no settings; its caller ends it afterwards.
void RunSecondInstancePath(const Platform &platform, InstanceChannel &instance);

// The start-up of the wallpaper changer, step by step. The application calls
// the steps in order; the window and the picture library join between them.
class StartUp {
public:
    StartUp(ChangerState &state, const Platform &platform, InstanceChannel &instance, QString programPath);

    // The single-instance test. False for a second instance, which has then
    // run RunSecondInstancePath and must end.
    bool ClaimFirstInstance();
    // Command line, random seed, Loading, desktop colour and documents folder.
    void Begin(const QStringList &arguments, ColorRef desktopColor);
    // Reads the settings; creates the autostart entry when it is due. Returns
    // true when the first-run folder set-up must run.
    bool ReadSettings();
    // Clears Loading.
    void FinishLoading();

private:
    ChangerState &state_;
    const Platform &platform_;
    InstanceChannel &instance_;
    QString programPath_;
};

}  // namespace pellimore
