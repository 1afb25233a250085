#include "wallpaper/window/ResizeModel.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <new>
#include <stdexcept>

#include "platform/Platform.h"
#include "platform/help/HelpService.h"
#include "platform/shell/PathHelpers.h"
#include "platform/shell/ShellFolders.h"
#include "platform/ui/Ui.h"
#include "wallpaper/changer/ChangerState.h"
#include "wallpaper/changer/PictureLibrary.h"
#include "wallpaper/changer/StartUp.h"
#include "wallpaper/changer/WallpaperApp.h"
#include "wallpaper/codecs/PictureLoading.h"
#include "wallpaper/codecs/StdPNG.h"
#include "wallpaper/designer/cGdiPlus.h"
#include "wallpaper/resize/Resize.h"

namespace pellimore {

namespace {

constexpr int Pixels(int twips) { return twips / kResizeTwipsPerPixel; }

// Rows resized between two looks at the event queue.
constexpr int kResizeStripRows = 64;

// Behind a view that does not fill its surface.
constexpr ColorRef kViewBackColor = 0xF0F0F0;

// The slider's range.
constexpr int kSliderHighest = 10;

}  // namespace

QSize ScaledSize(QSize original, int position)
{
    return {int(int64_t(position) * original.width() / kSliderHighest),
            int(int64_t(position) * original.height() / kSliderHighest)};
}

int LowestUsablePosition(QSize original, int position)
{
    position = std::clamp(position, 0, kSliderHighest);
    while (position < kSliderHighest) {
        const QSize size = ScaledSize(original, position);
        if (size.width() > 0 && size.height() > 0)
            break;
        ++position;
    }
    return position;
}

QRect DraggedRectangle(QPointF anchor, QPointF corner, QSize bounds)
{
    // Whole view pixels: the corners are ordered, then cut to the view.
    const int left = int(std::floor(std::min(anchor.x(), corner.x())));
    const int right = int(std::floor(std::max(anchor.x(), corner.x())));
    const int top = int(std::floor(std::min(anchor.y(), corner.y())));
    const int bottom = int(std::floor(std::max(anchor.y(), corner.y())));
    if (right == left || bottom == top)
        return {};
    const QRect dragged(QPoint(left, top), QPoint(right - 1, bottom - 1));
    return dragged.intersected(QRect(QPoint(0, 0), bounds));
}

QRect CropOnOriginal(const QRectF &crop, float viewScale, QSize original)
{
    const double scale = viewScale > 0 ? double(viewScale) : 1.0;
    const int left = int(std::lround(crop.left() * scale));
    const int top = int(std::lround(crop.top() * scale));
    const int right = int(std::lround((crop.left() + crop.width()) * scale));
    const int bottom = int(std::lround((crop.top() + crop.height()) * scale));
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)).intersected(QRect(QPoint(0, 0), original));
}

ResizeModel::ResizeModel(WallpaperApp &app, ResizeView &view, QSize screen)
    : app_(app), view_(view), screen_(screen), png_(std::make_unique<StdPNG>(app.GetPlatform().ui))
{
    result_.SetVisible(false);
}

ResizeModel::~ResizeModel() = default;

QString ResizeModel::SelectedFileName() const
{
    const ChangerState &state = app_.State();
    const auto &records = app_.Library().Records();
    if (state.SelectedIndex < 0 || state.SelectedIndex >= int(records.size()))
        return {};
    return records[size_t(state.SelectedIndex)].FileName;
}

QString ResizeModel::DefaultSaveName() const
{
    return fileName_.left(std::max<qsizetype>(0, fileName_.size() - 4)) + QStringLiteral("Sm.jpg");
}

bool ResizeModel::Load()
{
    saveEnabled_ = false;
    bool loaded = false;
    try {
        loaded = LoadOriginal();
    } catch (const std::bad_alloc &) {
        loaded = false;
    } catch (const std::length_error &) {
        loaded = false;
    }
    if (!loaded)
        return false;
    title_ = fileName_ + QStringLiteral(" - ") + kResizeCaption;
    view_.UpdateControls();
    return true;
}

