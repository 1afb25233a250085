#pragma once

#include <QString>

#include <functional>

#include "platform/desktop/DesktopService.h"
#include "platform/raster/PictureSurface.h"
#include "wallpaper/codecs/PictureLoading.h"

namespace pellimore {

struct ChangerState;
struct Platform;
struct PictureRecord;
class PictureLibrary;
class SettingsStore;
class SoundService;

inline const QString kDesktopSection = QStringLiteral("Desktop");
inline const QString kChangeSoundName = QStringLiteral("pellimore.wav");
inline const QString kActiveDesktopTitle = QStringLiteral("Active Desktop Unavailable");
inline const QString kActiveDesktopText = QStringLiteral("Unable to use Active Desktop, changing settings.");
inline const QString kNoAnimationText =
    QStringLiteral("Cannot show animated pictures on your desktop. Wallpaper will show without animation.");

// Which window analyses a picture: the main window or the designer.
enum class AnalysisWindow { Main, Designer };

// What the windows show about the picture last analysed.
struct PictureAnalysis {
    QString sizeLabel;               // "Image = W x H"
    ColorRef sizeLabelColor = 0;     // 192 larger, 0 exact fit, 16711680 smaller
    bool tiledEnabled = true;        // main window style options
    bool stretchedEnabled = true;
    bool combineEnabled = true;      // cmdBackground and "Combine Pictures"
    bool DesignerFit = false;        // the designer draws the picture fitted
};

// The main window's style option buttons: their colours and which is chosen.
struct StyleOptions {
    static constexpr ColorRef kNormal = 12632256;    // light grey
    static constexpr ColorRef kChosen = 14737632;    // lighter grey
    int chosen = 0;
    ColorRef colors[3] = {kChosen, kNormal, kNormal};
};

// Applying the wallpaper: the picture surfaces of the changer, the analysis of
// a picture against the desktop, the thumbnail, the rendered bitmap
// "Wallpaper Pellimore.bmp", the desktop colour and the desktop values of
// section "Desktop", the change sound and the animated desktop. It acts on
// the library entry at SelectedIndex. The windows show its state.
class DesktopApply {
public:
    DesktopApply(ChangerState &state, PictureLibrary &library, const Platform &platform, DesktopService &desktop,
                 ActiveDesktop &activeDesktop, SoundService &sound);

    // The hidden surfaces: the loaded picture, the rendering canvas and the
    // thumbnail (160 x 120 until the main window lays it out).
    PictureSurface picSource;
    PictureSurface picEffect;
    PictureSurface picThumb;
    GifPictureFlags gifFlags;

    // Reads the desktop's size and resolution.
    void MeasureDesktop();
    const QString &ScreenLabel() const { return screenLabel_; }

    void AnalysePicture(AnalysisWindow window, PictureSurface &thumbnail);
    const PictureAnalysis &Analysis() const { return analysis_; }
    void DrawThumbnail(AnalysisWindow window, const PictureSurface &source, PictureSurface &thumbnail,
                       bool isComboThumbnail = false);
    void FitToDesktop(PictureSurface &source, PictureSurface &canvas);

    // Writes the wallpaper bitmap for the current entry and applies it. False
    // with a reason when the bitmap could not be written or the desktop
    // refused it (the desktop's refusal has been shown to the user once).
    bool RenderWallpaperBitmap(QString *error = nullptr);
    // Colour, desktop values and wallpaper for the current entry; mode 1 the
    // direct method, 0 the animated desktop, anything else installs nothing.
    bool ApplyDesktopSettings(const QString &path, int mode, QString *error = nullptr);

    void SetDesktopColor(ColorRef color);
    void SaveDesktopColor();
    // Writes one value of section "Desktop"; failures are ignored.
    void WriteRegistryString(const QString &valueName, const QString &text);
    void PlayChangeSound();

    void SetWallpaperActiveDesktop(const QString &path, int style, bool switchOn);
    void DisableActiveDesktop();
    // "Don't use Active Desktop" is disabled after a failure.
    bool ActiveDesktopMenuEnabled() const { return activeDesktopMenuEnabled_; }

    // The style option click; listChanging while the list's selection moves.
    void SelectStyle(int index, bool listChanging = false);
    const StyleOptions &Styles() const { return styles_; }
    // The colour label's click: the colour dialog for the current entry.
    void ChooseColor();
    ColorRef ColorLabel() const { return colorLabel_; }
    void SetColorLabel(ColorRef color) { colorLabel_ = color; }
    // The "Change all" box became checked; it is unchecked again afterwards.
    void ChangeColorForAll();

    // The window shows the current entry again (after a colour change).
    std::function<void()> showEntry;
    // Stops the animated preview and hides the GIF control.
    std::function<void()> stopAnimatedPreview;

    // True when the last failure to apply has been told to the user.
    bool FailureShown() const { return failureShown_; }

    // The path of the wallpaper bitmap in the picture folder.
    QString WallpaperBitmapPath() const;
    // The current entry (the one at SelectedIndex); nullptr when none.
    PictureRecord *CurrentEntry();

private:
    ColorRef EntryBackColor();
    bool InstallDirect(const QString &path, QString *error);
    // The drawing image of the source, laid over the entry's colour.
    void LayGifOverColor();

    ChangerState &state_;
    PictureLibrary &library_;
    const Platform &platform_;
    DesktopService &desktop_;
    ActiveDesktop &activeDesktop_;
    SoundService &sound_;

    QString screenLabel_;
    PictureAnalysis analysis_;
    StyleOptions styles_;
    ColorRef colorLabel_ = 0;
    int tileValue_ = 0;
    int styleValue_ = 0;
    bool activeDesktopMenuEnabled_ = true;
    bool desktopFailureShown_ = false;
    bool failureShown_ = false;
};

// The picture over a colour: every pixel blended by its alpha onto the colour;
// the result is opaque and stands for 24 bits.
Bitmap LayOverColor(const Bitmap &picture, ColorRef color);

// The wallpaper the desktop values of section "Desktop" describe ("Wallpaper",
// "TileWallpaper", "WallpaperStyle", "Background"), made the wallpaper once
// more, for desktops that forget it when the session ends. Nothing when no
// wallpaper was stored or its file is gone.
DesktopResult ReapplyStoredWallpaper(const SettingsStore &store, DesktopService &desktop);

}  // namespace pellimore
