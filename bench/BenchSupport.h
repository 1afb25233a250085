#pragma once

// What the benchmarks share: the best-of-N wall-clock timer and the
// command-line options.

#include <QDir>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <limits>
#include <type_traits>

namespace pellimore::bench {

// The shortest of `runs` runs of `run`, in seconds. When `run` returns a bool,
// a run that gives false ends the timing with -1.
template <class Run>
double BestSeconds(int runs, Run &&run)
{
    double best = std::numeric_limits<double>::infinity();
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        if constexpr (std::is_same_v<decltype(run()), bool>) {
            if (!run())
                return -1;
        } else {
            run();
        }
        best = std::min(best, double(timer.nsecsElapsed()) / 1e9);
    }
    return best;
}

struct Options {
    int runs = 5;
    QString work;   // folder for the inputs, made once and kept
    QString photo;  // the photograph the inputs are made from
    QString only;   // the one case to run, or empty for all
};

// Reads --runs N, --work DIR, --photo FILE and --only NAME. The work folder
// defaults to `workName` in the temporary folder, the photograph to
// `photoName` in the photos of the test data (PELLIMORE_TESTDATA_DIR, by
// default tests/data of the source tree, whose two photographs are 2560
// pixels wide). For a bigger photograph pass --photo /path/to/big.jpg
// (png_bench keeps the pictures it made in its work folder: give it a new
// --work folder too).
inline Options ParseOptions(const QStringList &args, const QString &workName, const QString &photoName)
{
    Options options;
    options.work = QDir::tempPath() + "/" + workName;
    options.photo = QStringLiteral(PELLIMORE_TESTDATA_DIR) + "/photos/" + photoName;
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == "--runs")
            options.runs = std::max(1, args[i + 1].toInt());
        else if (args[i] == "--work")
            options.work = args[i + 1];
        else if (args[i] == "--photo")
            options.photo = args[i + 1];
        else if (args[i] == "--only")
            options.only = args[i + 1];
    }
    return options;
}

}  // namespace pellimore::bench