bool ResizeModel::LoadOriginal()
{
    result_.ClearPicture();
    resultShown_ = false;
    crop_.ClearPicture();
    fileName_ = SelectedFileName();
    if (fileName_.isEmpty())
        return false;
    const ChangerState &state = app_.State();
    view_.SetBusy(true);
    original_.ClearPicture();
    const LoadByTypeResult loaded = LoadPictureByType(PicturePath(state.PictureFolder, fileName_), original_, *png_);
    view_.SetBusy(false);
    if (!loaded.ok || !original_.HasPicture())
        return false;
    sizeText_ = QStringLiteral("Original Size: %1 x %2").arg(original_.Width()).arg(original_.Height());
    desktopText_ = QStringLiteral("Desktop: %1 x %2").arg(state.DesktopWidth).arg(state.DesktopHeight);
    slider_ = kSliderHighest;
    scaleText_ = QStringLiteral("100");
    ShowOriginalInView();
    return true;
}

void ResizeModel::ShowOriginalInView()
{
    view_.SetBusy(true);
    crop_.SetDrawMode(int(Rop2::CopyPen));
    bandShown_ = false;
    const int maxWidth = screen_.width() - Pixels(kWindowExtraWidthTwips);
    const int maxHeight = screen_.height() - Pixels(kDesktopMarginTwips) - Pixels(kReducedViewReserveTwips);
    const int width = original_.Width();
    const int height = original_.Height();
    viewScale_ = 0;
    if (height > maxHeight && maxHeight > 0)
        viewScale_ = float(height) / float(maxHeight);
    else if (width > maxWidth && maxWidth > 0)
        viewScale_ = float(width) / float(maxWidth);

    if (viewScale_ == 0) {
        crop_.Resize(width, height);
        crop_.SetPicture(original_.Picture());
    } else {
        // A halftone stretch of the whole picture to the reduced size.
        const int viewWidth = std::max(1, int(std::lround(width / viewScale_)));
        const int viewHeight = std::max(1, int(std::lround(height / viewScale_)));
        crop_.ClearPicture();
        crop_.Resize(viewWidth, viewHeight);
        crop_.SetBackColor(kViewBackColor);
        crop_.Dc().SetStretchBltMode(StretchMode::Halftone);
        crop_.PaintPicture(original_.Picture(), 0, 0, viewWidth, viewHeight);
        crop_.TakeImageAsPicture();
    }
    crop_.Refresh();
    SizeWindow();
    view_.SetBusy(false);
}

void ResizeModel::SizeWindow()
{
    const int maxWindowWidth = screen_.width();
    const int maxWindowHeight = screen_.height() - Pixels(kDesktopMarginTwips);
    const int maxFrameWidth = std::max(1, maxWindowWidth - Pixels(kWindowExtraWidthTwips));
    const int maxFrameHeight = std::max(1, maxWindowHeight - Pixels(kReducedViewReserveTwips));

    ResizeLayout layout;
    const QSize view(Shown().Width(), Shown().Height());
    layout.frame.setWidth(std::min(maxFrameWidth, std::max(Pixels(kMinFrameWidthTwips), view.width())));
    int extraHeight = Pixels(kWindowExtraHeightTwips);
    int frameHeight = std::min(view.height(), maxFrameHeight);
    if (frameHeight < Pixels(kMinFrameHeightTwips)) {
        frameHeight = Pixels(kMinFrameHeightTwips);
        extraHeight = Pixels(kShortWindowHeightTwips - kMinFrameHeightTwips);
    }
    layout.frame.setHeight(frameHeight);
    layout.window = QSize(std::min(maxWindowWidth, layout.frame.width() + Pixels(kWindowExtraWidthTwips)),
                          std::min(maxWindowHeight, layout.frame.height() + extraHeight));
    layout_ = layout;
    AlignScrollBars();
}

void ResizeModel::AlignScrollBars()
{
    PictureSurface &shown = Shown();
    layout_.hMax = std::max(0, shown.Width() - layout_.frame.width());
    layout_.vMax = std::max(0, shown.Height() - layout_.frame.height());
    layout_.hScroll = layout_.hMax > 0;
    layout_.vScroll = layout_.vMax > 0;
    scrollX_ = std::clamp(scrollX_, 0, layout_.hMax);
    scrollY_ = std::clamp(scrollY_, 0, layout_.vMax);
    crop_.Move(0, 0);
    result_.Move(0, 0);
    shown.Move(-scrollX_, -scrollY_);
}

