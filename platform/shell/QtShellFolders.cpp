#include "platform/shell/QtShellFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "platform/shell/InstallLayout.h"

namespace pellimore {

namespace {

QString WithoutTrailingSlash(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

QString RunningExecutableFolder()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
}

}  // namespace

QtShellFolders::QtShellFolders() : QtShellFolders(InstalledDataFolder(), RunningExecutableFolder()) {}

QtShellFolders::QtShellFolders(QString installedDataFolder, QString executableFolder)
    : installedDataFolder_(WithoutTrailingSlash(std::move(installedDataFolder))),
      executableFolder_(WithoutTrailingSlash(std::move(executableFolder)))
{
}

QString QtShellFolders::InstalledDataFolder() { return QStringLiteral(PELLIMORE_DATA_DIR); }

QString QtShellFolders::ProgramFolder() const
{
    if (!executableFolder_.isEmpty() && QFileInfo(executableFolder_ + QStringLiteral("/Samples")).isDir())
        return executableFolder_;
    const QString installedBeside = InstalledDataFolderFrom(executableFolder_);
    return installedBeside.isEmpty() ? installedDataFolder_ : installedBeside;
}

QString QtShellFolders::DocumentsFolder() const
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty())
        folder = QDir::homePath() + QStringLiteral("/Documents");
    folder = WithoutTrailingSlash(folder);
    QDir().mkpath(folder);
    return folder;
}

QString QtShellFolders::AutostartFolder() const
{
    // The XDG rules ignore a relative $XDG_CONFIG_HOME.
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!config.startsWith(QLatin1Char('/')))
        config = QDir::homePath() + QStringLiteral("/.config");
    return WithoutTrailingSlash(config) + QStringLiteral("/autostart");
}

}  // namespace pellimore
