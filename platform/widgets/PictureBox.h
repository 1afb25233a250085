#pragma once

#include <QWidget>

namespace pellimore {

class PictureSurface;

// A small widget that shows a PictureSurface's drawing image at the widget's
// top-left corner (1:1, no scaling; uncovered parts show the widget's
// background). It holds no state of its own: call Refresh() after drawing,
// and it repaints, taking the surface's size and position (Left, Top,
// Width, Height in pixels) and visibility. The surface must outlive the
// widget.
class PictureBox : public QWidget {
public:
    explicit PictureBox(PictureSurface &surface, QWidget *parent = nullptr);

    PictureSurface &Surface() { return *surface_; }
    // Takes over the surface's geometry and visibility and repaints.
    void Refresh();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    PictureSurface *surface_;
};

}  // namespace pellimore
