// "wallpaper.dat": its format, reading, repair, the merge with a new scan,
// the shuffled play order, and what a crash or a full disk while writing it
// leaves behind.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <csignal>
#include <cstdlib>
#include <sys/resource.h>

#include "tests/wallpaper/changer/PictureLibraryFixture.h"
#include "wallpaper/changer/PictureData.h"

using namespace pellimore;
using namespace pellimore::test;

namespace {

// A generator that is stuck on one value.
class ConstantRandom final : public Random {
public:
    void Seed(uint32_t) override {}
    float Next() override { return 0.0f; }
};

}  // namespace

TEST(PictureDataFormat, IsAQuotedNameAndThreeNumbersPerLine)
{
    const std::vector<PictureRecord> records = {
        {"sunset.jpg", 1, 16777215, 4},
        {"comma, and spaces.png", 2, 0, 1},
        {"\u00e9t\u00e9.gif", 0, 0x80000005u, 40000},
    };
    const QByteArray bytes = FormatPictureData(records);
    EXPECT_EQ(bytes, QByteArray("\"sunset.jpg\",1,16777215,4\r\n"
                                "\"comma, and spaces.png\",2,0,1\r\n"
                                "\"\xc3\xa9t\xc3\xa9.gif\",0,2147483653,40000\r\n"));
    const PictureDataContents read = ParsePictureData(bytes);
    EXPECT_EQ(read.records, records);
    EXPECT_EQ(read.damagedLines, 0);
}

TEST(PictureDataFormat, ReadsLenientlyAndCountsDamagedLines)
{
    const PictureDataContents read = ParsePictureData(
        "\"a.jpg\" , 1 , 255 , 2\n"          // blanks around fields, LF only
        "\r\n"                               // a blank line is not damage
        "b.jpg,0,-2147483643,1\r\n"          // a bare name; a colour written as a signed number
        "\"c.jpg\",1,255\r\n"                // a field missing
        "\"d.jpg\",one,255,3\r\n"            // not a number
        "\"e.jpg\",0,255,3,9\r\n"            // a field too many
        "\"f.jpg\",5,255,3\r\n"              // no such style
        "\"g.jpg,0,255,3\r\n"                // the quote is not closed
        "\"h.jpg\"x,0,255,3\r\n"             // text after the closing quote
        "\"\",0,255,3\r\n"                   // no name
        "\"i.jpg\",0,99999999999,3\r\n"      // a colour out of range
        "\"j.jpg\",2,0,7");                  // the last line may lack its line end
    ASSERT_EQ(read.records.size(), 3u);
    EXPECT_EQ(read.records[0], (PictureRecord{"a.jpg", 1, 255, 2}));
    EXPECT_EQ(read.records[1], (PictureRecord{"b.jpg", 0, 0x80000005u, 1}));
    EXPECT_EQ(read.records[2], (PictureRecord{"j.jpg", 2, 0, 7}));
    EXPECT_EQ(read.damagedLines, 8);
}

TEST(PictureDataFormat, StorableNamesHaveNoQuoteOrControlCharacter)
{
    EXPECT_TRUE(IsStorableFileName("comma, and spaces.jpg"));
    EXPECT_TRUE(IsStorableFileName("\u00e9t\u00e9.jpg"));
    EXPECT_FALSE(IsStorableFileName("say \"cheese\".jpg"));
    EXPECT_FALSE(IsStorableFileName("line\nbreak.jpg"));
    EXPECT_FALSE(IsStorableFileName("cr\r.jpg"));
    EXPECT_FALSE(IsStorableFileName(QString("nul") + QChar(0) + ".jpg"));
}

