#include "wallpaper/changer/ScreenSaverSetup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSaveFile>
#include <QStandardPaths>

#include <unistd.h>

#include "platform/Platform.h"
#include "platform/ProgramNames.h"
#include "platform/desktop/ProcessRunner.h"
#include "platform/help/HelpService.h"
#include "platform/shell/InstallLayout.h"
#include "platform/shell/PathHelpers.h"
#include "platform/shell/ShellFolders.h"
#include "platform/ui/Ui.h"

namespace pellimore {

namespace {

const QString kSetupTitle = QStringLiteral("Screen Saver Setup");
const QString kSaverName = QStringLiteral("Wallpaper Pellimore");
const QByteArray kPrettyName = QByteArrayLiteral("\"Wallpaper Pellimore\"");

// A running process of ours whose name (as /proc shows it, 15 characters at
// most) is `name`.
bool OwnProcessRuns(const QByteArray &name)
{
    const QString uid = QString::number(::getuid());
    const QDir proc(QStringLiteral("/proc"));
    for (const QString &pid : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (!pid.at(0).isDigit())
            continue;
        QFile comm(proc.filePath(pid + QStringLiteral("/comm")));
        if (!comm.open(QIODevice::ReadOnly) || comm.readAll().trimmed() != name.left(15))
            continue;
        if (QString::number(QFileInfo(proc.filePath(pid)).ownerId()) == uid)
            return true;
    }
    return false;
}

// One argument for sh: single-quoted unless it is plain.
QByteArray ShellWord(const QString &text)
{
    QByteArray word = QFile::encodeName(text);
    bool plain = !word.isEmpty();
    for (const char c : word)
        plain = plain && (isalnum(uchar(c)) || QByteArrayView("/._-+,:@%").contains(c));
    if (plain)
        return word;
    word.replace('\'', "'\\''");
    return '\'' + word + '\'';
}

// The value of a one-line resource ("selected:\t3") with the key and the
// blanks after it kept.
QByteArray WithValue(const QByteArray &line, const QByteArray &value)
{
    int at = line.indexOf(':') + 1;
    while (at < line.size() && (line.at(at) == ' ' || line.at(at) == '\t'))
        ++at;
    return line.left(at) + value;
}

bool IsResource(const QByteArray &line, const char *key) { return line.startsWith(key); }

// The entries of the program list in lines [first, last], in order.
QList<QByteArray> ProgramEntries(const QList<QByteArray> &lines, qsizetype first, qsizetype last)
{
    QByteArray value;
    for (qsizetype i = first; i <= last; ++i) {
        QByteArray line = lines.at(i);
        if (line.endsWith('\\'))
            line.chop(1);
        value += line;
    }
    value = value.mid(value.indexOf(':') + 1);
    QList<QByteArray> entries;
    qsizetype from = 0;
    while (from <= value.size()) {
        qsizetype end = value.indexOf("\\n", from);
        if (end < 0)
            end = value.size();
        const QByteArray entry = value.mid(from, end - from).trimmed();
        if (!entry.isEmpty())
            entries.append(entry);
        from = end + 2;
    }
    return entries;
}

// The entry names our saver: its pretty name after an optional "-" and a
// visual ("GL:").
bool IsOurEntry(QByteArray entry)
{
    if (entry.startsWith('-'))
        entry = entry.mid(1).trimmed();
    const qsizetype quote = entry.indexOf('"');
    return quote >= 0 && entry.mid(quote).startsWith(kPrettyName) && !entry.left(quote).contains(' ');
}

void Launch(ProcessRunner &runner, const QStringList &command)
{
    runner.Launch(command.first(), command.mid(1));
}

// The settings command of a desktop whose lock screen runs no savers.
QStringList DesktopSettingsCommand(const QString &desktop)
{
    if (desktop == QLatin1String("GNOME") || desktop == QLatin1String("UBUNTU") || desktop == QLatin1String("BUDGIE"))
        return {QStringLiteral("gnome-control-center"), QStringLiteral("privacy")};
    if (desktop == QLatin1String("KDE"))
        return {QStringLiteral("systemsettings"), QStringLiteral("kcm_screenlocker")};
    if (desktop == QLatin1String("X-CINNAMON") || desktop == QLatin1String("CINNAMON"))
        return {QStringLiteral("cinnamon-settings"), QStringLiteral("screensaver")};
    if (desktop == QLatin1String("XFCE"))
        return {QStringLiteral("xfce4-power-manager-settings")};
    return {};
}

bool SelectInXScreenSaver(const Platform &platform, ProcessRunner &runner, const QString &saverPath)
{
    const QString path = QDir::homePath() + QStringLiteral("/.xscreensaver");
    QByteArray before;
    QFile current(path);
    if (current.open(QIODevice::ReadOnly))
        before = current.readAll();
    current.close();
    const QByteArray after = SelectInXScreenSaverFile(before, saverPath);
    if (after != before) {
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(after) != after.size() || !file.commit()) {
            platform.ui.Message(QStringLiteral("Wallpaper Pellimore could not be made the screen saver: %1 cannot be "
                                               "written.")
                                    .arg(path),
                                MessageIcon::Exclamation, kSetupTitle);
            return false;
        }
    }
    // The daemon reads the file again when it changes.
    if (runner.Exists(QStringLiteral("xscreensaver-settings")))
        Launch(runner, {QStringLiteral("xscreensaver-settings")});
    else
        Launch(runner, {QStringLiteral("xscreensaver-demo")});
    return true;
}

bool SelectInMate(const Platform &platform, ProcessRunner &runner)
{
    // MATE finds savers by their theme file, which the package installs.
    if (QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                               QStringLiteral("applications/screensavers/wallpaper-pellimore.desktop"))
            .isEmpty()) {
        platform.ui.Message(QStringLiteral("The MATE screen saver cannot show Wallpaper Pellimore: its theme "
                                           "\"wallpaper-pellimore.desktop\" is not installed in "
                                           "applications/screensavers of the system's data folders.\n\n"
                                           "Install Wallpaper Pellimore from its package to add it."),
                            MessageIcon::Exclamation, kSetupTitle);
        return false;
    }
    const QString schema = QStringLiteral("org.mate.screensaver");
    const ProcessOutcome mode =
        runner.Run(QStringLiteral("gsettings"), {QStringLiteral("set"), schema, QStringLiteral("mode"), QStringLiteral("single")});
    const ProcessOutcome themes = runner.Run(
        QStringLiteral("gsettings"),
        {QStringLiteral("set"), schema, QStringLiteral("themes"), QStringLiteral("['screensavers-wallpaper-pellimore']")});
    if (!mode.Succeeded() || !themes.Succeeded()) {
        platform.ui.Message(QStringLiteral("Wallpaper Pellimore could not be made the MATE screen saver: %1")
                                .arg((mode.Succeeded() ? themes : mode).Describe(QStringLiteral("gsettings"))),
                            MessageIcon::Exclamation, kSetupTitle);
        return false;
    }
    Launch(runner, {QStringLiteral("mate-screensaver-preferences")});
    return true;
}

}  // namespace

