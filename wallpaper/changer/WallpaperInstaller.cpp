#include "wallpaper/changer/WallpaperInstaller.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

#include "platform/Platform.h"
#include "platform/ProgramNames.h"
#include "platform/raster/ColorText.h"
#include "platform/shell/PathHelpers.h"
#include "platform/shell/ShellFolders.h"
#include "platform/sound/SoundService.h"
#include "platform/store/SettingsKeys.h"
#include "platform/store/SettingsStore.h"
#include "platform/store/ValueText.h"
#include "platform/ui/Ui.h"
#include "wallpaper/changer/ChangerState.h"
#include "wallpaper/changer/PictureData.h"
#include "wallpaper/changer/Settings.h"
#include "wallpaper/changer/ShellIntegration.h"

namespace pellimore {

InstallMethod InstallMethodFromSetting(int noActiveDesktop)
{
    switch (noActiveDesktop) {
    case 0:
        return InstallMethod::ActiveDesktop;
    case 1:
        return InstallMethod::Direct;
    default:
        return InstallMethod::None;
    }
}

WallpaperInstaller::WallpaperInstaller(ChangerState &state, const Platform &platform, DesktopService &desktop,
                                       ActiveDesktop &activeDesktop, SoundService &sound)
    : state_(state), platform_(platform), desktop_(desktop), activeDesktop_(activeDesktop), sound_(sound)
{
}

bool WallpaperInstaller::Install(const WallpaperToInstall &wallpaper, const PictureRecord &entry,
                                 InstallMethod method, QString *error)
{
    failureShown_ = false;
    const std::optional<WallpaperStyle> entryStyle = WallpaperStyleFromIndex(entry.Style);
    if (entryStyle)
        style_ = *entryStyle;
    const WallpaperStyle activeStyle = entryStyle.value_or(WallpaperStyle::Centered);
    if ((entry.BackColor & 0xFFFFFF) != state_.DesktopColor)
        SetDesktopColor(entry.BackColor & 0xFFFFFF);
    state_.CurrentIndex = state_.SelectedIndex + 1;
    state_.CurrentOrder = entry.Order;
    WriteDesktopValue(DesktopKeys::kTileWallpaper, PaddedNumberText(style_ == WallpaperStyle::Tiled ? 1 : 0));
    WriteDesktopValue(DesktopKeys::kWallpaperStyle, PaddedNumberText(style_ == WallpaperStyle::Stretched ? 2 : 0));

    switch (method) {
    case InstallMethod::None:
        return true;
    case InstallMethod::Direct:
        // An animation still running from the animated desktop would cover
        // the new wallpaper.
        activeDesktop_.Disable();
        return InstallDirect(wallpaper.path, wallpaper.pixels, error);
    case InstallMethod::ActiveDesktop:
        break;
    }
    const QString target = wallpaper.animatedGif ? wallpaper.gifPath : wallpaper.path;
    SetWallpaperActiveDesktop(target, activeStyle, false, wallpaper.animatedGif);
    if (!state_.ActiveDesktopFailed) {
        // Remembered as for the direct method, for the re-apply at log-in.
        WriteDesktopValue(DesktopKeys::kWallpaper, QFileInfo(target).absoluteFilePath());
        return true;
    }
    state_.NoActiveDesktop = 1;
    const bool installed = InstallDirect(target, wallpaper.animatedGif ? nullptr : wallpaper.pixels, error);
    state_.ActiveDesktopFailed = false;
    return installed;
}

bool WallpaperInstaller::InstallDirect(const QString &path, const Bitmap *pixels, QString *error)
{
    desktop_.SetBackgroundColor(state_.DesktopColor);
    const DesktopResult result =
        pixels ? desktop_.SetWallpaperPixels(path, style_, *pixels) : desktop_.SetWallpaper(path, style_);
    if (result.Ok()) {
        // Remembered like the system's own wallpaper value, for the re-apply
        // at log-in on desktops that forget it.
        WriteDesktopValue(DesktopKeys::kWallpaper, QFileInfo(path).absoluteFilePath());
        return true;
    }
    if (error)
        *error = result.error;
    // Told once; later failures of the same desktop are not repeated.
    failureShown_ = true;
    if (!desktopFailureShown_) {
        desktopFailureShown_ = true;
        platform_.ui.Message(QStringLiteral("The wallpaper could not be set on this desktop.\n\n") + result.error,
                             MessageIcon::Exclamation, kApplicationTitle);
    }
    return false;
}

void WallpaperInstaller::SetDesktopColor(ColorRef color)
{
    desktop_.SetBackgroundColor(color);
    state_.DesktopColor = color;
}

void WallpaperInstaller::PreviewDesktopColor(ColorRef color)
{
    desktop_.SetBackgroundColor(color);
}

void WallpaperInstaller::SaveDesktopColor()
{
    WriteDesktopValue(DesktopKeys::kBackground, RgbText(state_.DesktopColor));
}

void WallpaperInstaller::WriteDesktopValue(const QString &valueName, const QString &text)
{
    platform_.store.SaveSetting(kApplicationName, DesktopKeys::kSection, valueName, text);
}

void WallpaperInstaller::PlayChangeSound()
{
    if (state_.PlaySoundOnChange == 1)
        sound_.PlayFile(AddTrailingBackslash(platform_.shell.ProgramFolder()) + kChangeSoundName);
}

void WallpaperInstaller::SetWallpaperActiveDesktop(const QString &path, WallpaperStyle style, bool switchOn,
                                                   bool animatedGif)
{
    const DesktopResult result = activeDesktop_.SetWallpaper(path, style, state_.DesktopColor, switchOn);
    QCoreApplication::processEvents();
    if (result.Ok())
        return;
    DisableActiveDesktop();
    state_.ActiveDesktopFailed = true;
    QString text = kActiveDesktopText;
    if (animatedGif)
        text += QLatin1Char('\n') + kNoAnimationText;
    platform_.ui.Message(text, MessageIcon::Critical, kActiveDesktopTitle);
}

void WallpaperInstaller::DisableActiveDesktop()
{
    activeDesktop_.Disable();
    activeDesktopMenuEnabled_ = false;
    state_.NoActiveDesktop = 1;
    SaveSettingsOrTell(state_, platform_.store, platform_.ui);
}

ColorRef StoredDesktopColor(const SettingsStore &store)
{
    return ParseRgbText(store.GetSetting(kApplicationName, DesktopKeys::kSection, DesktopKeys::kBackground)).value_or(0);
}

DesktopResult ReapplyStoredWallpaper(const SettingsStore &store, DesktopService &desktop)
{
    const QString path = store.GetSetting(kApplicationName, DesktopKeys::kSection, DesktopKeys::kWallpaper);
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return DesktopResult::Failure(QStringLiteral("no stored wallpaper to show again"));
    if (const std::optional<ColorRef> color =
            ParseRgbText(store.GetSetting(kApplicationName, DesktopKeys::kSection, DesktopKeys::kBackground)))
        desktop.SetBackgroundColor(*color);
    WallpaperStyle style = WallpaperStyle::Centered;
    if (store.GetSetting(kApplicationName, DesktopKeys::kSection, DesktopKeys::kTileWallpaper).trimmed() == QLatin1String("1"))
        style = WallpaperStyle::Tiled;
    else if (store.GetSetting(kApplicationName, DesktopKeys::kSection, DesktopKeys::kWallpaperStyle).trimmed() == QLatin1String("2"))
        style = WallpaperStyle::Stretched;
    return desktop.SetWallpaper(path, style);
}

}  // namespace pellimore
