// Draws the screen saver's built-in pictures: the start picture, the logo,
// the preview picture and the about picture. Shapes only (no fonts), so the
// pictures come out the same on every machine. Writes BMP files into the
// folder given as the only argument.
#include <QColor>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QString>

#include <cstdio>

namespace {

// Hills under an evening sky, with a sun: the picture the show starts with.
QImage Landscape(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, h);
    sky.setColorAt(0, QColor(22, 34, 92));
    sky.setColorAt(0.55, QColor(214, 120, 92));
    sky.setColorAt(1, QColor(250, 204, 120));
    p.fillRect(image.rect(), sky);
    QRadialGradient sun(w * 0.68, h * 0.52, h * 0.16);
    sun.setColorAt(0, QColor(255, 246, 200));
    sun.setColorAt(1, QColor(255, 196, 96, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(sun);
    p.drawEllipse(QPointF(w * 0.68, h * 0.52), h * 0.16, h * 0.16);
    const QColor hills[] = {QColor(70, 52, 90), QColor(44, 36, 70), QColor(24, 22, 44)};
    for (int i = 0; i < 3; ++i) {
        QPainterPath path;
        const double base = h * (0.62 + 0.12 * i);
        path.moveTo(0, h);
        path.lineTo(0, base);
        path.cubicTo(w * 0.3, base - h * (0.18 - 0.04 * i), w * 0.55, base + h * 0.08, w, base - h * 0.1);
        path.lineTo(w, h);
        path.closeSubpath();
        p.setBrush(hills[i]);
        p.drawPath(path);
    }
    return image;
}

// A frame with a small landscape inside: the logo and the about picture.
QImage Badge(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(QColor(18, 18, 28));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const int m = h / 8;
    p.drawImage(QRect(m, m, w - 2 * m, h - 2 * m), Landscape(w - 2 * m, h - 2 * m));
    p.setPen(QPen(QColor(230, 200, 120), qMax(2, h / 24)));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(m / 2.0, m / 2.0, w - m, h - m), m / 2.0, m / 2.0);
    return image;
}

bool Write(const QImage &image, const QString &folder, const char *name)
{
    const QString path = folder + QLatin1Char('/') + QLatin1String(name);
    if (image.save(path, "BMP"))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: MakeSaverPictures OUTPUT-FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const bool ok = Write(Landscape(480, 320), folder, "start.bmp") && Write(Badge(120, 80), folder, "logo.bmp")
                    && Write(Landscape(152, 112), folder, "preview.bmp") && Write(Badge(96, 96), folder, "about.bmp");
    return ok ? 0 : 1;
}
