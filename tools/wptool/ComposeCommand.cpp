// wptool compose FRONT OUT --desktop WxH [--background FILE |
// --gradient KIND:START:END[:reverse][:center]] [--color C] [--orient 0-4]
// [--margins H,V] [--border COLOR] [--background-only] [--jpeg QUALITY]:
// the designer's full-size composition of FRONT for a desktop of W x H, as
// the bitmap the desktop preview writes, or with --jpeg as the JPEG a save
// writes.
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

#include "platform/colors/DesktopSystemColors.h"
#include "platform/imageio/PictureLoader.h"
#include "tools/wptool/ChangerHarness.h"
#include "tools/wptool/Commands.h"
#include "wallpaper/changer/WallpaperRender.h"
#include "wallpaper/codecs/PictureLoading.h"
#include "wallpaper/codecs/StdPNG.h"
#include "wallpaper/designer/Compositing.h"
#include "wallpaper/designer/frmPics.h"
#include "wallpaper/designer/modGradients.h"

using namespace pellimore;

namespace {

constexpr const char *kUsage =
    "usage: wptool compose FRONT OUT --desktop WxH [--background FILE | --gradient KIND:START:END[:reverse][:center]]\n"
    "       [--color C] [--orient 0-4] [--margins H,V] [--border COLOR] [--background-only] [--jpeg QUALITY]\n";

struct ComposeOptions {
    QString front;
    QString out;
    QSize desktop;
    QString background;            // a file, or kUseGradient
    int gradientKind = 0;
    ColorRef start = 0xFFFFFF;
    ColorRef end = 0;
    bool reverse = false;
    bool toCenter = false;
    ColorRef color = 0;
    int orientation = 0;
    QString margins[2] = {QStringLiteral("72"), QStringLiteral("72")};
    std::optional<ColorRef> border;
    bool backgroundOnly = false;
    std::optional<int> jpegQuality;
};

std::optional<QSize> ParseSize(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('x'));
    bool okW = false, okH = false;
    const int w = parts.size() == 2 ? parts[0].toInt(&okW) : 0;
    const int h = parts.size() == 2 ? parts[1].toInt(&okH) : 0;
    if (!okW || !okH || w < 1 || h < 1 || w > 32767 || h > 32767)
        return std::nullopt;
    return QSize(w, h);
}

bool ParseGradient(const QString &text, ComposeOptions &options)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() < 3)
        return false;
    bool ok = false;
    options.gradientKind = parts[0].toInt(&ok);
    const std::optional<ColorRef> start = ParseColor(parts[1]);
    const std::optional<ColorRef> end = ParseColor(parts[2]);
    if (!ok || options.gradientKind < 0 || options.gradientKind > 3 || !start || !end)
        return false;
    options.start = *start;
    options.end = *end;
    for (const QString &flag : parts.mid(3)) {
        if (flag == QLatin1String("reverse"))
            options.reverse = true;
        else if (flag == QLatin1String("center"))
            options.toCenter = true;
        else
            return false;
    }
    options.background = kUseGradient;
    return true;
}

// False with the message written when an option is bad.
bool ParseOptions(const QStringList &args, ComposeOptions &options, QTextStream &err)
{
    QStringList positional;
    for (int i = 0; i < args.size(); ++i) {
        const QString &name = args[i];
        const bool hasValue = i + 1 < args.size();
        bool ok = true;
        if (name == QLatin1String("--background-only")) {
            options.backgroundOnly = true;
            continue;
        }
        if (!name.startsWith(QLatin1String("--"))) {
            positional << name;
            continue;
        }
        if (!hasValue) {
            err << "compose: " << name << " needs a value\n" << kUsage;
            return false;
        }
        const QString value = args[++i];
        if (name == QLatin1String("--desktop")) {
            const std::optional<QSize> size = ParseSize(value);
            ok = size.has_value();
            options.desktop = size.value_or(QSize());
        } else if (name == QLatin1String("--background")) {
            options.background = value;
        } else if (name == QLatin1String("--gradient")) {
            ok = ParseGradient(value, options);
        } else if (name == QLatin1String("--color")) {
            const std::optional<ColorRef> color = ParseColor(value);
            ok = color.has_value();
            options.color = color.value_or(0);
        } else if (name == QLatin1String("--orient")) {
            options.orientation = value.toInt(&ok);
            ok = ok && options.orientation >= 0 && options.orientation <= 4;
        } else if (name == QLatin1String("--margins")) {
            const QStringList parts = value.split(QLatin1Char(','));
            ok = parts.size() == 2;
            if (ok) {
                options.margins[0] = parts[0];
                options.margins[1] = parts[1];
            }
        } else if (name == QLatin1String("--border")) {
            options.border = ParseColor(value);
            ok = options.border.has_value();
        } else if (name == QLatin1String("--jpeg")) {
            options.jpegQuality = value.toInt(&ok);
            ok = ok && *options.jpegQuality >= 0 && *options.jpegQuality <= 100;
        } else {
            ok = false;
        }
        if (!ok) {
            err << "compose: bad value for " << name << ": " << value << "\n" << kUsage;
            return false;
        }
    }
    if (positional.size() != 2 || options.desktop.isEmpty()) {
        err << kUsage;
        return false;
    }
    options.front = positional[0];
    options.out = positional[1];
    return true;
}

}  // namespace

