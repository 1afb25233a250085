#include "wallpaper/changer/DesktopApply.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

#include <cmath>

#include "platform/Platform.h"
#include "platform/imageio/PictureWriter.h"
#include "platform/shell/ShellFolders.h"
#include "platform/sound/SoundService.h"
#include "platform/store/SettingsStore.h"
#include "platform/ui/Ui.h"
#include "wallpaper/changer/ChangerState.h"
#include "wallpaper/changer/PathHelpers.h"
#include "wallpaper/changer/PictureLibrary.h"
#include "wallpaper/changer/Settings.h"
#include "wallpaper/changer/ShellIntegration.h"

namespace pellimore {

namespace {

constexpr ColorRef kLargerColor = 192;         // dark red
constexpr ColorRef kExactColor = 0;            // black
constexpr ColorRef kSmallerColor = 16711680;   // blue

// Whole part, as the classic Int(): towards minus infinity.
int WholePart(float value)
{
    return int(std::floor(value));
}

// A size times a single-precision factor, rounded to whole pixels. The
// product is formed in double precision, as the classic floating-point unit
// kept it, so 1200 x (1022 / 1600) gives 767.
int ScaledPixels(int size, float factor)
{
    return int(std::lrint(double(size) * double(factor)));
}

}  // namespace

Bitmap LayOverColor(const Bitmap &picture, ColorRef color)
{
    Bitmap result(picture.Width(), picture.Height(), 24);
    const uint32_t cr = RedOf(color), cg = GreenOf(color), cb = BlueOf(color);
    for (int y = 0; y < picture.Height(); ++y) {
        const Pixel *in = picture.Row(y);
        Pixel *out = result.Row(y);
        for (int x = 0; x < picture.Width(); ++x) {
            const uint32_t a = PixelAlpha(in[x]);
            auto mix = [a](uint32_t p, uint32_t c) { return uint8_t((p * a + c * (255 - a) + 127) / 255); };
            out[x] = MakePixel(mix(PixelRed(in[x]), cr), mix(PixelGreen(in[x]), cg), mix(PixelBlue(in[x]), cb));
        }
    }
    return result;
}

DesktopApply::DesktopApply(ChangerState &state, PictureLibrary &library, const Platform &platform,
                           DesktopService &desktop, ActiveDesktop &activeDesktop, SoundService &sound)
    : state_(state), library_(library), platform_(platform), desktop_(desktop), activeDesktop_(activeDesktop),
      sound_(sound)
{
    picSource.SetAutoSize(true);
    picThumb.Resize(160, 120);
    for (PictureSurface *surface : {&picSource, &picEffect, &picThumb})
        surface->Dc().SetStretchBltMode(StretchMode::Halftone);
}

QString DesktopApply::WallpaperBitmapPath() const
{
    return AddTrailingBackslash(state_.PictureFolder) + kRenderedWallpaperName;
}

PictureRecord *DesktopApply::CurrentEntry()
{
    auto &records = library_.Records();
    if (state_.SelectedIndex < 0 || state_.SelectedIndex >= int(records.size()))
        return nullptr;
    return &records[size_t(state_.SelectedIndex)];
}

ColorRef DesktopApply::EntryBackColor()
{
    const PictureRecord *entry = CurrentEntry();
    return entry ? entry->BackColor & 0xFFFFFF : state_.DesktopColor;
}

void DesktopApply::MeasureDesktop()
{
    const QSize size = desktop_.ScreenSize();
    state_.DesktopWidth = size.width();
    state_.DesktopHeight = size.height();
    state_.LargeFonts = desktop_.LogicalDpiX() != 96;
    screenLabel_ = QStringLiteral("Desktop = %1 x %2").arg(size.width()).arg(size.height());
}

void DesktopApply::AnalysePicture(AnalysisWindow window, PictureSurface &thumbnail)
{
    if (state_.DesktopWidth <= 0 || state_.DesktopHeight <= 0)
        MeasureDesktop();
    const int W = picSource.Width(), H = picSource.Height();
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

    const PictureSurface *source = &picSource;
    if (main && state_.LargerThanDesktop) {
        FitToDesktop(picSource, picEffect);
        source = (state_.LargeFonts || DW <= 800) ? &picSource : &picEffect;
    } else {
        if (main && gifFlags.gifNeedsBackground)
            LayGifOverColor();
        if (!main && analysis_.DesignerFit) {
            FitToDesktop(picSource, picEffect);
            source = &picEffect;
        }
    }
    DrawThumbnail(window, *source, thumbnail);
}

void DesktopApply::DrawThumbnail(AnalysisWindow, const PictureSurface &source, PictureSurface &thumbnail,
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

    // The source may be picEffect itself, which is about to be resized: draw
    // from a copy of what it shows now.
    const Bitmap picture = source.Image();
    picEffect.Resize(w, h);
    picEffect.PaintPicture(picture, 0, 0, picEffect.FromPixelsX(w), picEffect.FromPixelsY(h));

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

void DesktopApply::FitToDesktop(PictureSurface &source, PictureSurface &canvas)
{
    if (state_.DesktopWidth <= 0 || state_.DesktopHeight <= 0)
        MeasureDesktop();
    const int W = source.Width(), H = source.Height();
    const int DW = state_.DesktopWidth, DH = state_.DesktopHeight;
    if (W <= 0 || H <= 0 || DW <= 0 || DH <= 0)
        return;
    const float rW = float(DW) / float(W);
    const float rH = float(DH) / float(H);
    // Plain ints: a picture more than 32767 pixels beyond the desktop must not
    // wrap around and pick the wrong side.
    const int eW = W - DW;
    const int eH = H - DH;
    const float aspect = float(W) / float(H);

    float s;
    if (rW > 1.0f || rH > 1.0f)
        s = rH >= rW ? rW : rH;
    else
        s = aspect > 1.4f ? rW : rH;
    const ColorRef back = EntryBackColor();
    // The canvas starts empty: an earlier rendering must not show in the margin.
    canvas.ClearPicture();
    canvas.Resize(std::max(1, ScaledPixels(W, s)), std::max(1, ScaledPixels(H, s)));
    canvas.SetBackColor(back);
    if (&source != &canvas)
        source.SetBackColor(back);

    const int CW = canvas.Width(), CH = canvas.Height();
    float g = 1.0f;
    if (CW - 2 < W || CH - 2 < H)
        g = eH < eW ? float(CW - 2) / float(W) : float(CH - 2) / float(H);
    const int w = std::max(1, ScaledPixels(W, g));
    const int h = std::max(1, ScaledPixels(H, g));
    const int x = WholePart(float(CW - w) / 2.0f);
    const int y = WholePart(float(CH - h) / 2.0f);

    const QPoint oldOrigin = canvas.Dc().SetBrushOrg(QPoint(x, y));
    StretchBlt(canvas.Image(), x, y, w, h, source.Image(), 0, 0, W, H, StretchMode::Halftone, kSrcCopy);
    canvas.Dc().SetBrushOrg(oldOrigin);
    canvas.SetForeColor(back);
    canvas.TakeImageAsPicture();
    canvas.Refresh();
    if (state_.LargeFonts && &source == &picSource && &canvas != &picSource)
        picSource.SetPicture(canvas.Image());
}

void DesktopApply::LayGifOverColor()
{
    const ColorRef back = EntryBackColor();
    picSource.SetBackColor(back);
    const Bitmap over = LayOverColor(picSource.HasPicture() ? picSource.Picture() : picSource.Image(), back);
    picEffect.ClearPicture();
    picEffect.Resize(over.Width(), over.Height());
    picEffect.SetPicture(over);
    picSource.SetPicture(over);
}

bool DesktopApply::RenderWallpaperBitmap(QString *error)
{
    failureShown_ = false;
    const QString path = WallpaperBitmapPath();
    const PictureRecord *entry = CurrentEntry();
    if (!entry || (picSource.Width() <= 0 || picSource.Height() <= 0)) {
        if (error)
            *error = QStringLiteral("There is no picture to make the wallpaper.");
        return false;
    }
    Bitmap bitmap;
    bool clearCanvas = false;
    if (!state_.LargerThanDesktop || gifFlags.animatedPreviewShown) {
        if (gifFlags.gifNeedsBackground) {
            LayGifOverColor();
            bitmap = picEffect.Picture();
        } else {
            bitmap = picSource.HasPicture() ? picSource.Picture() : picSource.Image();
        }
    } else if (entry->Style == kStyleStretched) {
        // The desktop stretches the picture itself.
        bitmap = picSource.Image();
    } else {
        FitToDesktop(picSource, picEffect);
        bitmap = picEffect.Image();
        clearCanvas = true;
    }
    QString writeError;
    const bool written = SaveBmp(bitmap, path, &writeError);
    if (clearCanvas)
        picEffect.ClearPicture();
    if (!written) {
        if (error)
            *error = QStringLiteral("The wallpaper bitmap %1 could not be written: %2").arg(path, writeError);
        return false;
    }
    return ApplyDesktopSettings(path, state_.NoActiveDesktop, error);
}

bool DesktopApply::ApplyDesktopSettings(const QString &path, int mode, QString *error)
{
    const PictureRecord *entry = CurrentEntry();
    if (!entry) {
        if (error)
            *error = QStringLiteral("No picture is selected.");
        return false;
    }
    int activeStyle = 0;
    if (const auto style = WallpaperStyleFromIndex(entry->Style)) {
        tileValue_ = *style == WallpaperStyle::Tiled ? 1 : 0;
        styleValue_ = *style == WallpaperStyle::Stretched ? 2 : 0;
        activeStyle = entry->Style;
    }
    if ((entry->BackColor & 0xFFFFFF) != state_.DesktopColor)
        SetDesktopColor(entry->BackColor & 0xFFFFFF);
    state_.CurrentIndex = state_.SelectedIndex + 1;
    state_.CurrentOrder = entry->Order;
    WriteRegistryString(QStringLiteral("TileWallpaper"), NumberText(tileValue_));
    WriteRegistryString(QStringLiteral("WallpaperStyle"), NumberText(styleValue_));

    if (mode == 1)
        return InstallDirect(path, error);
    if (mode != 0)
        return true;
    QString target = path;
    if (gifFlags.gifNeedsBackground && gifFlags.animatedPreviewShown)
        target = PicturePath(state_.PictureFolder, entry->FileName);
    SetWallpaperActiveDesktop(target, activeStyle, false);
    if (!state_.ActiveDesktopFailed)
        return true;
    state_.NoActiveDesktop = 1;
    const bool installed = InstallDirect(target, error);
    state_.ActiveDesktopFailed = false;
    return installed;
}

bool DesktopApply::InstallDirect(const QString &path, QString *error)
{
    const WallpaperStyle style = tileValue_ == 1    ? WallpaperStyle::Tiled
                                 : styleValue_ == 2 ? WallpaperStyle::Stretched
                                                    : WallpaperStyle::Centered;
    desktop_.SetBackgroundColor(state_.DesktopColor);
    const DesktopResult result = desktop_.SetWallpaper(path, style);
    if (result.Ok()) {
        // Remembered like the system's own wallpaper value, for the re-apply
        // at log-in on desktops that forget it.
        WriteRegistryString(QStringLiteral("Wallpaper"), QFileInfo(path).absoluteFilePath());
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

void DesktopApply::SetDesktopColor(ColorRef color)
{
    desktop_.SetBackgroundColor(color);
    state_.DesktopColor = color;
}

void DesktopApply::SaveDesktopColor()
{
    const ColorRef c = state_.DesktopColor;
    WriteRegistryString(QStringLiteral("Background"),
                        QStringLiteral("%1 %2 %3").arg(RedOf(c)).arg(GreenOf(c)).arg(BlueOf(c)));
}

void DesktopApply::WriteRegistryString(const QString &valueName, const QString &text)
{
    platform_.store.SaveSetting(kApplicationName, kDesktopSection, valueName, text);
}

void DesktopApply::PlayChangeSound()
{
    if (state_.PlaySoundOnChange == 1)
        sound_.PlayFile(AddTrailingBackslash(platform_.shell.ProgramFolder()) + kChangeSoundName);
}

void DesktopApply::SetWallpaperActiveDesktop(const QString &path, int style, bool switchOn)
{
    const DesktopResult result =
        activeDesktop_.SetWallpaper(path, WallpaperStyleFromIndex(style).value_or(WallpaperStyle::Centered), switchOn);
    QCoreApplication::processEvents();
    if (result.Ok())
        return;
    DisableActiveDesktop();
    state_.ActiveDesktopFailed = true;
    QString text = kActiveDesktopText;
    if (gifFlags.gifNeedsBackground && gifFlags.animatedPreviewShown)
        text += QLatin1Char('\n') + kNoAnimationText;
    platform_.ui.Message(text, MessageIcon::Critical, kActiveDesktopTitle);
}

void DesktopApply::DisableActiveDesktop()
{
    activeDesktop_.Disable();
    activeDesktopMenuEnabled_ = false;
    state_.NoActiveDesktop = 1;
    SaveSettings(state_, platform_.store);
}

void DesktopApply::SelectStyle(int index, bool listChanging)
{
    const std::optional<WallpaperStyle> style = WallpaperStyleFromIndex(index);
    if (!style)
        return;
    for (ColorRef &color : styles_.colors)
        color = StyleOptions::kNormal;
    styles_.colors[index] = StyleOptions::kChosen;
    styles_.chosen = index;
    tileValue_ = *style == WallpaperStyle::Tiled ? 1 : 0;
    styleValue_ = *style == WallpaperStyle::Stretched ? 2 : 0;
    if (PictureRecord *entry = CurrentEntry())
        entry->Style = index;
    if (!listChanging && picSource.HasPicture())
        AnalysePicture(AnalysisWindow::Main, picThumb);
}

void DesktopApply::ChooseColor()
{
    PictureRecord *entry = CurrentEntry();
    if (!entry)
        return;
    const std::optional<ColorRef> chosen = platform_.ui.ChooseColor(entry->BackColor);
    if (!chosen)
        return;
    colorLabel_ = *chosen & 0xFFFFFF;
    entry->BackColor = colorLabel_;
    if (showEntry)
        showEntry();
}

void DesktopApply::ChangeColorForAll()
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
    if (showEntry)
        showEntry();
}

DesktopResult ReapplyStoredWallpaper(const SettingsStore &store, DesktopService &desktop)
{
    const QString path = store.GetSetting(kApplicationName, kDesktopSection, QStringLiteral("Wallpaper"));
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return DesktopResult::Failure(QStringLiteral("no stored wallpaper to show again"));
    const QStringList rgb = store.GetSetting(kApplicationName, kDesktopSection, QStringLiteral("Background"))
                                .split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (rgb.size() == 3) {
        auto byte = [](const QString &text) { return uint8_t(qBound(0, text.toInt(), 255)); };
        desktop.SetBackgroundColor(Rgb(byte(rgb[0]), byte(rgb[1]), byte(rgb[2])));
    }
    WallpaperStyle style = WallpaperStyle::Centered;
    if (store.GetSetting(kApplicationName, kDesktopSection, QStringLiteral("TileWallpaper")).trimmed() == QLatin1String("1"))
        style = WallpaperStyle::Tiled;
    else if (store.GetSetting(kApplicationName, kDesktopSection, QStringLiteral("WallpaperStyle")).trimmed() ==
             QLatin1String("2"))
        style = WallpaperStyle::Stretched;
    return desktop.SetWallpaper(path, style);
}

}  // namespace pellimore
