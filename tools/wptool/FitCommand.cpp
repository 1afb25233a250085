// wptool fit IN DW DH OUT.bmp [--style N] [--color C]: the bitmap the
// wallpaper would get for a desktop of DW x DH (as the changer renders it).
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include "platform/Platform.h"
#include "platform/clock/ProgramRandom.h"
#include "platform/clock/SystemClock.h"
#include "platform/desktop/DesktopService.h"
#include "platform/help/HelpService.h"
#include "platform/shell/ShellFolders.h"
#include "platform/sound/SoundService.h"
#include "platform/store/IniSettingsStore.h"
#include "platform/ui/NullUi.h"
#include "tools/wptool/Commands.h"
#include "wallpaper/changer/ChangerState.h"
#include "wallpaper/changer/PictureViewModel.h"
#include "wallpaper/changer/PictureLibrary.h"
#include "wallpaper/changer/WallpaperInstaller.h"
#include "wallpaper/codecs/StdPNG.h"

using namespace pellimore;

namespace {

// A desktop of a given size that keeps the file it is handed.
class FixedDesktop final : public DesktopService {
public:
    explicit FixedDesktop(QSize size) : size_(size) {}
    QSize ScreenSize() const override { return size_; }
    int LogicalDpiX() const override { return 96; }
    ColorRef BackgroundColor() const override { return color_; }
    void SetBackgroundColor(ColorRef color) override { color_ = color; }
    DesktopResult SetWallpaper(const QString &path, WallpaperStyle) override
    {
        applied = path;
        return DesktopResult::Success();
    }
    QString BackendName() const override { return QStringLiteral("wptool"); }
    QString applied;

private:
    QSize size_;
    ColorRef color_ = 0;
};

class NoSound final : public SoundService {
public:
    void PlayFile(const QString &) override {}
};

class NoHelp final : public HelpService {
public:
    bool ShowContext(const QString &, int) override { return false; }
    bool ShowKeyword(const QString &, const QString &) override { return false; }
};

class TempFolders final : public ShellFolders {
public:
    explicit TempFolders(QString folder) : folder_(std::move(folder)) {}
    QString ProgramFolder() const override { return folder_; }
    QString DocumentsFolder() const override { return folder_; }
    QString AutostartFolder() const override { return folder_; }

private:
    QString folder_;
};

// A colour as decimal COLORREF text or "#rrggbb".
std::optional<ColorRef> ParseColor(const QString &text)
{
    bool ok = false;
    if (text.startsWith(QLatin1Char('#')) && text.size() == 7) {
        const uint rgb = text.mid(1).toUInt(&ok, 16);
        return ok ? std::optional<ColorRef>(Rgb(uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb))) : std::nullopt;
    }
    const uint value = text.toUInt(&ok, 10);
    return ok && value <= 0xFFFFFF ? std::optional<ColorRef>(value) : std::nullopt;
}

}  // namespace

int FitCommand(const QStringList &args)
{
    QTextStream err(stderr);
    QStringList positional;
    int style = 0;
    ColorRef color = 0;
    for (int i = 0; i < args.size(); ++i) {
        bool ok = true;
        if (args[i] == QLatin1String("--style") && i + 1 < args.size()) {
            style = args[++i].toInt(&ok);
            ok = ok && style >= 0 && style <= 2;
        } else if (args[i] == QLatin1String("--color") && i + 1 < args.size()) {
            const std::optional<ColorRef> parsed = ParseColor(args[++i]);
            ok = parsed.has_value();
            color = parsed.value_or(0);
        } else {
            positional << args[i];
        }
        if (!ok) {
            err << "fit: bad value for " << args[i - 1] << ": " << args[i] << "\n";
            return 2;
        }
    }
    bool okW = false, okH = false;
    const int width = positional.size() == 4 ? positional[1].toInt(&okW) : 0;
    const int height = positional.size() == 4 ? positional[2].toInt(&okH) : 0;
    if (positional.size() != 4 || !okW || !okH || width < 1 || height < 1 || width > 32767 || height > 32767) {
        err << "usage: wptool fit IN DW DH OUT.bmp [--style 0|1|2] [--color C]\n";
        return 2;
    }

    QTemporaryDir work;
    IniSettingsStore store(work.path());
    NullUi ui;
    TempFolders shell(work.path());
    SystemClock clock;
    ProgramRandom random;
    NoHelp help;
    const Platform platform{store, ui, shell, clock, random, help};
    FixedDesktop desktop(QSize(width, height));
    UnavailableActiveDesktop activeDesktop;
    NoSound sound;
    ChangerState state;
    state.PictureFolder = work.path();
    PictureLibrary library(state, platform);
    library.Records().push_back({QStringLiteral("picture"), style, color, 1});
    state.SelectedIndex = 0;
    WallpaperInstaller installer(state, platform, desktop, activeDesktop, sound);
    PictureViewModel view(state, library, platform, desktop, installer);
    view.MeasureDesktop();

    StdPNG png(ui);
    const QString in = positional[0];
    const LoadByTypeResult loaded = LoadPictureByType(in, view.Source(), png);
    if (!loaded.ok) {
        err << "fit: cannot load " << in << ": " << (loaded.error.isEmpty() ? ui.Messages().join(' ') : loaded.error)
            << "\n";
        return 1;
    }
    view.AnalysePicture();
    if (loaded.kind == LoadedPictureKind::Gif) {
        GifInspectionHost host{ui, view.GifFlags(), true, {}, {}};
        InspectGif(in, host);
    }
    QString error;
    if (!view.RenderWallpaperBitmap(&error)) {
        err << "fit: " << error << "\n";
        return 1;
    }
    const QString out = positional[3];
    QFile::remove(out);
    if (!QFile::copy(desktop.applied, out)) {
        err << "fit: cannot write " << out << "\n";
        return 1;
    }
    return 0;
}
