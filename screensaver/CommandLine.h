#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

namespace pellimore {

// The three ways the screen saver runs.
enum class RunMode : int16_t { Setup = 0, Show = 1, Preview = 2 };

// Where a show is drawn: our own full-screen window (started by the session
// with "/S" and its kin), or, under xscreensaver, the root window or a window
// the daemon hands us.
enum class ShowTarget { OwnWindow, RootWindow, ForeignWindow };

// What the command line asks for.
struct SaverCommand {
    RunMode mode = RunMode::Setup;
    bool askPassword = false;       // "/A": only the password message, then the end
    uint32_t previewParent = 0;     // the window after "/P"
    ShowTarget target = ShowTarget::OwnWindow;
    uint32_t targetWindow = 0;      // the window of ShowTarget::ForeignWindow
    QString error;                  // a command line we cannot follow (empty when fine)
};

// The command line as one text: the arguments joined by single blanks.
QString JoinCommandLine(const QStringList &arguments);

// True when the first two characters, upper-cased, are "/S".
bool BeginsWithShow(const QString &commandLine);

// Reads a window id: decimal, or hexadecimal with "0x". False when the text is
// not a whole number that fits 32 bits.
bool ParseWindowId(const QString &text, uint32_t *id);

// Reads the number after "/P": leading blanks skipped, digits up to the first
// character that is not one (or a "0x" hexadecimal number); 0 when there is
// none or it does not fit 32 bits.
uint32_t ParsePreviewHandle(const QString &rest);

// Decides the run mode from the arguments (without the program name).
// xscreensaverWindow is the value of XSCREENSAVER_WINDOW (empty when unset).
SaverCommand ParseCommandLine(const QStringList &arguments, const QString &xscreensaverWindow = QString());

}  // namespace pellimore
