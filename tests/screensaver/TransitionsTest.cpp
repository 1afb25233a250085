// The nineteen transitions, recorded block by block through a real show cycle:
// the start picture is 72 x 72 pixels (1080 x 1080 twips), the next picture
// is wider, narrower or the same size, and the screen is 100 x 100 pixels so
// that the size class (and with it B2) follows from the sizes.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "screensaver/Transitions.h"
#include "tests/screensaver/SaverFixture.h"

using namespace pellimore;
using namespace pellimore::test;

namespace {

struct Geometry {
    const char *name;
    QSize newPixels;
    int x0, y0;    // where the overlap starts in the new picture (twips)
    int dx0, dy0;  // where it lands on the shown picture
};

const Geometry kEqual{"equal", {72, 72}, 0, 0, 0, 0};
const Geometry kWider{"wider", {100, 90}, 210, 135, 0, 0};
const Geometry kNarrower{"narrower", {60, 50}, 0, 0, 90, 165};

// Expected steps in overlap coordinates: "x,y,w,h" blocks separated by
// blanks, steps by ";", "-" for a step that paints nothing. The result lists
// every block as "sx,sy,w,h>dx,dy" and ends each step with "|".
QString Expand(const Geometry &g, const QString &steps)
{
    QString out;
    for (const QString &step : steps.split(QLatin1Char(';'))) {
        for (const QString &block : step.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            if (block == QLatin1String("-"))
                continue;
            const QStringList v = block.split(QLatin1Char(','));
            const int x = v[0].toInt(), y = v[1].toInt();
            out += QStringLiteral("%1,%2,%3,%4>%5,%6 ")
                       .arg(x + g.x0).arg(y + g.y0).arg(v[2]).arg(v[3]).arg(x + g.dx0).arg(y + g.dy0);
        }
        out += QLatin1Char('|');
    }
    return out;
}

// 1080 x 1080 overlap, block 512 and B2 = 1024 (size class 0).
const char *const kSquare[] = {
    /* 1 */ "0,0,512,512;512,0,512,512;-;0,512,512,512;512,512,512,512;-;0,1024,512,56;512,1024,512,56;-",
    /* 2 */ "0,0,1024,1024;-;0,1024,1024,56;-",
    /* 3 */ "56,0,1024,1024;0,0,1024,1024;56,1024,1024,56;0,1024,1024,56",
    /* 4 */ "568,0,512,512;56,0,512,512;0,0,512,512;568,1024,512,56;56,1024,512,56;0,1024,512,56;"
            "568,512,512,512;56,512,512,512;0,512,512,512",
    /* 5 */ "0,0,512,512;0,512,512,512;0,1024,512,56;512,0,512,512;512,512,512,512;512,1024,512,56",
    /* 6 */ "0,0,1024,1024;0,1024,1024,56",
    /* 7 */ "0,0,512,512;0,512,512,512;0,1024,512,56;-;-;-;512,0,512,512;512,512,512,512;512,1024,512,56",
    /* 8 */ "0,0,1024,1024;0,1024,1024,56;-;-",
    /* 9 */ "0,0,512,512;0,512,512,512;0,1024,512,56;512,0,512,512;512,512,512,512;512,1024,512,56",
    /* 10 */ "0,0,512,512;0,512,512,512;0,1024,512,56;512,0,512,512;512,512,512,512;512,1024,512,56",
    /* 11 */ "0,0,1024,1024;0,1024,1024,56;-;-",
    /* 12 */ "0,56,1024,1024;0,0,1024,1024;0,0,1024,1024;56,0,1024,1024;56,0,1024,1024;56,56,1024,1024;"
             "56,56,1024,1024;0,56,1024,1024",
};
// The ring of effects 13 to 19 (block 512) on the 1080 x 1080 overlap.
const char *const kSquareRing =
    "0,568,512,512;0,56,512,512;0,0,512,512;0,0,512,512;56,0,512,512;568,0,512,512;"
    "568,0,512,512;568,56,512,512;568,568,512,512;568,568,512,512;56,568,512,512;0,568,512,512";

// 900 x 750 overlap; the size class is 512, so B2 = 512 too.
const char *const kSmall[] = {
    /* 1 */ "0,0,512,512;512,0,388,512;0,512,512,238;512,512,388,238",
    /* 2 */ "0,0,512,512;512,0,388,512;0,512,512,238;512,512,388,238",
    /* 3 */ "0,0,900,750",
    /* 4 */ "388,0,512,512;0,0,512,512",
    /* 5 */ "0,0,512,512;0,512,512,238",
    /* 6 */ "0,0,512,512;0,512,512,238",
    /* 7 */ "0,0,512,512;0,512,512,238;512,0,388,512;512,512,388,238",
    /* 8 */ "0,0,512,512;0,512,512,238;512,0,388,512;512,512,388,238",
    /* 9 */ "0,0,512,512;0,512,512,238;512,0,388,512;512,512,388,238",
    /* 10 */ "0,0,512,512;0,512,512,238;512,0,388,512;512,512,388,238",
    /* 11 */ "0,0,512,512;0,512,512,238;512,0,388,512;512,512,388,238",
    /* 12 */ "0,238,512,512;0,0,512,512;0,0,512,512;388,0,512,512;388,0,512,512;388,238,512,512;"
             "388,238,512,512;0,238,512,512",
};
const char *const kSmallRing = kSmall[11];

// The second transition after a frame effect is effect 5.
constexpr int kSecondEffect = 5;

// A random value that makes int(value * n) + 1 == effect.
float Pick(int effect, int n) { return (effect - 0.5f) / n; }

struct Recording {
    QString sequence;
    int stepDelayMs = 0;
};

Recording Record(int effect, const Geometry &g)
{
    SaverServices s;
    QTemporaryDir folder;
    WritePicture(folder.path(), QStringLiteral("next.bmp"), g.newPixels.width(), g.newPixels.height());
    s.saver.runMode = RunMode::Show;
    s.saver.settings.folder = folder.path();
    s.saver.settings.display = 1;
    s.saver.pictureIndex = 0;
    s.random.Queue(Pick(effect, 19));
    if (NeedsSecondTransition(effect))
        s.random.Queue(Pick(kSecondEffect, 10));

    RecordingView view;
    view.screen = QSize(100, 100);
    view.windowTwips = QSize(1500, 1500);
    SlideShowCore core(s.saver, view, SolidBitmap(72, 72, qRgb(0, 0, 255)), LoadForTest);

    Recording r;
    view.onBlock = [&] {
        const BlockCopy &b = view.blocks.back();
        r.sequence += QStringLiteral("%1,%2,%3,%4>%5,%6 ")
                          .arg(b.source.x).arg(b.source.y).arg(b.source.width).arg(b.source.height)
                          .arg(b.destination.x).arg(b.destination.y);
        EXPECT_EQ(b.source.width, b.destination.width);
        EXPECT_EQ(b.source.height, b.destination.height);
    };
    s.pump.onTurn = [&] {
        // A step wait is one short turn; the interval waits take 1000 ms.
        if (s.pump.lastMs < 1000) {
            r.sequence += QLatin1Char('|');
            if (r.stepDelayMs == 0)
                r.stepDelayMs = s.pump.lastMs;
        }
        // One cycle is enough: stop once the new picture is shown.
        if (view.log.filter(QStringLiteral("show ")).size() >= 2)
            s.saver.StopRequested = true;
    };
    view.log.clear();
    core.RunScreenSaver();
    return r;
}

}  // namespace

