// The manual as the program opens it: HTMLHelp over our viewer window and
// the help collection the build makes beside WallPaper.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QHelpContentWidget>
#include <QHelpIndexWidget>
#include <QLineEdit>
#include <QTextBrowser>

#include "platform/help/HTMLHelp.h"
#include "platform/help/viewer/HelpViewerWindow.h"
#include "platform/help/viewer/ViewerHelpService.h"
#include "tests/support/FixedShellFolders.h"
#include "tests/support/ScriptedUi.h"

using namespace pellimore;
using namespace pellimore::test;

namespace {

const QString kTitle = QStringLiteral("HTML Help Class");

QString ProgramFolder() { return qEnvironmentVariable("PELLIMORE_BINARY_DIR") + QStringLiteral("/wallpaper/app"); }

class HelpViewerTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!QFile::exists(ProgramFolder() + QStringLiteral("/help/WP.qhc")))
            GTEST_SKIP() << "the help collection was not built (qhelpgenerator missing)";
    }

    QString Page() const { return help_.Viewer()->CurrentPage().toString(); }

    ScriptedUi ui_;
    FixedShellFolders shell_{ProgramFolder()};
    ViewerHelpService help_{ui_, shell_};
    const QString chm_ = ProgramFolder() + QStringLiteral("/WP.chm");
};

TEST_F(HelpViewerTest, KeywordsContentsContextsAndTopicsOpenTheirPages)
{
    ASSERT_TRUE(help_.ShowKeyword(chm_, QStringLiteral("quick")));
    EXPECT_TRUE(Page().endsWith(QStringLiteral("/quick.html"))) << Page().toStdString();
    EXPECT_TRUE(Page().startsWith(QStringLiteral("qthelp://")));
    EXPECT_EQ(help_.Viewer()->CurrentTitle(), QStringLiteral("Quick start"));
    EXPECT_TRUE(help_.Viewer()->isVisible());
    EXPECT_TRUE(help_.Viewer()->windowTitle().startsWith(QStringLiteral("Quick start")));
    // The page really is the manual's text, read from the collection.
    EXPECT_TRUE(help_.Viewer()->findChild<QTextBrowser *>(QStringLiteral("txtPage"))
                    ->toPlainText().contains(QStringLiteral("Your first wallpaper")));

    ASSERT_TRUE(help_.ShowKeyword(chm_, QStringLiteral("Combine Pictures")));
    EXPECT_TRUE(Page().endsWith(QStringLiteral("/combine-pictures.html"))) << Page().toStdString();
    ASSERT_TRUE(help_.ShowKeyword(chm_, QStringLiteral("Resize")));
    EXPECT_TRUE(Page().endsWith(QStringLiteral("/resize.html"))) << Page().toStdString();
    // Several keywords: the first the index knows.
    ASSERT_TRUE(help_.ShowKeyword(chm_, QStringLiteral("no such thing; Schedule")));
    EXPECT_TRUE(Page().endsWith(QStringLiteral("/schedule.html"))) << Page().toStdString();

    ASSERT_TRUE(help_.ShowContents(chm_));
    EXPECT_TRUE(Page().endsWith(QStringLiteral("/index.html"))) << Page().toStdString();
    EXPECT_EQ(help_.Viewer()->CurrentTitle(), QStringLiteral("Wallpaper Pellimore User's Manual"));
    auto *contents = help_.Viewer()->findChild<QHelpContentWidget *>(QStringLiteral("treContents"));
    ASSERT_NE(contents, nullptr);
    EXPECT_GE(contents->model()->rowCount(contents->model()->index(0, 0)), 9);
    EXPECT_EQ(contents->currentIndex().data().toString(), QStringLiteral("Wallpaper Pellimore User's Manual"));
    ASSERT_TRUE(help_.ShowKeyword(chm_, QStringLiteral("Resize")));
    EXPECT_EQ(contents->currentIndex().data().toString(), QStringLiteral("Resize"));

    // The second-instance box's help: the old help file's context 2.
    ASSERT_TRUE(help_.ShowContext(ProgramFolder() + QStringLiteral("/WP.HLP"), 2));
    EXPECT_TRUE(Page().endsWith(QStringLiteral("/tray.html#already-running"))) << Page().toStdString();
    ASSERT_TRUE(help_.ShowTopic(chm_, QStringLiteral("ss-setup.htm")));
    EXPECT_TRUE(Page().endsWith(QStringLiteral("/ss-setup.htm"))) << Page().toStdString();

    help_.Close();
    EXPECT_FALSE(help_.Viewer()->isVisible());
}

