#include "wallpaper/designer/Compositing.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>

#include "platform/colors/SystemColors.h"
#include "platform/imageio/PictureLoader.h"
#include "platform/imageio/PictureWriter.h"
#include "platform/raster/PictureSurface.h"
#include "platform/raster/Raster.h"
#include "platform/shell/PathHelpers.h"
#include "platform/ui/Ui.h"
#include "wallpaper/changer/ChangerState.h"
#include "wallpaper/changer/PictureViewModel.h"
#include "wallpaper/changer/WallpaperInstaller.h"
#include "wallpaper/changer/WallpaperRender.h"
#include "wallpaper/codecs/StdPNG.h"
#include "wallpaper/designer/cGdiPlus.h"
#include "wallpaper/designer/frmPics.h"
#include "wallpaper/designer/modGradients.h"

namespace pellimore {

namespace {

constexpr int kButtonFaceIndex = 15;
// Canvases this wide or narrower are previews: margins are scaled to them.
constexpr int kPreviewCanvasWidth = 200;
constexpr int16_t kLargestMargin = 32767;

// Nearest whole number, halves to even.
int Nearest(double value)
{
    return int(std::nearbyint(value));
}

QSize SizeOf(const PictureSurface &surface)
{
    return {surface.Width(), surface.Height()};
}

// A margin box's text that is a margin as it stands: a number from 0 to
// the largest margin.
bool IsMarginText(const QString &text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    return ok && value >= 0 && value <= kLargestMargin;
}

// The box's text after a correction.
QString MarginBoxText(int margin)
{
    return QString::number(margin);
}

// A background picture: what the platform loader reads, else any picture
// Qt reads (PNG backgrounds among them), laid over the background colour.
Bitmap LoadBackground(const QString &path, ColorRef backColor)
{
    PictureResult loaded = LoadPicture(path);
    if (loaded.Ok())
        return std::move(loaded.bitmap);
    const ImageReadResult read = ReadImageFile(path);
    if (!read.Ok())
        throw std::runtime_error(loaded.error.toStdString());
    return LayOverColor(Bitmap::FromImage(read.image), backColor);
}

}  // namespace

QSize FitPictureSize(QSize pictureSize, QSize box)
{
    if (pictureSize.isEmpty() || box.isEmpty())
        return {};
    if (pictureSize.width() <= box.width() && pictureSize.height() <= box.height())
        return pictureSize;
    return pictureSize.scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

std::vector<QPoint> TilePositions(QSize targetSize, QSize tileSize)
{
    std::vector<QPoint> positions;
    const int W = targetSize.width(), H = targetSize.height();
    const int tw = tileSize.width(), th = tileSize.height();
    if (W <= 0 || H <= 0 || tw <= 0 || th <= 0)
        return positions;
    double columns = double(W + 1) / tw;
    double rows = double(H + 1) / th;
    if (tw != th) {
        columns += 3;
        rows += tw > th ? 4 : 3;
    } else {
        columns += 1;
        rows += 1;
    }
    // The outer count is rounded; the inner loop runs from 1 while not above
    // the unrounded count. Each run stops once the next position is past
    // the target's last pixel.
    const bool byColumns = columns > rows;
    const int outerCount = Nearest(byColumns ? columns : rows);
    const double innerCount = byColumns ? rows : columns;
    const int outerStep = byColumns ? tw : th, innerStep = byColumns ? th : tw;
    const int outerLimit = byColumns ? W : H, innerLimit = byColumns ? H : W;
    for (int i = 1; i <= outerCount; ++i) {
        const int outer = (i - 1) * outerStep;
        for (int j = 1; j <= innerCount; ++j) {
            const int inner = (j - 1) * innerStep;
            positions.push_back(byColumns ? QPoint(outer, inner) : QPoint(inner, outer));
            if (inner + innerStep >= innerLimit)
                break;
        }
        if (outer + outerStep >= outerLimit)
            break;
    }
    return positions;
}

void TilePicture(const Bitmap &tile, PictureSurface &target)
{
    const QSize tileSize(tile.Width(), tile.Height());
    const std::vector<QPoint> positions = TilePositions(SizeOf(target), tileSize);
    // The target is cleared first unless the tiles cover all of it.
    QRect covered;
    for (const QPoint &at : positions)
        covered |= QRect(at, tileSize);
    if (!covered.contains(QRect(QPoint(0, 0), SizeOf(target))))
        target.Cls();
    for (const QPoint &at : positions)
        BitBlt(target.Image(), at.x(), at.y(), tileSize.width(), tileSize.height(), tile, 0, 0, kSrcCopy);
    target.Refresh();
}

QRect FitMonitorPreview(QSize desktop, QPoint monitorTopLeft)
{
    const QSize screen = IsWideDesktop(desktop) ? kWideScreenSize : kSquareScreenSize;
    return {monitorTopLeft + kMonitorScreenOffset, screen};
}

PickedColor PickColor(Ui &ui, ColorRef current)
{
    const std::optional<ColorRef> chosen = ui.ChooseColor(current);
    if (!chosen)
        return {0, true};
    return {*chosen & 0xFFFFFF, false};
}

ColorParts SplitColor(ColorRef color)
{
    return {int16_t(RedOf(color)), int16_t(GreenOf(color)), int16_t(BlueOf(color))};
}

int16_t MarginFromText(const QString &text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return 0;
    return int16_t(std::clamp(std::floor(value), 0.0, double(kLargestMargin)));
}

void DrawBorder(PictureSurface &canvas, QPoint at, QSize size, ColorRef color, ColorRef buttonFace)
{
    const int x = at.x(), y = at.y(), w = size.width(), h = size.height();
    const int width = canvas.DrawWidth(), style = canvas.DrawStyle();
    const ScaleUnit unit = canvas.ScaleMode();
    canvas.SetScaleMode(ScaleUnit::Pixels);
    canvas.SetDrawStyle(int(PenStyle::Solid));
    canvas.SetDrawWidth(6);
    canvas.Line(x, y, x + w - 1, y + h - 1, color, LineShape::Box);
    canvas.SetDrawWidth(1);
    canvas.SetDrawStyle(int(PenStyle::InsideFrame));
    canvas.Line(x + 3, y + 3, x + w, y + h, buttonFace, LineShape::Box);
    canvas.SetDrawWidth(width);
    canvas.SetDrawStyle(style);
    canvas.SetScaleMode(unit);
}

void DrawThumbnailBorder(PictureSurface &canvas, QPoint at, QSize size, ColorRef color)
{
    const int width = canvas.DrawWidth();
    const ScaleUnit unit = canvas.ScaleMode();
    canvas.SetScaleMode(ScaleUnit::Pixels);
    canvas.SetDrawWidth(1);
    canvas.Line(at.x(), at.y(), at.x() + size.width() - 1, at.y() + size.height() - 1, color, LineShape::Box);
    canvas.SetDrawWidth(width);
    canvas.SetScaleMode(unit);
}

void RenderTransparentFront(PictureSurface &canvas, const Bitmap &picture, QPoint at, QSize size)
{
    if (picture.IsNull() || size.isEmpty())
        return;
    QImage target = canvas.Image().Wrap();
    QPainter painter(&target);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(at, size), picture.ToImage());
    painter.end();
    canvas.Refresh();
}

Compositor::Compositor(CompositorParts parts, DesignerSettings &settings) : parts_(parts), settings_(settings) {}

QPoint Compositor::PlaceFrontPicture(const PictureSurface &canvas, QSize frontSize)
{
    ChangerState &state = parts_.state;
    const QSize desktop(state.DesktopWidth, state.DesktopHeight);
    const QSize canvasSize = SizeOf(canvas);
    int margins[2] = {0, 0};
    if (settings_.orientation != FrontOrientation::Center) {
        // The front picture's size on the full-size canvas: its own, or its
        // fitted size when it is larger than the desktop.
        QSize drawn = SizeOf(parts_.mainView.Source());
        if (state.LargerThanDesktop && !drawn.isEmpty() && !desktop.isEmpty())
            drawn = FitToDesktopLayout(drawn, desktop).canvas;
        struct Axis {
            int desktop;
            int picture;
            const char *name;
        };
        const Axis axes[2] = {{desktop.width(), drawn.width(), "Horizontal"},
                              {desktop.height(), drawn.height(), "Vertical"}};
        for (int i = 0; i < 2; ++i) {
            QString &box = settings_.marginText[i];
            int margin = MarginFromText(box);
            if (!IsMarginText(box))
                box = MarginBoxText(margin);
            // Never a negative limit: a picture that fills the desktop one way
            // gets no margin that way, and a margin of 0 is never corrected.
            const int largest = std::max(0, axes[i].desktop - axes[i].picture);
            if (margin > largest) {
                margin = largest;
                box = MarginBoxText(margin);
                MessageBoxRequest message;
                message.text = QStringLiteral("%1 Margin is too big! Maximum margin is  %2 pixels.")
                                   .arg(QLatin1String(axes[i].name))
                                   .arg(margin);
                message.title = QStringLiteral("%1 Margin Amount").arg(QLatin1String(axes[i].name));
                message.icon = MessageIcon::Critical;
                parts_.ui.MessageBox(message);
            }
            margins[i] = margin;
        }
        if (canvasSize.width() <= kPreviewCanvasWidth && canvasSize.width() > 0 && canvasSize.height() > 0) {
            const int sx = std::max(1, Nearest(double(desktop.width()) / canvasSize.width()));
            const int sy = std::max(1, Nearest(double(desktop.height()) / canvasSize.height()));
            margins[0] = Nearest(double(margins[0]) / sx);
            margins[1] = Nearest(double(margins[1]) / sy);
        }
    }
    const int cw = canvasSize.width(), ch = canvasSize.height();
    const int fw = frontSize.width(), fh = frontSize.height();
    QPoint at;
    switch (settings_.orientation) {
    case FrontOrientation::Center:
        at = {Nearest((cw - fw) / 2.0), Nearest((ch - fh) / 2.0)};
        break;
    case FrontOrientation::TopLeft:
        at = {margins[0], margins[1]};
        break;
    case FrontOrientation::TopRight:
        at = {(cw - fw) - margins[0], margins[1]};
        break;
    case FrontOrientation::BottomLeft:
        at = {margins[0], (ch - fh) - margins[1]};
        break;
    case FrontOrientation::BottomRight:
        at = {(cw - fw) - margins[0], (ch - fh) - margins[1]};
        break;
    }
    // A front larger than the canvas one way (a fitted picture overflows the
    // desktop on one axis) is centred that way, cropped evenly at both
    // edges, rather than pushed off at one side.
    if (fw > cw)
        at.setX(Nearest((cw - fw) / 2.0));
    if (fh > ch)
        at.setY(Nearest((ch - fh) / 2.0));
    return at;
}

void Compositor::PaintBackground(const QString &background, bool preview)
{
    ChangerState &state = parts_.state;
    PictureSurface &back = parts_.pics.picBack();
    if (background == kUseGradient) {
        PaintBackgroundGradient(back, parts_.gradients, settings_.channels, settings_.gradientKind, settings_.reverse,
                                settings_.toCenter);
        return;
    }
    Bitmap &image1 = parts_.pics.Image1();
    image1 = LoadBackground(background, settings_.backColor);
    if (state.SmallPicture) {
        TilePicture(image1, back);
        return;
    }
    if (preview && settings_.backColor != state.DesktopColor)
        parts_.installer.PreviewDesktopColor(settings_.backColor);
    if (parts_.mainView.Analysis().DesignerFit) {
        // The background fitted as the wallpaper would be, centred on the
        // desktop-sized canvas so that margins count from the desktop's edges.
        const QSize desktop(state.DesktopWidth, state.DesktopHeight);
        const Bitmap fitted = FitToDesktop(image1, desktop, settings_.backColor);
        BitBlt(back.Image(), (desktop.width() - fitted.Width()) / 2, (desktop.height() - fitted.Height()) / 2,
               fitted.Width(), fitted.Height(), fitted, 0, 0, kSrcCopy);
        back.Refresh();
    } else {
        back.SetPicture(image1);
    }
}

void Compositor::PaintFront()
{
    ChangerState &state = parts_.state;
    PictureSurface &back = parts_.pics.picBack();
    PictureSurface &front = parts_.pics.picFront();
    PictureSurface &source = parts_.mainView.Source();
    const Bitmap &picture = source.HasPicture() ? source.Picture() : source.Image();
    front.ClearPicture();
    const QSize desktop(state.DesktopWidth, state.DesktopHeight);
    if (state.LargerThanDesktop)
        front.Image() = FitToDesktop(picture, desktop, settings_.backColor);
    else
        front.Image() = picture;
    front.Refresh();
    const QSize frontSize = SizeOf(front);
    const QPoint at = PlaceFrontPicture(back, frontSize);
    if (settings_.frontIsTransparentGif && front_.transparentGif) {
        RenderTransparentFront(back, *front_.transparentGif, at, frontSize);
    } else if (settings_.frontIsPng && front_.png && front_.png->Handle()) {
        // The decoder blends the PNG's own alpha; a PNG larger than the
        // desktop is drawn at its fitted size.
        StdPNG &png = *front_.png;
        const QSize size = state.LargerThanDesktop ? frontSize : QSize(png.Width(), png.Height());
        png.Paint(back.Dc(), at.x(), at.y(), size.width(), size.height());
        back.Refresh();
        front.Resize(size.width(), size.height());
    } else {
        BitBlt(back.Image(), at.x(), at.y(), frontSize.width(), frontSize.height(), front.Image(), 0, 0, kSrcCopy);
        back.Refresh();
    }
    if (settings_.border)
        DrawBorder(back, at, SizeOf(front), settings_.borderColor, parts_.colors.SysColor(kButtonFaceIndex));
}

QString Compositor::Save(const QString &name, bool preview)
{
    ChangerState &state = parts_.state;
    PictureSurface &back = parts_.pics.picBack();
    if (preview) {
        QString error;
        if (!SaveBmp(back.Image(), AddTrailingBackslash(state.PictureFolder) + kPreviewComboName, &error))
            throw std::runtime_error(error.toStdString());
        return kPreviewComboName;
    }
    SaveFileRequest request;
    request.title = QStringLiteral("Save new wallpaper");
    request.filter = QStringLiteral("Images Files (*.jpg;)|*.jpg");
    request.fileName = name + QStringLiteral("Combo.jpg");
    request.initialFolder = state.PictureFolder;
    request.confirmOverwrite = true;
    request.defaultSuffix = QStringLiteral("jpg");
    const std::optional<QString> chosen = parts_.ui.SaveFile(request);
    if (!chosen || chosen->isEmpty())
        return {};
    back.TakeImageAsPicture();
    cGdiPlus gdip;
    if (!gdip.PictureBoxToFile(back, *chosen, state.JpegQuality)) {
        MessageBoxRequest message;
        message.text = kCouldNotSaveText;
        parts_.ui.MessageBox(message);
        return {};
    }
    return QFileInfo(*chosen).fileName();
}

QString Compositor::ComposeWallpaper(const QString &background, const QString &name, bool preview)
{
    ChangerState &state = parts_.state;
    PictureSurface &back = parts_.pics.picBack();
    PictureSurface &front = parts_.pics.picFront();
    QString saved;
    try {
        // Emptied first, so that the resize fills the canvas with the
        // background colour once.
        back.ClearPicture();
        back.Resize(0, 0);
        back.SetBackColor(settings_.backColor);
        back.SetScaleMode(ScaleUnit::Pixels);
        back.Resize(state.DesktopWidth, state.DesktopHeight);
        PaintBackground(background, preview);
        if (!settings_.backgroundOnly)
            PaintFront();
        parts_.pics.Image1() = Bitmap();
        saved = Save(name, preview);
    } catch (const std::exception &) {
        // A background that cannot be read or a canvas that cannot be made:
        // nothing is saved.
        saved.clear();
    }
    // The canvases are desktop-sized: give their memory back.
    parts_.pics.Image1() = Bitmap();
    for (PictureSurface *surface : {&back, &front}) {
        surface->ClearPicture();
        surface->Resize(0, 0);
    }
    return saved;
}

void Compositor::ComposeThumbnail(const PictureSurface &backgroundThumbnail, PictureSurface &combinedThumbnail)
{
    const Bitmap background = backgroundThumbnail.Image();
    combinedThumbnail.ClearPicture();
    combinedThumbnail.Resize(background.Width(), background.Height());
    combinedThumbnail.SetPicture(background);
    if (!settings_.backgroundOnly) {
        const PictureSurface &preview = parts_.mainView.Effect();
        const QSize previewSize = SizeOf(preview);
        const QPoint at = PlaceFrontPicture(combinedThumbnail, previewSize);
        if (settings_.frontIsTransparentGif && front_.transparentGif) {
            const Bitmap &gif = *front_.transparentGif;
            RenderTransparentFront(combinedThumbnail, gif, at,
                                   FitPictureSize(QSize(gif.Width(), gif.Height()), previewSize));
        } else if (settings_.frontIsPng && front_.png && front_.png->Handle()) {
            front_.png->Paint(combinedThumbnail.Dc(), at.x(), at.y(), previewSize.width(), previewSize.height());
        } else {
            BitBlt(combinedThumbnail.Image(), at.x(), at.y(), previewSize.width(), previewSize.height(),
                   preview.Image(), 0, 0, kSrcCopy);
        }
        if (settings_.border)
            DrawThumbnailBorder(combinedThumbnail, at, previewSize, settings_.borderColor);
    }
    combinedThumbnail.Refresh();
}

void Compositor::PreviewInStyle(PictureWindow &window, PictureSurface &target, bool tile)
{
    PictureViewModel &view = parts_.mainView;
    view.AnalysePicture(window.isDesigner ? AnalysisWindow::Designer : AnalysisWindow::Main, window.picSource,
                        window.picEffect, target);
    const bool tiled = window.isDesigner ? parts_.state.SmallPicture && !view.Analysis().DesignerFit : tile;
    if (!tiled)
        return;
    window.Image1 = window.picEffect.Image();
    TilePicture(window.Image1, target);
}

void Compositor::RefreshSourcePicture(PictureWindow &window, PictureSurface &target)
{
    // The product's tile stands in for the window's picture; no file is
    // needed to hand it over.
    window.picSource.ClearPicture();
    window.picSource.Resize(parts_.pics.imgPellimore().Width(), parts_.pics.imgPellimore().Height());
    window.picSource.SetPicture(parts_.pics.imgPellimore());
    PreviewInStyle(window, target, true);
}

}  // namespace pellimore
