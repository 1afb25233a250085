// The folder scans, the selection, the empty-folder warnings and the first-run
// copy of the real samples, on real folders under the test's home.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QRegularExpression>

#include "tests/wallpaper/changer/PictureLibraryFixture.h"
#include "wallpaper/changer/FolderFiles.h"
#include "wallpaper/changer/PictureData.h"

using namespace pellimore;
using namespace pellimore::test;

namespace {

QByteArray ReadBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QString kEmptyPicturesTail = QStringLiteral(
    " folder!\n\nPlease use the Add button to add pictures to be used as your desktop wallpaper (.jpg, .gif, .pgn, "
    ".bmp).");

}  // namespace

TEST_F(PictureLibraryTest, ScanListsPicturesByTheirLastThreeCharacters)
{
    MakeAll({"a.JPG", "b.jpeg", "c.png", "Wallpaper Pellimore.bmp", "notes.txt"});
    library.ScanPictureFolder();
    EXPECT_EQ(library.PictureNames(), QStringList({"a.JPG", "c.png"}));
    EXPECT_EQ(library.PictureCount(), 2);
    EXPECT_EQ(listener.log, QStringList({"reset"}));
}

TEST_F(PictureLibraryTest, ScanOrderIsByteOrderAndSkipsWhatCannotBeListed)
{
    MakeAll({"b.gif", "B.bmp", "a.png", "xjpg", "wallpaper pellimore.bmp", ".hidden.jpg", "\xc3\xa9t\xc3\xa9.jpg",
             "say \"cheese\".jpg", "line\nbreak.jpg", "comma, too.jpg"});
    QDir().mkpath(folder + "/folder.jpg");   // a folder is no picture
    QFile::link(folder + "/a.png", folder + "/link.png");
    QFile::link(folder + "/folder.jpg", folder + "/dirlink.jpg");

    library.ScanPictureFolder();
    // Only the exact rendered-wallpaper name is skipped; names with a quote or
    // a line break cannot be stored in the library file.
    EXPECT_EQ(library.PictureNames(), QStringList({"B.bmp", "a.png", "b.gif", "comma, too.jpg", "link.png",
                                                   "wallpaper pellimore.bmp", "xjpg", "\u00e9t\u00e9.jpg"}));
}

TEST_F(PictureLibraryTest, AnEmptyFolderEmptiesTheListAndWarnsUnlessLoading)
{
    MakeAll({"a.jpg", "b.jpg"});
    library.ScanPictureFolder();
    library.SelectListItem("b.jpg");
    QFile::remove(folder + "/a.jpg");
    QFile::remove(folder + "/b.jpg");

    state.Loading = true;
    library.ScanPictureFolder();   // silent while loading
    EXPECT_EQ(library.PictureCount(), 0);
    EXPECT_TRUE(library.PictureNames().isEmpty());
    EXPECT_EQ(state.SelectedIndex, -1);

    state.Loading = false;
    ui.ExpectMessage("There are no pictures in the " + folder + kEmptyPicturesTail, "WallPaper Pellimore",
                     MessageResult::Ok)
        .WithIcon(MessageIcon::Exclamation)
        .WithButtons(MessageButtons::Ok);
    library.ScanPictureFolder();

    QDir(folder).removeRecursively();   // a folder that is gone is just as empty
    ui.ExpectMessageContaining(kEmptyPicturesTail, MessageResult::Ok);
    library.ScanPictureFolder();
    EXPECT_TRUE(ui.VerifyAllUsed());
}

TEST_F(PictureLibraryTest, RescanKeepsTheSelectedNameSelected)
{
    MakeAll({"b.jpg", "c.jpg"});
    library.ScanPictureFolder();
    ASSERT_TRUE(library.SelectListItem("c.jpg"));
    EXPECT_EQ(state.SelectedIndex, 1);
    Make("a.jpg");
    library.RefreshPictureList();
    EXPECT_EQ(state.SelectedIndex, 2);
    QFile::remove(folder + "/c.jpg");
    library.RefreshPictureList();
    EXPECT_EQ(state.SelectedIndex, -1);
}

