// libFuzzer target for StdPNG::LoadFile. The input is the file; its length
// picks the transparency style and load options, so that every policy path
// is explored. After a load the properties, the palette write and Paint are
// exercised too. Broken promises (a failure without its message, a success
// without a bitmap) stop the run like a crash.
#include <QByteArray>
#include <QFile>

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/colors/ClassicSystemColors.h"
#include "platform/raster/DeviceContext.h"
#include "platform/ui/NullUi.h"
#include "wallpaper/codecs/StdPNG.h"

namespace {

using namespace pellimore;

void Check(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "broken promise: %s\n", what);
        std::abort();
    }
}

const std::string &InputPath()
{
    static const std::string path = [] {
        const char *dir = std::getenv("TMPDIR");
        std::string name = std::string(dir && *dir ? dir : "/tmp") + "/png-fuzz-XXXXXX";
        const int fd = mkstemp(name.data());
        if (fd >= 0)
            close(fd);
        std::atexit([] { std::remove(InputPath().c_str()); });
        return name;
    }();
    return path;
}

StdPNG::Options FuzzOptions()
{
    StdPNG::Options options;
    options.screenSize = QSize(1024, 768);
    static const ClassicSystemColors sysColors;
    options.systemColors = &sysColors;
    options.limits.maxPixels = int64_t(1) << 22;  // keeps each run small; the checks are the same
    return options;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static NullUi ui;
    static StdPNG png(ui, FuzzOptions());
    static Bitmap canvas(64, 64, 24);
    static DeviceContext canvasDc(canvas);

    std::FILE *file = std::fopen(InputPath().c_str(), "wb");
    if (!file)
        return 0;
    if (size > 0)
        std::fwrite(data, 1, size, file);
    std::fclose(file);

    const int32_t styles[] = {-1, -2, -3, -4, int32_t(Rgb(10, 200, 30)), int32_t(0x80000005u)};
    png.SetTransparentStyle(styles[size % 6]);
    const bool validate = (size / 6) % 2 == 0;
    const bool make32 = (size / 12) % 3 == 0;
    const uint8_t alpha = (size / 36) % 2 ? 128 : 255;
    png.SetProgressiveDisplay(uint8_t((size / 72) % 7));
    // The events: progress in range, and a destination for progressive display.
    struct Events final : StdPNGEvents {
        void Progress(int percentage) override { Check(percentage >= 0 && percentage <= 100, "progress in 0..100"); }
        void ProgessiveDisplay(ProgressiveDisplayArgs &args) override
        {
            args.destinationDC = &canvasDc;
            args.destX = -3;
            args.destY = 5;
            args.useProgression = true;
        }
    };
    static Events events;
    png.SetEvents(&events);

    ui.ClearMessages();  // a run of millions of inputs keeps only this one's boxes
    const bool ok = png.LoadFile(QString::fromStdString(InputPath()), validate, make32, alpha);
    Check(ui.Messages().size() == (ok ? 0 : 1), "one message exactly when the load fails");
    if (!ok) {
        Check(png.Handle() == nullptr, "no bitmap after a failure");
        return 0;
    }
    const Bitmap *bitmap = png.Handle();
    Check(bitmap && bitmap->Width() == png.Width() && bitmap->Height() == png.Height(), "bitmap of the header's size");
    const int bits = png.BitCount_BMP();
    Check(bits == 1 || bits == 4 || bits == 8 || bits == 24 || bits == 32, "a bitmap depth of the output table");
    for (int y = 0; y < bitmap->Height(); y += 7) {
        for (int x = 0; x < bitmap->Width(); x += 5) {
            const Pixel p = bitmap->At(x, y);
            const uint8_t a = PixelAlpha(p);
            Check(bits == 32 || a == 255, "opaque results are opaque");
            Check(PixelRed(p) <= a && PixelGreen(p) <= a && PixelBlue(p) <= a, "premultiplied colours");
        }
    }
    (void)png.Comments(QStringLiteral("none"));
    (void)png.LastModified();
    (void)png.Chromaticity();
    QByteArray palette = png.Palette();
    if (!palette.isEmpty()) {
        std::reverse(palette.begin(), palette.end());
        png.SetPalette(palette);
    }
    png.Paint(canvasDc, -5, 3, 0, 0, nullptr, 0, 0, 0, 0, alpha);
    png.Paint(canvasDc, 2, 2, 30, 17, nullptr, 1, 1, 3, 2);
    return 0;
}
