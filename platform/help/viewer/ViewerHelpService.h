#pragma once

#include <memory>

#include "platform/help/HTMLHelp.h"
#include "platform/help/HelpService.h"

namespace pellimore {

class HelpViewerWindow;
class ShellFolders;

// The program's help in our own viewer window, through HTMLHelp. Requests
// name the help file as the program does ("<program folder>/WP.chm", window
// type "Size"). The older help file name "WP.HLP" stands for the same manual:
// its context N is the keyword identifier "context-N" of the collection.
class ViewerHelpService final : public HelpService {
public:
    ViewerHelpService(Ui &ui, const ShellFolders &shell);
    ~ViewerHelpService() override;

    bool ShowContext(const QString &helpFile, int context) override;
    bool ShowKeyword(const QString &helpFile, const QString &keyword) override;
    bool ShowContents(const QString &helpFile) override;
    bool ShowTopic(const QString &helpFile, const QString &topic) override;
    void Close() override;

    // The viewer, once a request made one; null before.
    HelpViewerWindow *Viewer() const { return viewer_.get(); }

private:
    // A fresh help access for the file, as the main window makes one.
    HTMLHelp &Help(const QString &helpFile);

    Ui &ui_;
    const ShellFolders &shell_;
    std::unique_ptr<HelpViewerWindow> viewer_;
    std::unique_ptr<HTMLHelp> help_;
};

}  // namespace pellimore
