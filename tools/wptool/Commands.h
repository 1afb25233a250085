#pragma once

#include <QStringList>

// One subcommand of wptool: receives its own arguments (after the command
// name) and returns the process exit code. Errors go to stderr.
using WptoolCommand = int (*)(const QStringList &args);

struct WptoolCommandEntry {
    const char *name;
    const char *usage;
    WptoolCommand run;
};

int DecodeCommand(const QStringList &args);  // decode IN OUT.pam
int BmpCommand(const QStringList &args);     // bmp IN OUT.bmp