TEST_F(PictureLibraryTest, AGoodFileIsReadAsItIs)
{
    MakeAll({"a.jpg", "b.png", "c.gif"});
    const QByteArray file = "\"a.jpg\",1,255,2\r\n\"b.png\",2,65280,3\r\n\"c.gif\",0,16711680,1\r\n";
    WriteDataFile(file);
    state.CurrentOrder = 3;
    Start();
    EXPECT_EQ(library.Records(), (std::vector<PictureRecord>{
                                     {"a.jpg", 1, 255, 2}, {"b.png", 2, 65280, 3}, {"c.gif", 0, 16711680, 1}}));
    EXPECT_EQ(DataFile(), file);   // nothing to repair, nothing written
    EXPECT_EQ(state.CurrentOrder, 3);
    EXPECT_EQ(state.CurrentIndex, 2);
    EXPECT_EQ(random.Calls(), 0);
}

TEST_F(PictureLibraryTest, ADeletedFileIsRebuiltWithDefaultsAndAFreshOrder)
{
    MakeAll({"a.jpg", "b.jpg", "c.jpg"});
    WriteDataFile("\"a.jpg\",1,255,1\r\n\"b.jpg\",2,255,2\r\n\"c.jpg\",1,255,3\r\n");
    Start();
    QFile::remove(folder + "/wallpaper.dat");

    // The next start: the current picture is set, yet the order is new.
    PictureLibrary restarted(state, platform);
    state.CurrentOrder = 2;
    random.Queue({0.9f, 0.1f, 0.5f});   // draws 3, 1, 2
    state.Loading = true;
    restarted.ScanPictureFolder();
    restarted.ReadPictureData();
    EXPECT_EQ(restarted.Records(), (std::vector<PictureRecord>{
                                       {"a.jpg", 0, 0x203040, 3}, {"b.jpg", 0, 0x203040, 1}, {"c.jpg", 0, 0x203040, 2}}));
    EXPECT_EQ(DataFile(), "\"a.jpg\",0,2109504,3\r\n\"b.jpg\",0,2109504,1\r\n\"c.jpg\",0,2109504,2\r\n");
    EXPECT_EQ(state.CurrentIndex, 3);
}

TEST_F(PictureLibraryTest, WriteDefaultPictureDataNumbersTheNamesInListOrder)
{
    MakeAll({"b.jpg", "a.jpg"});
    library.ScanPictureFolder();
    ASSERT_TRUE(library.WriteDefaultPictureData());
    EXPECT_EQ(DataFile(), "\"a.jpg\",0,2109504,1\r\n\"b.jpg\",0,2109504,2\r\n");
}

TEST_F(PictureLibraryTest, AStartWithNoCurrentPictureShuffles)
{
    MakeAll({"a.jpg", "b.jpg"});
    WriteDataFile("\"a.jpg\",1,255,1\r\n\"b.jpg\",2,255,2\r\n");
    state.CurrentOrder = 0;
    random.Queue({0.6f, 0.2f});   // 2, 1
    Start();
    EXPECT_EQ(Orders(), (std::vector<int>{2, 1}));
    EXPECT_EQ(DataFile(), "\"a.jpg\",1,255,2\r\n\"b.jpg\",2,255,1\r\n");
}

TEST_F(PictureLibraryTest, ANewPictureJoinsANewOrderAndTheCurrentOneFollows)
{
    MakeAll({"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"});
    WriteDataFile("\"a.jpg\",1,1,5\r\n\"b.jpg\",2,2,4\r\n\"c.jpg\",1,3,3\r\n\"d.jpg\",0,4,2\r\n\"e.jpg\",2,5,1\r\n");
    state.CurrentOrder = 4;   // b.jpg
    Start();
    ASSERT_EQ(NameOfOrder(4), "b.jpg");

    for (int round = 0; round < 5; ++round) {   // several random orders, each must keep the rules
        Make(QStringLiteral("new%1.jpg").arg(round));
        library.RefreshPictureList();
        const int count = 6 + round;
        ASSERT_EQ(library.PictureCount(), count);
        ASSERT_EQ(int(library.Records().size()), count);
        EXPECT_TRUE(IsPlayOrder());
        EXPECT_EQ(NameOfOrder(state.CurrentOrder), "b.jpg");
        EXPECT_EQ(state.CurrentIndex, 2);
        // Old pictures keep style and colour; new ones get the defaults.
        EXPECT_EQ(library.Records()[1].Style, 2);
        EXPECT_EQ(library.Records()[1].BackColor, 2u);
        EXPECT_EQ(library.Records().back().Style, 0);
        EXPECT_EQ(library.Records().back().BackColor, 0x0a0b0cu);
        // The file holds the same records.
        EXPECT_EQ(ParsePictureData(DataFile()).records, library.Records());
    }
}

