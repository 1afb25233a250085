#pragma once

#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>

#include "platform/imageio/PictureLoader.h"
#include "platform/raster/Bitmap.h"
#include "screensaver/Transitions.h"

namespace pellimore {

class ScreenSaver;

// What the show needs of its window (SlideShow). The window shows; the
// core below decides. Positions and sizes of the window are in twips.
class SlideShowView {
public:
    virtual ~SlideShowView() = default;

    // The screen's size in pixels (MeasureScreen).
    virtual QSize ScreenSizePixels() const = 0;
    // The show window's inside size, in twips.
    virtual QSize WindowSizeTwips() const = 0;
    // The window caption, which DrawBackGround prints as the title.
    virtual void SetCaption(const QString &caption) = 0;
    virtual void DrawBackGround() = 0;
    virtual void SetSetupLabel(const QString &caption, bool visible) = 0;
    virtual void SetLogoVisible(bool visible) = 0;
    // Picture1 takes the picture and its size.
    virtual void ShowPicture(const Bitmap &picture) = 0;
    virtual void MovePicture(int leftTwips, int topTwips) = 0;
    virtual void SetPictureVisible(bool visible) = 0;
    // Copies one block of source onto Picture1 (twips, no stretching).
    virtual void PaintBlock(const Bitmap &source, const BlockCopy &block) = 0;
};

// A rectangle in twips as whole pixels: each edge is rounded on its own, so
// neighbouring blocks meet without a gap.
QRect TwipsToPixels(const TwipsRect &rect, int twipsPerPixelX, int twipsPerPixelY);

// The caption the title is printed from: two line breaks, two blanks, title.
QString ShowCaption(const QString &title);

// The colours of the background gradient, top and bottom: the background
// colour over black, or over dark grey (3092271) when it is black itself.
struct GradientColors {
    ColorRef top;
    ColorRef bottom;
};
GradientColors BackgroundGradient(ColorRef color);

// The slide show with no window of its own: the cycle of pictures, the
// transitions and their pacing. It draws through a SlideShowView and waits
// and reads settings through the ScreenSaver module.
class SlideShowCore {
public:
    using Loader = std::function<PictureResult(const QString &path)>;

    SlideShowCore(ScreenSaver &saver, SlideShowView &view, Bitmap startPicture, Loader loader);

    // The whole show; returns when StopRequested is set.
    void RunScreenSaver();
    // One cycle: wait, pick the next picture, transition.
    void backgrounds();
    // One transition from the shown picture to the next one.
    void MergePics();

    int effectNumber = 1;
    int blockSize = 1024;

    // The hidden picture that the next transition paints from (DisplayPic).
    const Bitmap &NextPicture() const { return next_; }
    QSize ShownSize() const { return shown_; }  // pixels
    // Paths that could not be loaded and were passed over, latest last.
    const QStringList &SkippedFiles() const { return skipped_; }

private:
    void CenterPicture();
    void ShowShownPicture(const Bitmap &picture);
    // Loads entry pictureIndex into the next picture, fitted; false when it cannot be loaded.
    bool LoadEntry();

    ScreenSaver &saver_;
    SlideShowView &view_;
    Bitmap start_;
    Loader loader_;
    Bitmap next_;
    QSize nextOriginal_;  // the size of the next picture as loaded, before fitting
    QSize shown_;         // the size of Picture1, pixels
    QStringList skipped_;
};

}  // namespace pellimore
