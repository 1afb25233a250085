#pragma once

#include <QString>

namespace pellimore {

class ShellFolders;
class Ui;
struct ChangerState;

// The text of the autostart entry that starts the program at log-in with "/C".
QString StartupEntryText(const QString &programPath);
// Quotes one argument of an Exec line by the rules of desktop entries.
QString QuoteExecArgument(const QString &argument);

// Creates the autostart entry for the program at programPath. Tells the user
// unless the program is loading; StartupState becomes 1. False (and nothing
// changed) when the entry cannot be written.
bool AddStartupShortcut(ChangerState &state, Ui &ui, const ShellFolders &shell, const QString &programPath);
// The program's web page.
inline const QString kWebsiteAddress = QStringLiteral("https://github.com/wallpaper-pellimore/wallpaper-pellimore");

// Opens an address with the desktop's URL handler; tells the user "Unable to
// launch default browser" when none takes it.
bool OpenWebPage(Ui &ui, const QString &address);

// Deletes the autostart entry (telling the user when there was one);
// StartupState becomes 0 either way.
void RemoveStartupShortcut(ChangerState &state, Ui &ui, const ShellFolders &shell);

}  // namespace pellimore
