#include "screensaver/SlideShowCore.h"

#include <cmath>

#include "platform/Platform.h"
#include "platform/clock/Clock.h"
#include "screensaver/FitPicture.h"
#include "screensaver/ScreenSaver.h"

namespace pellimore {

QRect TwipsToPixels(const TwipsRect &rect, int twipsPerPixelX, int twipsPerPixelY)
{
    const auto px = [](int twips, int perPixel) { return int(std::lround(double(twips) / perPixel)); };
    const int left = px(rect.x, twipsPerPixelX);
    const int top = px(rect.y, twipsPerPixelY);
    const int right = px(rect.x + rect.width, twipsPerPixelX);
    const int bottom = px(rect.y + rect.height, twipsPerPixelY);
    return QRect(left, top, right - left, bottom - top);
}

QString ShowCaption(const QString &title) { return QStringLiteral("\n\n  ") + title; }

GradientColors BackgroundGradient(ColorRef color)
{
    const ColorRef rgb = color & 0xFFFFFFu;
    return {rgb, rgb == 0 ? ColorRef(3092271) : ColorRef(0)};
}

SlideShowCore::SlideShowCore(ScreenSaver &saver, SlideShowView &view, Bitmap startPicture, Loader loader)
    : saver_(saver), view_(view), start_(std::move(startPicture)), loader_(std::move(loader))
{
}

void SlideShowCore::RunScreenSaver()
{
    ScreenSaver &s = saver_;
    const QSize screen = view_.ScreenSizePixels();
    s.screenWidthPx = screen.width();
    s.screenHeightPx = screen.height();
    s.screenWidthTwips = s.screenWidthPx * s.twipsPerPixelX;
    if (s.settings.display == 0)
        s.settings.display = 2;
    s.platform.random.Seed(uint32_t(s.TimeOfDaySeconds()));

    s.BuildPictureList();
    if (s.listEmpty)
        s.ShowNoPicturesMessage();
    if (s.settings.random && !s.listEmpty) {
        s.ShufflePictures();
        s.pictureIndex = 1;
    }
    // A stored index past the end of the list (pictures removed since) would
    // leave the show on its start picture for good: start the round over.
    if (!s.listEmpty && s.pictureIndex > s.PictureCount())
        s.pictureIndex = 0;

    s.firstCycle = true;
    effectNumber = 1;
    s.stepDelay = kSlowStep;
    view_.SetSetupLabel(QStringLiteral(" Press SPACEBAR to enter setup "), true);
    view_.SetCaption(ShowCaption(s.settings.title));
    view_.DrawBackGround();

    view_.SetLogoVisible(true);
    ShowShownPicture(start_);
    view_.SetPictureVisible(true);
    s.WaitOneSecond();

    while (!s.StopRequested) {
        backgrounds();
        s.pump.ProcessPending();
    }
}

void SlideShowCore::CenterPicture()
{
    const QSize window = view_.WindowSizeTwips();
    const int halfWidth = shown_.width() * saver_.twipsPerPixelX / 2;
    const int halfHeight = shown_.height() * saver_.twipsPerPixelY / 2;
    view_.MovePicture(window.width() / 2 - halfWidth, window.height() / 2 - halfHeight);
}

void SlideShowCore::ShowShownPicture(const Bitmap &picture)
{
    shown_ = QSize(picture.Width(), picture.Height());
    view_.ShowPicture(picture);
    CenterPicture();
}

bool SlideShowCore::LoadEntry()
{
    const QString path = saver_.PicturePath(saver_.pictureIndex);
    PictureResult loaded = loader_(path);
    if (!loaded.Ok()) {
        skipped_.append(path);
        return false;
    }
    const QSize bitmapSize(loaded.bitmap.Width(), loaded.bitmap.Height());
    nextOriginal_ = loaded.storedSize.isEmpty() ? bitmapSize : loaded.storedSize;
    FitPlan plan;
    next_ = FitPicture(loaded.bitmap, QSize(saver_.screenWidthPx, saver_.screenHeightPx), shown_, 0, &plan,
                       nextOriginal_);
    saver_.oversize = plan.oversize;
    saver_.sizeClass = plan.sizeClass;
    return true;
}

void SlideShowCore::backgrounds()
{
    ScreenSaver &s = saver_;
    view_.SetPictureVisible(true);
    if (s.firstCycle) {
        s.firstCycle = false;
        view_.SetLogoVisible(false);
    }
    effectNumber = int(s.platform.random.Next() * kEffectCount) + 1;
    CenterPicture();

    s.WaitInterval();
    if (s.StopRequested)
        return;
    view_.SetSetupLabel(QStringLiteral(" Press SPACEBAR to enter setup "), false);

    // Find the next picture. A file that cannot be loaded is passed over and
    // the one after it tried, so one broken file does not end the show.
    bool found = false;
    for (int k = s.pictureIndex; k >= 0 && k <= s.PictureCount() && !s.listEmpty; k = s.pictureIndex) {
        s.pictureIndex = k + 1;
        if (k == 0 && s.settings.random)
            s.ShufflePictures();
        if (s.pictureIndex > s.PictureCount()) {
            next_ = start_;
            s.pictureIndex = 0;
            view_.SetLogoVisible(true);
        } else if (!LoadEntry()) {
            continue;
        }
        found = true;
        break;
    }
    if (!found)
        return;  // nothing to show: the picture on screen stays

    MergePics();
    s.pump.ProcessPending();
    if (s.StopRequested)
        return;
    if (NeedsSecondTransition(effectNumber)) {
        effectNumber = int(s.platform.random.Next() * 10) + 1;
        MergePics();
        if (s.StopRequested)
            return;
    }

    if (s.pictureIndex == 1)
        view_.SetLogoVisible(false);
    if (s.pictureIndex != 0) {
        // The fitted picture is what reloading and fitting the file again
        // would give; only the size decisions are taken anew, with the new
        // picture now the shown one.
        const FitPlan plan = PlanFit(nextOriginal_, QSize(s.screenWidthPx, s.screenHeightPx), nextOriginal_);
        s.oversize = plan.oversize;
        s.sizeClass = plan.sizeClass;
        ShowShownPicture(next_);
    } else {
        ShowShownPicture(start_);
    }
}

void SlideShowCore::MergePics()
{
    ScreenSaver &s = saver_;
    if (s.settings.slide)
        return;
    if (!s.oversize)
        s.WaitInterval();
    if (s.StopRequested)
        return;

    blockSize = 1024;
    const TransitionGeometry geometry{shown_.width() * s.twipsPerPixelX, shown_.height() * s.twipsPerPixelY,
                                      next_.Width() * s.twipsPerPixelX, next_.Height() * s.twipsPerPixelY};
    const bool screenWide = geometry.curWidth >= s.screenWidthTwips;
    const TransitionPlan plan = PlanTransition(effectNumber, geometry, s.sizeClass, screenWide, s.stepDelay);
    blockSize = plan.blockSize;
    s.stepDelay = plan.stepDelay;
    for (const TransitionStep &step : plan.steps) {
        for (const BlockCopy &block : step.blocks)
            view_.PaintBlock(next_, block);
        s.WaitStep();
        if (s.StopRequested)
            return;
    }
    s.stepDelay = kSlowStep;
}

}  // namespace pellimore
