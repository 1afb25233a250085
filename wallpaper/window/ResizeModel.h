#pragma once

#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QString>

#include <memory>

#include "platform/raster/PictureSurface.h"

namespace pellimore {

class StdPNG;
class WallpaperApp;

inline const QString kResizeCaption = QStringLiteral("Resize Picture");
inline const QString kStartCropCaption = QStringLiteral("Start Crop");
inline const QString kEndCropCaption = QStringLiteral("End Crop");
inline const QString kResizeSmallerText = QStringLiteral("Can't resize any smaller!");
inline const QString kResizeSmallerTitle = QStringLiteral("Size limit");
inline const QString kCropTooSmallText =
    QStringLiteral("Cropped area is too small! Re-crop or click Revert to start over.");
inline const QString kCropTooSmallTitle = QStringLiteral("Too Small");
inline const QString kPictureChangedText = QStringLiteral(
    "Resize new Cropped picture?\nClick NO to discard the cropped picture and resize the original.");
inline const QString kPictureChangedTitle = QStringLiteral("Picture Changed");
inline const QString kRevertText = QStringLiteral("Discard changes and go back to the original?");
inline const QString kRevertTitle = QStringLiteral("Restart");
inline const QString kNoPictureToSaveText = QStringLiteral("No picture to save!");
inline const QString kNoPictureToSaveTitle = QStringLiteral("No new picture");
inline const QString kSaveResizedTitle = QStringLiteral("Save Resized Wallpaper");
inline const QString kSaveResizedFilter = QStringLiteral("Images Files (*.jpg;)|*.jpg");
inline const QString kSaveFailedText = QStringLiteral("The picture could not be saved.");
inline const QString kInvalidScaleText = QStringLiteral("Invalid scale");
inline const QString kResizeHelpKeyword = QStringLiteral("Resize");
inline const QString kUnableToResizeText = QStringLiteral("Unable to resize this type of picture.");
inline const QString kUnableToResizeTitle = QStringLiteral("Resize picture");

// The window's fixed measures, in twips at 15 twips to a pixel.
constexpr int kResizeTwipsPerPixel = 15;
constexpr int kMinFrameWidthTwips = 11500;
constexpr int kMinFrameHeightTwips = 3000;
constexpr int kShortWindowHeightTwips = 3350;
constexpr int kWindowExtraHeightTwips = 600;
constexpr int kWindowExtraWidthTwips = 300;
constexpr int kDesktopMarginTwips = 300;
// What the window keeps beside a reduced view (its controls and borders).
constexpr int kReducedViewReserveTwips = 2500;
// A crop narrower or lower than this, in view pixels, is discarded.
constexpr int kMinCropPixels = 10;
// A cropped result narrower or lower than this, in twips, is refused at Resize.
constexpr int kMinResultTwips = 100;

// Where the window puts things, in pixels: the picture frame (the crop view
// with its scroll bars), the window around it, and the scroll bars' ranges.
struct ResizeLayout {
    QSize frame;
    QSize window;
    bool hScroll = false;
    bool vScroll = false;
    int hMax = 0;  // the highest scroll position
    int vMax = 0;
};

// The new size for a slider position (1 to 10 tenths of the original):
// floor(position / 10 of each side), computed exactly.
QSize ScaledSize(QSize original, int position);
// The lowest slider position from `position` up that gives no empty side.
int LowestUsablePosition(QSize original, int position);
// The rectangle dragged from anchor to corner, in whichever direction, cut to
// a view of `bounds`; empty when nothing of it lies on the view.
QRect DraggedRectangle(QPointF anchor, QPointF corner, QSize bounds);
// A crop made on a view shown reduced by viewScale, in the original's pixels
// and cut to it; the rectangle itself when viewScale is 0.
QRect CropOnOriginal(const QRectF &crop, float viewScale, QSize original);

// What the model asks of its window.
class ResizeView {
public:
    virtual ~ResizeView() = default;
    // Sets every caption, enabled state, picture and scroll bar from the model.
    virtual void UpdateControls() = 0;
    // The busy cursor for work that takes a moment.
    virtual void SetBusy(bool busy) = 0;
    // Long work has done `done` of `total` steps: shows it once it has taken
    // long enough, and lets pending events run. done == total ends it.
    virtual void ShowProgress(int done, int total) = 0;
    // The percent box takes the focus.
    virtual void FocusScale() = 0;
    // The window closes (the main window then shows again).
    virtual void CloseWindow() = 0;
};

// The Resize and Crop window without widgets: the picture at full size, the
// view the user crops on (reduced when the picture does not fit the screen),
// the result, the slider, the crop mode with its rubber band, and the save
// into the picture folder. Positions are in the view's pixels.
class ResizeModel {
public:
    // The picture is the entry selected in the main window's list. `screen`
    // is the room the window may take, in the form's pixels.
    ResizeModel(WallpaperApp &app, ResizeView &view, QSize screen);
    ~ResizeModel();
    ResizeModel(const ResizeModel &) = delete;
    ResizeModel &operator=(const ResizeModel &) = delete;