void ResizeModel::SetSizeText()
{
    const QSize size = ScaledSize(QSize(original_.Width(), original_.Height()), slider_);
    scaleText_ = QString::number(slider_ * 10);
    sizeText_ = QStringLiteral("%1 x %2 pixels").arg(size.width()).arg(size.height());
}

void ResizeModel::Slider1_Change(int position)
{
    saveEnabled_ = true;
    EndCropMode();
    const QSize original(original_.Width(), original_.Height());
    slider_ = std::clamp(position, 0, kSliderHighest);
    const QSize size = ScaledSize(original, slider_);
    if (size.width() <= 0 || size.height() <= 0) {
        app_.GetPlatform().ui.Message(kResizeSmallerText, MessageIcon::Critical, kResizeSmallerTitle);
        // Up to the first position that gives a picture, telling once.
        slider_ = LowestUsablePosition(original, slider_ + 1);
    }
    SetSizeText();
    view_.UpdateControls();
}

// ---------------------------------------------------------------------------
// Crop mode and the rubber band

void ResizeModel::cmdCrop_Click()
{
    if (cropMode_) {
        const bool apply = result_.HasPicture() && cropped_;
        EndCropMode();
        if (apply) {
            ApplyCropToOriginal(true);
        } else {
            // Nothing cropped: the view loses its rubber band and there is no
            // new picture to save.
            if (bandShown_)
                DrawRubberBand();
            saveEnabled_ = false;
        }
        view_.UpdateControls();
        return;
    }
    saveEnabled_ = false;
    cropMode_ = true;
    // A crop still waiting is cut from the original, at full size; a
    // resized result becomes the picture worked on.
    if (result_.HasPicture() && cropped_)
        ApplyCropToOriginal(true);
    else if (result_.HasPicture())
        TakeResultAsOriginal();
    slider_ = kSliderHighest;
    SetSizeText();
    ShowOriginalInView();
    crop_.SetDrawMode(int(Rop2::Not));
    view_.UpdateControls();
}

void ResizeModel::TakeResultAsOriginal()
{
    original_.Resize(result_.Width(), result_.Height());
    original_.SetPicture(result_.Picture());
    result_.ClearPicture();
    resultShown_ = false;
    cropped_ = false;
}

void ResizeModel::EndCropMode()
{
    if (dragging_ && bandShown_)
        DrawRubberBand();
    dragging_ = false;
    if (cropMode_) {
        cropMode_ = false;
        saveEnabled_ = true;
    }
    crop_.SetDrawMode(int(Rop2::CopyPen));
    SizeWindow();
}

void ResizeModel::DrawRubberBand()
{
    // Invert mode: the same outline drawn twice leaves the view as it was.
    crop_.SetDrawMode(int(Rop2::Not));
    crop_.Line(anchor_.x(), anchor_.y(), corner_.x(), corner_.y(), std::nullopt, LineShape::Box);
    if (!cropMode_)
        crop_.SetDrawMode(int(Rop2::CopyPen));
    bandShown_ = !bandShown_;
}

void ResizeModel::picCrop_MouseDown(QPointF position)
{
    if (!cropMode_)
        return;
    result_.ClearPicture();
    result_.Cls();
    resultShown_ = false;
    cropped_ = false;
    if (bandShown_)
        DrawRubberBand();  // the last rectangle goes
    dragging_ = true;
    anchor_ = corner_ = position;
    DrawRubberBand();
    view_.UpdateControls();
}

void ResizeModel::picCrop_MouseMove(QPointF position)
{
    if (!cropMode_ || !dragging_)
        return;
    if (bandShown_)
        DrawRubberBand();
    corner_ = position;
    DrawRubberBand();
    view_.UpdateControls();
}

