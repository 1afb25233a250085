// The frame reader against the shared GIF corpus: the structure the reference
// tools report (gif/EXPECTED.tsv, with this reader's own loop rules), clean
// refusal of every cut file, and frame pictures that match ImageMagick's.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <map>

#include "tests/wallpaper/codecs/GifTestFiles.h"
#include "wallpaper/codecs/GifReader.h"

namespace pellimore {
namespace {

using Row = std::map<QString, QString>;

std::vector<Row> ExpectedRows()
{
    QFile file(test::GifCorpusPath("EXPECTED.tsv"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QList<QByteArray> lines = file.readAll().split('\n');
    const QList<QByteArray> names = lines.value(0).split('\t');
    std::vector<Row> rows;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (lines[i].isEmpty())
            continue;
        const QList<QByteArray> cells = lines[i].split('\t');
        Row row;
        for (qsizetype c = 0; c < names.size(); ++c)
            row[QString::fromUtf8(names[c])] = QString::fromUtf8(cells.value(c));
        rows.push_back(row);
    }
    return rows;
}

std::vector<int> Numbers(const QString &list)
{
    std::vector<int> numbers;
    for (const QString &item : list.split(QLatin1Char(','), Qt::SkipEmptyParts))
        numbers.push_back(item.toInt());
    return numbers;
}

// This reader's loop count: the last NETSCAPE value before the first image,
// and endless for several frames without one.
int OurLoopCount(const Row &row, int frames)
{
    int loop = -1;
    for (const QString &entry : row.at("netscape_loops").split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QStringList parts = entry.split(QLatin1Char('@'));
        if (parts.size() == 2 && parts[1] == QLatin1String("0"))
            loop = parts[0].toInt();
    }
    return frames > 1 && loop == -1 ? 0 : loop;
}

TEST(GifCorpus, StructureAgreesWithTheReferenceTable)
{
    const std::vector<Row> rows = ExpectedRows();
    ASSERT_EQ(rows.size(), 141u);
    int compared = 0;
    for (const Row &row : rows) {
        const QString name = row.at("file");
        if (row.at("giflib_status") != QLatin1String("ok"))
            continue;
        SCOPED_TRACE(name.toStdString());
        GifFile gif;
        QString error;
        ASSERT_TRUE(gif.Load(test::GifCorpusPath(name), &error)) << error.toStdString();
        const int frames = row.at("frames").toInt();
        ASSERT_EQ(gif.FrameCount(), frames);
        EXPECT_EQ(gif.Header().loopCount, OurLoopCount(row, frames));
        EXPECT_EQ(QString::fromLatin1(gif.Header().version), row.at("version"));
        EXPECT_EQ(gif.Header().screenWidth, row.at("width").toInt());
        EXPECT_EQ(gif.Header().screenHeight, row.at("height").toInt());
        const std::vector<int> delays = Numbers(row.at("delays_cs"));
        const std::vector<int> disposals = Numbers(row.at("disposals"));
        const std::vector<int> transparent = Numbers(row.at("transparent_index"));
        const QStringList rects = row.at("frame_rects").split(QLatin1Char(';'));
        for (int i = 0; i < frames; ++i) {
            const clsGIFframe &frame = *gif.Frame(i + 1);
            EXPECT_EQ(frame.frameDelay(), std::min(delays[i] * 10, 60000)) << "frame " << i + 1;
            EXPECT_EQ(frame.FrameDisposal(), disposals[i]) << "frame " << i + 1;
            EXPECT_EQ(frame.isTransparent(), transparent[i] >= 0) << "frame " << i + 1;
            if (transparent[i] < 0) {
                EXPECT_EQ(frame.FrameTransparentColor(), -1);
            }
            const QStringList rect = rects.value(i).split(QLatin1Char(':'));
            EXPECT_EQ(frame.FrameLeft(), rect.value(0).toInt());
            EXPECT_EQ(frame.FrameTop(), rect.value(1).toInt());
            EXPECT_EQ(frame.FrameWidth(), rect.value(2).toInt());
            EXPECT_EQ(frame.FrameHeight(), rect.value(3).toInt());
        }
        ++compared;
    }
    EXPECT_EQ(compared, 118);
}

TEST(GifCorpus, EveryCutFileIsRefused)
{
    const QStringList cuts = QDir(test::GifCorpusPath("truncated")).entryList({"*.gif"}, QDir::Files);
    ASSERT_EQ(cuts.size(), 6);
    for (const QString &cut : cuts) {
        GifFile gif;
        EXPECT_FALSE(gif.Load(test::GifCorpusPath("truncated/" + cut))) << cut.toStdString();
    }
    GifFile gif;
    EXPECT_FALSE(gif.Load(test::GifCorpusPath("wuffs/hippopotamus.interlaced.truncated.gif")));
}

// Files the reference tools refuse for their image data, or that hold no
// image: the block structure decides here.
TEST(GifCorpus, FilesTheToolsRefuseAreReadByTheirBlockStructure)
{
    struct Case {
        const char *file;
        int frames;  // 0: refused
    };
    const Case cases[] = {
        {"pygif/invalid-code.gif", 1},          {"pygif/max-codes.gif", 1},
        {"pygif/overflow-codes.gif", 1},        {"pygif/overflow-codes-max.gif", 1},
        {"wuffs/artificial-gif/pixel-data-none.gif", 1},
        {"wuffs/artificial-gif/pixel-data-not-enough.gif", 1},
        {"wuffs/artificial-gif/zero-width-frame.gif", 1},
        {"pygif/image-zero-width.gif", 0},      // the descriptor is not followed by image data
        {"pygif/image-zero-height.gif", 0},     {"pygif/image-zero-size.gif", 0},
        {"pygif/no-data.gif", 0},               {"pygif/zero-size.gif", 0},
        {"pygif/max-size.gif", 0},              {"wuffs/artificial-gif/no-frames.gif", 0},
    };
    for (const Case &c : cases) {
        GifFile gif;
        const bool loaded = gif.Load(test::GifCorpusPath(c.file));
        EXPECT_EQ(loaded, c.frames > 0) << c.file;
        EXPECT_EQ(gif.FrameCount(), c.frames) << c.file;
        for (int i = 1; i <= gif.FrameCount(); ++i)
            gif.FrameImage(i);  // whatever the loader makes of the data, nothing breaks
    }
    GifFile zero;
    ASSERT_TRUE(zero.Load(test::GifCorpusPath("wuffs/artificial-gif/zero-width-frame.gif")));
    EXPECT_TRUE(zero.FrameImage(1).IsNull());
}

// Every frame's picture equals ImageMagick's reading of that frame: the same
// size, the same transparent pixels, the same colours elsewhere.
TEST(GifCorpus, FramePicturesMatchImageMagick)
{
    const char *files[] = {
        "peterdn/animated_transparent_frame_restoreprev_loop.gif",
        "peterdn/animated_transparent_loop_frames_out_of_bounds.gif",
        "peterdn/animated_loop_interlaced.gif",
        "pygif/animation-multi-image.gif",
        "pygif/local-color-table.gif",
        "pygif/transparent.gif",
        "pygif/gif87a-animation.gif",
        "giflib/welcome2.gif",
        "giflib/x-trans.gif",
        "wuffs/muybridge.gif",
        "wuffs/artificial-gif/frame-out-of-bounds.gif",
        "wuffs/artificial-gif/transparent-index.gif",
    };
    QTemporaryDir dir;
    for (const char *name : files) {
        SCOPED_TRACE(name);
        GifFile gif;
        ASSERT_TRUE(gif.Load(test::GifCorpusPath(name)));
        const QString pattern = dir.path() + "/frame-%d.pam";
        if (!test::RunConvert({test::GifCorpusPath(name), "+repage", "-depth", "8", pattern}))
            GTEST_SKIP() << "ImageMagick's convert is not available";
        for (int i = 1; i <= gif.FrameCount(); ++i) {
            QFile file(QString(pattern).replace("%d", QString::number(i - 1)));
            ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "frame " << i;
            const Bitmap expected = test::ReadNetpbm(file.readAll());
            const Bitmap actual = gif.FrameImage(i);
            ASSERT_EQ(actual.Width(), expected.Width()) << "frame " << i;
            ASSERT_EQ(actual.Height(), expected.Height()) << "frame " << i;
            int differences = 0;
            for (int y = 0; y < actual.Height(); ++y) {
                for (int x = 0; x < actual.Width(); ++x) {
                    const Pixel a = actual.At(x, y);
                    const Pixel e = expected.At(x, y);
                    const bool same = PixelAlpha(a) == 0 ? PixelAlpha(e) == 0
                                                         : PixelAlpha(e) == 255 && (a & 0xFFFFFF) == (e & 0xFFFFFF);
                    differences += same ? 0 : 1;
                }
            }
            EXPECT_EQ(differences, 0) << "frame " << i;
        }
    }
}

}  // namespace
}  // namespace pellimore
