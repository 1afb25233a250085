// Frame editing of GifPlayer: removing, reordering and cropping. Edits change
// the frames in memory only; the file on disk stays as it is.
#include "wallpaper/codecs/GifPlayer.h"

#include <QRect>

#include <algorithm>

namespace pellimore {

namespace {

bool AnyRestorePrevious(const std::vector<clsGIFframe> &frames)
{
    return std::any_of(frames.begin(), frames.end(), [](const clsGIFframe &f) { return f.FrameDisposal() == 3; });
}

QRect FrameRect(const clsGIFframe &frame)
{
    return QRect(frame.FrameLeft(), frame.FrameTop(), frame.FrameWidth(), frame.FrameHeight());
}

}  // namespace

bool GifPlayer::RemoveFrame(int index, bool &bLogWindowResized)
{
    bLogWindowResized = false;
    auto &frames = file_.Frames();
    if (frames.size() <= 1 || index < 1 || index > int(frames.size()))
        return false;
    StopAnimation();
    frames.erase(frames.begin() + (index - 1));
    GifHeader &header = file_.Header();
    int width = header.screenWidth;
    int height = header.screenHeight;
    for (const clsGIFframe &frame : frames) {
        width = std::max(width, frame.FrameWidth());
        height = std::max(height, frame.FrameHeight());
    }
    if (width != header.logicalWidth || height != header.logicalHeight) {
        header.logicalWidth = width;
        header.logicalHeight = height;
        bLogWindowResized = true;
    }
    header.hasRestorePrevious = AnyRestorePrevious(frames);
    Resizing();
    return true;
}

bool GifPlayer::MoveFrame(int index, int newIndex)
{
    auto &frames = file_.Frames();
    const int count = int(frames.size());
    if (index < 1 || index > count || newIndex < 1 || newIndex > count)
        return false;
    StopAnimation();
    const auto from = frames.begin() + (index - 1);
    const auto to = frames.begin() + (newIndex - 1);
    if (from < to)
        std::rotate(from, from + 1, to + 1);
    else if (to < from)
        std::rotate(to, from, from + 1);
    RestartView();
    return true;
}

bool GifPlayer::CropGIF(int left, int top, int width, int height)
{
    if (!file_.IsLoaded() || width <= 0 || height <= 0)
        return false;
    const QRect crop = QRect(left, top, width, height) & QRect(0, 0, gifLogicalWindowCx(), gifLogicalWindowCy());
    if (crop.isEmpty())
        return false;
    std::vector<clsGIFframe> kept;
    for (clsGIFframe frame : file_.Frames()) {
        const QRect rect = FrameRect(frame);
        const bool inside = rect.isEmpty() ? crop.contains(rect.topLeft()) : rect.intersects(crop);
        if (!inside)
            continue;
        frame.SetFrameLeft(frame.FrameLeft() - crop.left());
        frame.SetFrameTop(frame.FrameTop() - crop.top());
        kept.push_back(frame);
    }
    if (kept.empty())
        return false;
    StopAnimation();
    file_.Frames() = std::move(kept);
    GifHeader &header = file_.Header();
    header.screenWidth = header.logicalWidth = crop.width();
    header.screenHeight = header.logicalHeight = crop.height();
    header.hasRestorePrevious = AnyRestorePrevious(file_.Frames());
    Resizing();
    return true;
}

}  // namespace pellimore
