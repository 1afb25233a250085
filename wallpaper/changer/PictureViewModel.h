#pragma once

#include <optional>

#include <QString>

#include "platform/raster/PictureSurface.h"
#include "wallpaper/codecs/PictureLoading.h"

namespace pellimore {

struct ChangerState;
struct Platform;
struct PictureRecord;
class DesktopService;
class PictureLibrary;
class StdPNG;
class WallpaperInstaller;

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

// What the window showing the picture is told.
class PictureViewListener {
public:
    virtual ~PictureViewListener() = default;
    // Show the current entry again (after a colour change).
    virtual void ShowEntry() {}
    // Stop the animated preview and hide the GIF control.
    virtual void StopAnimatedPreview() {}
};

// The picture part of the main window: the hidden surfaces (the loaded
// picture picSource, the canvas picEffect, the thumbnail picThumb), the
// analysis of the picture against the desktop, the thumbnail, the style
// options and the colour label, and the making of the wallpaper bitmap of
// the current entry (the entry at SelectedIndex). The window shows its state.
class PictureViewModel {
public:
    PictureViewModel(ChangerState &state, PictureLibrary &library, const Platform &platform,
                     const DesktopService &desktop, WallpaperInstaller &installer);

    // The listener is not owned; nullptr (the default) tells no one.
    void SetListener(PictureViewListener *listener) { listener_ = listener; }

    PictureSurface &Source() { return picSource_; }
    PictureSurface &Effect() { return picEffect_; }
    PictureSurface &Thumbnail() { return picThumb_; }
    GifPictureFlags &GifFlags() { return gifFlags_; }

    // Reads the desktop's size and resolution.
    void MeasureDesktop();
    const QString &ScreenLabel() const { return screenLabel_; }

    // Loads the picture file into picSource by its type (the platform loader
    // alone when asked); false with the reason. forWallpaper: the picture is
    // about to become the wallpaper of the current entry, so a picture the
    // desktop shows smaller may come reduced to what it shows (the analysis
    // and the fit still go by the size the file stores).
    bool LoadPicture(const QString &path, StdPNG &png, bool platformLoaderOnly, QString *error,
                     bool forWallpaper = false);
    // Empties the surfaces; nothing waits to be applied any more.
    void ClearPictures();

    // Classifies a window's picture (source, at full size) against the
    // desktop and draws its thumbnail; effect is the window's scaled preview.
    void AnalysePicture(AnalysisWindow window, PictureSurface &source, PictureSurface &effect,
                        PictureSurface &thumbnail, bool drawThumbnail = true);
    // The main window's analysis of its own picture into its own thumbnail.
    void AnalysePicture() { AnalysePicture(AnalysisWindow::Main, picSource_, picEffect_, picThumb_); }
    // The same for a change no window shows: the thumbnail is not drawn.
    void AnalysePictureUnseen() { AnalysePicture(AnalysisWindow::Main, picSource_, picEffect_, picThumb_, false); }
    const PictureAnalysis &Analysis() const { return analysis_; }
    // Draws source into thumbnail, scaled as the desktop would show it; the
    // scaled picture is left in effect.
    void DrawThumbnail(const PictureSurface &source, PictureSurface &effect, PictureSurface &thumbnail,
                       bool isComboThumbnail = false);
    void FitToDesktop(PictureSurface &source, PictureSurface &canvas);

    // Writes the wallpaper bitmap for the current entry and installs it. False
    // with a reason when the bitmap could not be written or the desktop
    // refused it (the desktop's refusal has been shown to the user once).
    bool RenderWallpaperBitmap(QString *error = nullptr);

    // The style option click; listChanging while the list's selection moves.
    void SelectStyle(int index, bool listChanging = false);
    const StyleOptions &Styles() const { return styles_; }
    // The colour label's click: the colour dialog for the current entry.
    void ChooseColor();
    ColorRef ColorLabel() const { return colorLabel_; }
    void SetColorLabel(ColorRef color) { colorLabel_ = color; }
    // The "Change all" box became checked; it is unchecked again afterwards.
    void ChangeColorForAll();
    // Stops the animated preview when it is shown.
    void EndAnimatedPreview();

    // The path of the wallpaper bitmap: in the picture folder, or in the
    // program's cache folder when the picture folder cannot be written.
    QString WallpaperBitmapPath() const;
    // The current entry (the one at SelectedIndex); nullptr when none.
    PictureRecord *CurrentEntry();

private:
    ColorRef EntryBackColor();
    // The drawing image of the source, laid over the entry's colour.
    void LayGifOverColor();

    ChangerState &state_;
    PictureLibrary &library_;
    const Platform &platform_;
    const DesktopService &desktop_;
    WallpaperInstaller &installer_;
    PictureViewListener *listener_ = nullptr;

    PictureSurface picSource_;
    PictureSurface picEffect_;
    PictureSurface picThumb_;
    // The size picSource's picture has in its file when it holds a reduced
    // decode; empty when it holds the picture at its own size.
    QSize sourceStoredSize_;
    // The last fit of picSource, with what it was made from.
    struct FitKey {
        uint64_t generation = 0;
        QSize desktop;
        ColorRef back = 0;
        bool operator==(const FitKey &) const = default;
    };
    Bitmap fittedSource_;
    FitKey fittedKey_;
    // When picSource holds its picture already drawn into the wallpaper's
    // canvas (decoded straight into it): the desktop and colour of that
    // canvas, and where in it the picture lies.
    struct SourceCanvas {
        QSize desktop;
        ColorRef back = 0;
        QRect picture;
    };
    std::optional<SourceCanvas> sourceCanvas_;
    // picSource's picture on its own: the block of the canvas it was decoded
    // into, or its persistent picture (else its image).
    Bitmap SourcePicture() const;
    GifPictureFlags gifFlags_;

    QString screenLabel_;
    PictureAnalysis analysis_;
    StyleOptions styles_;
    ColorRef colorLabel_ = 0;
};

}  // namespace pellimore
