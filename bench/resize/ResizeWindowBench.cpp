// The Resize and Crop window on a 6000 x 4000 JPEG, through its model: the
// time to open it (decode and reduced view), to start crop mode, to take a
// crop, and to resize to 10 %, 50 % and 90 %, with the longest stretch
// between two looks at the event queue; beside ImageMagick's "-filter box
// -resize" and "-filter triangle -resize" to the same sizes of the same file
// in the same run (IM reads the JPEG and writes to null:; the time of the
// read alone is shown beside it).
//
//     resize_window_bench [--runs N] [--photo FILE]
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QProcess>

#include <cstdio>

#include "bench/BenchSupport.h"
#include "platform/Platform.h"
#include "platform/ProgramNames.h"
#include "platform/clock/ProgramRandom.h"
#include "platform/clock/SystemClock.h"
#include "platform/shell/QtShellFolders.h"
#include "platform/store/IniSettingsStore.h"
#include "platform/store/SettingsKeys.h"
#include "platform/ui/NullUi.h"
#include "tests/support/RecordingDesktop.h"
#include "tests/support/RecordingHelp.h"
#include "tests/support/ScriptedInstance.h"
#include "tests/support/TempHome.h"
#include "wallpaper/changer/ChangerState.h"
#include "wallpaper/changer/PictureLibrary.h"
#include "wallpaper/changer/WallpaperApp.h"
#include "wallpaper/window/ResizeModel.h"

using namespace pellimore;
using bench::BestSeconds;

namespace {

// A form that notes the longest time between two progress steps.
class TimingForm final : public ResizeView {
public:
    void UpdateControls() override {}
    void SetBusy(bool) override {}
    void ShowProgress(int done, int total) override
    {
        if (done <= 1 || !clock.isValid())
            clock.start();
        longest = std::max(longest, double(clock.nsecsElapsed()) / 1e9);
        clock.restart();
        if (done >= total)
            clock.invalidate();
    }
    void FocusScale() override {}
    void CloseWindow() override {}
    QElapsedTimer clock;
    double longest = 0;
};

double ImageMagick(const QString &input, const QStringList &operation, int runs)
{
    return BestSeconds(runs, [&] {
        QProcess process;
        process.start("/usr/bin/convert", QStringList{input} + operation + QStringList{"null:"});
        return process.waitForFinished(600000) && process.exitCode() == 0;
    });
}

}  // namespace

int main(int argc, char **argv)
{
    pellimore::test::TempHome home;
    QApplication app(argc, argv);
    int runs = 3;
    QString photo = QStringLiteral(PELLIMORE_TESTDATA_DIR "/photos/LadyBird.jpg");
    const QStringList arguments = app.arguments();
    for (int i = 1; i + 1 < arguments.size(); i += 2) {
        if (arguments[i] == "--runs")
            runs = std::max(1, arguments[i + 1].toInt());
        else if (arguments[i] == "--photo")
            photo = arguments[i + 1];
    }
    const QString folder = home.Path() + "/pictures";
    QDir().mkpath(folder);
    const QString big = folder + "/big.jpg";
    if (!QImage(photo).scaled(6000, 4000, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).save(big, "JPEG", 90)) {
        std::fprintf(stderr, "cannot make %s from %s\n", qPrintable(big), qPrintable(photo));
        return 1;
    }

    IniSettingsStore store;
    store.SaveSetting(kApplicationName, WallpaperKeys::kSection, WallpaperKeys::kFolder, folder);
    store.SaveSetting(kApplicationName, WallpaperKeys::kSection, WallpaperKeys::kStartup, " 0");
    NullUi ui;
    QtShellFolders shell(folder, folder);
    SystemClock clock;
    ProgramRandom random;
    test::RecordingHelp help;
    Platform platform{store, ui, shell, clock, random, help};
    test::ScriptedInstance instance;
    test::RecordingDesktop desktop;
    UnavailableActiveDesktop activeDesktop;
    test::RecordingSound sound;
    WallpaperApp wallpaper({platform, instance, desktop, activeDesktop, sound, QStringLiteral("/usr/bin/WallPaper")});
    if (wallpaper.Start({}) != StartOutcome::Running)
        return 1;
    wallpaper.State().SelectedIndex = int(wallpaper.Library().PictureNames().indexOf("big.jpg"));
    if (wallpaper.State().SelectedIndex < 0) {
        std::fprintf(stderr, "big.jpg is not listed in %s\n", qPrintable(wallpaper.State().PictureFolder));
        return 1;
    }

    TimingForm form;
    const QSize screen(1920, 1080);
    std::printf("6000 x 4000 JPEG, best of %d runs, seconds\n", runs);
    std::unique_ptr<ResizeModel> model;
    const double open = BestSeconds(runs, [&] {
        model = std::make_unique<ResizeModel>(wallpaper, form, screen);
        return model->Load();
    });
    const double startCrop = BestSeconds(runs, [&] {
        model->cmdCrop_Click();
        model->cmdCrop_Click();
    }) / 2;
    std::printf("%-34s %8.3f\n", "open (decode, reduced view)", open);
    std::printf("%-34s %8.3f\n", "Start Crop (view rebuilt)", startCrop);
    std::printf("%-24s %7s %7s %8s %7s %8s %8s %9s\n", "Resize", "ours", "IM box", "box/ours", "IM tri",
                "tri/ours", "IM read", "pause max");
    for (int percent : {10, 50, 90}) {
        form.longest = 0;
        const double ours = BestSeconds(runs, [&] {
            model->Slider1_Change(percent / 10);
            model->cmdResize_Click();
        });
        const QString size = QString::number(percent) + "%";
        const double box = ImageMagick(big, {"-filter", "box", "-resize", size}, runs);
        const double triangle = ImageMagick(big, {"-filter", "triangle", "-resize", size}, runs);
        const double read = ImageMagick(big, {}, runs);
        // IM's figures include reading the JPEG; "IM read" is that part alone.
        std::printf("%-24s %7.3f %7.3f %8.2f %7.3f %8.2f %8.3f %9.3f\n", qPrintable("6000x4000 to " + size), ours, box,
                    box / ours, triangle, triangle / ours, read, form.longest);
    }

    // A crop of most of the picture, taken on the reduced view and cut from the original.
    const QSize view(model->Crop().Width(), model->Crop().Height());
    const double crop = BestSeconds(1, [&] {
        model->cmdCrop_Click();
        model->picCrop_MouseDown(QPointF(view.width() * 0.1, view.height() * 0.1));
        model->picCrop_MouseUp(QPointF(view.width() * 0.9, view.height() * 0.9));
        model->cmdCrop_Click();
    });
    std::printf("%-34s %8.3f  (%d x %d)\n", "crop 80 % of it, End Crop", crop, model->Original().Width(),
                model->Original().Height());
    return 0;
}
