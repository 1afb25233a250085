#include "wallpaper/changer/StartUp.h"

#include "platform/Platform.h"
#include "platform/ProgramNames.h"
#include "platform/help/HelpService.h"
#include "platform/instance/InstanceChannel.h"
#include "platform/shell/ShellFolders.h"
#include "platform/ui/Ui.h"
#include "platform/shell/PathHelpers.h"
#include "wallpaper/changer/ShellIntegration.h"

namespace pellimore {

bool IsAutoRunCommandLine(const QStringList &arguments)
{
    return arguments.join(QLatin1Char(' ')).left(2).toUpper() == QLatin1String("/C");
}

void RunSecondInstancePath(const Platform &platform, InstanceChannel &instance)
{
    const QString helpFile = AddTrailingBackslash(platform.shell.ProgramFolder()) + QStringLiteral("WP.HLP");
    MessageBoxRequest box;
    box.text = kDuplicateInstanceText;
    box.title = kDuplicateInstanceTitle;
    box.buttons = MessageButtons::Ok;
    box.helpButton = true;
    box.onHelp = [&platform, helpFile] { platform.help.ShowContext(helpFile, 2); };
    platform.ui.MessageBox(box);

    if (!instance.SendToFirstInstance(InstanceChannel::Request::Raise))
        platform.ui.Message(QStringLiteral("Couldn't find the handle"), MessageIcon::Information, kApplicationTitle);
}

}  // namespace pellimore
