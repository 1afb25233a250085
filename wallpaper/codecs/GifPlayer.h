#pragma once

// The working part of the animated GIF control ucGIF, without any widget: it
// loads a GIF through the frame reader, keeps the control's properties and
// drawing surfaces, draws frames with GIF transparency and the disposal
// methods, scales the logical window to the control, and steps through the
// frames on its timer tmrGIF. ucGIF shows Canvas() and forwards its members
// here; tools render animations with it directly.

#include <QObject>
#include <QRect>
#include <QSize>
#include <QString>
#include <QTimer>

#include <optional>

#include "platform/colors/DesktopSystemColors.h"
#include "platform/raster/Bitmap.h"
#include "wallpaper/codecs/GifReader.h"

namespace pellimore {

struct GifControlProperties;

class GifPlayer : public QObject {
    Q_OBJECT

public:
    // The system button-face colour, BackColor's default.
    static constexpr ColorRef kButtonFace = 0x8000000F;
    static constexpr int kDefaultMinFrameDelay = 50;
    // gifTransparencyState values.
    enum TransparencyState : int { kNoneTransparent = 0, kSomeTransparent = 1, kAllTransparent = 2 };

    explicit GifPlayer(QObject *parent = nullptr);
    ~GifPlayer() override;

    // The system colours that references (top bit set) resolve to; they must
    // outlive the player. By default the desktop's, without its background.
    void SetSystemColors(const SystemColors &colors) { systemColors_ = &colors; }
    // The plain colour of a colour or a system-colour reference.
    ColorRef ResolveColor(ColorRef color) const { return systemColors_->ToRgb(color); }

    // --- loading ---------------------------------------------------------------
    // Reads the GIF; on success the previous GIF is unloaded, gifMaxLoops
    // takes the file's loop count, the control resizes and frame 1 shows. On
    // failure nothing changes and LastLoadError() says why.
    bool LoadGIF(const QString &gifFileName);
    // The same with a GIF the host has read already; an unloaded one is refused.
    bool AdoptGIF(GifFile &&loaded);
    QString LastLoadError() const { return lastLoadError_; }
    // Stops the animation, closes the file (deleting it when it is a
    // temporary copy) and forgets the GIF; bDeleteDCs also releases the saved
    // copy and the off-screen buffer.
    void UnloadGIF(bool bDeleteDCs);
    bool IsLoaded() const { return file_.IsLoaded(); }
    // Marks the loaded file as a temporary copy to delete on unload.
    void SetDeleteFileOnUnload(bool deleteFile) { deleteOnUnload_ = deleteFile; }
    bool DeleteFileOnUnload() const { return deleteOnUnload_; }

    // --- animation -------------------------------------------------------------
    bool Animate() const { return animating_; }
    void SetAnimate(bool animate);
    // While animating: resumes or pauses the timer (pausing halves the interval,
    // plus one).
    void PauseAnimation(bool bResume);
    // When not animating: draws frame index alone over a cleared area.
    void ShowFrame(int index);
    // The timer's tick: the next step of the animation.
    void tmrGIF_Timer();
    QTimer &tmrGIF() { return timer_; }
    int CurrentFrame() const { return currentFrame_; }
    int LoopsRemaining() const { return loopsRemaining_; }

    // --- size and scaling ------------------------------------------------------
    // The control's outer size in pixels (border included); the host calls
    // this when the control is resized. With AutoSize the control asks for
    // its own size through SizeChanged.
    void SetControlSize(QSize size);
    QSize ControlSize() const { return controlSize_; }
    QSize ClientSize() const;
    // 0 none, 1 single line, 2 thin sunken edge, 3 sunken 3-D edge; other values
    // are ignored.
    int BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(int style);
    int BorderWidth() const;
    int BorderHeight() const;
    double ScaleFactorX() const { return scaleX_; }
    double ScaleFactorY() const { return scaleY_; }
    // Brings NewWidth x NewHeight to the logical window's aspect ratio (the
    // smaller of the two factors); bCanShrink tells whether the size passed in
    // holds the whole logical window; BorderWidth returns the border width.
    // False (nothing changed) while no GIF is loaded.
    bool ScaleLogWinToSize(int &NewWidth, int &NewHeight, bool &bCanShrink, int &BorderWidth) const;

    // --- custom background ------------------------------------------------------
    // A bitmap of the control's client size (made on first use) on which the
    // host may draw a background.
    Bitmap &GetCustomBkgDC();
    // Adopts that bitmap as the background of an off-screen buffer.
    void SetCustomBkgDC();
    // Deletes the buffer and the custom background.
    void RemoveCustomBkgDC();
    bool HasCustomBackground() const { return customAdopted_; }

