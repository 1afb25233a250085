#pragma once

#include <QByteArray>
#include <QString>

namespace pellimore {

struct Platform;
class ProcessRunner;

// The screen saver daemon of the session, as far as setting up a saver goes.
enum class SaverDaemon {
    XScreenSaver,  // runs third-party savers listed in ~/.xscreensaver
    Mate,          // mate-screensaver: themes chosen through gsettings
    None,          // the desktop only blanks and locks (GNOME, Plasma, Cinnamon, XFCE without xscreensaver)
};

struct SaverSession {
    SaverDaemon daemon = SaverDaemon::None;
    QString desktop;  // the first name of XDG_CURRENT_DESKTOP, upper case ("GNOME"), or empty

    // xscreensaver when its daemon runs, or when it is installed and the user
    // has a ~/.xscreensaver; else MATE's saver when it runs or the desktop is
    // MATE; else none.
    static SaverSession Detect(const ProcessRunner &runner);
};

// The line of xscreensaver's program list that runs our saver.
QByteArray XScreenSaverEntry(const QString &saverPath);

// ~/.xscreensaver with our saver in its program list (added when no entry
// names "Wallpaper Pellimore" yet), selected, and the mode "one". Every other
// line is kept byte for byte.
QByteArray SelectInXScreenSaverFile(const QByteArray &file, const QString &saverPath);

// The screen saver program: beside this program, in the build tree's saver
// folder, in the installed tree's xscreensaver folder, or on the search path;
// empty when there is none.
QString FindSaverProgram(const QString &programPath);

// The menu item "Setup Screen Saver": the box (OK, Cancel, Help at
// "ss-setup.htm"); on OK our saver becomes the session's saver where the
// daemon runs third-party savers, and that daemon's settings open; elsewhere
// the user is told so and the desktop's own screen settings open. True when
// our saver was made the session's saver.
bool SetupScreenSaver(const Platform &platform, ProcessRunner &runner, const SaverSession &session,
                      const QString &saverPath);

}  // namespace pellimore
