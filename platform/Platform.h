#pragma once

namespace pellimore {

class SettingsStore;
class Ui;
class ShellFolders;
class Clock;
class Random;
class HelpService;

// The platform services an object needs, handed in by the application (or a
// test). Nothing here is owned.
struct Platform {
    SettingsStore &store;
    Ui &ui;
    ShellFolders &shell;
    Clock &clock;
    Random &random;
    HelpService &help;
};

}  // namespace pellimore
