#include "wallpaper/changer/ShellIntegration.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QUrl>

#include "platform/ProgramNames.h"
#include "platform/shell/PathHelpers.h"
#include "platform/shell/ShellFolders.h"
#include "platform/ui/Ui.h"
#include "wallpaper/changer/ChangerState.h"

namespace pellimore {

namespace {

const QString kShortcutTitle = QStringLiteral("Automatic Wallpaper Changer");

QString StartupEntryPath(const ShellFolders &shell)
{
    return AddTrailingBackslash(SpecialFolderPath(kStartupFolder, shell)) + kApplicationTitle +
           QStringLiteral(".desktop");
}

}  // namespace

QString QuoteExecArgument(const QString &argument)
{
    static const QString kReserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool needsQuotes = argument.isEmpty();
    for (const QChar c : argument)
        needsQuotes = needsQuotes || kReserved.contains(c);
    QString quoted = argument;
    if (needsQuotes) {
        quoted.clear();
        for (const QChar c : argument) {
            if (c == '"' || c == '`' || c == '$' || c == '\\')
                quoted += '\\';
            quoted += c;
        }
        quoted = '"' + quoted + '"';
    }
    // The Exec value is itself a string value: backslashes are escaped once
    // more, and a literal percent sign is doubled (field codes).
    quoted.replace('\\', QStringLiteral("\\\\"));
    quoted.replace('%', QStringLiteral("%%"));
    return quoted;
}

QString StartupEntryText(const QString &programPath)
{
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=%1\n"
                          "Comment=Changes the desktop wallpaper on a schedule\n"
                          "Exec=%2 /C\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(kApplicationTitle, QuoteExecArgument(programPath));
}

bool AddStartupShortcut(ChangerState &state, Ui &ui, const ShellFolders &shell, const QString &programPath)
{
    const QString path = StartupEntryPath(shell);
    QDir().mkpath(QFileInfo(path).path());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(StartupEntryText(programPath).toUtf8());
    if (!file.commit())
        return false;
    if (!state.Loading)
        ui.Message(QStringLiteral("Automatic daily Windows Startup shortcut for Wallpaper Pellimore added!"),
                   MessageIcon::None, kShortcutTitle);
    state.StartupState = 1;
    return true;
}

void RemoveStartupShortcut(ChangerState &state, Ui &ui, const ShellFolders &shell)
{
    const QString path = StartupEntryPath(shell);
    if (QFileInfo::exists(path)) {
        QFile::remove(path);
        ui.Message(QStringLiteral("Startup folder shortcut to Wallpaper Pellimore removed."), MessageIcon::None,
                   kShortcutTitle);
    }
    state.StartupState = 0;
}

bool OpenWebPage(Ui &ui, const QString &address)
{
    if (QDesktopServices::openUrl(QUrl(address)))
        return true;
    ui.Message(QStringLiteral("Unable to launch default browser"), MessageIcon::None, kApplicationTitle);
    return false;
}

}  // namespace pellimore