class Transition : public testing::TestWithParam<int> {};

TEST_P(Transition, PaintsBlocksInItsOrderForEachSize)
{
    const int effect = GetParam();
    const bool frame = NeedsSecondTransition(effect);
    for (const Geometry *g : {&kEqual, &kWider, &kNarrower}) {
        SCOPED_TRACE(g->name);
        const bool small = g == &kNarrower;
        QString expected;
        if (frame)
            expected = Expand(*g, QString::fromLatin1(small ? kSmallRing : kSquareRing))
                       + Expand(*g, QString::fromLatin1((small ? kSmall : kSquare)[kSecondEffect - 1]));
        else
            expected = Expand(*g, QString::fromLatin1((small ? kSmall : kSquare)[effect - 1]));
        const Recording r = Record(effect, *g);
        EXPECT_EQ(r.sequence.toStdString(), expected.toStdString());
        const bool fast = effect == 4 || (effect >= 9 && effect <= 11);
        EXPECT_EQ(r.stepDelayMs, fast ? 10 : 50);
    }
}

INSTANTIATE_TEST_SUITE_P(AllEffects, Transition, testing::Range(1, kEffectCount + 1));

TEST(TransitionPlan, BlockSizesAndB2)
{
    for (int effect : {1, 4, 5, 7, 9, 10, 13, 19})
        EXPECT_EQ(EffectBlockSize(effect, 256), 512) << effect;
    EXPECT_EQ(EffectBlockSize(3, 256), 1024);
    for (int effect : {2, 6, 8, 11, 12}) {
        EXPECT_EQ(EffectBlockSize(effect, 0), 1024) << effect;
        EXPECT_EQ(EffectBlockSize(effect, 256), 256) << effect;
        EXPECT_EQ(EffectBlockSize(effect, 512), 512) << effect;
    }
}

