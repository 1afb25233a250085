#include "platform/help/BrowserHelpService.h"

#include <QDesktopServices>
#include <QFileInfo>

#include "platform/shell/ShellFolders.h"

namespace pellimore {

namespace {

const QString kContentsPage = QStringLiteral("index.html");

std::optional<QUrl> ExistingPage(const QString &path, const QString &fragment = QString())
{
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    QUrl url = QUrl::fromLocalFile(path);
    if (!fragment.isEmpty())
        url.setFragment(fragment);
    return url;
}

}  // namespace

BrowserHelpService::BrowserHelpService(const ShellFolders &shell) : shell_(shell) {}

QString BrowserHelpService::Slug(const QString &keyword)
{
    QString slug;
    bool gap = false;
    for (const QChar c : keyword) {
        if (c.isLetterOrNumber()) {
            if (gap && !slug.isEmpty())
                slug += QLatin1Char('-');
            slug += c.toLower();
            gap = false;
        } else {
            gap = true;
        }
    }
    return slug;
}

BrowserHelpService::Target BrowserHelpService::Resolve(const QString &helpFile) const
{
    QString name = helpFile;
    Target target;
    const qsizetype window = name.lastIndexOf(QLatin1Char('>'));
    if (window >= 0)
        name.truncate(window);
    const qsizetype topic = name.indexOf(QStringLiteral("::"));
    if (topic >= 0) {
        target.topic = name.mid(topic + 2);
        while (target.topic.startsWith(QLatin1Char('/')))
            target.topic.remove(0, 1);
        name.truncate(topic);
    }
    // The help file itself need not exist; only its folder matters.
    const qsizetype slash = name.lastIndexOf(QLatin1Char('/'));
    const QString folder = slash >= 0 ? name.left(slash) : shell_.ProgramFolder();
    target.folder = folder + QStringLiteral("/help");
    return target;
}

std::optional<QUrl> BrowserHelpService::PageOrAnchor(const Target &target, const QString &page, const QString &anchor)
{
    if (!target.topic.isEmpty()) {
        // The topic's own file must lie inside the help folder.
        if (target.topic.contains(QStringLiteral("..")))
            return std::nullopt;
        const QString path = target.folder + QLatin1Char('/') + target.topic;
        if (auto url = ExistingPage(path))
            return url;
        if (path.endsWith(QStringLiteral(".htm"), Qt::CaseInsensitive))
            return ExistingPage(path + QLatin1Char('l'));
        return std::nullopt;
    }
    if (!page.isEmpty()) {
        if (auto url = ExistingPage(target.folder + QLatin1Char('/') + page))
            return url;
    }
    return ExistingPage(target.folder + QLatin1Char('/') + kContentsPage, anchor);
}

std::optional<QUrl> BrowserHelpService::PageForContext(const QString &helpFile, int context) const
{
    if (context < 0)
        return std::nullopt;
    if (context == 0)
        return PageOrAnchor(Resolve(helpFile), QString(), QString());
    const QString name = QStringLiteral("context-%1").arg(context);
    return PageOrAnchor(Resolve(helpFile), name + QStringLiteral(".html"), name);
}

std::optional<QUrl> BrowserHelpService::PageForKeyword(const QString &helpFile, const QString &keyword) const
{
    const QString slug = Slug(keyword);
    if (slug.isEmpty())
        return PageOrAnchor(Resolve(helpFile), QString(), QString());
    return PageOrAnchor(Resolve(helpFile), slug + QStringLiteral(".html"), slug);
}

bool BrowserHelpService::ShowContext(const QString &helpFile, int context)
{
    const auto page = PageForContext(helpFile, context);
    return page && QDesktopServices::openUrl(*page);
}

bool BrowserHelpService::ShowKeyword(const QString &helpFile, const QString &keyword)
{
    const auto page = PageForKeyword(helpFile, keyword);
    return page && QDesktopServices::openUrl(*page);
}

}  // namespace pellimore
