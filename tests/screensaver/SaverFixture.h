#pragma once

// Shared pieces of the screen saver's tests: the platform services (the real
// settings file under the temporary HOME, scripted ui, fixed clock, scripted
// random, recorded help), an event pump that moves the fixed clock on instead
// of sleeping, and a show window that records what the show does.

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <functional>
#include <memory>

#include "platform/Platform.h"
#include "platform/store/IniSettingsStore.h"
#include "platform/shell/ShellFolders.h"
#include "screensaver/ScreenSaver.h"
#include "screensaver/SlideShowCore.h"
#include "tests/support/FixedClock.h"
#include "tests/support/RecordingHelp.h"
#include "tests/support/ScriptedRandom.h"
#include "tests/support/ScriptedUi.h"

namespace pellimore::test {

// The shell's folders inside the temporary HOME.
class HomeShellFolders final : public ShellFolders {
public:
    QString ProgramFolder() const override { return QDir::homePath() + QStringLiteral("/program"); }
    QString DocumentsFolder() const override
    {
        const QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        QDir().mkpath(docs);
        return docs;
    }
    QString AutostartFolder() const override { return QDir::homePath() + QStringLiteral("/.config/autostart"); }
};

// Each turn of a wait moves the clock on by the time the wait would sleep.
class ClockPump final : public EventPump {
public:
    explicit ClockPump(FixedClock &clock) : clock_(clock) {}
    void WaitForEvents(int maxMs) override
    {
        ++turns;
        sleptMs += maxMs;
        lastMs = maxMs;
        clock_.SetTimeOfDay(clock_.TimeOfDay().addMSecs(maxMs));
        if (onTurn)
            onTurn();
    }
    void ProcessPending() override {}

    int turns = 0;
    qint64 sleptMs = 0;
    int lastMs = 0;
    std::function<void()> onTurn;

private:
    FixedClock &clock_;
};

struct SaverServices {
    IniSettingsStore store;
    ScriptedUi ui;
    HomeShellFolders shell;
    FixedClock clock;
    ScriptedRandom random;
    RecordingHelp help;
    Platform platform{store, ui, shell, clock, random, help};
    ClockPump pump{clock};
    ScreenSaver saver{platform, pump};

    QString Stored(const QString &key) const
    {
        return store.GetSetting(QStringLiteral("Corvane"), QStringLiteral("ScreenSaver"), key,
                                QStringLiteral("<absent>"));
    }
    void Store(const QString &key, const QString &value)
    {
        store.SaveSetting(QStringLiteral("Corvane"), QStringLiteral("ScreenSaver"), key, value);
    }
};

// Writes a BMP of one colour; returns its path.
inline QString WritePicture(const QString &folder, const QString &name, int width, int height,
                            QRgb color = qRgb(200, 30, 30))
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    const QString path = folder + QLatin1Char('/') + name;
    const QByteArray format = name.endsWith(QLatin1String("jpg"), Qt::CaseInsensitive) ? "JPG" : "BMP";
    EXPECT_TRUE(image.save(path, format.constData())) << path.toStdString();
    return path;
}

// A show window that keeps a log of what the show asks of it.
class RecordingView final : public SlideShowView {
public:
    QSize screen{1024, 768};
    QSize windowTwips{1024 * 15, 768 * 15};
    QString caption;
    bool logoVisible = false;
    bool labelVisible = false;
    int backgrounds = 0;
    QSize pictureSize;
    QPoint picturePosition;
    std::vector<BlockCopy> blocks;
    QStringList log;
    std::function<void()> onBlock;
    std::function<void()> onShow;

    QSize ScreenSizePixels() const override { return screen; }
    QSize WindowSizeTwips() const override { return windowTwips; }
    void SetCaption(const QString &text) override { caption = text; }
    void DrawBackGround() override { ++backgrounds; }
    void SetSetupLabel(const QString &, bool visible) override { labelVisible = visible; }
    void SetLogoVisible(bool visible) override
    {
        if (visible != logoVisible)
            log.append(visible ? QStringLiteral("logo on") : QStringLiteral("logo off"));
        logoVisible = visible;
    }
    void ShowPicture(const Bitmap &picture) override
    {
        pictureSize = QSize(picture.Width(), picture.Height());
        log.append(QStringLiteral("show %1x%2 %3")
                       .arg(picture.Width())
                       .arg(picture.Height())
                       .arg(picture.IsNull() ? 0 : picture.At(0, 0) & 0xFFFFFF, 6, 16, QLatin1Char('0')));
        if (onShow)
            onShow();
    }
    void MovePicture(int left, int top) override { picturePosition = QPoint(left, top); }
    void SetPictureVisible(bool) override {}
    void PaintBlock(const Bitmap &, const BlockCopy &block) override
    {
        blocks.push_back(block);
        if (onBlock)
            onBlock();
    }
};

// Loads a picture file for the show under test.
inline PictureResult LoadForTest(const QString &path)
{
    PictureResult result;
    QImage image(path);
    if (image.isNull())
        result.error = QStringLiteral("cannot load");
    else
        result.bitmap = Bitmap::FromImage(image);
    return result;
}

// A one-colour picture as the built-in start picture.
inline Bitmap SolidBitmap(int width, int height, QRgb color)
{
    Bitmap bitmap(width, height, 24);
    bitmap.Fill(MakePixel(qRed(color), qGreen(color), qBlue(color)));
    return bitmap;
}

}  // namespace pellimore::test
