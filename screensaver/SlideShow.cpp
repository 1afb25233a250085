#include "screensaver/SlideShow.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include <array>
#include <cmath>
#include <cstdlib>

#include "platform/widgets/PictureBox.h"
#include "platform/raster/Raster.h"
#include "screensaver/ScreenSaver.h"

namespace pellimore {

namespace {
constexpr int kStopDistance = 50;  // twips of mouse travel that end the show
}

SlideShow::SlideShow(ScreenSaver &saver, const Bitmap &logo, QWidget *parent)
    : QWidget(parent), saver_(saver)
{
    setWindowTitle(QStringLiteral("Wallpaper Pellimore"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    for (PictureSurface *surface : {&background_, &picture_}) {
        surface->SetTwipsPerPixel(saver.twipsPerPixelX, saver.twipsPerPixelY);
        surface->SetScaleMode(ScaleUnit::Twips);
    }
    background_.SetBackColor(saver.settings.color);

    pictureBox_ = new PictureBox(picture_, this);
    pictureBox_->setMouseTracking(true);
    pictureBox_->installEventFilter(this);

    logo_ = new QLabel(this);
    logo_->setPixmap(QPixmap::fromImage(logo.ToImage()));
    logo_->adjustSize();
    logo_->setAttribute(Qt::WA_TransparentForMouseEvents);
    logo_->hide();

    lblSetup_ = new QLabel(this);
    lblSetup_->setAutoFillBackground(true);
    lblSetup_->setAttribute(Qt::WA_TransparentForMouseEvents);
    lblSetup_->hide();
}

SlideShow::~SlideShow() = default;

void SlideShow::ApplyTitleFont()
{
    QFont font(saver_.settings.font);
    font.setPointSize(saver_.settings.fontSize);
    font.setBold(saver_.settings.bold);
    font.setItalic(saver_.settings.italic);
    font.setUnderline(saver_.settings.underline);
    background_.SetFont(font);
    SetCaption(ShowCaption(saver_.settings.title));
}

void SlideShow::SetCursorHidden(bool hidden)
{
    if (hidden)
        setCursor(Qt::BlankCursor);
    else
        unsetCursor();
}

bool SlideShow::LogoVisible() const { return logo_->isVisibleTo(this); }
bool SlideShow::SetupLabelVisible() const { return lblSetup_->isVisibleTo(this); }

QSize SlideShow::ScreenSizePixels() const
{
    // Embedded in another window, the show's screen is that window.
    if (parentWidget() == nullptr && windowHandle() && windowHandle()->parent())
        return size();
    const QScreen *s = screen() ? screen() : QGuiApplication::primaryScreen();
    return s ? s->size() : size();
}

QSize SlideShow::WindowSizeTwips() const
{
    return QSize(width() * saver_.twipsPerPixelX, height() * saver_.twipsPerPixelY);
}

void SlideShow::SetCaption(const QString &caption)
{
    caption_ = caption;
    setWindowTitle(caption.trimmed().isEmpty() ? QStringLiteral("Wallpaper Pellimore") : caption.trimmed());
}

void SlideShow::DrawBackGround()
{
    const SaverSettings &s = saver_.settings;
    background_.Resize(width(), height());
    if (s.style != 0) {
        background_.SetBackColor(s.color);  // solid: the colour, cleared
    } else {
        const GradientColors colors = BackgroundGradient(s.color);
        const std::array<TriVertex, 2> vertices = {MakeTriVertex(0, 0, colors.top),
                                                   MakeTriVertex(width(), height(), colors.bottom)};
        const GradientRect rect{0, 1};
        GradientFill(background_.Image(), vertices, std::span(&rect, 1), GradientFillMode::RectV);
        background_.Refresh();
    }
    // The title twice: a black copy 4 twips below the coloured one.
    ApplyTitleFont();
    background_.SetCurrentX(7);
    background_.SetCurrentY(7);
    background_.SetForeColor(0);
    background_.Print(caption_);
    background_.SetCurrentX(3);
    background_.SetCurrentY(3);
    background_.SetForeColor(s.fontColor);
    background_.Print(caption_);
    update();
}

void SlideShow::SetSetupLabel(const QString &caption, bool visible)
{
    lblSetup_->setText(caption);
    lblSetup_->adjustSize();
    // Under xscreensaver the space bar opens nothing: no label then.
    lblSetup_->setVisible(visible && inputEndsShow_);
    PlaceChildren();
}

void SlideShow::SetLogoVisible(bool visible) { logo_->setVisible(visible); }

void SlideShow::ShowPicture(const Bitmap &picture)
{
    picture_.Resize(picture.Width(), picture.Height());
    picture_.SetPicture(picture);
    picture_.Cls();
    pictureBox_->Refresh();
}

void SlideShow::MovePicture(int leftTwips, int topTwips)
{
    picture_.Move(int(std::lround(double(leftTwips) / saver_.twipsPerPixelX)),
                  int(std::lround(double(topTwips) / saver_.twipsPerPixelY)));
    pictureBox_->Refresh();
}

void SlideShow::SetPictureVisible(bool visible)
{
    picture_.SetVisible(visible);
    pictureBox_->Refresh();
}

void SlideShow::PaintBlock(const Bitmap &source, const BlockCopy &block)
{
    const QRect from = TwipsToPixels(block.source, saver_.twipsPerPixelX, saver_.twipsPerPixelY);
    const QRect to = TwipsToPixels(block.destination, saver_.twipsPerPixelX, saver_.twipsPerPixelY);
    BitBlt(picture_.Image(), to.x(), to.y(), to.width(), to.height(), source, from.x(), from.y(), kSrcCopy);
    picture_.Refresh();
    pictureBox_->update(to);
}

void SlideShow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const Bitmap &image = background_.Image();
    if (image.IsNull()) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    painter.drawImage(0, 0, QImage(image.Bits(), image.Width(), image.Height(), image.Stride(),
                                   QImage::Format_RGB32));
}

void SlideShow::resizeEvent(QResizeEvent *) { PlaceChildren(); }

void SlideShow::PlaceChildren()
{
    // The label near the bottom, centred; the logo in the bottom-right corner.
    lblSetup_->move((width() - lblSetup_->width()) / 2, height() - 2 * lblSetup_->height());
    logo_->move(width() - logo_->width() - 16, height() - logo_->height() - 16);
}

void SlideShow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space) {
        if (!inputEndsShow_)
            return;
        SetCursorHidden(false);
        if (openSetup_)
            openSetup_();
        SetCursorHidden(true);
        return;
    }
    if (saver_.runMode != RunMode::Show || !inputEndsShow_)
        return;
    saver_.StopRequested = true;
    Unload();
}

