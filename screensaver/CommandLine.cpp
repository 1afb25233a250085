#include "screensaver/CommandLine.h"

#include <limits>

namespace pellimore {

QString JoinCommandLine(const QStringList &arguments) { return arguments.join(QLatin1Char(' ')); }

bool BeginsWithShow(const QString &commandLine) { return commandLine.left(2).toUpper() == QLatin1String("/S"); }

bool ParseWindowId(const QString &text, uint32_t *id)
{
    const QString trimmed = text.trimmed();
    bool ok = false;
    qulonglong value = 0;
    if (trimmed.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        value = trimmed.mid(2).toULongLong(&ok, 16);
    else
        value = trimmed.toULongLong(&ok, 10);
    if (!ok || value > std::numeric_limits<uint32_t>::max())
        return false;
    *id = uint32_t(value);
    return true;
}

uint32_t ParsePreviewHandle(const QString &rest)
{
    int i = 0;
    while (i < rest.size() && rest.at(i) == QLatin1Char(' '))
        ++i;
    int base = 10;
    if (rest.mid(i, 2).compare(QLatin1String("0x"), Qt::CaseInsensitive) == 0 && i + 2 < rest.size()
        && isxdigit(rest.at(i + 2).toLatin1())) {
        base = 16;
        i += 2;
    }
    uint64_t value = 0;
    bool any = false;
    for (; i < rest.size(); ++i) {
        const char c = rest.at(i).toLatin1();
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0)
            break;
        value = value * base + digit;
        any = true;
        if (value > std::numeric_limits<uint32_t>::max())
            return 0;  // too large for a window handle: as if there were none
    }
    return any ? uint32_t(value) : 0;
}

SaverCommand ParseCommandLine(const QStringList &arguments, const QString &xscreensaverWindow)
{
    SaverCommand command;

    // The daemons' conventions come first: xscreensaver and MATE start a saver
    // with "--root" or "-root" (and XSCREENSAVER_WINDOW naming the window to
    // draw in), or with "--window-id ID" / "-window-id ID"; other options they
    // may add are ignored.
    qsizetype windowIdAt = arguments.indexOf(QLatin1String("--window-id"));
    if (windowIdAt < 0)
        windowIdAt = arguments.indexOf(QLatin1String("-window-id"));
    if (windowIdAt >= 0) {
        command.mode = RunMode::Show;
        command.target = ShowTarget::ForeignWindow;
        if (windowIdAt + 1 >= arguments.size() || !ParseWindowId(arguments.at(windowIdAt + 1), &command.targetWindow)
            || command.targetWindow == 0)
            command.error = QStringLiteral("--window-id needs a window id (decimal or 0x hexadecimal)");
        return command;
    }
    if (arguments.contains(QLatin1String("--root")) || arguments.contains(QLatin1String("-root"))) {
        command.mode = RunMode::Show;
        command.target = ShowTarget::RootWindow;
        uint32_t id = 0;
        if (!xscreensaverWindow.isEmpty() && ParseWindowId(xscreensaverWindow, &id) && id != 0) {
            command.target = ShowTarget::ForeignWindow;
            command.targetWindow = id;
        }
        return command;
    }

    const QString line = JoinCommandLine(arguments);
    const QString head = line.left(2).toUpper();
    if (line.isEmpty() || head == QLatin1String("/C")) {
        command.mode = RunMode::Setup;
    } else if (head == QLatin1String("/S")) {
        command.mode = RunMode::Show;
    } else if (head == QLatin1String("/P")) {
        command.mode = RunMode::Preview;
        command.previewParent = ParsePreviewHandle(line.mid(2));
    } else if (head == QLatin1String("/A")) {
        command.mode = RunMode::Setup;
        command.askPassword = true;
    } else {
        command.mode = RunMode::Show;
    }
    return command;
}

}  // namespace pellimore
