// Times the picture library's start-up work (scan, read of "wallpaper.dat",
// merge after a new picture) and a reshuffle for folders of 1,000, 10,000 and
// 100,000 pictures. The merge and the shuffle include writing the file.
//
//     library_bench [--dir FOLDER] [count ...]
//
// The pictures are empty files made in a temporary folder inside FOLDER
// (default: the system's temporary folder); making 100,000 of them takes
// minutes on a slow disk, the timed work does not.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <optional>

#include "platform/Platform.h"
#include "platform/clock/ProgramRandom.h"
#include "platform/help/HelpService.h"
#include "platform/shell/ShellFolders.h"
#include "platform/store/SettingsStore.h"
#include "platform/ui/NullUi.h"
#include "wallpaper/changer/ChangerState.h"
#include "wallpaper/changer/PictureLibrary.h"

using namespace pellimore;

namespace {

// The library runs with Loading set and shows nothing; these services only
// have to exist.
class NoStore final : public SettingsStore {
public:
    QString GetSetting(const QString &, const QString &, const QString &, const QString &d) const override { return d; }
    bool SaveSetting(const QString &, const QString &, const QString &, const QString &) override { return true; }
    bool DeleteSetting(const QString &, const QString &, const QString &) override { return true; }
};
class NoShell final : public ShellFolders {
public:
    QString ProgramFolder() const override { return QDir::tempPath(); }
    QString DocumentsFolder() const override { return QDir::tempPath(); }
    QString AutostartFolder() const override { return QDir::tempPath(); }
};
class NoClock final : public Clock {
public:
    QDate Today() const override { return QDate(2026, 1, 1); }
    QTime TimeOfDay() const override { return QTime(12, 0); }
};
class NoHelp final : public HelpService {
public:
    bool ShowContext(const QString &, int) override { return true; }
    bool ShowKeyword(const QString &, const QString &) override { return true; }
};

double Ms(QElapsedTimer &timer) { return double(timer.nsecsElapsed()) / 1e6; }

bool MakeFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly);
}

int Run(const QString &parent, int count)
{
    QTemporaryDir dir(parent + QStringLiteral("/library-bench-XXXXXX"));
    if (!dir.isValid())
        return 1;
    for (int i = 0; i < count; ++i) {
        if (!MakeFile(dir.path() + QStringLiteral("/picture %1.jpg").arg(i, 6, 10, QLatin1Char('0'))))
            return 1;
    }

    NullUi ui;
    NoStore store;
    NoShell shell;
    NoClock clock;
    ProgramRandom random(12345);
    NoHelp help;
    Platform platform{store, ui, shell, clock, random, help};
    ChangerState state;
    state.PictureFolder = dir.path();
    state.Loading = true;
    state.CurrentOrder = 1;

    {   // the first start builds "wallpaper.dat"
        PictureLibrary first(state, platform);
        first.ScanPictureFolder();
        first.ReadPictureData();
    }

    PictureLibrary library(state, platform);
    QElapsedTimer timer;
    timer.start();
    library.ScanPictureFolder();
    const double scan = Ms(timer);
    timer.restart();
    library.ReadPictureData();
    const double read = Ms(timer);

    MakeFile(dir.path() + QStringLiteral("/a new picture.png"));
    library.ScanPictureFolder();
    timer.restart();
    library.MergePictureRecords();
    const double merge = Ms(timer);

    timer.restart();
    library.ShuffleOrder();
    const double shuffle = Ms(timer);

    std::printf("%8d  %9.1f  %9.1f  %9.1f  %9.1f  %9.1f\n", count, scan, read, merge, shuffle,
                scan + read + merge);
    return library.PictureCount() == count + 1 ? 0 : 1;
}

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QList<int> counts;
    QString parent = QDir::tempPath();
    const QStringList arguments = app.arguments().mid(1);
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--dir") && i + 1 < arguments.size())
            parent = arguments[++i];
        else
            counts << arguments[i].toInt();
    }
    if (counts.isEmpty())
        counts = {1000, 10000, 100000};
    std::printf("folder: %s\n", qPrintable(parent));
    std::printf("pictures   scan ms    read ms   merge ms shuffle ms   start ms\n");
    int result = 0;
    for (int count : counts)
        result |= Run(parent, count);
    return result;
}
