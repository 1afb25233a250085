#pragma once

// Saving windows as PNG files for the screenshots tool. Each window of the
// program adds its states in a file of its own, called from Screenshots.cpp.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTextStream>
#include <QThread>
#include <QWidget>

// Runs the event loop for a while, so that windows lay out, paint and animate.
inline void Settle(int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
}

class Shooter {
public:
    explicit Shooter(QString folder) : folder_(std::move(folder)) { QDir().mkpath(folder_); }

    bool Save(QWidget &widget, const QString &name)
    {
        Settle(300);
        const QString path = folder_ + QLatin1Char('/') + name + QStringLiteral(".png");
        if (!widget.grab().save(path)) {
            QTextStream(stderr) << "screenshots: cannot write " << path << "\n";
            ok_ = false;
            return false;
        }
        QTextStream(stdout) << path << "\n";
        return true;
    }
    bool Ok() const { return ok_; }

private:
    QString folder_;
    bool ok_ = true;
};
