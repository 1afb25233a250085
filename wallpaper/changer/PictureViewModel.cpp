#include "wallpaper/changer/PictureViewModel.h"

#include "platform/Platform.h"
#include "platform/ProgramNames.h"
#include "platform/desktop/DesktopService.h"
#include "platform/imageio/PictureLoader.h"
#include "platform/imageio/PictureWriter.h"
#include "platform/raster/Raster.h"
#include "platform/ui/Ui.h"
#include "wallpaper/changer/ChangerState.h"
#include "wallpaper/changer/FolderFiles.h"
#include "platform/shell/PathHelpers.h"
#include "wallpaper/changer/PictureLibrary.h"
#include "wallpaper/changer/ShellIntegration.h"
#include "wallpaper/changer/WallpaperInstaller.h"
#include "wallpaper/changer/WallpaperRender.h"

#include <exception>
#include <future>
#include <new>
#include <system_error>

namespace pellimore {

namespace {

constexpr ColorRef kLargerColor = 192;         // dark red
constexpr ColorRef kExactColor = 0;            // black
constexpr ColorRef kSmallerColor = 16711680;   // blue

}  // namespace

PictureViewModel::PictureViewModel(ChangerState &state, PictureLibrary &library, const Platform &platform,
                                   const DesktopService &desktop, WallpaperInstaller &installer)
    : state_(state), library_(library), platform_(platform), desktop_(desktop), installer_(installer)
{
    picSource_.SetAutoSize(true);
    picThumb_.Resize(160, 120);
    for (PictureSurface *surface : {&picSource_, &picEffect_, &picThumb_})
        surface->Dc().SetStretchBltMode(StretchMode::Halftone);
}

QString PictureViewModel::WallpaperBitmapPath() const
{
    return FolderFilePath(state_.PictureFolder, kRenderedWallpaperName);
}

PictureRecord *PictureViewModel::CurrentEntry()
{
    auto &records = library_.Records();
    if (state_.SelectedIndex < 0 || state_.SelectedIndex >= int(records.size()))
        return nullptr;
    return &records[size_t(state_.SelectedIndex)];
}

ColorRef PictureViewModel::EntryBackColor()
{
    const PictureRecord *entry = CurrentEntry();
    return entry ? entry->BackColor & 0xFFFFFF : state_.DesktopColor;
}

void PictureViewModel::MeasureDesktop()
{
    const QSize size = desktop_.ScreenSize();
    state_.DesktopWidth = size.width();
    state_.DesktopHeight = size.height();
    state_.LargeFonts = desktop_.LogicalDpiX() != 96;
    screenLabel_ = QStringLiteral("Desktop = %1 x %2").arg(size.width()).arg(size.height());
}

bool PictureViewModel::LoadPicture(const QString &path, StdPNG &png, bool platformLoaderOnly, QString *error,
                                   bool forWallpaper)
{
    sourceStoredSize_ = QSize();
    sourceCanvas_.reset();
    ShownSizeFunction shownSize;
    ShownCanvasFunction shownCanvas;
    QSize desktop;
    ColorRef back = 0;
    if (forWallpaper) {
        if (state_.DesktopWidth <= 0 || state_.DesktopHeight <= 0)
            MeasureDesktop();
        desktop = QSize(state_.DesktopWidth, state_.DesktopHeight);
        back = EntryBackColor();
        const PictureRecord *entry = CurrentEntry();
        const WallpaperStyle style =
            WallpaperStyleFromIndex(entry ? entry->Style : 0).value_or(WallpaperStyle::Centered);
        shownSize = [desktop, style](QSize stored) { return WallpaperShownSize(stored, desktop, style); };
        // A picture the fit will shrink may be decoded straight into the
        // fitted canvas: the same pixels as the fit, one picture in memory.
        shownCanvas = [desktop, style, back](QSize stored) {
            if (style == WallpaperStyle::Stretched || !IsLargerThanDesktop(stored, desktop))
                return ShownCanvas();
            const FitLayout layout = FitToDesktopLayout(stored, desktop);
            return ShownCanvas{layout.canvas, layout.picture, PixelFromColorRef(back)};
        };
    }
    QSize stored;
    if (platformLoaderOnly) {
        PictureLoadOptions options;
        options.shownSize = shownSize;
        PictureResult loaded = pellimore::LoadPicture(path, options);
        if (!loaded.Ok()) {
            *error = loaded.error;
            return false;
        }
        stored = loaded.storedSize;
        picSource_.ClearPicture();
        picSource_.SetPicture(std::move(loaded.bitmap));
    } else {
        const LoadByTypeResult loaded = LoadPictureByType(path, picSource_, png, shownSize, shownCanvas);
        if (!loaded.ok) {
            *error = loaded.error.isEmpty() ? QStringLiteral("the picture could not be decoded") : loaded.error;
            return false;
        }
        stored = loaded.storedSize;
        if (loaded.onCanvas) {
            sourceCanvas_ = SourceCanvas{desktop, back, FitToDesktopLayout(stored, desktop).picture};
            sourceStoredSize_ = stored;
            return true;
        }
    }
    if (stored != QSize(picSource_.Width(), picSource_.Height()))
        sourceStoredSize_ = stored;
    return true;
}

void PictureViewModel::ClearPictures()
{
    // Hidden surfaces keep no memory between pictures; emptied first, they
    // do not repaint a picture-sized image on the way.
    picSource_.Resize(0, 0);
    picEffect_.Resize(0, 0);
    picSource_.ClearPicture();
    picThumb_.ClearPicture();
    picEffect_.ClearPicture();
    sourceStoredSize_ = QSize();
    sourceCanvas_.reset();
    fittedSource_ = Bitmap();
    state_.PendingApply = false;
}

Bitmap PictureViewModel::SourcePicture() const
{
    const Bitmap &whole = picSource_.HasPicture() ? picSource_.Picture() : picSource_.Image();
    if (!sourceCanvas_)
        return whole;
    const QRect &block = sourceCanvas_->picture;
    Bitmap picture(block.width(), block.height(), whole.BitCount());
    BitBlt(picture, 0, 0, block.width(), block.height(), whole, block.x(), block.y(), kSrcCopy);
    return picture;
}

void PictureViewModel::AnalysePicture(AnalysisWindow window, PictureSurface &source, PictureSurface &effect,
                                      PictureSurface &thumbnail, bool drawThumbnail)
{
    if (state_.DesktopWidth <= 0 || state_.DesktopHeight <= 0)
        MeasureDesktop();
    const bool reduced = &source == &picSource_ && !sourceStoredSize_.isEmpty();
    const int W = reduced ? sourceStoredSize_.width() : source.Width();
    const int H = reduced ? sourceStoredSize_.height() : source.Height();
    const int DW = state_.DesktopWidth, DH = state_.DesktopHeight;
    const bool main = window == AnalysisWindow::Main;
    const bool centeredChosen = styles_.chosen == 0;
    if (main) {
        // Each picture starts with every option available.
        analysis_.tiledEnabled = true;
        analysis_.stretchedEnabled = true;
    }

    if (W > DW || H > DH) {
        analysis_.sizeLabelColor = kLargerColor;
        if (main) {
            state_.LargerThanDesktop = true;
            if (W > DW && H > DH) {
                analysis_.combineEnabled = false;
                analysis_.tiledEnabled = false;
            } else if (W >= DW && H >= DH) {
                analysis_.combineEnabled = false;
            } else {
                analysis_.combineEnabled = centeredChosen;
            }
        } else {
            analysis_.DesignerFit = true;
            state_.SmallPicture = false;
        }
    } else {
        const bool exact = W == DW && H == DH;
        analysis_.sizeLabelColor = exact ? kExactColor : kSmallerColor;
        if (main) {
            if (exact) {
                analysis_.tiledEnabled = false;
                analysis_.stretchedEnabled = false;
            }
            state_.LargerThanDesktop = false;
            analysis_.combineEnabled = !exact && centeredChosen;
        } else {
            analysis_.DesignerFit = false;
            state_.SmallPicture = 2 * W <= DW && 2 * H <= DH;
        }
    }
    analysis_.sizeLabel = QStringLiteral("Image = %1 x %2").arg(W).arg(H);

    const PictureSurface *shown = &source;
    if (main && state_.LargerThanDesktop) {
        FitToDesktop(source, effect);
        shown = (state_.LargeFonts || DW <= 800) ? &source : &effect;
    } else {
        if (main && gifFlags_.gifNeedsBackground && &source == &picSource_)
            LayGifOverColor();
        if (!main && analysis_.DesignerFit) {
            FitToDesktop(source, effect);
            shown = &effect;
        }
    }
    if (drawThumbnail)
        DrawThumbnail(*shown, effect, thumbnail);
}

void PictureViewModel::DrawThumbnail(const PictureSurface &source, PictureSurface &effect, PictureSurface &thumbnail,
                                     bool isComboThumbnail)
{
    if (!isComboThumbnail)
        thumbnail.ClearPicture();
    const int W = source.Width(), H = source.Height();
    const int DW = state_.DesktopWidth, DH = state_.DesktopHeight;
    const int TW = thumbnail.Width(), TH = thumbnail.Height();
    if (W <= 0 || H <= 0 || DW <= 0 || DH <= 0 || TW <= 0 || TH <= 0)
        return;

    float f;
    if (W < DW || H < DH)
        f = (DH - H) < (DW - W) ? float(TW) / float(DW) : float(TH) / float(DH);
    else
        f = W > H ? float(TW - 2) / float(W) : float(TH - 2) / float(H);
    const int w = std::max(1, ScaledPixels(W, f));
    const int h = std::max(1, ScaledPixels(H, f));

    // The source may be the effect surface itself, which is about to be
    // resized: draw from a copy of what it shows now.
    const Bitmap picture = source.Image();
    effect.Resize(w, h);
    effect.PaintPicture(picture, 0, 0, effect.FromPixelsX(w), effect.FromPixelsY(h));

    const int x = WholePart(float(TW - w) / 2.0f);
    const int y = WholePart(float(TH - h) / 2.0f);
    const PictureRecord *entry = CurrentEntry();
    const QPoint oldOrigin = thumbnail.Dc().SetBrushOrg(QPoint(x, y));
    if (entry && entry->Style == kStyleStretched)
        StretchBlt(thumbnail.Image(), 0, 0, TW, TH, picture, 0, 0, W, H, StretchMode::Halftone, kSrcCopy);
    else
        StretchBlt(thumbnail.Image(), x, y, w, h, picture, 0, 0, W, H, StretchMode::Halftone, kSrcCopy);
    thumbnail.Dc().SetBrushOrg(oldOrigin);
    thumbnail.Refresh();
    state_.PendingApply = true;
}

void PictureViewModel::FitToDesktop(PictureSurface &source, PictureSurface &canvas)
{
    if (state_.DesktopWidth <= 0 || state_.DesktopHeight <= 0)
        MeasureDesktop();
    const QSize desktop(state_.DesktopWidth, state_.DesktopHeight);
    if (source.Width() <= 0 || source.Height() <= 0 || desktop.isEmpty())
        return;
    const ColorRef back = EntryBackColor();
    const QSize stored = &source == &picSource_ ? sourceStoredSize_ : QSize();
    const bool onCanvas = &source == &picSource_ && sourceCanvas_;
    // A picture decoded into this very canvas is its own fit.
    Bitmap fitted = onCanvas && sourceCanvas_->desktop == desktop && sourceCanvas_->back == back
                        ? source.Image()
                        : pellimore::FitToDesktop(onCanvas ? SourcePicture() : source.Image(), desktop, back, stored);
    // The wallpaper bitmap of this picture is this same fit; it is kept
    // until then instead of being made a second time.
    fittedSource_ = Bitmap();
    if (&source == &picSource_ && !state_.LargeFonts) {
        fittedSource_ = fitted;
        fittedKey_ = {source.Generation(), desktop, back};
    }
    // The fit covers the whole canvas, so no earlier rendering shows in the
    // margin; canvas, its picture and the kept wallpaper bitmap share pixels.
    canvas.SetPictureAndSize(std::move(fitted));
    canvas.SetBackColor(back);
    if (&source != &canvas)
        source.SetBackColor(back);
    canvas.SetForeColor(back);
    canvas.Refresh();
    if (state_.LargeFonts && &source == &picSource_ && &canvas != &picSource_) {
        picSource_.SetPicture(canvas.Image());
        sourceStoredSize_ = QSize();
        sourceCanvas_.reset();
    }
    fittedKey_.generation = picSource_.Generation();
}

void PictureViewModel::LayGifOverColor()
{
    const ColorRef back = EntryBackColor();
    picSource_.SetBackColor(back);
    const Bitmap over = LayOverColor(picSource_.HasPicture() ? picSource_.Picture() : picSource_.Image(), back);
    picEffect_.ClearPicture();
    picEffect_.Resize(over.Width(), over.Height());
    picEffect_.SetPicture(over);
    picSource_.SetPicture(over);
}

bool PictureViewModel::RenderWallpaperBitmap(QString *error)
{
    installer_.ForgetFailure();
    const QString path = WallpaperBitmapPath();
    const PictureRecord *entry = CurrentEntry();
    if (!entry || picSource_.Width() <= 0 || picSource_.Height() <= 0) {
        if (error)
            *error = QStringLiteral("There is no picture to make the wallpaper.");
        return false;
    }
    WallpaperRenderInput input;
    input.desktop = QSize(state_.DesktopWidth, state_.DesktopHeight);
    input.largerThanDesktop = state_.LargerThanDesktop;
    input.style = WallpaperStyleFromIndex(entry->Style).value_or(WallpaperStyle::Centered);
    input.backColor = EntryBackColor();
    input.gifNeedsBackground = gifFlags_.gifNeedsBackground;
    input.animatedPreviewShown = gifFlags_.animatedPreviewShown;
    input.storedSize = sourceStoredSize_;
    if (input.desktop.isEmpty()) {
        MeasureDesktop();
        input.desktop = QSize(state_.DesktopWidth, state_.DesktopHeight);
    }
    const bool fitted = !fittedSource_.IsNull() && input.largerThanDesktop && !input.animatedPreviewShown &&
                        input.style != WallpaperStyle::Stretched &&
                        fittedKey_ == FitKey{picSource_.Generation(), input.desktop, input.backColor};
    const Bitmap bitmap = fitted ? std::move(fittedSource_)
                                 : RenderWallpaper(SourcePicture(), input);
    fittedSource_ = Bitmap();
    RemoveSymbolicLink(path);
    WallpaperToInstall wallpaper;
    wallpaper.path = path;
    wallpaper.pixels = &bitmap;
    wallpaper.animatedGif = gifFlags_.gifNeedsBackground && gifFlags_.animatedPreviewShown;
    wallpaper.gifPath = PicturePath(state_.PictureFolder, entry->FileName);
    const InstallMethod method = InstallMethodFromSetting(state_.NoActiveDesktop);
    QString writeError;
    const auto writeFailed = [&] {
        if (error)
            *error = QStringLiteral("The wallpaper bitmap %1 could not be written: %2").arg(path, writeError);
        return false;
    };
    if (!installer_.ShowsPixelsWithoutFile(method)) {
        if (!SaveBmp(bitmap, path, &writeError))
            return writeFailed();
        return installer_.Install(wallpaper, *entry, method, error);
    }
    // The desktop is drawn from the pixels: the file, for the next session
    // and for other programs, is written on another core meanwhile (here
    // first, when no thread can be had). Nothing may leave that thread.
    const auto writeFile = [&]() noexcept {
        try {
            return SaveBmp(bitmap, path, &writeError);
        } catch (const std::bad_alloc &) {
            writeError = QStringLiteral("out of memory");
        } catch (const std::exception &failure) {
            writeError = QString::fromLocal8Bit(failure.what());
        }
        return false;
    };
    std::future<bool> written;
    try {
        written = std::async(std::launch::async, writeFile);
    } catch (const std::system_error &) {
        std::promise<bool> here;
        here.set_value(writeFile());
        written = here.get_future();
    }
    const bool installed = installer_.Install(wallpaper, *entry, method, error);
    if (!written.get())
        return writeFailed();
    return installed;
}

void PictureViewModel::SelectStyle(int index, bool listChanging)
{
    const std::optional<WallpaperStyle> style = WallpaperStyleFromIndex(index);
    if (!style)
        return;
    for (ColorRef &color : styles_.colors)
        color = StyleOptions::kNormal;
    styles_.colors[index] = StyleOptions::kChosen;
    styles_.chosen = index;
    installer_.SetDesktopStyle(*style);
    if (PictureRecord *entry = CurrentEntry())
        entry->Style = index;
    if (!listChanging && picSource_.HasPicture())
        AnalysePicture();
}

void PictureViewModel::ChooseColor()
{
    PictureRecord *entry = CurrentEntry();
    if (!entry)
        return;
    const std::optional<ColorRef> chosen = platform_.ui.ChooseColor(entry->BackColor);
    if (!chosen)
        return;
    colorLabel_ = *chosen & 0xFFFFFF;
    entry->BackColor = colorLabel_;
    if (listener_)
        listener_->ShowEntry();
}

void PictureViewModel::ChangeColorForAll()
{
    MessageBoxRequest box;
    box.text = QStringLiteral(
        "This will change your desktop background color for ALL wallpaper pictures.\n\nDo you want to continue?");
    box.title = kApplicationTitle;
    box.buttons = MessageButtons::YesNo;
    box.defaultButton = 2;
    box.icon = MessageIcon::Exclamation;
    if (platform_.ui.MessageBox(box) != MessageResult::Yes)
        return;
    for (PictureRecord &record : library_.Records())
        record.BackColor = colorLabel_;
    state_.DefaultBackColor = colorLabel_;
    if (listener_)
        listener_->ShowEntry();
}

void PictureViewModel::EndAnimatedPreview()
{
    if (!gifFlags_.animatedPreviewShown)
        return;
    gifFlags_.animatedPreviewShown = false;
    if (listener_)
        listener_->StopAnimatedPreview();
}

}  // namespace pellimore