int ComposeCommand(const QStringList &args)
{
    QTextStream err(stderr);
    ComposeOptions options;
    if (!ParseOptions(args, options, err))
        return 2;
    if (options.background.isEmpty()) {
        err << "compose: give --background FILE or --gradient KIND:START:END\n";
        return 2;
    }

    ChangerHarness changer(options.desktop, 0, options.color);
    CommandUi &ui = changer.ui;
    ChangerState &state = changer.state;
    // The preview bitmap is made beside OUT, so that it is renamed, not copied.
    QTemporaryDir beside(QFileInfo(options.out).absolutePath() + QStringLiteral("/.wptool-XXXXXX"));
    if (beside.isValid())
        state.PictureFolder = beside.path();
    PictureViewModel &view = changer.view;
    DesktopSystemColors colors(&changer.desktop);
    if (options.jpegQuality) {
        state.JpegQuality = *options.jpegQuality;
        ui.saveAs = options.out;
    }

    // The front picture, loaded as the main window loads it.
    StdPNG png(ui);
    const LoadByTypeResult loaded = LoadPictureByType(options.front, view.Source(), png);
    if (!loaded.ok) {
        err << "compose: cannot load " << options.front << ": "
            << (loaded.error.isEmpty() ? ui.Messages().join(' ') : loaded.error) << "\n";
        return 1;
    }
    DesignerSettings settings;
    Bitmap transparentGif;
    settings.frontIsPng = loaded.kind == LoadedPictureKind::Png;
    if (loaded.kind == LoadedPictureKind::Gif && IsTransparentGif(options.front, ui)) {
        PictureResult gif = LoadPicture(options.front);
        if (gif.Ok()) {
            transparentGif = std::move(gif.bitmap);
            settings.frontIsTransparentGif = true;
        }
    }
    // The composition needs only to know whether the front is fitted; the
    // main window's thumbnail analysis is not part of it.
    state.LargerThanDesktop = IsLargerThanDesktop(QSize(view.Source().Width(), view.Source().Height()),
                                                  QSize(state.DesktopWidth, state.DesktopHeight));

    // The designer's choices.
    settings.background = options.background;
    settings.backColor = options.color;
    settings.channels = GradientChannels::FromColors(options.start, options.end);
    settings.gradientKind = options.gradientKind;
    settings.reverse = options.reverse;
    settings.toCenter = options.toCenter;
    settings.backgroundOnly = options.backgroundOnly;
    settings.orientation = FrontOrientation(options.orientation);
    settings.marginText[0] = options.margins[0];
    settings.marginText[1] = options.margins[1];
    settings.border = options.border.has_value();
    settings.borderColor = options.border.value_or(0);
    modGradients gradients(ui, colors);
    gradients.SetStartColor(options.start);
    gradients.SetEndColor(options.end);
    gradients.SetAngle(GradientAngle(options.gradientKind, options.reverse));

    // A background picture is analysed as the designer does when it is chosen.
    PictureSurface designerSource, designerEffect, designerThumb(173, 110);
    designerSource.SetAutoSize(true);
    Bitmap designerImage1;
    if (options.background != kUseGradient) {
        const ImageReadResult read = ReadImageFile(options.background);
        if (!read.Ok()) {
            err << "compose: cannot load " << options.background << ": " << read.error << "\n";
            return 1;
        }
        designerSource.SetPicture(Bitmap::FromImage(read.image));
        state.SmallPicture = true;
        view.AnalysePicture(AnalysisWindow::Designer, designerSource, designerEffect, designerThumb);
    }

    frmPics pics;
    Compositor compositor({state, pics, view, {true, designerSource, designerEffect, designerImage1}, gradients,
                           changer.installer, ui, colors},
                          settings);
    compositor.SetFrontSources({settings.frontIsPng ? &png : nullptr,
                                settings.frontIsTransparentGif ? &transparentGif : nullptr});
    const int before = int(ui.Messages().size());
    const QString saved =
        compositor.ComposeWallpaper(options.background, QStringLiteral("picture"), !options.jpegQuality.has_value());
    for (int i = before; i < ui.Messages().size(); ++i)
        err << "compose: " << ui.Messages()[i] << "\n";
    if (saved.isEmpty()) {
        err << "compose: nothing was written\n";
        return 1;
    }
    if (!options.jpegQuality) {
        QFile::remove(options.out);
        if (!QFile::rename(state.PictureFolder + QLatin1Char('/') + saved, options.out)) {
            err << "compose: cannot write " << options.out << "\n";
            return 1;
        }
    }
    return 0;
}
