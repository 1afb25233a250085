#pragma once

#include <vector>

namespace pellimore {

// A rectangle in twips: left, top, width, height.
struct TwipsRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const TwipsRect &, const TwipsRect &) = default;
};

// One block of a transition: a rectangle of the new picture and where it goes
// on the shown one (always the same size: no stretching).
struct BlockCopy {
    TwipsRect source;
    TwipsRect destination;
    friend bool operator==(const BlockCopy &, const BlockCopy &) = default;
};

// The sizes a transition works between, in twips: the shown picture (cur) and
// the new one. The two are centred on each other.
struct TransitionGeometry {
    int curWidth = 0;
    int curHeight = 0;
    int newWidth = 0;
    int newHeight = 0;
};

// The blocks painted before one WaitStep. A block skipped at the right edge
// still takes its wait, so a step may hold no block.
struct TransitionStep {
    std::vector<BlockCopy> blocks;
};

struct TransitionPlan {
    int blockSize = 0;      // side of a block, twips
    float stepDelay = 0;    // the pause after each step, seconds
    std::vector<TransitionStep> steps;
};

constexpr int kEffectCount = 19;
// Remainders at the right edge narrower than this are skipped.
constexpr int kNarrowestRemainder = 101;
constexpr float kSlowStep = 0.05f;
constexpr float kFastStep = 0.01f;

// The block size of an effect: 512, 1024, or B2 (sizeClass, or 1024 when it is 0).
int EffectBlockSize(int effect, int sizeClass);

// The blocks of one transition and its pacing. previousDelay is the step
// delay left by the transition before; screenWide is true when the shown
// picture is at least as wide as the screen. An effect outside 1..19 paints
// nothing.
TransitionPlan PlanTransition(int effect, const TransitionGeometry &geometry, int sizeClass, bool screenWide,
                              float previousDelay);

// True for the frame effects after which a second transition fills the inside.
constexpr bool NeedsSecondTransition(int effect) { return effect >= 13 && effect <= kEffectCount; }

}  // namespace pellimore