TEST_F(HelpViewerTest, TheIndexFindsAsTheUserTypes)
{
    HelpViewerWindow viewer;
    ASSERT_TRUE(viewer.OpenIndex(ProgramFolder() + QStringLiteral("/help/WP.qhc"), QStringLiteral("Size")));
    auto *index = viewer.findChild<QHelpIndexWidget *>(QStringLiteral("lstIndex"));
    ASSERT_NE(index, nullptr);
    for (int i = 0; i < 100 && index->model()->rowCount() == 0; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    viewer.findChild<QLineEdit *>(QStringLiteral("txtLookFor"))->setText(QStringLiteral("XScreen"));
    ASSERT_GE(index->model()->rowCount(), 1);
    EXPECT_EQ(index->model()->index(0, 0).data().toString(), QStringLiteral("XScreenSaver"));
    index->activateCurrentItem();
    EXPECT_TRUE(viewer.CurrentPage().toString().endsWith(QStringLiteral("/ss-setup.htm")));
}

TEST_F(HelpViewerTest, WrongOrMissingFilesAreToldAndOpenNothing)
{
    const QString missing = QDir::homePath() + QStringLiteral("/nowhere/WP.chm");
    ui_.ExpectMessage(QStringLiteral("The file %1 does not exist.\nPlease make sure the correct path and file name "
                                     "have been specified.")
                          .arg(missing),
                      kTitle, MessageResult::Ok)
        .WithIcon(MessageIcon::Exclamation);
    EXPECT_FALSE(help_.ShowContents(missing));

    // A bare name is looked up in the program folder.
    FixedShellFolders elsewhere{QDir::homePath()};
    ViewerHelpService help{ui_, elsewhere};
    ui_.ExpectMessageContaining(QStringLiteral("The file %1/WP.chm does not exist.").arg(QDir::homePath()),
                                MessageResult::Ok);
    EXPECT_FALSE(help.ShowKeyword(QStringLiteral("WP.chm"), QStringLiteral("quick")));

    ui_.ExpectMessage(QStringLiteral("%1/WP.txt is not a valid HTML Help file.").arg(ProgramFolder()), kTitle,
                      MessageResult::Ok)
        .WithIcon(MessageIcon::Exclamation);
    EXPECT_FALSE(help_.ShowContents(ProgramFolder() + QStringLiteral("/WP.txt")));
    // Any case of the extension will do.
    EXPECT_TRUE(help_.ShowContents(ProgramFolder() + QStringLiteral("/WP.CHM")));
    EXPECT_FALSE(help.Viewer()->isVisible());
}

TEST_F(HelpViewerTest, HTMLHelpOnTopNeedsACallingWindowAndFallsBackOnUnknownKeywords)
{
    HelpViewerWindow viewer;
    HTMLHelp help(ui_, viewer, ProgramFolder());
    help.CHMFile = QStringLiteral("WP.chm");
    help.HHShowOnTop = true;
    ui_.ExpectMessage(QStringLiteral("The HHDisplayKeyword method was called without a form being specified, while "
                                     "HHShowOnTop was set to True."),
                      kTitle, MessageResult::Ok);
    EXPECT_FALSE(help.HHDisplayKeyword(nullptr));
    EXPECT_FALSE(viewer.isVisible());
    EXPECT_EQ(help.HHWndHandle(), 0u);

    help.HHShowOnTop = false;
    help.HHKeyword = QStringLiteral("no such keyword");
    help.HHDefaultURL = QStringLiteral("troubleshooting.html");
    EXPECT_TRUE(help.HHDisplayKeyword(nullptr));
    EXPECT_TRUE(viewer.CurrentPage().toString().endsWith(QStringLiteral("/troubleshooting.html")));
    EXPECT_NE(help.HHWndHandle(), 0u);

    help.HHDefaultURL.clear();
    help.HHMsgTitle = QStringLiteral("Help");
    help.HHMsgText = QStringLiteral("Nothing about that.");
    ui_.ExpectMessage(QStringLiteral("Nothing about that."), QStringLiteral("Help"), MessageResult::Ok);
    EXPECT_FALSE(help.HHDisplayKeyword(nullptr));
    EXPECT_TRUE(viewer.CurrentPage().toString().endsWith(QStringLiteral("/index.html")));

    help.HHClose();
    EXPECT_FALSE(viewer.isVisible());
    EXPECT_EQ(help.HHWndHandle(), 0u);
}

}  // namespace
