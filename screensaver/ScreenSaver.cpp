#include "screensaver/ScreenSaver.h"

#include <QDir>

#include <algorithm>
#include <cmath>

#include "platform/Platform.h"
#include "platform/clock/Clock.h"
#include "platform/shell/PathHelpers.h"
#include "platform/shell/ShellFolders.h"
#include "platform/store/SettingsKeys.h"
#include "platform/ui/Ui.h"

namespace pellimore {

bool IsShowPictureName(const QString &fileName)
{
    const QString type = fileName.right(3).toUpper();
    return type == QLatin1String("JPG") || type == QLatin1String("GIF") || type == QLatin1String("BMP");
}

ScreenSaver::ScreenSaver(Platform &platform_, EventPump &pump_) : platform(platform_), pump(pump_) {}

void ScreenSaver::LoadSaverSettings(const QString &commandLine, const std::function<void()> &showSetupModal)
{
    SaverSettingsStore store(platform.store);
    store.ReadAppearance(settings);

    if (TrimmedFolderExists(settings.folder)) {
        store.ReadShowKeys(settings);
        settings.myDocs = store.ReadMyDocs(SpecialFolderPath(kDocumentsFolder, platform.shell));
        pictureIndex = settings.index;
        return;
    }

    // First run: no usable folder of our own.
    const QString wallpaperFolder = store.WallpaperFolder();
    settings.folder = TrimmedFolderExists(wallpaperFolder) ? wallpaperFolder : QString();
    settings.random = false;
    settings.color = SaverSettings::kDefaultBackground;
    settings.index = 1;
    pictureIndex = 1;
    store.WriteFirstRunDefaults(settings);
    settings.myDocs = store.ReadMyDocs(SpecialFolderPath(kDocumentsFolder, platform.shell));
    if (BeginsWithShow(commandLine))
        firstRunWithShow = true;
    if (!quiet)
        platform.ui.Message(QStringLiteral("Please choose a folder with pictures to display in the screen saver."),
                            MessageIcon::Exclamation, QStringLiteral("Wallpaper Pellimore Screen Saver"));
    if (!firstRunWithShow && !quiet && showSetupModal)
        showSetupModal();
    if (!settings.folder.isEmpty())
        store.Write(ScreenSaverKeys::kFolder, settings.folder);
}

void ScreenSaver::SaveSaverSettings()
{
    settings.index = pictureIndex;
    SaverSettingsStore(platform.store).WriteAll(settings);
}

void ScreenSaver::SavePictureIndex() { SaverSettingsStore(platform.store).WriteIndex(pictureIndex); }

void ScreenSaver::BuildPictureList()
{
    const QString folder = TrimTrailingBackslash(settings.folder);
    QStringList names;
    if (!folder.isEmpty()) {
        // Names in a steady order (case-insensitive), as a listing on the
        // original platform gives them; hidden files are left out, as a
        // Linux desktop does.
        const QDir dir(folder);
        const QStringList files = dir.entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
        for (const QString &name : files)
            if (IsShowPictureName(name))
                names.append(name);
    }
    if (names.isEmpty()) {
        listEmpty = true;  // the list is left as it was
        return;
    }
    pictureList = names;
    listEmpty = false;
}

void ScreenSaver::ShufflePictures()
{
    const int count = PictureCount();
    // A list of one has nothing to swap with (the draw-again rule could not
    // end); it stays as it is.
    if (count < 2)
        return;
    for (int i = 1; i <= count; ++i) {
        int r = 0;
        do {
            r = std::clamp(int(count * double(platform.random.Next())) + 1, 1, count);
        } while (r == i);
        pictureList.swapItemsAt(i - 1, r - 1);
    }
}

void ScreenSaver::ShowNoPicturesMessage()
{
    if (quiet)
        return;
    platform.ui.Message(QStringLiteral("There are no pictures in the folder you've choosen for the screen saver.")
                            + QStringLiteral("\n\n")
                            + QStringLiteral("Please choose a folder that contains .jpg, .gif or .bmp pictures."),
                        MessageIcon::Critical, QStringLiteral("No Pictures to display"));
}

QString ScreenSaver::PicturePath(int entry) const
{
    return TrimTrailingBackslash(settings.folder) + QLatin1Char('/') + pictureList.value(entry - 1);
}

double ScreenSaver::TimeOfDaySeconds() const { return platform.clock.TimeOfDay().msecsSinceStartOfDay() / 1000.0; }

void ScreenSaver::Wait(double seconds)
{
    // In whole milliseconds, the clock's resolution (0.05f is not quite 0.05).
    const qint64 length = std::llround(seconds * 1000);
    const qint64 t0 = platform.clock.TimeOfDay().msecsSinceStartOfDay();
    qint64 now = t0;
    // A time of day earlier than the start means midnight passed: the wait ends.
    while (t0 + length > now && now >= t0 && !StopRequested) {
        pump.WaitForEvents(int(std::clamp<qint64>(t0 + length - now, 1, 1000)));
        now = platform.clock.TimeOfDay().msecsSinceStartOfDay();
    }
}

void ScreenSaver::SaveOnExit()
{
    if (runMode == RunMode::Show)
        SavePictureIndex();
}

}  // namespace pellimore
