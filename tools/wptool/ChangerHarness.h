#pragma once

#include <QSize>
#include <QString>
#include <QTemporaryDir>

#include <optional>

#include "platform/Platform.h"
#include "platform/clock/ProgramRandom.h"
#include "platform/clock/SystemClock.h"
#include "platform/desktop/DesktopService.h"
#include "platform/help/HelpService.h"
#include "platform/shell/ShellFolders.h"
#include "platform/sound/SoundService.h"
#include "platform/store/IniSettingsStore.h"
#include "platform/ui/NullUi.h"
#include "wallpaper/changer/ChangerState.h"
#include "wallpaper/changer/PictureLibrary.h"
#include "wallpaper/changer/PictureViewModel.h"
#include "wallpaper/changer/WallpaperInstaller.h"

// The changer's own objects over a desktop of a fixed size, with a temporary
// picture folder and settings file, for the commands that run the program's
// code on one picture.

// A desktop of a given size that keeps the file it is handed.
class FixedDesktop final : public pellimore::DesktopService {
public:
    explicit FixedDesktop(QSize size) : size_(size) {}
    QSize ScreenSize() const override { return size_; }
    int LogicalDpiX() const override { return 96; }
    pellimore::ColorRef BackgroundColor() const override { return color_; }
    void SetBackgroundColor(pellimore::ColorRef color) override { color_ = color; }
    pellimore::DesktopResult SetWallpaper(const QString &path, pellimore::WallpaperStyle) override
    {
        applied = path;
        return pellimore::DesktopResult::Success();
    }
    QString BackendName() const override { return QStringLiteral("wptool"); }
    QString applied;

private:
    QSize size_;
    pellimore::ColorRef color_ = 0;
};

class NoSound final : public pellimore::SoundService {
public:
    void PlayFile(const QString &) override {}
};

class NoHelp final : public pellimore::HelpService {
public:
    bool ShowContext(const QString &, int) override { return false; }
    bool ShowKeyword(const QString &, const QString &) override { return false; }
};

// Every folder is the one given.
class OneFolder final : public pellimore::ShellFolders {
public:
    explicit OneFolder(QString folder) : folder_(std::move(folder)) {}
    QString ProgramFolder() const override { return folder_; }
    QString DocumentsFolder() const override { return folder_; }
    QString AutostartFolder() const override { return folder_; }

private:
    QString folder_;
};

// The ui of a command: boxes are answered safely and remembered; a save
// dialog answers with the file the command was given.
class CommandUi final : public pellimore::NullUi {
public:
    QString saveAs;
    std::optional<QString> SaveFile(const pellimore::SaveFileRequest &) override
    {
        return saveAs.isEmpty() ? std::nullopt : std::optional<QString>(saveAs);
    }
};

struct ChangerHarness {
    // The library holds one entry, selected: "picture" with the style and colour.
    ChangerHarness(QSize desktopSize, int style, pellimore::ColorRef color);

    QTemporaryDir work;
    pellimore::IniSettingsStore store{work.path()};
    CommandUi ui;
    OneFolder shell{work.path()};
    pellimore::SystemClock clock;
    pellimore::ProgramRandom random;
    NoHelp help;
    pellimore::Platform platform{store, ui, shell, clock, random, help};
    FixedDesktop desktop;
    pellimore::UnavailableActiveDesktop activeDesktop;
    NoSound sound;
    pellimore::ChangerState state;
    pellimore::PictureLibrary library{state, platform};
    pellimore::WallpaperInstaller installer{state, platform, desktop, activeDesktop, sound};
    pellimore::PictureViewModel view{state, library, platform, desktop, installer};
};

// A colour as decimal COLORREF text or "#rrggbb".
std::optional<pellimore::ColorRef> ParseColor(const QString &text);
