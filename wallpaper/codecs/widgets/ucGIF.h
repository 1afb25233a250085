#pragma once

// ucGIF: the animated GIF control. A thin widget over GifPlayer, which does
// the reading, drawing and timing; the widget shows the player's canvas
// inside its border, follows the player's size when AutoSize is on, and
// passes its own size changes to the player. Logic lays it out through
// GifControlView.

#include <QWidget>

#include "wallpaper/codecs/GifControlView.h"
#include "wallpaper/codecs/GifPlayer.h"
#include "wallpaper/codecs/GifProperties.h"

namespace pellimore {

class ucGIF : public QWidget, public GifControlView {
    Q_OBJECT

public:
    // The control's programmatic identifier.
    static constexpr const char *kProgId = "OstrelWallPaper.ucGIF";

    explicit ucGIF(QWidget *parent = nullptr);
    ~ucGIF() override;

    GifPlayer &Player() override { return player_; }
    const GifPlayer &Player() const { return player_; }

    bool LoadGIF(const QString &gifFileName) { return player_.LoadGIF(gifFileName); }
    void UnloadGIF(bool bDeleteDCs) { player_.UnloadGIF(bDeleteDCs); }
    bool Animate() const { return player_.Animate(); }
    void SetAnimate(bool animate) { player_.SetAnimate(animate); }
    void PauseAnimation(bool bResume) { player_.PauseAnimation(bResume); }
    void ShowFrame(int index) { player_.ShowFrame(index); }
    bool ScaleLogWinToSize(int &NewWidth, int &NewHeight, bool &bCanShrink, int &BorderWidth) const
    {
        return player_.ScaleLogWinToSize(NewWidth, NewHeight, bCanShrink, BorderWidth);
    }

    Bitmap &GetCustomBkgDC() { return player_.GetCustomBkgDC(); }
    void SetCustomBkgDC() { player_.SetCustomBkgDC(); }
    void RemoveCustomBkgDC() { player_.RemoveCustomBkgDC(); }

    bool AutoSize() const { return player_.AutoSize(); }
    void SetAutoSize(bool autoSize) { player_.SetAutoSize(autoSize); }
    ColorRef BackColor() const { return player_.BackColor(); }
    void SetBackColor(ColorRef color);
    int Stretch() const { return player_.Stretch(); }
    void SetStretch(int stretch) { player_.SetStretch(stretch); }
    int StretchMethod() const { return player_.StretchMethod(); }
    void SetStretchMethod(int method) { player_.SetStretchMethod(method); }
    int BorderStyle() const { return player_.BorderStyle(); }
    void SetBorderStyle(int style);
    int gifMinFrameDelay() const { return player_.gifMinFrameDelay(); }
    void SetgifMinFrameDelay(int delay) { player_.SetgifMinFrameDelay(delay); }
    int gifMaxLoops() const { return player_.gifMaxLoops(); }
    void SetgifMaxLoops(int loops) { player_.SetgifMaxLoops(loops); }

    clsGIFframe *Frame(int index) { return player_.Frame(index); }
    Bitmap FrameImage(int index) const { return player_.FrameImage(index); }
    int BorderWidth() const { return player_.BorderWidth(); }
    int BorderHeight() const { return player_.BorderHeight(); }
    int64_t gifAnimationTime() const { return player_.gifAnimationTime(); }
    int gifFrameCount() const { return player_.gifFrameCount(); }
    int gifLogicalWindowCx() const { return player_.gifLogicalWindowCx(); }
    int gifLogicalWindowCy() const { return player_.gifLogicalWindowCy(); }
    ColorRef gifWindowBkgColor() const { return player_.gifWindowBkgColor(); }
    int gifTransparencyState() const { return player_.gifTransparencyState(); }
    QString gifVersion() const { return player_.gifVersion(); }
    QString gifFileName() const { return player_.gifFileName(); }
    // The control's window.
    QWidget *hwnd() { return this; }
    // Moves and sizes the control (in its parent's pixels); the player takes
    // the new size at once, also while the control is hidden.
    void Move(int left, int top, int width, int height) override;
    QRect Geometry() const override { return geometry(); }
    void MoveTo(QPoint topLeft) override { move(topLeft); }
    void SetShown(bool shown) override { setVisible(shown); }

    bool RemoveFrame(int index, bool &bLogWindowResized) { return player_.RemoveFrame(index, bLogWindowResized); }
    bool MoveFrame(int index, int newIndex) { return player_.MoveFrame(index, newIndex); }
    bool CropGIF(int left, int top, int width, int height) { return player_.CropGIF(left, top, width, height); }

    GifControlProperties WriteProperties() const { return player_.WriteProperties(); }
    bool ReadProperties(const GifControlProperties &properties) { return player_.ReadProperties(properties); }

    QSize sizeHint() const override;

signals:
    void AnimationProgress(int currentFrame);
    void AnimationLoopComplete(int loopsRemaining);
    void AnimationLoopExpired();
    void gifFileNameChanged(const QString &gifFileName);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void FollowPlayerSize(QSize size);
    void DrawBorder(class QPainter &painter);

    GifPlayer player_;
    bool followingPlayer_ = false;
};

}  // namespace pellimore
