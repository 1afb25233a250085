#include "screensaver/Transitions.h"

#include <algorithm>

namespace pellimore {

int EffectBlockSize(int effect, int sizeClass)
{
    const int b2 = sizeClass != 0 ? sizeClass : 1024;
    switch (effect) {
    case 2: case 6: case 8: case 11: case 12:
        return b2;
    case 3:
        return 1024;
    default:
        return 512;
    }
}

namespace {

// The part of the new picture that lands on the shown one: [x0, xEnd) x
// [y0, yEnd) in the new picture's coordinates, and where its corner goes.
struct Overlap {
    int x0 = 0, y0 = 0, xEnd = 0, yEnd = 0;
    int dx0 = 0, dy0 = 0;
};

Overlap OverlapOf(const TransitionGeometry &g)
{
    Overlap o;
    o.x0 = g.newWidth > g.curWidth ? (g.newWidth - g.curWidth) / 2 : 0;
    o.y0 = g.newHeight > g.curHeight ? (g.newHeight - g.curHeight) / 2 : 0;
    o.dx0 = g.newWidth < g.curWidth ? (g.curWidth - g.newWidth) / 2 : 0;
    o.dy0 = g.newHeight < g.curHeight ? (g.curHeight - g.newHeight) / 2 : 0;
    o.xEnd = o.x0 + std::max(0, std::min(g.newWidth, g.curWidth));
    o.yEnd = o.y0 + std::max(0, std::min(g.newHeight, g.curHeight));
    return o;
}

class Planner {
public:
    Planner(const TransitionGeometry &g, int block) : o_(OverlapOf(g)), b_(block) {}

    bool Empty() const { return o_.xEnd <= o_.x0 || o_.yEnd <= o_.y0; }

    // Block starts of the grid from the top-left corner.
    std::vector<int> Columns() const { return Starts(o_.x0, o_.xEnd); }
    std::vector<int> Rows() const { return Starts(o_.y0, o_.yEnd); }
    int RightLimit() const { return o_.xEnd; }
    int BottomLimit() const { return o_.yEnd; }

    // The block at (x, y) of the new picture, cut to the overlap.
    BlockCopy Block(int x, int y) const { return Block(x, y, std::min(b_, o_.xEnd - x), std::min(b_, o_.yEnd - y)); }
    BlockCopy Block(int x, int y, int w, int h) const
    {
        return {{x, y, w, h}, {o_.dx0 + (x - o_.x0), o_.dy0 + (y - o_.y0), w, h}};
    }

    // One step per block.
    void Paint(int x, int y) { steps_.push_back({{Block(x, y)}}); }
    // One step per block; a right-edge remainder narrower than a block is
    // painted only from kNarrowestRemainder up, else skipped with its wait.
    void PaintWithRemainderRule(int x, int y)
    {
        if (KeepsRemainder(x))
            Paint(x, y);
        else
            steps_.push_back({});
    }
    bool KeepsRemainder(int x) const
    {
        const int w = o_.xEnd - x;
        return w >= b_ || w >= kNarrowestRemainder;
    }
    void AddStep(TransitionStep step) { steps_.push_back(std::move(step)); }

    // Blocks of a row from the right end to the left, the last one at the
    // left edge.
    std::vector<int> RightToLeft() const
    {
        std::vector<int> xs;
        for (int x = o_.xEnd - b_; x > o_.x0; x -= b_)
            xs.push_back(x);
        xs.push_back(o_.x0);
        return xs;
    }
    // The same walk for a column, from the bottom up.
    std::vector<int> BottomToTop() const
    {
        std::vector<int> ys;
        for (int y = o_.yEnd - b_; y > o_.y0; y -= b_)
            ys.push_back(y);
        ys.push_back(o_.y0);
        return ys;
    }

    std::vector<TransitionStep> Take() { return std::move(steps_); }

private:
    std::vector<int> Starts(int from, int to) const
    {
        std::vector<int> starts;
        for (int v = from; v < to; v += b_)
            starts.push_back(v);
        return starts;
    }

