#pragma once

// What the picture library's tests share: a fresh picture folder under the
// test's temporary home, the real settings file and shell folders, the
// scripted ui and random generator, and a listener that records what the
// library told the windows.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStringList>

#include <algorithm>
#include <vector>

#include "platform/Platform.h"
#include "platform/shell/QtShellFolders.h"
#include "platform/store/IniSettingsStore.h"
#include "tests/support/FixedClock.h"
#include "tests/support/RecordingHelp.h"
#include "tests/support/ScriptedRandom.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempHome.h"
#include "wallpaper/changer/ChangerState.h"
#include "wallpaper/changer/PictureLibrary.h"

namespace pellimore::test {

class RecordingListener final : public PictureLibraryListener {
public:
    void PictureListReset() override { log << "reset"; }
    void BackgroundListReset() override { log << "backgrounds reset"; }
    void ShowPicture(int index) override { log << QStringLiteral("show %1").arg(index); }
    void ShowBackground(int index) override { log << QStringLiteral("show background %1").arg(index); }
    void StopAnimatedPreview() override { log << "stop preview"; }

    QStringList log;
};

class PictureLibraryTest : public testing::Test {
protected:
    void SetUp() override
    {
        home = QDir::homePath();
        folder = home + "/pictures/" + testing::UnitTest::GetInstance()->current_test_info()->name();
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        QDir(home + "/Documents/Wallpaper Pellimore").removeRecursively();
        QFile::remove(home + "/.config/Corvane/Corvane.ini");
        state.PictureFolder = folder;
        state.MyDocsPath = home + "/Documents/";
        state.DesktopColor = 0x203040;
        state.DefaultBackColor = 0x0a0b0c;
        library.SetListener(&listener);
    }

    // A file in the picture folder (or a path below it).
    void Make(const QString &name, const QByteArray &bytes = "picture")
    {
        const QString path = folder + "/" + name;
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
        file.write(bytes);
    }
    void MakeAll(const QStringList &names)
    {
        for (const QString &name : names)
            Make(name, name.toUtf8());
    }
    static QByteArray Read(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QByteArray DataFile() const { return Read(folder + "/wallpaper.dat"); }
    void WriteDataFile(const QByteArray &bytes)
    {
        QFile file(folder + "/wallpaper.dat");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    std::vector<int> Orders() const
    {
        std::vector<int> orders;
        for (const PictureRecord &record : library.Records())
            orders.push_back(record.Order);
        return orders;
    }
    // True when the orders are 1 to n, each once.
    bool IsPlayOrder() const
    {
        std::vector<int> orders = Orders();
        std::sort(orders.begin(), orders.end());
        for (size_t i = 0; i < orders.size(); ++i) {
            if (orders[i] != int(i) + 1)
                return false;
        }
        return true;
    }
    QString NameOfOrder(int order) const
    {
        for (const PictureRecord &record : library.Records()) {
            if (record.Order == order)
                return record.FileName;
        }
        return QString();
    }
    // Scan and read, as the start-up does.
    void Start()
    {
        state.Loading = true;
        library.ScanPictureFolder();
        library.ReadPictureData();
        state.Loading = false;
    }

    QString home;
    QString folder;
    IniSettingsStore store;
    ScriptedUi ui;
    // The program folder is assets/, which holds the real "Samples".
    QtShellFolders shell{SourcePath("assets"), QDir::homePath() + "/no-program"};
    FixedClock clock;
    ScriptedRandom random;
    RecordingHelp help;
    Platform platform{store, ui, shell, clock, random, help};
    ChangerState state;
    PictureLibrary library{state, platform};
    RecordingListener listener;
};

}  // namespace pellimore::test
