#pragma once

#include <QString>

namespace pellimore {

// The settings store's application: WallPaper and the screen saver share its
// file ($XDG_CONFIG_HOME/Corvane/Corvane.ini).
inline const QString kApplicationName = QStringLiteral("Corvane");
// The title of WallPaper's windows and message boxes, and the name of its
// autostart entry.
inline const QString kApplicationTitle = QStringLiteral("WallPaper Pellimore");

}  // namespace pellimore