    // Loads the window: false when the picture cannot be opened (the window
    // then does not show).
    bool Load();
    // Loads the selected picture into the original and the view.
    bool LoadOriginal();
    // Fits the frame and the window to the view within the screen.
    void SizeWindow();
    // Shows and ranges the scroll bars for the frame; keeps the positions in range.
    void AlignScrollBars();

    // --- what the window shows -------------------------------------------------
    QString Title() const { return title_; }
    const PictureSurface &Original() const { return original_; }
    const PictureSurface &Crop() const { return crop_; }
    PictureSurface &Crop() { return crop_; }
    PictureSurface &Result() { return result_; }
    // The frame shows either the view or, outside crop mode, the result.
    bool ResultShown() const { return resultShown_ && result_.HasPicture() && !cropMode_; }
    int SliderPosition() const { return slider_; }
    QString ScaleText() const { return scaleText_; }
    QString SizeText() const { return sizeText_; }
    QString DesktopText() const { return desktopText_; }
    bool CropMode() const { return cropMode_; }
    bool Dragging() const { return dragging_; }
    QString CropCaption() const { return cropMode_ ? kEndCropCaption : kStartCropCaption; }
    bool SaveEnabled() const { return saveEnabled_; }
    bool Cropped() const { return cropped_; }
    QRectF CropRectangle() const { return cropRect_; }
    float ViewScale() const { return viewScale_; }
    const ResizeLayout &Layout() const { return layout_; }
    int ScrollX() const { return scrollX_; }
    int ScrollY() const { return scrollY_; }
    // The file name the save dialog offers.
    QString DefaultSaveName() const;

    // --- the window's events -----------------------------------------------------
    void Slider1_Change(int position);
    void cmdCrop_Click();
    void picCrop_MouseDown(QPointF position);
    void picCrop_MouseMove(QPointF position);
    void picCrop_MouseUp(QPointF position);
    void cmdResize_Click();
    void cmdRevert_Click();
    void cmdSave_Click();
    void cmdCancel_Click();
    void picGoBack_Click();
    void HScroll_Change(int value);
    void VScroll_Change(int value);
    void imgHelp_Click();

private:
    void ShowOriginalInView();
    PictureSurface &Shown() { return ResultShown() ? result_ : crop_; }
    void EndCropMode();
    void ResetCrop();
    void ApplyCropToOriginal(bool restartSlider);
    void TakeResultAsOriginal();
    void ResizeOriginal();
    void DrawRubberBand();
    void SetSizeText();
    QString SelectedFileName() const;

    WallpaperApp &app_;
    ResizeView &view_;
    QSize screen_;
    std::unique_ptr<StdPNG> png_;

    PictureSurface original_;  // picOriginal: the picture at full size, never shown
    PictureSurface crop_;      // picCrop: the view
    PictureSurface result_;    // picResult

    QString title_;
    QString fileName_;
    int slider_ = 10;
    QString scaleText_ = QStringLiteral("100");
    QString sizeText_;
    QString desktopText_;
    bool saveEnabled_ = false;
    bool resultShown_ = false;

    bool cropMode_ = false;
    bool dragging_ = false;
    bool bandShown_ = false;  // the rubber band is drawn on the view
    QPointF anchor_;
    QPointF corner_;
    QRectF cropRect_;
    bool cropped_ = false;
    float viewScale_ = 0;

    ResizeLayout layout_;
    int scrollX_ = 0;
    int scrollY_ = 0;
};

}  // namespace pellimore