TEST_F(PictureLibraryTest, SelectListItemMatchesNamesExactly)
{
    MakeAll({"Sunset.jpg", "sunset.JPG"});
    library.ScanPictureFolder();
    listener.log.clear();
    EXPECT_TRUE(library.SelectListItem("sunset.JPG"));
    EXPECT_EQ(state.SelectedIndex, 1);
    EXPECT_FALSE(library.SelectListItem("SUNSET.JPG"));
    EXPECT_FALSE(library.SelectListItem("Sunset"));
    EXPECT_EQ(state.SelectedIndex, 1);   // no match selects nothing new
    EXPECT_EQ(listener.log, QStringList({"show 1"}));
}

TEST_F(PictureLibraryTest, BackgroundsAcceptJpgGifAndBmpOnly)
{
    MakeAll({"backgrounds/tile.BMP", "backgrounds/stripes.gif", "backgrounds/photo.jpg", "backgrounds/alpha.png",
             "backgrounds/Wallpaper Pellimore.bmp", "backgrounds/readme.txt"});
    library.ScanBackgrounds();
    EXPECT_EQ(library.BackgroundNames(),
              QStringList({"Wallpaper Pellimore.bmp", "photo.jpg", "stripes.gif", "tile.BMP"}));
    EXPECT_EQ(library.BackgroundCount(), 4);
    // The documents folder's backgrounds folder is made when missing.
    EXPECT_TRUE(QFileInfo(home + "/Documents/Wallpaper Pellimore/backgrounds").isDir());
    EXPECT_TRUE(library.SelectBackgroundItem("stripes.gif"));
    EXPECT_FALSE(library.SelectBackgroundItem("alpha.png"));
    EXPECT_EQ(listener.log, QStringList({"backgrounds reset", "show background 2"}));
}

TEST_F(PictureLibraryTest, NoBackgroundsWarns)
{
    ui.ExpectMessage(
          "There are no pictures in the backgrounds folder!\n\nPlease use the Add button to add background tiles or "
          "pictures.",
          "WallPaper Pellimore", MessageResult::Ok)
        .WithIcon(MessageIcon::Exclamation);
    library.ScanBackgrounds();
    EXPECT_EQ(library.BackgroundCount(), 0);
}

TEST_F(PictureLibraryTest, FirstRunCopiesTheSamplesIntoTheDocumentsFolder)
{
    state.Loading = true;
    ASSERT_TRUE(library.FirstRunSetup());
    state.Loading = false;

    const QString target = home + "/Documents/Wallpaper Pellimore";
    const QString samples = SourcePath("assets/Samples");
    EXPECT_EQ(state.PictureFolder, target);
    EXPECT_EQ(store.GetSetting("Corvane", "Wallpaper", "Folder"), target);
    EXPECT_EQ(store.GetSetting("Corvane", "ScreenSaver", "MyDocs"), home + "/Documents/");

    // Every sample picture, their library file and the background tiles.
    const QStringList samplePictures = ListFolderFiles(samples).filter(QRegularExpression("\\.(jpg|png|gif|bmp)$"));
    ASSERT_GE(samplePictures.size(), 8);
    EXPECT_EQ(library.PictureNames(), samplePictures);
    for (const QString &name : samplePictures)
        EXPECT_EQ(Read(target + "/" + name), Read(samples + "/" + name)) << name.toStdString();
    EXPECT_EQ(Read(target + "/wallpaper.dat"), Read(samples + "/wallpaper.dat"));
    const QStringList tiles = ListFolderFiles(samples + "/backgrounds");
    ASSERT_GE(tiles.size(), 3);
    EXPECT_EQ(ListFolderFiles(target + "/backgrounds"), tiles);

    // The samples' library file reads without a repair: no rewrite, and the
    // current picture is the one the file gives order 1.
    state.CurrentOrder = 1;
    const QByteArray before = Read(target + "/wallpaper.dat");
    library.ReadPictureData();
    EXPECT_EQ(Read(target + "/wallpaper.dat"), before);
    EXPECT_TRUE(IsPlayOrder());
    EXPECT_GT(state.CurrentIndex, 0);
}

