#pragma once

#include <QPoint>
#include <QRect>

namespace pellimore {

class GifPlayer;

// The window of an animated GIF control as logic that lays one out sees it:
// the control's player, and the window's place, size and visibility in its
// parent's pixels. The ucGIF widget is one; logic never needs the widget.
class GifControlView {
public:
    virtual GifPlayer &Player() = 0;
    virtual QRect Geometry() const = 0;
    // Moves the window, keeping its size.
    virtual void MoveTo(QPoint topLeft) = 0;
    // Moves and sizes the window; the player takes the new size at once, also
    // while the window is hidden.
    virtual void Move(int left, int top, int width, int height) = 0;
    virtual void SetShown(bool shown) = 0;

protected:
    ~GifControlView() = default;
};

}  // namespace pellimore
