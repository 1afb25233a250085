// Fuzz target for the GIF frame reader, the animated GIF control's drawing and
// the GIF inspection of loading by type: whatever the bytes, every read stays
// inside the data, a refused file leaves nothing loaded with a reason, and
// frames, one-frame GIFs and animation steps come out whole.
#include <QBuffer>
#include <QGuiApplication>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "platform/colors/ClassicSystemColors.h"
#include "platform/ui/NullUi.h"
#include "wallpaper/codecs/GifPlayer.h"
#include "wallpaper/codecs/GifProperties.h"
#include "wallpaper/codecs/PictureLoading.h"

namespace {

// Pictures larger than this are only read, not decoded or drawn, so that
// a 30-byte file cannot make the run allocate gigabytes.
constexpr int64_t kMaxDrawnPixels = int64_t(1) << 20;
constexpr int kMaxTicks = 12;

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

bool SmallEnough(int64_t width, int64_t height)
{
    return width * height <= kMaxDrawnPixels;
}

// Plays the GIF in the control's working part, with properties taken from
// the data's last byte.
void Play(pellimore::GifFile &&gif, uint8_t knobs)
{
    static const pellimore::ClassicSystemColors sysColors;
    pellimore::GifPlayer player;
    player.SetSystemColors(sysColors);
    player.SetBackColor(0x123456);
    player.SetBorderStyle(knobs & 3);
    if (knobs & 0x04) {
        player.SetAutoSize(false);
        player.SetControlSize(QSize(17 + (knobs >> 4), 11 + (knobs >> 5)));
        player.SetStretch((knobs >> 3) % 3);
        player.SetStretchMethod((knobs >> 5) & 1);
    }
    const int frames = gif.FrameCount();
    Check(player.AdoptGIF(std::move(gif)));
    if (knobs & 0x80) {
        player.Frame(1)->SetFrameTransparentColor(-1);
        player.Frame(frames)->SetFrameTransparentColor(int32_t(0x80000005));
        pellimore::Bitmap &background = player.GetCustomBkgDC();
        background.Fill(pellimore::MakePixel(1, 2, 3));
        player.SetCustomBkgDC();
    }
    player.ShowFrame(frames);
    player.SetAnimate(true);
    for (int tick = 0; tick < kMaxTicks && player.Animate(); ++tick)
        player.tmrGIF_Timer();
    player.SetAnimate(false);
    if (frames > 1 && (knobs & 0x40)) {
        bool resized = false;
        player.RemoveFrame(1, resized);
        player.MoveFrame(1, player.gifFrameCount());
        player.CropGIF(1, 1, player.gifLogicalWindowCx() - 1, player.gifLogicalWindowCy() - 1);
    }
    player.UnloadGIF(true);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static auto *app = new QGuiApplication(*argc, *argv);  // lives as long as the process
    (void)app;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    pellimore::NullUi ui;
    pellimore::IsTransparentGifData(bytes, ui);
    pellimore::HasMultiFrameMarker(bytes);
    pellimore::GifControlProperties::FromBlob(bytes);

    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(bytes);
    buffer->open(QIODevice::ReadOnly);
    pellimore::GifFile gif;
    pellimore::GifLimits limits;
    limits.maxFrames = 2000;
    QString error;
    if (!gif.Load(std::move(buffer), QStringLiteral("fuzz.gif"), &error, limits)) {
        Check(!gif.IsLoaded() && !error.isEmpty());
        return 0;
    }
    Check(gif.FrameCount() > 0);
    bool drawable = SmallEnough(gif.Header().logicalWidth, gif.Header().logicalHeight);
    for (int i = 1; i <= gif.FrameCount(); ++i) {
        const pellimore::clsGIFframe &frame = *gif.Frame(i);
        Check(frame.FrameStart() >= 0 && frame.FrameStart() < frame.FrameEnd() && frame.FrameEnd() <= int64_t(size));
        Check(frame.FrameDisposal() >= 0 && frame.FrameDisposal() <= 7);
        Check(frame.frameDelay() >= 0 && frame.frameDelay() <= 60000);
        if (const auto single = gif.SingleFrameGif(i))
            Check(single->startsWith("GIF8") && single->endsWith(';'));
        drawable = drawable && SmallEnough(frame.FrameWidth(), frame.FrameHeight());
    }
    if (drawable)
        Play(std::move(gif), size > 0 ? data[size - 1] : 0);
    return 0;
}