void ResizeModel::picCrop_MouseUp(QPointF position)
{
    if (!cropMode_ || !dragging_)
        return;
    dragging_ = false;
    if (position != corner_) {
        if (bandShown_)
            DrawRubberBand();
        corner_ = position;
        DrawRubberBand();
    }
    const QRect crop = DraggedRectangle(anchor_, corner_, QSize(crop_.Width(), crop_.Height()));
    if (crop.width() < kMinCropPixels || crop.height() < kMinCropPixels) {
        if (bandShown_)
            DrawRubberBand();
        ResetCrop();
        view_.UpdateControls();
        return;
    }
    cropRect_ = QRectF(crop);
    // The crop comes from the view's picture, never from its rubber band.
    result_.ClearPicture();
    result_.Resize(crop.width(), crop.height());
    result_.PaintPicture(crop_.Picture(), 0, 0, crop.width(), crop.height(), crop.x(), crop.y(), crop.width(),
                         crop.height());
    result_.TakeImageAsPicture();
    resultShown_ = true;
    scrollX_ = scrollY_ = 0;
    cropped_ = true;
    SizeWindow();
    view_.UpdateControls();
}

void ResizeModel::ResetCrop()
{
    result_.ClearPicture();
    result_.Resize(100, 100);
    resultShown_ = false;
    cropped_ = false;
    cropRect_ = QRectF();
    scrollX_ = scrollY_ = 0;
    SizeWindow();
}

void ResizeModel::ApplyCropToOriginal(bool restartSlider)
{
    const QRect area = CropOnOriginal(cropRect_, viewScale_, QSize(original_.Width(), original_.Height()));
    if (area.isEmpty())
        return;
    view_.SetBusy(true);
    Bitmap cropped(area.width(), area.height(), original_.Picture().BitCount());
    BitBlt(cropped, 0, 0, area.width(), area.height(), original_.Picture(), area.x(), area.y(), kSrcCopy);
    original_.Resize(area.width(), area.height());
    original_.SetPicture(std::move(cropped));
    viewScale_ = 0;
    cropped_ = false;
    cropRect_ = QRectF();
    // The new picture is the one a save writes until it is resized.
    result_.Resize(area.width(), area.height());
    result_.SetPicture(original_.Picture());
    resultShown_ = false;
    if (restartSlider)
        slider_ = kSliderHighest;
    SetSizeText();
    scrollX_ = scrollY_ = 0;
    ShowOriginalInView();
    view_.SetBusy(false);
}

// ---------------------------------------------------------------------------
// Resize, Revert, Save, Cancel

void ResizeModel::cmdResize_Click()
{
    EndCropMode();
    Ui &ui = app_.GetPlatform().ui;
    if (cropped_) {
        if (result_.Width() * kResizeTwipsPerPixel < kMinResultTwips ||
            result_.Height() * kResizeTwipsPerPixel < kMinResultTwips) {
            ui.Message(kCropTooSmallText, MessageIcon::Critical, kCropTooSmallTitle);
            result_.ClearPicture();
            resultShown_ = false;
            cropped_ = false;
            view_.UpdateControls();
            return;
        }
        const MessageResult answer =
            ui.Message(kPictureChangedText, MessageIcon::Question, kPictureChangedTitle, MessageButtons::YesNoCancel);
        if (answer == MessageResult::Cancel) {
            view_.UpdateControls();
            return;
        }
        // The crop is resized at the size the slider shows.
        if (answer == MessageResult::Yes)
            ApplyCropToOriginal(false);
        result_.ClearPicture();
        result_.Cls();
        cropped_ = false;
    }
    if (original_.HasPicture()) {
        try {
            ResizeOriginal();
        } catch (const std::exception &) {
            view_.ShowProgress(1, 1);
            view_.SetBusy(false);
            ui.Message(kInvalidScaleText, MessageIcon::None, QString());
            view_.FocusScale();
        }
    }
    view_.UpdateControls();
}