TEST_F(PictureLibraryTest, AVanishedPictureIsDroppedAndTheOrderRenewed)
{
    MakeAll({"a.jpg", "b.jpg", "c.jpg"});
    WriteDataFile("\"a.jpg\",1,1,3\r\n\"b.jpg\",2,2,1\r\n\"c.jpg\",1,3,2\r\n");
    state.CurrentOrder = 1;   // b.jpg, which goes
    Start();
    QFile::remove(folder + "/b.jpg");
    library.RefreshPictureList();
    EXPECT_EQ(library.Records().size(), 2u);
    EXPECT_TRUE(IsPlayOrder());
    EXPECT_EQ(state.CurrentOrder, 1);   // the number stays; the picture is gone
    EXPECT_EQ(ParsePictureData(DataFile()).records, library.Records());
}

TEST_F(PictureLibraryTest, AFolderEmptyForAWhileKeepsItsLibraryFile)
{
    MakeAll({"a.jpg", "b.jpg"});
    WriteDataFile("\"a.jpg\",1,255,1\r\n\"b.jpg\",2,255,2\r\n");
    state.CurrentOrder = 1;
    Start();
    QDir().rename(folder + "/a.jpg", home + "/a.jpg");
    QDir().rename(folder + "/b.jpg", home + "/b.jpg");
    state.Loading = true;
    library.RefreshPictureList();
    EXPECT_EQ(library.PictureCount(), 0);
    EXPECT_TRUE(library.WritePictureData());   // as at shut-down
    EXPECT_EQ(DataFile(), "\"a.jpg\",1,255,1\r\n\"b.jpg\",2,255,2\r\n");

    // The pictures come back with their styles.
    QDir().rename(home + "/a.jpg", folder + "/a.jpg");
    QDir().rename(home + "/b.jpg", folder + "/b.jpg");
    PictureLibrary restarted(state, platform);
    restarted.ScanPictureFolder();
    restarted.ReadPictureData();
    EXPECT_EQ(restarted.Records()[1], (PictureRecord{"b.jpg", 2, 255, 2}));
}

TEST_F(PictureLibraryTest, AnUnchangedFolderWritesNothing)
{
    MakeAll({"a.jpg", "b.jpg"});
    WriteDataFile("\"a.jpg\",1,255,1\r\n\"b.jpg\",2,255,2\r\n");
    state.CurrentOrder = 1;
    Start();
    WriteDataFile("changed behind the program's back");
    library.MergePictureRecords();
    library.RefreshPictureList();
    EXPECT_EQ(DataFile(), "changed behind the program's back");
}

