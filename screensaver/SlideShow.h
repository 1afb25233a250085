#pragma once

#include <QWidget>

#include <functional>
#include <memory>

#include "platform/raster/PictureSurface.h"
#include "screensaver/SlideShowCore.h"

class QLabel;

namespace pellimore {

class PictureBox;
class ScreenSaver;

// The show window: the background with its title, the picture area
// Picture1, the logo and the "Press SPACEBAR" label. It shows what the
// SlideShowCore decides and turns keys, clicks and mouse moves into the end
// of the show.
class SlideShow final : public QWidget, public SlideShowView {
public:
    SlideShow(ScreenSaver &saver, const Bitmap &logo, QWidget *parent = nullptr);
    ~SlideShow() override;

    // Input ends the show (our own full-screen window); false under
    // xscreensaver, where the daemon watches the input.
    void SetInputEndsShow(bool on) { inputEndsShow_ = on; }
    // Called for the space bar: the settings dialog over the show.
    void SetOpenSetup(std::function<void()> openSetup) { openSetup_ = std::move(openSetup); }
    // Called when the window is closed (ExitSaver).
    void SetOnUnload(std::function<void()> onUnload) { onUnload_ = std::move(onUnload); }
    // Copies the title font settings and the caption (ApplyTitleFont).
    void ApplyTitleFont();
    // Hides or shows the mouse cursor over the whole window.
    void SetCursorHidden(bool hidden);

    PictureSurface &Picture1() { return picture_; }
    const PictureSurface &Background() const { return background_; }
    QString Caption() const { return caption_; }
    bool LogoVisible() const;
    bool SetupLabelVisible() const;

    // SlideShowView
    QSize ScreenSizePixels() const override;
    QSize WindowSizeTwips() const override;
    void SetCaption(const QString &caption) override;
    void DrawBackGround() override;
    void SetSetupLabel(const QString &caption, bool visible) override;
    void SetLogoVisible(bool visible) override;
    void ShowPicture(const Bitmap &picture) override;
    void MovePicture(int leftTwips, int topTwips) override;
    void SetPictureVisible(bool visible) override;
    void PaintBlock(const Bitmap &source, const BlockCopy &block) override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The stop test of a mouse move, in twips, against the last stored position.
    bool MovedFar(QPoint &stored, QPointF positionPixels) const;
    void Unload();
    void PlaceChildren();

    ScreenSaver &saver_;
    PictureSurface background_;
    PictureSurface picture_;
    PictureBox *pictureBox_ = nullptr;
    QLabel *logo_ = nullptr;
    QLabel *lblSetup_ = nullptr;
    QString caption_;
    QPoint storedWindow_;   // last mouse position over the window (twips)
    QPoint storedPicture_;  // last mouse position over Picture1 (twips)
    bool inputEndsShow_ = true;
    bool unloaded_ = false;
    std::function<void()> openSetup_;
    std::function<void()> onUnload_;
};

}  // namespace pellimore
