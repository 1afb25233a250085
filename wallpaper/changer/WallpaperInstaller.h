#pragma once

#include <QString>

#include <optional>

#include "platform/desktop/DesktopService.h"

namespace pellimore {

struct ChangerState;
struct Platform;
struct PictureRecord;
class SettingsStore;
class SoundService;

inline const QString kChangeSoundName = QStringLiteral("pellimore.wav");
inline const QString kActiveDesktopTitle = QStringLiteral("Active Desktop Unavailable");
inline const QString kActiveDesktopText = QStringLiteral("Unable to use Active Desktop, changing settings.");
inline const QString kNoAnimationText =
    QStringLiteral("Cannot show animated pictures on your desktop. Wallpaper will show without animation.");

// How a wallpaper reaches the desktop. The settings file keeps it as
// "AD" (NoActiveDesktop): 1 the direct method, 0 the animated desktop; any
// other stored value installs nothing.
enum class InstallMethod { ActiveDesktop, Direct, None };
InstallMethod InstallMethodFromSetting(int noActiveDesktop);

// What is installed: the wallpaper bitmap's file and, when the caller has
// them, its pixels (so that a desktop drawn by the program itself need not
// read the file back).
struct WallpaperToInstall {
    QString path;
    const Bitmap *pixels = nullptr;
    bool animatedGif = false;  // an animated GIF shown animated: the animated desktop gets the GIF itself
    QString gifPath;           // that GIF
};

// Installing a wallpaper: the desktop colour, the desktop values of section
// "Desktop", the desktop service (direct method) or the animated desktop with
// its fall-back, and the change sound.
class WallpaperInstaller {
public:
    WallpaperInstaller(ChangerState &state, const Platform &platform, DesktopService &desktop,
                       ActiveDesktop &activeDesktop, SoundService &sound);

    // Colour, desktop values and wallpaper for the entry (which becomes the
    // current picture). False with the reason when the desktop refused it;
    // the refusal has then been told to the user once.
    bool Install(const WallpaperToInstall &wallpaper, const PictureRecord &entry, InstallMethod method,
                 QString *error = nullptr);

    void SetDesktopColor(ColorRef color);
    // Shows color on the desktop for a preview; DesktopColor keeps the colour
    // SetDesktopColor(DesktopColor) restores.
    void PreviewDesktopColor(ColorRef color);
    // Keeps the desktop colour as "Background" ("R G B") for the next log-in.
    void SaveDesktopColor();
    // Writes one value of section "Desktop"; failures are ignored.
    void WriteDesktopValue(const QString &valueName, const QString &text);
    void PlayChangeSound();

    // Tries the animated desktop; a failure switches to the direct method
    // for good and is told (with the sentence about animation for an
    // animated GIF).
    void SetWallpaperActiveDesktop(const QString &path, WallpaperStyle style, bool switchOn, bool animatedGif);
    void DisableActiveDesktop();
    // "Don't use Active Desktop" is disabled after a failure.
    bool ActiveDesktopMenuEnabled() const { return activeDesktopMenuEnabled_; }

    // True when the last failure to install has been told to the user.
    bool FailureShown() const { return failureShown_; }
    // A wallpaper is about to be installed by the direct method (coming), or
    // no longer: the desktop may prepare for it while the picture is made.
    void ExpectWallpaper(bool coming) { desktop_.ExpectWallpaper(coming); }
    // True when a wallpaper installed by the method is shown from its pixels
    // alone, so its file may be written while it is installed.
    bool ShowsPixelsWithoutFile(InstallMethod method) const
    {
        return method == InstallMethod::Direct && desktop_.ShowsPixelsWithoutFile();
    }
    void ForgetFailure() { failureShown_ = false; }

    // The style the desktop values describe ("TileWallpaper",
    // "WallpaperStyle"); an entry of an unknown style keeps the previous one.
    WallpaperStyle DesktopStyle() const { return style_; }
    // Sets the desktop values' style, as a click on a style option does.
    void SetDesktopStyle(WallpaperStyle style) { style_ = style; }

    DesktopService &Desktop() { return desktop_; }

private:
    bool InstallDirect(const QString &path, const Bitmap *pixels, QString *error);

    ChangerState &state_;
    const Platform &platform_;
    DesktopService &desktop_;
    ActiveDesktop &activeDesktop_;
    SoundService &sound_;

    WallpaperStyle style_ = WallpaperStyle::Centered;
    bool activeDesktopMenuEnabled_ = true;
    bool desktopFailureShown_ = false;
    bool failureShown_ = false;
};

// The wallpaper the desktop values of section "Desktop" describe ("Wallpaper",
// "TileWallpaper", "WallpaperStyle", "Background"), made the wallpaper once
// more, for desktops that forget it when the session ends. Nothing when no
// wallpaper was stored or its file is gone.
DesktopResult ReapplyStoredWallpaper(const SettingsStore &store, DesktopService &desktop);
// The desktop colour the program set last ("Background"); black when none.
ColorRef StoredDesktopColor(const SettingsStore &store);

}  // namespace pellimore