TEST(TransitionPlan, StepDelayRules)
{
    const TransitionGeometry g{3000, 3000, 3000, 3000};
    // The delay left by the transition before carries over...
    EXPECT_FLOAT_EQ(PlanTransition(1, g, 0, false, 0.05f).stepDelay, 0.05f);
    // ...unless the shown picture is screen-wide or the size class is 256.
    EXPECT_FLOAT_EQ(PlanTransition(1, g, 0, true, 0.05f).stepDelay, 0.01f);
    EXPECT_FLOAT_EQ(PlanTransition(12, g, 256, false, 0.05f).stepDelay, 0.01f);
    EXPECT_FLOAT_EQ(PlanTransition(4, g, 0, false, 0.05f).stepDelay, 0.01f);
    EXPECT_FLOAT_EQ(PlanTransition(9, g, 0, false, 0.05f).stepDelay, 0.01f);
    // Effect 11 with 256-twip blocks slows down again.
    EXPECT_FLOAT_EQ(PlanTransition(11, g, 256, false, 0.05f).stepDelay, 0.05f);
    EXPECT_EQ(PlanTransition(11, g, 256, false, 0.05f).blockSize, 256);
}

TEST(TransitionPlan, NarrowRemainderIsSkippedButWaitedFor)
{
    // 612 twips wide: one full block and a 100-twip remainder (too narrow);
    // 613 wide: the 101-twip remainder is painted.
    const TransitionPlan narrow = PlanTransition(1, {612, 512, 612, 512}, 0, false, 0.05f);
    ASSERT_EQ(narrow.steps.size(), 2u);
    EXPECT_TRUE(narrow.steps[1].blocks.empty());
    const TransitionPlan wide = PlanTransition(1, {613, 512, 613, 512}, 0, false, 0.05f);
    ASSERT_EQ(wide.steps.size(), 2u);
    ASSERT_EQ(wide.steps[1].blocks.size(), 1u);
    EXPECT_EQ(wide.steps[1].blocks[0].source, (TwipsRect{512, 0, 101, 512}));
}

TEST(TransitionPlan, EmptyPicturesAndUnknownEffectsPaintNothing)
{
    EXPECT_TRUE(PlanTransition(1, {0, 0, 900, 900}, 0, false, 0.05f).steps.empty());
    EXPECT_TRUE(PlanTransition(0, {900, 900, 900, 900}, 0, false, 0.05f).steps.empty());
    EXPECT_TRUE(PlanTransition(20, {900, 900, 900, 900}, 0, false, 0.05f).steps.empty());
}
