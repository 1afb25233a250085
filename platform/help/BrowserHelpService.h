#pragma once

#include <QString>
#include <QUrl>

#include <optional>

#include "platform/help/HelpService.h"

namespace pellimore {

class ShellFolders;

// The program's help as HTML pages in a "help" folder, shown by the desktop's
// web browser. A request names a help file (for example
// "<program folder>/WP.chm"); its pages lie in the "help" folder beside it,
// or in the program folder's "help" folder when the name has no folder.
// Within that folder:
// - a topic in the name ("WP.chm::/ss-setup.htm>Size") opens that page
//   (".htm" also finds ".html"); the ">window" part is ignored;
// - context 0 and an empty keyword open the contents page, index.html;
// - context N (above 0) opens context-N.html, or index.html#context-N
//   without it;
// - a keyword opens <slug>.html, or index.html#<slug> without it, where the
//   slug is the keyword in lower case with every run of other characters
//   than letters and digits made one "-" ("Combine Pictures" ->
//   combine-pictures).
// A request whose page does not exist opens nothing and returns false.
class BrowserHelpService final : public HelpService {
public:
    explicit BrowserHelpService(const ShellFolders &shell);

    bool ShowContext(const QString &helpFile, int context) override;
    bool ShowKeyword(const QString &helpFile, const QString &keyword) override;

    // The page a request would open, or nothing when there is no such page.
    std::optional<QUrl> PageForContext(const QString &helpFile, int context) const;
    std::optional<QUrl> PageForKeyword(const QString &helpFile, const QString &keyword) const;

    static QString Slug(const QString &keyword);

private:
    struct Target {
        QString folder;   // the help folder
        QString topic;    // a page named in the help file's name, or empty
    };
    Target Resolve(const QString &helpFile) const;
    static std::optional<QUrl> PageOrAnchor(const Target &target, const QString &page, const QString &anchor);

    const ShellFolders &shell_;
};

}  // namespace pellimore
