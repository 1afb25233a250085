#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

#include "platform/help/BrowserHelpService.h"
#include "platform/shell/QtShellFolders.h"
#include "tests/support/QtPrinters.h"

namespace pellimore {
namespace {

// Catches what the service hands to the desktop, in place of a browser.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    UrlCatcher() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "Open"); }
    ~UrlCatcher() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    QList<QUrl> opened;

public slots:
    void Open(const QUrl &url) { opened << url; }
};

class BrowserHelpServiceTest : public testing::Test {
protected:
    void SetUp() override
    {
        QDir().mkpath(program_ + "/Samples");
        QDir().mkpath(program_ + "/help");
        for (const char *page : {"index.html", "context-2.html", "quick.html", "ss-setup.htm", "combine-pictures.html"})
            QFile(program_ + "/help/" + page).open(QIODevice::WriteOnly);
    }

    QUrl Page(const QString &name, const QString &fragment = QString()) const
    {
        QUrl url = QUrl::fromLocalFile(program_ + "/help/" + name);
        if (!fragment.isEmpty())
            url.setFragment(fragment);
        return url;
    }

    QTemporaryDir dir_;
    QString program_ = dir_.filePath("program");
    QtShellFolders shell_{dir_.filePath("unused"), program_};
    BrowserHelpService help_{shell_};
};

TEST_F(BrowserHelpServiceTest, ContextsMapToTheirPagesOrIndexAnchors)
{
    const QString chm = program_ + "/WP.chm";
    EXPECT_EQ(help_.PageForContext(program_ + "/WP.HLP", 2), Page("context-2.html"));
    EXPECT_EQ(help_.PageForContext(chm, 7), Page("index.html", "context-7"));
    EXPECT_EQ(help_.PageForContext(chm, 0), Page("index.html"));
    EXPECT_EQ(help_.PageForContext(chm, -1), std::nullopt);
    // A name without a folder is looked up in the program folder.
    EXPECT_EQ(help_.PageForContext("WP.chm", 2), Page("context-2.html"));
}

TEST_F(BrowserHelpServiceTest, KeywordsMapToTheirPagesOrIndexAnchors)
{
    const QString chm = program_ + "/WP.chm";
    EXPECT_EQ(help_.PageForKeyword(chm, "quick"), Page("quick.html"));
    EXPECT_EQ(help_.PageForKeyword(chm, "Combine Pictures"), Page("combine-pictures.html"));
    EXPECT_EQ(help_.PageForKeyword(chm, "Resize"), Page("index.html", "resize"));
    EXPECT_EQ(help_.PageForKeyword(chm, ""), Page("index.html"));
    EXPECT_EQ(BrowserHelpService::Slug("  Größe & Maße / 2 "), QString::fromUtf8("größe-maße-2"));
}

TEST_F(BrowserHelpServiceTest, TopicsInTheFileNameOpenThatPage)
{
    EXPECT_EQ(help_.PageForContext(program_ + "/WP.chm::/ss-setup.htm>Size", 0), Page("ss-setup.htm"));
    QFile::remove(program_ + "/help/ss-setup.htm");
    QFile(program_ + "/help/ss-setup.html").open(QIODevice::WriteOnly);
    EXPECT_EQ(help_.PageForContext(program_ + "/WP.chm::/ss-setup.htm>Size", 0), Page("ss-setup.html"));
    EXPECT_EQ(help_.PageForContext(program_ + "/WP.chm::/missing.htm", 0), std::nullopt);
    EXPECT_EQ(help_.PageForContext(program_ + "/WP.chm::/../Samples", 0), std::nullopt);
}

TEST_F(BrowserHelpServiceTest, OpensExistingPagesOnlyAndSaysSo)
{
    UrlCatcher catcher;
    EXPECT_TRUE(help_.ShowKeyword(program_ + "/WP.chm", "quick"));
    EXPECT_TRUE(help_.ShowContext(program_ + "/WP.HLP", 2));
    ASSERT_EQ(catcher.opened.size(), 2);
    EXPECT_EQ(catcher.opened[0], Page("quick.html"));
    EXPECT_EQ(catcher.opened[1], Page("context-2.html"));

    QFile::remove(program_ + "/help/index.html");
    EXPECT_FALSE(help_.ShowKeyword(program_ + "/WP.chm", "no such page"));
    EXPECT_FALSE(help_.ShowContext(dir_.filePath("elsewhere/WP.chm"), 2));
    EXPECT_EQ(catcher.opened.size(), 2);
}

}  // namespace
}  // namespace pellimore

#include "BrowserHelpServiceTest.moc"