    // --- properties --------------------------------------------------------------
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);
    ColorRef BackColor() const { return backColor_; }
    void SetBackColor(ColorRef color);
    int Stretch() const { return stretch_; }
    void SetStretch(int stretch);              // 0 none, 1 proportional, 2 fill
    int StretchMethod() const { return stretchMethod_; }
    void SetStretchMethod(int method);         // 0 or 1
    int gifMinFrameDelay() const { return minFrameDelay_; }
    void SetgifMinFrameDelay(int delay);       // below 5 is ignored
    int gifMaxLoops() const { return maxLoops_; }
    void SetgifMaxLoops(int loops);            // below -1 is ignored

    // --- read-only ----------------------------------------------------------------
    clsGIFframe *Frame(int index) { return file_.Frame(index); }
    Bitmap FrameImage(int index) const { return file_.FrameImage(index); }
    int64_t gifAnimationTime() const;
    int gifFrameCount() const { return file_.FrameCount(); }
    int gifLogicalWindowCx() const { return file_.Header().logicalWidth; }
    int gifLogicalWindowCy() const { return file_.Header().logicalHeight; }
    ColorRef gifWindowBkgColor() const { return file_.Header().windowBkgColor; }
    int gifTransparencyState() const;
    QString gifVersion() const;
    QString gifFileName() const { return file_.FileName(); }
    const GifFile &File() const { return file_; }

    // --- frame editing ---------------------------------------------------------------
    // Removes frame index (only with more than one frame). bLogWindowResized
    // tells whether the logical window shrank with it. The animation stops and
    // frame 1 shows.
    bool RemoveFrame(int index, bool &bLogWindowResized);
    // Moves frame index to position newIndex (both 1-based); the animation
    // stops and frame 1 shows.
    bool MoveFrame(int index, int newIndex);
    // Makes the rectangle (left, top, width, height) of the logical window
    // the new logical window: frames move with it, frames wholly outside it are
    // dropped. False (nothing changed) when the rectangle is empty, lies outside
    // the logical window or would leave no frame.
    bool CropGIF(int left, int top, int width, int height);

    // --- surfaces ---------------------------------------------------------------------
    // What the control shows in its client area.
    const Bitmap &Canvas() const { return canvas_; }
    // The colour cleared areas take (BackColor or the GIF's background colour,
    // as ShowFrame chose), resolved.
    ColorRef WindowColor() const { return ResolveColor(windowColor_); }

    // --- persisted properties --------------------------------------------------------
    GifControlProperties WriteProperties() const;
    // Applies stored properties; a stored GIF is written to a temporary copy
    // in TemporaryFolder() and loaded. False when a stored GIF could not be
    // restored (the other properties are applied all the same).
    bool ReadProperties(const GifControlProperties &properties);
    // Where temporary copies go; by default the program's data folder
    // ($XDG_DATA_HOME/wallpaper-pellimore).
    QString TemporaryFolder() const;
    void SetTemporaryFolder(const QString &folder) { temporaryFolder_ = folder; }

signals:
    void AnimationProgress(int currentFrame);
    void AnimationLoopComplete(int loopsRemaining);
    void AnimationLoopExpired();
    // The control wants this outer size (AutoSize); it is already in effect here.
    void SizeChanged(QSize size);
    // A part of the canvas changed and should be shown again.
    void Repaint(QRect area);
    void gifFileNameChanged(const QString &gifFileName);

private:
    void Resizing();
    void PrepareSurfaces();
    void StartAnimation();
    void StopAnimation();
    void RestartView();
    Bitmap &Target() { return customAdopted_ ? buffer_ : canvas_; }
    void Present(QRect area);

    // Drawing (GifDrawing.cpp).
    QRect ScaledFrameRect(const clsGIFframe &frame) const;
    bool ScalingInEffect() const { return !(stretch_ == 0 || autoSize_); }
    void DrawFrame(int index);
    void DrawMasked(const Bitmap &picture, const clsGIFframe &frame, QRect destination);
    void ClearArea(QRect area);
    void DisposeFrame(int index);
    void SaveArea(QRect area);
    void RestoreSavedArea();

    GifFile file_;
    QString lastLoadError_;
    bool deleteOnUnload_ = false;
    QString temporaryFolder_;
    DesktopSystemColors desktopColors_;
    const SystemColors *systemColors_ = &desktopColors_;

    QTimer timer_;
    bool animating_ = false;
    int currentFrame_ = 0;
    int loopsRemaining_ = 0;

    QSize controlSize_{0, 0};
    int borderStyle_ = 0;
    double scaleX_ = 1.0;
    double scaleY_ = 1.0;

    bool autoSize_ = true;
    ColorRef backColor_ = kButtonFace;
    ColorRef windowColor_ = kButtonFace;
    int stretch_ = 0;
    int stretchMethod_ = 0;
    int minFrameDelay_ = kDefaultMinFrameDelay;
    int maxLoops_ = -1;

    Bitmap canvas_;
    Bitmap buffer_;          // off-screen buffer, with a custom background
    Bitmap customBkg_;       // GetCustomBkgDC
    bool customAdopted_ = false;
    Bitmap savedCopy_;       // the area under the current frame (disposal 3)
    QRect savedRect_;
};

}  // namespace pellimore
