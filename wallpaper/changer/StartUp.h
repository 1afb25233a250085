#pragma once

#include <QString>
#include <QStringList>

#include "platform/raster/Bitmap.h"

namespace pellimore {

struct Platform;
class InstanceChannel;

inline const QString kDuplicateInstanceText = QStringLiteral(
    "Wallpaper Pellimore is already running.\n\nIn the future, just click the Wallpaper Pellimore icon in the "
    "Windows System Tray (bottom right hand corner of your desktop) to open the program.");
inline const QString kDuplicateInstanceTitle = QStringLiteral("WP Already running");
// The help collection in the program folder.
inline const QString kHelpFileName = QStringLiteral("WP.chm");

// True when the command line (the arguments after the program name, joined by
// blanks) begins with "/C" in any case: the start at log-in.
bool IsAutoRunCommandLine(const QStringList &arguments);

// The start of a second instance: tells the user, asks the first instance to
// come forward, and says so when it could not be reached. The second instance
// reads and writes no settings; its caller ends it afterwards.
void RunSecondInstancePath(const Platform &platform, InstanceChannel &instance);

}  // namespace pellimore
