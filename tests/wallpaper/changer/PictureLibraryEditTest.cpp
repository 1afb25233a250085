// Adding, removing and deleting pictures, with the dialogs and questions
// answered by the scripted ui.
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "tests/wallpaper/changer/PictureLibraryFixture.h"
#include "wallpaper/changer/PictureData.h"

using namespace pellimore;
using namespace pellimore::test;

namespace {

const QString kTitle = QStringLiteral("WallPaper Pellimore");

class PictureEditTest : public PictureLibraryTest {
protected:
    void SetUp() override
    {
        PictureLibraryTest::SetUp();
        source = home + "/source/" + testing::UnitTest::GetInstance()->current_test_info()->name();
        QDir(source).removeRecursively();
        QDir().mkpath(source);
    }
    void MakeSource(const QString &name, const QByteArray &bytes)
    {
        QFile file(source + "/" + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    void ExpectOverwrite(const QString &name, MessageResult answer)
    {
        ui.ExpectMessage(name + " already exists in the Wallpaper Pellimore folder. Overwrite?", "Same file names",
                         answer)
            .WithButtons(MessageButtons::YesNoCancel);
    }

    QString source;
};

}  // namespace

TEST_F(PictureEditTest, AddCopiesTheChosenPicturesAndSelectsTheLast)
{
    MakeAll({"a.jpg", "c.jpg"});
    Start();
    MakeSource("b.png", "bee");
    MakeSource("d.gif", "dee");
    ui.ExpectOpenFiles(source, {"b.png", "d.gif"});
    listener.log.clear();
    library.AddPictures(AddTarget::Wallpaper);

    ASSERT_EQ(ui.OpenFilesRequests().size(), 1u);
    const OpenFilesRequest &request = ui.OpenFilesRequests()[0];
    EXPECT_EQ(request.title, "Select picture(s) to add:");
    EXPECT_EQ(request.filter, "Pictures (*.jpg;*.gif;*.bmp;*.png)|*.jpg;*.gif;*.bmp;*.png");
    EXPECT_EQ(request.initialFolder, folder);   // no earlier add: the picture folder
    EXPECT_TRUE(request.multiSelect);

    EXPECT_EQ(Read(folder + "/b.png"), "bee");
    EXPECT_EQ(Read(folder + "/d.gif"), "dee");
    EXPECT_EQ(library.PictureNames(), QStringList({"a.jpg", "b.png", "c.jpg", "d.gif"}));
    EXPECT_EQ(library.Records().size(), 4u);
    EXPECT_EQ(state.SelectedIndex, 3);
    EXPECT_EQ(listener.log, QStringList({"reset", "show 3"}));
    EXPECT_EQ(library.LastAddFolder(), source);

    // The next add starts where the last one chose from.
    ui.ExpectOpenFiles(std::nullopt);
    library.AddPictures(AddTarget::Wallpaper);
    EXPECT_EQ(ui.OpenFilesRequests().back().initialFolder, source);
}

TEST_F(PictureEditTest, AddingOneToFiveGivesSixInANewOrderWithTheCurrentFollowing)
{
    MakeAll({"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"});
    WriteDataFile("\"a.jpg\",0,1,1\r\n\"b.jpg\",1,2,2\r\n\"c.jpg\",2,3,3\r\n\"d.jpg\",0,4,4\r\n\"e.jpg\",0,5,5\r\n");
    state.CurrentOrder = 4;   // d.jpg
    Start();
    MakeSource("f.jpg", "new");
    ui.ExpectOpenFiles(source, {"f.jpg"});
    library.AddPictures(AddTarget::Wallpaper);

    ASSERT_EQ(library.Records().size(), 6u);
    EXPECT_TRUE(IsPlayOrder());
    EXPECT_EQ(NameOfOrder(state.CurrentOrder), "d.jpg");
    EXPECT_EQ(state.CurrentIndex, 4);
    EXPECT_EQ(library.Records()[5], (PictureRecord{"f.jpg", 0, 0x0a0b0c, library.Records()[5].Order}));
    EXPECT_EQ(ParsePictureData(DataFile()).records, library.Records());
    EXPECT_EQ(state.SelectedIndex, 5);
}

TEST_F(PictureEditTest, CancelAtTheOverwriteQuestionEndsTheAddAtOnce)
{
    MakeAll({"a.jpg", "b.jpg"});
    Start();
    MakeSource("1st.jpg", "first");
    MakeSource("a.jpg", "other a");
    MakeSource("z.jpg", "zed");
    ui.ExpectOpenFiles(source, {"1st.jpg", "a.jpg", "z.jpg"});
    ExpectOverwrite("a.jpg", MessageResult::Cancel);
    listener.log.clear();
    library.AddPictures(AddTarget::Wallpaper);

    EXPECT_EQ(Read(folder + "/1st.jpg"), "first");   // copied before the question, and kept
    EXPECT_EQ(Read(folder + "/a.jpg"), "a.jpg");
    EXPECT_FALSE(QFile::exists(folder + "/z.jpg"));
    EXPECT_EQ(library.PictureNames(), QStringList({"a.jpg", "b.jpg"}));   // no rescan
    EXPECT_TRUE(listener.log.isEmpty());
    EXPECT_EQ(library.LastAddFolder(), folder);
}

TEST_F(PictureEditTest, YesOverwritesAndNoSkips)
{
    MakeAll({"a.jpg", "b.jpg"});
    Start();
    MakeSource("a.jpg", "new a");
    MakeSource("b.jpg", "new b");
    ui.ExpectOpenFiles(source, {"a.jpg", "b.jpg"});
    ExpectOverwrite("a.jpg", MessageResult::Yes);
    ExpectOverwrite("b.jpg", MessageResult::No);
    library.AddPictures(AddTarget::Wallpaper);
    EXPECT_EQ(Read(folder + "/a.jpg"), "new a");
    EXPECT_EQ(Read(folder + "/b.jpg"), "b.jpg");
    EXPECT_EQ(state.SelectedIndex, 1);   // the last chosen name, even though it was skipped
    EXPECT_TRUE(ui.VerifyAllUsed());
}

TEST_F(PictureEditTest, AFileFromThePictureFolderItselfIsOnlySelected)
{
    MakeAll({"a.jpg", "b.jpg"});
    Start();
    ui.ExpectOpenFiles(folder + "/.", {"b.jpg"});   // however the folder is spelt
    library.AddPictures(AddTarget::Wallpaper);
    EXPECT_EQ(Read(folder + "/b.jpg"), "b.jpg");
    EXPECT_EQ(state.SelectedIndex, 1);
    EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(PictureEditTest, PicturesThatCannotBeAddedAreNamed)
{
    MakeAll({"a.jpg"});
    Start();
    MakeSource("say \"cheese\".jpg", "quote");
    MakeSource("good.jpg", "good");
    ui.ExpectOpenFiles(source, {"missing.jpg", "say \"cheese\".jpg", "../a.jpg", "good.jpg"});
    ui.ExpectMessage("These pictures could not be added to " + folder +
                         ":\n\nmissing.jpg\nsay \"cheese\".jpg\n../a.jpg",
                     kTitle, MessageResult::Ok)
        .WithIcon(MessageIcon::Exclamation);
    library.AddPictures(AddTarget::Wallpaper);
    EXPECT_EQ(library.PictureNames(), QStringList({"a.jpg", "good.jpg"}));
    EXPECT_FALSE(QFile::exists(folder + "/say \"cheese\".jpg"));
}

TEST_F(PictureEditTest, BackgroundsAreAddedToTheBackgroundsFolder)
{
    MakeAll({"a.jpg", "backgrounds/tile.gif"});
    Start();
    library.ScanBackgrounds();
    MakeSource("tile.gif", "new tile");
    MakeSource("paper.bmp", "paper");
    ui.ExpectOpenFiles(source, {"tile.gif", "paper.bmp"});
    ExpectOverwrite("tile.gif", MessageResult::Yes);
    listener.log.clear();
    library.AddPictures(AddTarget::Backgrounds);
    EXPECT_EQ(ui.OpenFilesRequests()[0].initialFolder, folder + "/backgrounds");
    EXPECT_EQ(Read(folder + "/backgrounds/tile.gif"), "new tile");
    EXPECT_EQ(library.BackgroundNames(), QStringList({"paper.bmp", "tile.gif"}));
    EXPECT_EQ(library.PictureNames(), QStringList({"a.jpg"}));
    EXPECT_EQ(listener.log, QStringList({"backgrounds reset", "show background 0"}));
}

TEST_F(PictureEditTest, RemoveNeedsMoreThanOnePicture)
{
    MakeAll({"only.jpg"});
    Start();
    library.SelectListItem("only.jpg");
    ui.ExpectMessage("You need to have at least 1 picture in the Wallpaper Pellimore folder.\nPlease add other "
                     "pictures to this folder, then you can Remove only.jpg",
                     "Wallpaper Pellimore folder", MessageResult::Ok)
        .WithIcon(MessageIcon::Information);
    library.RemovePicture();
    EXPECT_TRUE(QFile::exists(folder + "/only.jpg"));
    EXPECT_FALSE(QFileInfo::exists(folder + "/Remove"));
}

TEST_F(PictureEditTest, RemoveNeedsASelectedPictureThatExists)
{
    MakeAll({"a.jpg", "b.jpg"});
    Start();
    const QString text =
        "Click on the name of the picture you would like to remove, then click the Remove button again.";
    ui.ExpectMessage(text, kTitle, MessageResult::Ok).WithButtons(MessageButtons::Ok);
    library.RemovePicture();   // nothing selected

    library.SelectListItem("b.jpg");
    QFile::remove(folder + "/b.jpg");
    ui.ExpectMessage(text, kTitle, MessageResult::Ok);
    library.RemovePicture();
    EXPECT_TRUE(ui.VerifyAllUsed());
}

TEST_F(PictureEditTest, RemoveMovesThePictureIntoRemove)
{
    MakeAll({"a.jpg", "b.jpg", "c.jpg", "Remove/b.jpg"});
    Make("Remove/b.jpg", "an older b");
    Start();
    library.SelectListItem("b.jpg");
    listener.log.clear();
    ui.ExpectMessage("Remove b.jpg from Wallpaper list?", kTitle, MessageResult::Yes)
        .WithButtons(MessageButtons::YesNo);
    library.RemovePicture();

    EXPECT_FALSE(QFile::exists(folder + "/b.jpg"));
    EXPECT_EQ(Read(folder + "/Remove/b.jpg"), "b.jpg");
    EXPECT_EQ(library.PictureNames(), QStringList({"a.jpg", "c.jpg"}));
    EXPECT_EQ(library.Records().size(), 2u);
    EXPECT_TRUE(IsPlayOrder());
    EXPECT_EQ(state.SelectedIndex, 0);
    EXPECT_EQ(listener.log, QStringList({"stop preview", "reset", "show 0"}));
}

TEST_F(PictureEditTest, RemoveAnsweredNoKeepsThePicture)
{
    MakeAll({"a.jpg", "b.jpg"});
    Start();
    library.SelectListItem("a.jpg");
    ui.ExpectMessage("Remove a.jpg from Wallpaper list?", kTitle, MessageResult::No);
    library.RemovePicture();
    EXPECT_TRUE(QFile::exists(folder + "/a.jpg"));
    EXPECT_TRUE(QFileInfo(folder + "/Remove").isDir());   // made before the question
    EXPECT_EQ(library.PictureCount(), 2);
}

TEST_F(PictureEditTest, APictureThatCannotBeKeptInRemoveIsNotDeleted)
{
    MakeAll({"a.jpg", "b.jpg"});
    Make("Remove", "a file where the folder should be");
    Start();
    library.SelectListItem("b.jpg");
    ui.ExpectMessage("Remove b.jpg from Wallpaper list?", kTitle, MessageResult::Yes);
    ui.ExpectMessage("Could not move b.jpg into the Remove folder. The picture stays in the list.", kTitle,
                     MessageResult::Ok)
        .WithIcon(MessageIcon::Exclamation);
    library.RemovePicture();
    EXPECT_EQ(Read(folder + "/b.jpg"), "b.jpg");
    EXPECT_EQ(library.PictureCount(), 2);
}

TEST_F(PictureEditTest, EmptyingRemoveDeletesItsFilesOnYesOnly)
{
    MakeAll({"a.jpg", "Remove/x.jpg", "Remove/.hidden", "Remove/notes.txt", "Remove/keep/inner.jpg"});
    const QString question = "Permanently delete all pictures in the Removed folder?";
    const QString title = "Empty Removed Pictures folder";
    ui.ExpectMessage(question, title, MessageResult::No).WithButtons(MessageButtons::YesNo);
    library.EmptyRemovedFolder();
    EXPECT_TRUE(QFile::exists(folder + "/Remove/x.jpg"));

    ui.ExpectMessage(question, title, MessageResult::Yes);
    library.EmptyRemovedFolder();
    EXPECT_EQ(QDir(folder + "/Remove").entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList({"keep"}));
    EXPECT_TRUE(QFile::exists(folder + "/a.jpg"));

    // With no Remove folder yet, the folder is made and nothing is said.
    QDir(folder + "/Remove").removeRecursively();
    ui.ExpectMessage(question, title, MessageResult::Yes);
    library.EmptyRemovedFolder();
    EXPECT_TRUE(QFileInfo(folder + "/Remove").isDir());
    EXPECT_TRUE(ui.VerifyAllUsed());
}