void SlideShow::mousePressEvent(QMouseEvent *)
{
    if (saver_.runMode != RunMode::Show || !inputEndsShow_)
        return;
    saver_.StopRequested = true;
    Unload();
}

bool SlideShow::MovedFar(QPoint &stored, QPointF positionPixels) const
{
    const int x = int(std::lround(positionPixels.x() * saver_.twipsPerPixelX));
    const int y = int(std::lround(positionPixels.y() * saver_.twipsPerPixelY));
    if ((std::abs(stored.x() - x) >= kStopDistance || std::abs(stored.y() - y) >= kStopDistance)
        && stored != QPoint(0, 0))
        return true;
    stored = QPoint(int16_t(x), int16_t(y));
    return false;
}

void SlideShow::mouseMoveEvent(QMouseEvent *event)
{
    if (saver_.runMode != RunMode::Show || !inputEndsShow_)
        return;
    if (MovedFar(storedWindow_, event->position())) {
        saver_.StopRequested = true;
        Unload();
    }
}

bool SlideShow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == pictureBox_ && saver_.runMode == RunMode::Show && inputEndsShow_) {
        if (event->type() == QEvent::MouseMove) {
            if (MovedFar(storedPicture_, static_cast<QMouseEvent *>(event)->position())) {
                saver_.StopRequested = true;
                Unload();
            }
            return true;
        }
        if (event->type() == QEvent::MouseButtonPress) {
            saver_.StopRequested = true;
            Unload();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void SlideShow::closeEvent(QCloseEvent *event)
{
    event->accept();
    Unload();
}

void SlideShow::Unload()
{
    if (unloaded_)
        return;
    unloaded_ = true;
    hide();
    if (onUnload_)
        onUnload_();
}

}  // namespace pellimore