SaverSession SaverSession::Detect(const ProcessRunner &runner)
{
    SaverSession session;
    session.desktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP").section(QLatin1Char(':'), 0, 0).toUpper();
    const bool xscreensaverFile = QFileInfo::exists(QDir::homePath() + QStringLiteral("/.xscreensaver"));
    if (OwnProcessRuns("xscreensaver") || (xscreensaverFile && runner.Exists(QStringLiteral("xscreensaver"))))
        session.daemon = SaverDaemon::XScreenSaver;
    else if (OwnProcessRuns("mate-screensaver") || session.desktop == QLatin1String("MATE"))
        session.daemon = SaverDaemon::Mate;
    return session;
}

QByteArray XScreenSaverEntry(const QString &saverPath)
{
    return "  " + kPrettyName + "\t" + ShellWord(saverPath) + " --root";
}

QByteArray SelectInXScreenSaverFile(const QByteArray &file, const QString &saverPath)
{
    QList<QByteArray> lines = file.split('\n');
    const bool endsWithNewline = file.isEmpty() || file.endsWith('\n');
    if (endsWithNewline)
        lines.removeLast();

    qsizetype first = -1;
    for (qsizetype i = 0; i < lines.size() && first < 0; ++i)
        if (IsResource(lines.at(i), "programs:"))
            first = i;
    if (first < 0) {
        lines.append("programs:\t\\");
        lines.append(XScreenSaverEntry(saverPath) + "\t\\n");
        first = lines.size() - 2;
    }
    qsizetype last = first;
    while (last + 1 < lines.size() && lines.at(last).endsWith('\\'))
        ++last;

    QList<QByteArray> entries = ProgramEntries(lines, first, last);
    qsizetype ours = -1;
    for (qsizetype i = 0; i < entries.size() && ours < 0; ++i)
        if (IsOurEntry(entries.at(i)))
            ours = i;
    if (ours < 0) {
        // Ours goes first in the list, on a line of its own.
        if (!lines.at(first).endsWith('\\'))
            lines[first] += lines.at(first).trimmed().endsWith(':') ? "\t\\" : "\\n\\";
        lines.insert(first + 1, XScreenSaverEntry(saverPath) + "\t\\n\\");
        if (last == first)
            lines[first + 1].chop(1);
        entries = ProgramEntries(lines, first, last + 1);
        for (qsizetype i = 0; i < entries.size() && ours < 0; ++i)
            if (IsOurEntry(entries.at(i)))
                ours = i;
    }

    bool haveMode = false;
    bool haveSelected = false;
    for (QByteArray &line : lines) {
        if (IsResource(line, "mode:")) {
            line = WithValue(line, "one");
            haveMode = true;
        } else if (IsResource(line, "selected:")) {
            line = WithValue(line, QByteArray::number(ours));
            haveSelected = true;
        }
    }
    if (!haveMode)
        lines.append("mode:\t\tone");
    if (!haveSelected)
        lines.append("selected:\t" + QByteArray::number(ours));
    QByteArray result = lines.join('\n');
    if (endsWithNewline)
        result += '\n';
    return result;
}

