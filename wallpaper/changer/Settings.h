#pragma once

#include <QDate>
#include <QString>

#include <optional>

namespace pellimore {

class SettingsStore;
class Ui;
class Clock;
struct ChangerState;

// Dates as stored: the system's short date form, always with a four-digit
// year (a stored two-digit year reads as 2000-2099).
QString ShortDateText(const QDate &date);
std::optional<QDate> ParseShortDate(const QString &text);

// The stored "JPG" value and the JPEG quality it stands for.
int JpegQualityFromSetting(int stored);
int JpegSettingFromQuality(int quality);

// What LoadSettings decided the start-up must do next.
struct LoadSettingsOutcome {
    bool createStartupShortcut = false;  // "Startup" read as 3, or the folder is gone
    bool runFirstRunFolderSetup = false; // the stored folder is not an existing folder
};

// Reads section "Wallpaper" into the state (DesktopColor must be set, it is the
// default of "Color"); sets FirstRun, PictureFolder and, for a missing folder,
// CurrentOrder 0 and the program's samples folder as PictureFolder.
LoadSettingsOutcome LoadSettings(ChangerState &state, const SettingsStore &store, const Clock &clock,
                                 const QString &programFolder);
// Writes the settings of section "Wallpaper" in their fixed order; false when
// any value could not be stored.
bool SaveSettings(const ChangerState &state, SettingsStore &store);
// SaveSettings; when it fails, the user is told once per run (the state
// stays in memory and is saved again at the next chance).
bool SaveSettingsOrTell(ChangerState &state, SettingsStore &store, Ui &ui);
// Tells the user, once per run, that `what` could not be saved and why.
void TellUnsavedOnce(ChangerState &state, Ui &ui, const QString &what, const QString &why);

}  // namespace pellimore
