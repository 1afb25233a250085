#include "platform/help/viewer/ViewerHelpService.h"

#include "platform/help/viewer/HelpViewerWindow.h"
#include "platform/shell/ShellFolders.h"

namespace pellimore {

namespace {

const QString kWindowType = QStringLiteral("Size");

// "WP.HLP" names the same manual as "WP.chm".
QString CompiledName(const QString &helpFile)
{
    if (helpFile.endsWith(QStringLiteral(".hlp"), Qt::CaseInsensitive))
        return helpFile.left(helpFile.size() - 3) + QStringLiteral("chm");
    return helpFile;
}

}  // namespace

ViewerHelpService::ViewerHelpService(Ui &ui, const ShellFolders &shell) : ui_(ui), shell_(shell) {}

ViewerHelpService::~ViewerHelpService() = default;

HTMLHelp &ViewerHelpService::Help(const QString &helpFile)
{
    if (!viewer_)
        viewer_ = std::make_unique<HelpViewerWindow>();
    if (!help_)
        help_ = std::make_unique<HTMLHelp>(ui_, *viewer_, shell_.ProgramFolder());
    help_->CHMFile = CompiledName(helpFile);
    help_->HHWindow = kWindowType;
    return *help_;
}

bool ViewerHelpService::ShowContext(const QString &helpFile, int context)
{
    HTMLHelp &help = Help(helpFile);
    if (context == 0)
        return help.HHDisplayContents(nullptr);
    help.HHTopicID = context;
    return help.HHDisplayTopicID(nullptr);
}

bool ViewerHelpService::ShowKeyword(const QString &helpFile, const QString &keyword)
{
    HTMLHelp &help = Help(helpFile);
    help.HHKeyword = keyword;
    return help.HHDisplayKeyword(nullptr);
}

bool ViewerHelpService::ShowContents(const QString &helpFile) { return Help(helpFile).HHDisplayContents(nullptr); }

bool ViewerHelpService::ShowTopic(const QString &helpFile, const QString &topic)
{
    HTMLHelp &help = Help(helpFile);
    help.HHTopicURL = topic;
    return help.HHDisplayTopicURL(nullptr);
}

void ViewerHelpService::Close()
{
    if (help_)
        help_->HHClose();
    help_.reset();
}

}  // namespace pellimore