TEST_F(PictureLibraryTest, FirstRunNeverReplacesTheUsersFiles)
{
    const QString target = home + "/Documents/Wallpaper Pellimore";
    QDir().mkpath(target);
    const QString first = ListFolderFiles(SourcePath("assets/Samples")).first();
    for (const QString &name : {first, QStringLiteral("wallpaper.dat"), QStringLiteral("mine.jpg")}) {
        QFile file(target + "/" + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("the user's own");
    }
    state.Loading = true;
    ASSERT_TRUE(library.FirstRunSetup());
    EXPECT_EQ(Read(target + "/" + first), "the user's own");
    EXPECT_EQ(Read(target + "/wallpaper.dat"), "the user's own");
    EXPECT_TRUE(library.PictureNames().contains("mine.jpg"));
    EXPECT_TRUE(QFileInfo(target + "/backgrounds").isDir());
}

TEST_F(PictureLibraryTest, FirstRunWithoutAWritableDocumentsFolderStaysOnTheSamples)
{
    QFile blocker(home + "/blocked");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));   // a file where a folder would have to be
    blocker.close();
    state.MyDocsPath = home + "/blocked/";
    state.Loading = true;
    EXPECT_FALSE(library.FirstRunSetup());
    EXPECT_EQ(state.PictureFolder, SourcePath("assets/Samples"));
    EXPECT_GE(library.PictureCount(), 8);
    EXPECT_TRUE(store.GetSetting("Corvane", "Wallpaper", "Folder").isNull());
}

TEST(Samples, AreRealPicturesOfEveryKindAndSize)
{
    const QString samples = SourcePath("assets/Samples");
    int smaller = 0, larger = 0, desktopSized = 0, animated = 0, transparentGif = 0;
    QStringList formats;
    for (const QString &name : ListFolderFiles(samples)) {
        if (name == "wallpaper.dat")
            continue;
        QImageReader reader(samples + "/" + name);
        const QByteArray format = reader.format();
        const int frames = reader.imageCount();
        const QImage image = reader.read();
        ASSERT_FALSE(image.isNull()) << name.toStdString() << ": " << reader.errorString().toStdString();
        formats << QString::fromLatin1(format);
        const QSize size = image.size();
        if (size == QSize(1024, 768))
            ++desktopSized;
        else if (size.width() < 1024 && size.height() < 768)
            ++smaller;
        else if (size.width() > 1024 || size.height() > 768)
            ++larger;
        if (format == "gif" && frames > 1)
            ++animated;
        if (format == "gif" && image.hasAlphaChannel())
            ++transparentGif;
    }
    EXPECT_EQ(desktopSized, 1);
    EXPECT_GE(smaller, 2);
    EXPECT_GE(larger, 2);
    EXPECT_EQ(animated, 1);
    EXPECT_GE(transparentGif, 1);
    for (const char *format : {"jpeg", "png", "gif", "bmp"})
        EXPECT_TRUE(formats.contains(format)) << format;

    // Its library file lists every sample picture once, in list order, with a
    // play order 1 to n.
    const PictureDataContents data = ParsePictureData(ReadBytes(samples + "/wallpaper.dat"));
    EXPECT_EQ(data.damagedLines, 0);
    QStringList names;
    std::vector<int> orders;
    for (const PictureRecord &record : data.records) {
        names << record.FileName;
        orders.push_back(record.Order);
    }
    EXPECT_EQ(names, ListFolderFiles(samples).filter(QRegularExpression("\\.(jpg|png|gif|bmp)$")));
    std::sort(orders.begin(), orders.end());
    for (size_t i = 0; i < orders.size(); ++i)
        EXPECT_EQ(orders[i], int(i) + 1);

    // Background tiles under 400 x 400 and larger textures.
    int tiles = 0, textures = 0;
    for (const QString &name : ListFolderFiles(samples + "/backgrounds")) {
        const QSize size = QImageReader(samples + "/backgrounds/" + name).size();
        ASSERT_TRUE(size.isValid()) << name.toStdString();
        (size.width() < 400 && size.height() < 400 ? tiles : textures)++;
    }
    EXPECT_GE(tiles, 2);
    EXPECT_GE(textures, 2);
}