    Overlap o_;
    int b_;
    std::vector<TransitionStep> steps_;
};

// Effects 1, 2: rows top to bottom, each left to right.
void RowsLeftToRight(Planner &p)
{
    for (int y : p.Rows())
        for (int x : p.Columns())
            p.PaintWithRemainderRule(x, y);
}

// Effects 3, 4: rows top to bottom, each right to left; interlaced does the
// odd rows first, then the even rows that end above the bottom limit.
void RowsRightToLeft(Planner &p, int blockSize, bool interlaced)
{
    const std::vector<int> rows = p.Rows();
    const std::vector<int> xs = p.RightToLeft();
    for (int pass = 0; pass < (interlaced ? 2 : 1); ++pass) {
        for (size_t r = pass; r < rows.size(); r += interlaced ? 2 : 1) {
            if (pass == 1 && rows[r] + blockSize > p.BottomLimit())
                continue;
            for (int x : xs)
                p.Paint(x, rows[r]);
        }
    }
}

// Effects 5 to 8: columns left to right, each top to bottom. Plain columns
// leave out a last column narrower than a block; interlaced ones do the odd
// columns first and keep the right-edge remainder rule of effect 1.
void Columns(Planner &p, int blockSize, bool interlaced)
{
    const std::vector<int> cols = p.Columns();
    const std::vector<int> rows = p.Rows();
    if (!interlaced) {
        for (int x : cols) {
            if (x + blockSize > p.RightLimit())
                continue;
            for (int y : rows)
                p.Paint(x, y);
        }
        return;
    }
    for (int pass = 0; pass < 2; ++pass)
        for (size_t c = pass; c < cols.size(); c += 2)
            for (int y : rows)
                p.PaintWithRemainderRule(cols[c], y);
}

// Effects 9 to 11: two passes over the rows, odd blocks then even blocks,
// one wait per row.
void AlternateBlocks(Planner &p)
{
    const std::vector<int> cols = p.Columns();
    for (int pass = 0; pass < 2; ++pass) {
        for (int y : p.Rows()) {
            TransitionStep step;
            for (size_t c = pass; c < cols.size(); c += 2)
                if (p.KeepsRemainder(cols[c]))
                    step.blocks.push_back(p.Block(cols[c], y));
            p.AddStep(std::move(step));
        }
    }
}

// Effects 12 to 19: the outer ring of blocks. Left column bottom to top, top
// row left to right, right column top to bottom, bottom row right to left
// ending at the left edge. The right column and bottom row sit flush with the
// picture's right and bottom edges; a side that would repeat the opposite
// one (a picture one block wide or high) is left out.
void Frame(Planner &p)
{
    const std::vector<int> up = p.BottomToTop();      // bottom row first, ends at the top
    const std::vector<int> leftward = p.RightToLeft();  // right column first, ends at the left
    const int xRight = leftward.front();
    const int yBottom = up.front();
    const int xLeft = leftward.back();
    const int yTop = up.back();

    for (int y : up)
        p.Paint(xLeft, y);
    for (auto it = leftward.rbegin(); it != leftward.rend(); ++it)
        p.Paint(*it, yTop);
    if (xRight != xLeft)
        for (auto it = up.rbegin(); it != up.rend(); ++it)
            p.Paint(xRight, *it);
    if (yBottom != yTop)
        for (int x : leftward)
            p.Paint(x, yBottom);
}

}  // namespace

TransitionPlan PlanTransition(int effect, const TransitionGeometry &geometry, int sizeClass, bool screenWide,
                              float previousDelay)
{
    TransitionPlan plan;
    plan.blockSize = EffectBlockSize(effect, sizeClass);
    plan.stepDelay = previousDelay;
    if (screenWide || sizeClass == 256)
        plan.stepDelay = kFastStep;
    if (effect == 4)
        plan.stepDelay = kFastStep;
    if (effect >= 9 && effect <= 11)
        plan.stepDelay = plan.blockSize == 256 ? kSlowStep : kFastStep;

    Planner planner(geometry, plan.blockSize);
    if (planner.Empty() || effect < 1 || effect > kEffectCount)
        return plan;
    switch (effect) {
    case 1: case 2:
        RowsLeftToRight(planner);
        break;
    case 3: case 4:
        RowsRightToLeft(planner, plan.blockSize, effect == 4);
        break;
    case 5: case 6:
        Columns(planner, plan.blockSize, false);
        break;
    case 7: case 8:
        Columns(planner, plan.blockSize, true);
        break;
    case 9: case 10: case 11:
        AlternateBlocks(planner);
        break;
    default:
        Frame(planner);
        break;
    }
    plan.steps = planner.Take();
    return plan;
}

}  // namespace pellimore