TEST_F(PictureLibraryTest, ADamagedFileIsRepairedKeepingItsReadableLines)
{
    MakeAll({"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"});
    WriteDataFile("\"a.jpg\",1,255,3\r\n"
                  "\"b.jpg\",2,25\r\n"           // truncated
                  "\"c.jpg\",two,255,1\r\n"      // not numeric
                  "\"d.jpg\",1,255,2,7,7\r\n"    // extra fields
                  "\"e.jpg\",2,65280,4\r\n"
                  "\"e.jpg\",0,0,5\r\n"          // a second record of a name: the first counts
                  "\"gone.jpg\",0,0,6\r\n");     // a picture no longer there
    state.CurrentOrder = 4;   // e.jpg
    Start();
    EXPECT_TRUE(ui.Messages().empty());
    ASSERT_EQ(library.Records().size(), 5u);
    EXPECT_TRUE(IsPlayOrder());
    const auto &r = library.Records();
    EXPECT_EQ((std::pair(r[0].Style, r[0].BackColor)), (std::pair(1, 255u)));
    EXPECT_EQ((std::pair(r[1].Style, r[1].BackColor)), (std::pair(0, 0x0a0b0cu)));
    EXPECT_EQ((std::pair(r[2].Style, r[2].BackColor)), (std::pair(0, 0x0a0b0cu)));
    EXPECT_EQ((std::pair(r[3].Style, r[3].BackColor)), (std::pair(0, 0x0a0b0cu)));
    EXPECT_EQ((std::pair(r[4].Style, r[4].BackColor)), (std::pair(2, 65280u)));
    EXPECT_EQ(NameOfOrder(state.CurrentOrder), "e.jpg");
    const PictureDataContents onDisk = ParsePictureData(DataFile());
    EXPECT_EQ(onDisk.damagedLines, 0);
    EXPECT_EQ(onDisk.records, library.Records());
}

TEST_F(PictureLibraryTest, OrdersThatAreNoPlayOrderAreRenewed)
{
    MakeAll({"a.jpg", "b.jpg", "c.jpg"});
    WriteDataFile("\"a.jpg\",0,1,2\r\n\"b.jpg\",0,2,2\r\n\"c.jpg\",0,3,9\r\n");
    state.CurrentOrder = 2;   // a.jpg, the first record of that order
    Start();
    EXPECT_TRUE(IsPlayOrder());
    EXPECT_EQ(NameOfOrder(state.CurrentOrder), "a.jpg");
    EXPECT_EQ(ParsePictureData(DataFile()).records, library.Records());
}

TEST_F(PictureLibraryTest, AnUnreadableFileStillGivesEveryPictureARecord)
{
    MakeAll({"a.jpg", "b.jpg"});
    QDir().mkpath(folder + "/wallpaper.dat");   // a folder in its place: can be neither read nor replaced
    state.CurrentOrder = 1;
    // Told once, with the system's reason, however often the library is written.
    ui.ExpectMessageContaining(QStringLiteral("Is a directory"), MessageResult::Ok);
    Start();
    library.ShuffleOrder();
    EXPECT_EQ(library.Records().size(), 2u);
    EXPECT_TRUE(IsPlayOrder());
    EXPECT_TRUE(QFileInfo(folder + "/wallpaper.dat").isDir());
}

TEST_F(PictureLibraryTest, ShuffleDrawsInSinglePrecisionUntilEachNumberCameOnce)
{
    MakeAll({"a.jpg", "b.jpg", "c.jpg", "d.jpg"});
    WriteDataFile("");
    state.CurrentOrder = 1;
    Start();
    random.Queue({0.5f, 0.6f, 0.0f, 0.99f, 0.25f});   // 3, 3 again (skipped), 1, 4, 2
    const int before = random.Calls();
    library.ShuffleOrder();
    EXPECT_EQ(Orders(), (std::vector<int>{3, 1, 4, 2}));
    EXPECT_EQ(random.Calls() - before, 5);
    EXPECT_EQ(ParsePictureData(DataFile()).records, library.Records());

    // 3 x 0.33333331 + 1 is 1.99999994 exactly, but 2 in single precision.
    QFile::remove(folder + "/d.jpg");
    library.RefreshPictureList();
    random.Queue({0.333333313465118408203125f, 0.0f, 0.9f});
    library.ShuffleOrder();
    EXPECT_EQ(Orders(), (std::vector<int>{2, 1, 3}));
}

