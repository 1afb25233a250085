#pragma once

#include <QStringList>

// One subcommand of wptool: receives its own arguments (after the command
// name) and returns the process exit code. Errors go to stderr.
using WptoolCommand = int (*)(const QStringList &args);

struct WptoolCommandEntry {
    const char *name;
    const char *usage;
    WptoolCommand run;
    // Text, fonts and the screen need a GUI application; the other commands
    // start faster without one.
    bool needsGui = true;
};

int DecodeCommand(const QStringList &args);  // decode IN OUT.pam
int BmpCommand(const QStringList &args);     // bmp IN OUT.bmp
int GradientCommand(const QStringList &args);  // gradient KIND W H START END [...] OUT.pam
int ResizeCommand(const QStringList &args);    // resize IN OUT.pam W H
int SaveCommand(const QStringList &args);      // save IN OUT [QUALITY]
int GifCommand(const QStringList &args);       // gif IN.gif
int GifFrameCommand(const QStringList &args);  // gif-frame IN.gif N OUT.pam
int GifPlayCommand(const QStringList &args);   // gif-play IN.gif OUT-PREFIX
int FitCommand(const QStringList &args);      // fit IN DW DH OUT.bmp [--style N] [--color C]
int PngCommand(const QStringList &args);       // png IN.png OUT.pam [--style N] [--validate] [--make32]
int ComposeCommand(const QStringList &args);   // compose FRONT OUT --desktop WxH [...]
int ArtworkCommand(const QStringList &args);   // artwork OUT-PREFIX [SCALE]
int IconCommand(const QStringList &args);      // icon OUT.png SIDE
