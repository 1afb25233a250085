#pragma once

#include <QString>

#include <optional>

#include "platform/raster/Bitmap.h"
#include "platform/raster/PictureSurface.h"
#include "wallpaper/changer/PictureLibrary.h"
#include "wallpaper/designer/Compositing.h"

namespace pellimore {

class MainWindowModel;
struct ChangerState;

inline const QString kDesignerCaption = QStringLiteral("Create Wallpaper -Choose Background Picture or Gradient");
inline const QString kDesignerPreviewCaption = QStringLiteral("&Preview");
inline const QString kDesignerEndPreviewCaption = QStringLiteral("End &Preview");
inline const QString kSavedText = QStringLiteral("Saved!");
inline const QString kSavingText = QStringLiteral("Saving... please wait");
inline const QString kDesignerHelpKeyword = QStringLiteral("Combine Pictures");
inline const QString kRemoveBackgroundHint = QStringLiteral(
    "Click on the name of the background picture you would like to remove, then click the Remove button again.");
// The settings value that notes a desktop preview in progress, so that a
// preview cut short by a crash is reverted at the next start.
inline const QString kDesignerPreviewKey = QStringLiteral("DesignerPreview");

// The margin the designer starts with, in desktop pixels.
constexpr int kDefaultMargin = 72;

enum class BackgroundType { Picture = 0, Gradient = 1 };

// What the designer model asks of its window. The form implements it.
class DesignerView {
public:
    virtual ~DesignerView() = default;
    // Sets every caption, check, enabled state, list, picture and the layout
    // (full window or preview strip) from the model.
    virtual void UpdateControls() = 0;
    virtual void SetBusy(bool busy) = 0;
    // Moves the keyboard focus to "Set Margins".
    virtual void FocusSetMargins() = 0;
    // Closes the window (the model has finished with it).
    virtual void CloseWindow() = 0;
    // The screen colour under the pointer, when the desktop lets it be read.
    virtual std::optional<ColorRef> ScreenColorUnderPointer() = 0;
};

// The Combine Pictures window without its widgets: the background list, the
// gradient and orientation choices, the three previews, the desktop preview
// and saving. The composition choices live in the main window's model for
// the whole run (the colours survive reopening); this model owns the
// window's own state.
class DesignerModel final : public PictureLibraryListener {
public:
    DesignerModel(MainWindowModel &main, DesignerView &view);
    ~DesignerModel() override;
    DesignerModel(const DesignerModel &) = delete;
    DesignerModel &operator=(const DesignerModel &) = delete;

    // Sets the window up for the main window's current picture; the main
    // window is hidden.
    void Form_Load();

    // --- what the window shows ---------------------------------------------------
    const QStringList &BackgroundNames() const;
    int SelectedBackground() const { return selectedBackground_; }
    BackgroundType Type() const { return type_; }
    const DesignerSettings &Settings() const { return settings_; }
    ColorRef StartColor() const;
    ColorRef EndColor() const;
    ColorRef BorderColor() const { return settings_.borderColor; }
    // The swatch the eyedropper fills: 0 start, 1 end.
    int ColorTarget() const { return colorTarget_; }
    // The colour shown on the target swatch while the eyedropper is held.
    std::optional<ColorRef> SamplingColor() const;
    bool Sampling() const { return sampling_; }
    bool Previewing() const { return previewing_; }
    QString PreviewCaption() const { return previewing_ ? kDesignerEndPreviewCaption : kDesignerPreviewCaption; }
    bool PreviewEnabled() const { return previewEnabled_; }
    bool SaveEnabled() const { return saveEnabled_; }
    bool MarginsEnabled() const { return settings_.orientation != FrontOrientation::Center; }
    // "Saved!": shown, and its text.
    bool SavedShown() const { return savedShown_; }
    const QString &SavedText() const { return savedText_; }
    // The tile view: the background at actual size, when at most 400 x 400.
    bool TileShown() const { return !tile_.IsNull(); }
    const Bitmap &Tile() const { return tile_; }
    QString ScreenResolutionText() const;
    // The previews: front picture, background, combination.
    const PictureSurface &FrontPreview() const { return picThumb_; }
    const PictureSurface &BackgroundPreview() const { return picThumbBk_; }
    const PictureSurface &CombinedPreview() const { return picThumbCombo_; }
    PictureSurface &FrontPreview() { return picThumb_; }
    PictureSurface &BackgroundPreview() { return picThumbBk_; }
    PictureSurface &CombinedPreview() { return picThumbCombo_; }
    const Bitmap &MonitorPicture() const;
    QRect PreviewInMonitor() const;
    // The product's tile for the window's own surface.
    const Bitmap &WindowTile() const;

    // --- the window's events -----------------------------------------------------
    void FileList_Click(int index);
    void optBackType_Click(BackgroundType type);
    void optGrad_Click(int kind);
    void ckReverse_Click(bool checked);
    void ckDiagonal_Click(bool checked);
    // A swatch click: 0 start, 1 end.
    void lblGradient_Click(int index);
    void optColor_Click(int index);
    void imgCursor_MouseDown();
    void Timer1_Timer();
    void imgCursor_MouseUp();
    // A colour the desktop's own picker chose (where the screen cannot be
    // read): stored as the eyedropper's release stores it.
    void ScreenColorPicked(ColorRef color);
    void optOrient_Click(int index);
    // A key typed into a margin box (1 horizontal, 2 vertical): true when the
    // box takes it (digits and backspace). Any key disables "&Preview".
    bool txtMargin_KeyPress(int box, QChar key, bool backspace);
    void txtMargin_Change(int box, const QString &text);
    void cmdMargin_Click();
    void ckBorder_Click(bool checked);
    void lblBorder_Click();
    void ckNoFrontPic_Click(bool checked);
    void cmdPreview_Click();
    void cmdSavePic_Click();
    void cmdRemove_Click();
    void cmdAddPic_Click();
    void cmdRefresh_Click();
    void imgHelp_Click();
    // The window is asked to close: false (and the preview ended) while
    // previewing.
    bool QueryUnload();
    // The window goes: a running preview is reverted, the main window comes back.
    void Form_Unload();

    // Public operations of the window.
    void CreateGradient();
    void CreateThumbs();
    void RevertWallpaper();

    // A desktop preview noted in the settings but never ended (the program
    // was killed): the desktop goes back to the program's own wallpaper.
    static void RevertInterruptedPreview(MainWindowModel &main);

    // --- PictureLibraryListener ----------------------------------------------------
    void BackgroundListReset() override;
    void ShowBackground(int index) override { FileList_Click(index); }

private:
    void StoreColor(ColorRef color);
    void EndDesktopPreview();
    void ComposeThumbnail();
    void RebuildPreviews();
    void InstallPreview(const QString &path);
    void NotePreview(bool running);
    QString BackgroundPath() const;
    QString BackgroundFolder() const;

    MainWindowModel &main_;
    DesignerView &view_;
    ChangerState &state_;
    DesignerSettings &settings_;
    Compositor &compositor_;

    PictureSurface picThumb_;
    PictureSurface picThumbBk_;
    PictureSurface picThumbCombo_;
    Bitmap tile_;

    BackgroundType type_ = BackgroundType::Picture;
    int selectedBackground_ = -1;
    QString backgroundName_;
    bool previewing_ = false;
    bool previewEnabled_ = false;
    bool saveEnabled_ = false;
    bool savedShown_ = false;
    QString savedText_ = kSavedText;
    ColorRef pickedColor_ = 0;
    int colorTarget_ = 0;
    bool sampling_ = false;
    bool loaded_ = false;
};

}  // namespace pellimore