QString FindSaverProgram(const QString &programPath)
{
    const QString folder = QFileInfo(programPath).absolutePath();
    // Beside WallPaper, in the build tree, then where the install rules put it.
    for (const QString &candidate : {folder + QLatin1Char('/') + kSaverName,
                                     folder + QStringLiteral("/../../screensaver/") + kSaverName,
                                     InstalledSaverFrom(folder)}) {
        const QFileInfo info(candidate);
        if (info.isFile() && info.isExecutable())
            return info.canonicalFilePath();
    }
    return QStandardPaths::findExecutable(kSaverName);
}

bool SetupScreenSaver(const Platform &platform, ProcessRunner &runner, const SaverSession &session,
                      const QString &saverPath)
{
    MessageBoxRequest box;
    box.title = kSetupTitle;
    box.buttons = MessageButtons::OkCancel;
    box.helpButton = true;
    box.text = QStringLiteral("Your screen saver's settings will now open and Wallpaper Pellimore will be displayed "
                              "on the screen saver list.") +
               QStringLiteral("\n\n") +
               QStringLiteral("Run Wallpaper Pellimore's own settings and pick a folder with the pictures you would "
                              "like the screen saver to display.") +
               QStringLiteral("\n\n") +
               QStringLiteral("Click the Help button below for step-by-step instructions if you need it.");
    const QString helpFile = AddTrailingBackslash(platform.shell.ProgramFolder()) + QStringLiteral("WP.chm");
    box.onHelp = [&platform, helpFile] { platform.help.ShowTopic(helpFile, QStringLiteral("ss-setup.htm")); };
    if (platform.ui.MessageBox(box) != MessageResult::Ok)
        return false;

    if (session.daemon == SaverDaemon::None) {
        const QString desktop = session.desktop.isEmpty() ? QStringLiteral("This desktop") : session.desktop;
        const QStringList settings = DesktopSettingsCommand(session.desktop);
        QString text = QStringLiteral("%1 has no screen saver that runs other programs: it only blanks and locks the "
                                      "screen, so Wallpaper Pellimore cannot become its screen saver.\n\n"
                                      "Install XScreenSaver (or use the MATE desktop) to show your pictures as a "
                                      "screen saver.")
                           .arg(session.desktop.isEmpty() ? desktop : QStringLiteral("Your desktop (%1)").arg(desktop));
        if (!settings.isEmpty())
            text += QStringLiteral("\n\nThe desktop's own screen and lock settings will open now.");
        platform.ui.Message(text, MessageIcon::Information, kSetupTitle);
        if (!settings.isEmpty())
            Launch(runner, settings);
        return false;
    }
    if (saverPath.isEmpty()) {
        platform.ui.Message(QStringLiteral("The screen saver program \"Wallpaper Pellimore\" was not found beside "
                                           "WallPaper or on the search path."),
                            MessageIcon::Exclamation, kSetupTitle);
        return false;
    }
    if (session.daemon == SaverDaemon::XScreenSaver)
        return SelectInXScreenSaver(platform, runner, saverPath);
    return SelectInMate(platform, runner);
}

}  // namespace pellimore
