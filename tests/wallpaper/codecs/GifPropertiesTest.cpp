// The control's persisted properties: the bag in the settings store and as a
// blob, and the temporary copy of a stored GIF.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include "platform/store/IniSettingsStore.h"
#include "tests/wallpaper/codecs/GifTestFiles.h"
#include "wallpaper/codecs/GifPlayer.h"
#include "wallpaper/codecs/GifProperties.h"

namespace pellimore {
namespace {

using test::GifBuilder;

const std::vector<ColorRef> kFour = {Rgb(0, 0, 0), Rgb(255, 0, 0), Rgb(0, 255, 0), Rgb(255, 255, 255)};

QString DataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/wallpaper-pellimore";
}

QByteArray TwoFrames()
{
    return GifBuilder(3, 2).GlobalTable(kFour).Netscape(4).SolidImage(0, 0, 3, 2, 1).SolidImage(0, 0, 3, 2, 2)
        .Trailer().Bytes();
}

GifControlProperties Sample()
{
    GifControlProperties p;
    p.nrLoops = 3;
    p.autoSize = false;
    p.bkColor = Rgb(1, 2, 3);
    p.minDelay = 80;
    p.scaleFactor = 1;
    p.scaleMode = 1;
    p.fileData = TwoFrames();
    return p;
}

TEST(GifProperties, DefaultsWhenNothingIsStored)
{
    IniSettingsStore store;
    const GifControlProperties p = GifControlProperties::LoadFromStore(store, "Corvane", "ucGIF-empty");
    EXPECT_EQ(p, GifControlProperties());
    EXPECT_FALSE(p.nrLoops);
    EXPECT_TRUE(p.autoSize);
    EXPECT_EQ(p.bkColor, 0x8000000Fu);
    EXPECT_EQ(p.minDelay, 50);
    EXPECT_EQ(p.FileLen(), 0);
}

TEST(GifProperties, RoundTripThroughTheSettingsStoreAndABlob)
{
    IniSettingsStore store;
    const GifControlProperties p = Sample();
    ASSERT_TRUE(p.SaveToStore(store, "Corvane", "ucGIF1"));
    EXPECT_EQ(store.GetSetting("Corvane", "ucGIF1", "fileLen"), QString::number(p.fileData.size() - 1));
    EXPECT_EQ(store.GetSetting("Corvane", "ucGIF1", "autoSize"), "False");
    EXPECT_EQ(GifControlProperties::LoadFromStore(store, "Corvane", "ucGIF1"), p);

    const auto fromBlob = GifControlProperties::FromBlob(p.ToBlob());
    ASSERT_TRUE(fromBlob);
    EXPECT_EQ(*fromBlob, p);
    EXPECT_FALSE(GifControlProperties::FromBlob("not a property bag"));

    // Saving a bag without a GIF removes the old file data.
    GifControlProperties empty;
    ASSERT_TRUE(empty.SaveToStore(store, "Corvane", "ucGIF1"));
    EXPECT_EQ(GifControlProperties::LoadFromStore(store, "Corvane", "ucGIF1").FileLen(), 0);
    EXPECT_EQ(store.GetSetting("Corvane", "ucGIF1", "fileData", "gone"), "gone");
}

TEST(GifProperties, DamagedValuesTakeTheirDefaults)
{
    IniSettingsStore store;
    store.SaveSetting("Corvane", "damaged", "minDelay", "lots");
    store.SaveSetting("Corvane", "damaged", "autoSize", "perhaps");
    store.SaveSetting("Corvane", "damaged", "bkColor", "-2147483633");
    store.SaveSetting("Corvane", "damaged", "fileLen", "500");
    store.SaveSetting("Corvane", "damaged", "fileData", QString::fromLatin1(TwoFrames().toBase64()));
    const GifControlProperties p = GifControlProperties::LoadFromStore(store, "Corvane", "damaged");
    EXPECT_EQ(p.minDelay, 50);
    EXPECT_TRUE(p.autoSize);
    EXPECT_EQ(p.bkColor, 0x8000000Fu);  // the signed form of the same colour
    EXPECT_TRUE(p.fileData.isEmpty());  // its length disagrees with fileLen
}

TEST(GifProperties, AStoredGifIsRestoredFromATemporaryCopyDeletedOnUnload)
{
    QDir(DataFolder()).removeRecursively();
    GifPlayer first;
    ASSERT_TRUE(first.ReadProperties(Sample()));
    const QString copy = DataFolder() + "/~tLV(0).gif";
    EXPECT_EQ(first.gifFileName(), copy);
    EXPECT_TRUE(QFile::exists(copy));
    EXPECT_EQ(first.gifFrameCount(), 2);
    EXPECT_EQ(first.gifMaxLoops(), 3);  // the stored value, not the file's 4
    EXPECT_FALSE(first.AutoSize());
    EXPECT_EQ(first.Stretch(), 1);
    EXPECT_EQ(first.StretchMethod(), 1);
    EXPECT_EQ(first.gifMinFrameDelay(), 80);
    EXPECT_EQ(first.BackColor(), Rgb(1, 2, 3));

    GifPlayer second;  // the first name is taken: the next free number
    ASSERT_TRUE(second.ReadProperties(Sample()));
    EXPECT_EQ(second.gifFileName(), DataFolder() + "/~tLV(1).gif");

    const GifControlProperties written = first.WriteProperties();
    EXPECT_EQ(written, Sample());

    first.UnloadGIF(true);
    EXPECT_FALSE(QFile::exists(copy));
    EXPECT_TRUE(QFile::exists(DataFolder() + "/~tLV(1).gif"));
    GifPlayer third;
    ASSERT_TRUE(third.ReadProperties(Sample()));
    EXPECT_EQ(third.gifFileName(), copy);  // free again
}

TEST(GifProperties, AnUnreadableStoredGifLeavesNoCopyBehind)
{
    QDir(DataFolder()).removeRecursively();
    GifControlProperties p = Sample();
    p.fileData = "GIF89a but not really a GIF file at all";
    GifPlayer player;
    EXPECT_FALSE(player.ReadProperties(p));
    EXPECT_FALSE(player.IsLoaded());
    EXPECT_EQ(player.gifMinFrameDelay(), 80);  // the other properties still apply
    EXPECT_TRUE(QDir(DataFolder()).entryList(QDir::Files).isEmpty());
}

TEST(GifProperties, AGifLoadedFromItsOwnFileIsNeverDeleted)
{
    const QString path = test::WriteGifFile("own.gif", TwoFrames());
    {
        GifPlayer player;
        ASSERT_TRUE(player.LoadGIF(path));
        EXPECT_FALSE(player.DeleteFileOnUnload());
    }
    EXPECT_TRUE(QFile::exists(path));
}

}  // namespace
}  // namespace pellimore
