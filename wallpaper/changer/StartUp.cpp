#include "wallpaper/changer/StartUp.h"

#include "platform/Platform.h"
#include "platform/clock/Clock.h"
#include "platform/help/HelpService.h"
#include "platform/instance/InstanceChannel.h"
#include "platform/shell/ShellFolders.h"
#include "platform/ui/Ui.h"
#include "wallpaper/changer/ChangerState.h"
#include "wallpaper/changer/PathHelpers.h"
#include "wallpaper/changer/Settings.h"
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

StartUp::StartUp(ChangerState &state, const Platform &platform, InstanceChannel &instance, QString programPath)
    : state_(state), platform_(platform), instance_(instance), programPath_(std::move(programPath))
{
}

bool StartUp::ClaimFirstInstance()
{
    if (instance_.ClaimFirstInstance())
        return true;
    RunSecondInstancePath(platform_, instance_);
    return false;
}

void StartUp::Begin(const QStringList &arguments, ColorRef desktopColor)
{
    state_.AutoRunStart = IsAutoRunCommandLine(arguments);
    platform_.random.Seed(uint32_t(platform_.clock.TimeOfDay().msecsSinceStartOfDay() / 1000));
    state_.Loading = true;
    state_.DesktopColor = desktopColor;
    state_.MyDocsPath = AddTrailingBackslash(SpecialFolderPath(kDocumentsFolder, platform_.shell));
}

bool StartUp::ReadSettings()
{
    const LoadSettingsOutcome outcome =
        LoadSettings(state_, platform_.store, platform_.clock, platform_.shell.ProgramFolder());
    if (outcome.createStartupShortcut)
        AddStartupShortcut(state_, platform_.ui, platform_.shell, programPath_);
    return outcome.runFirstRunFolderSetup;
}

void StartUp::FinishLoading()
{
    state_.Loading = false;
}

}  // namespace pellimore