TEST_F(PictureLibraryTest, AStuckGeneratorCannotHangTheShuffle)
{
    MakeAll({"a.jpg", "b.jpg", "c.jpg"});
    ConstantRandom stuck;
    Platform stuckPlatform{store, ui, shell, clock, stuck, help};
    PictureLibrary stuckLibrary(state, stuckPlatform);
    stuckLibrary.ScanPictureFolder();
    stuckLibrary.ReadPictureData();
    stuckLibrary.ShuffleOrder();
    std::vector<int> orders;
    for (const PictureRecord &record : stuckLibrary.Records())
        orders.push_back(record.Order);
    EXPECT_EQ(orders, (std::vector<int>{1, 2, 3}));
}

TEST_F(PictureLibraryTest, MoreThan32767PicturesWork)
{
    // 33,000 real files; on a memory file system where there is one, since
    // making them on a slow disk takes minutes.
    const QFileInfo shm(QStringLiteral("/dev/shm"));
    QTemporaryDir many((shm.isDir() && shm.isWritable() ? shm.filePath() : home) + "/pellimore-many-XXXXXX");
    ASSERT_TRUE(many.isValid());
    folder = many.path();
    state.PictureFolder = folder;
    const int count = 33000;
    for (int i = 0; i < count; ++i) {
        QFile file(folder + QStringLiteral("/p%1.jpg").arg(i, 5, 10, QLatin1Char('0')));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    state.CurrentOrder = 0;
    Start();
    ASSERT_EQ(library.PictureCount(), count);
    EXPECT_TRUE(IsPlayOrder());
    EXPECT_EQ(ParsePictureData(DataFile()).records, library.Records());

    state.CurrentOrder = 32999;
    const QString current = NameOfOrder(32999);
    QFile::remove(folder + "/p00000.jpg");
    library.RefreshPictureList();
    EXPECT_EQ(library.PictureCount(), count - 1);
    EXPECT_TRUE(IsPlayOrder());
    EXPECT_EQ(NameOfOrder(state.CurrentOrder), current);
}

TEST_F(PictureLibraryTest, ACrashWhileWritingLeavesThePreviousFile)
{
    QStringList names;
    for (int i = 0; i < 400; ++i)
        names << QStringLiteral("a rather long picture name, number %1.jpg").arg(i);
    MakeAll(names);
    state.CurrentOrder = 1;
    Start();
    const QByteArray previous = DataFile();
    ASSERT_GT(previous.size(), 16384);
    for (PictureRecord &record : library.Records())
        record.Style = kStyleStretched;

    // The writing process is killed once it has written 8 KiB.
    auto writeUntilKilled = [this] {
        std::signal(SIGXFSZ, SIG_DFL);
        const rlimit limit{8192, 8192};
        setrlimit(RLIMIT_FSIZE, &limit);
        library.WritePictureData();
        std::_Exit(0);
    };
    GTEST_FLAG_SET(death_test_style, "fast");   // the same folder in the child
    EXPECT_EXIT(writeUntilKilled(), testing::KilledBySignal(SIGXFSZ), "");
    EXPECT_EQ(DataFile(), previous);

    // The next write still succeeds, and what the crash left is never listed.
    ASSERT_TRUE(library.WritePictureData());
    EXPECT_EQ(ParsePictureData(DataFile()).records, library.Records());
    library.RefreshPictureList();
    EXPECT_EQ(library.PictureCount(), 400);
}

TEST_F(PictureLibraryTest, AFullDiskWhileWritingLeavesThePreviousFile)
{
    QStringList names;
    for (int i = 0; i < 400; ++i)
        names << QStringLiteral("a rather long picture name, number %1.jpg").arg(i);
    MakeAll(names);
    state.CurrentOrder = 1;
    Start();
    const QByteArray previous = DataFile();
    for (PictureRecord &record : library.Records())
        record.Style = kStyleTiled;

    // Writes past 8 KiB fail as on a full disk; the message names the cause.
    ui.ExpectMessageContaining(QStringLiteral("File too large"), MessageResult::Ok);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{8192, saved.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    const bool written = library.WritePictureData();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(written);
    EXPECT_EQ(DataFile(), previous);
    // No temporary file is left behind.
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 401);
}