void ResizeModel::ResizeOriginal()
{
    const QSize size = ScaledSize(QSize(original_.Width(), original_.Height()), slider_);
    if (size.isEmpty())
        return;
    view_.SetBusy(true);
    result_.ClearPicture();
    result_.Resize(size.width(), size.height());
    result_.Cls();
    resultShown_ = true;
    scrollX_ = scrollY_ = 0;

    // In strips of rows, each the same pixels the whole call gives (the
    // destination rectangle moves up by the rows already done), so the
    // window can show progress between them.
    const Bitmap &source = original_.Image();
    Bitmap &target = result_.Image();
    const ResizeGeometry whole{0, 0, float(source.Width()), float(source.Height()),
                               0, 0, float(size.width()), float(size.height())};
    const int strips = (size.height() + kResizeStripRows - 1) / kResizeStripRows;
    Bitmap strip;
    for (int index = 0; index < strips; ++index) {
        const int top = index * kResizeStripRows;
        const int rows = std::min(kResizeStripRows, size.height() - top);
        if (strip.Width() != size.width() || strip.Height() != rows)
            strip = Bitmap(size.width(), rows, target.BitCount());
        ResizeGeometry part = whole;
        part.dy = -float(top);
        if (!ResizeBitmap(source, strip, part))
            throw std::runtime_error("resize");
        std::copy_n(strip.Row(0), size_t(size.width()) * size_t(rows), target.Row(top));
        view_.ShowProgress(index + 1, strips);
    }
    result_.TakeImageAsPicture();
    result_.Refresh();
    SizeWindow();  // the frame now shows the result
    view_.ShowProgress(strips, strips);
    view_.SetBusy(false);
}

void ResizeModel::cmdRevert_Click()
{
    Ui &ui = app_.GetPlatform().ui;
    if (ui.Message(kRevertText, MessageIcon::Question, kRevertTitle, MessageButtons::YesNo) != MessageResult::Yes)
        return;
    EndCropMode();
    cropped_ = false;
    cropRect_ = QRectF();
    scrollX_ = scrollY_ = 0;
    if (!LoadOriginal()) {
        // The file went away meanwhile: nothing left to work on.
        view_.CloseWindow();
        return;
    }
    saveEnabled_ = false;
    resultShown_ = false;
    view_.UpdateControls();
}

void ResizeModel::cmdSave_Click()
{
    EndCropMode();
    // A crop not resized yet is saved at the original's resolution, not the view's.
    if (cropped_ && result_.HasPicture())
        ApplyCropToOriginal(false);
    const Platform &platform = app_.GetPlatform();
    if (!result_.HasPicture()) {
        platform.ui.Message(kNoPictureToSaveText, MessageIcon::Critical, kNoPictureToSaveTitle);
        view_.UpdateControls();
        return;
    }
    ChangerState &state = app_.State();
    SaveFileRequest request;
    request.title = kSaveResizedTitle;
    request.filter = kSaveResizedFilter;
    request.fileName = DefaultSaveName();
    request.initialFolder = state.PictureFolder;
    request.confirmOverwrite = true;
    request.defaultSuffix = QStringLiteral("jpg");
    const std::optional<QString> chosen = platform.ui.SaveFile(request);
    view_.UpdateControls();
    if (!chosen || chosen->isEmpty())
        return;

    QString reason;
    bool written = false;
    view_.SetBusy(true);
    {
        cGdiPlus gdipReSize([&reason](int32_t, const QString &text) { reason = text; });
        written = gdipReSize.PictureBoxToFile(result_, *chosen, state.JpegQuality);
    }
    view_.SetBusy(false);
    if (!written) {
        // The window stays open with the picture, and the user knows why.
        platform.ui.Message(reason.isEmpty() ? kSaveFailedText : kSaveFailedText + QStringLiteral("\n\n") + reason,
                            MessageIcon::Exclamation, kSaveResizedTitle);
        return;
    }
    PictureLibrary &library = app_.Library();
    library.RefreshPictureList();
    const QFileInfo saved(*chosen);
    if (QDir(saved.absolutePath()) == QDir(state.PictureFolder))
        library.SelectListItem(saved.fileName());
    view_.CloseWindow();
}

void ResizeModel::cmdCancel_Click()
{
    EndCropMode();
    view_.CloseWindow();
}

void ResizeModel::picGoBack_Click()
{
    scrollX_ = scrollY_ = 0;
    AlignScrollBars();
    view_.UpdateControls();
}

void ResizeModel::HScroll_Change(int value)
{
    scrollX_ = value;
    AlignScrollBars();
    view_.UpdateControls();
}

void ResizeModel::VScroll_Change(int value)
{
    scrollY_ = value;
    AlignScrollBars();
    view_.UpdateControls();
}

void ResizeModel::imgHelp_Click()
{
    const Platform &platform = app_.GetPlatform();
    platform.help.ShowKeyword(AddTrailingBackslash(platform.shell.ProgramFolder()) + kHelpFileName,
                              kResizeHelpKeyword);
}

}  // namespace pellimore
