#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <initializer_list>
#include <vector>

#include "platform/clock/ProgramRandom.h"

namespace pellimore::test {

// A random generator whose values the test chooses. Next() hands out the
// queued values first, in order; when the queue is empty it falls back to a
// ProgramRandom, so code that draws more values than the test cares about
// still gets a deterministic sequence. Seed() records the seed and reseeds the
// fallback generator; it leaves queued values in place.
class ScriptedRandom final : public Random {
public:
    ScriptedRandom() = default;
    ScriptedRandom(std::initializer_list<float> values) { Queue(values); }

    // Queues values; each must lie in [0, 1), as the real generator's do.
    void Queue(float value)
    {
        if (!(value >= 0.0f && value < 1.0f))
            ADD_FAILURE() << "ScriptedRandom: queued value " << value << " is outside [0, 1)";
        queue_.push_back(value);
    }
    void Queue(std::initializer_list<float> values)
    {
        for (float value : values)
            Queue(value);
    }

    void Seed(uint32_t seed) override
    {
        seeds_.push_back(seed);
        fallback_.Seed(seed);
    }

    float Next() override
    {
        ++calls_;
        if (queue_.empty())
            return fallback_.Next();
        const float value = queue_.front();
        queue_.pop_front();
        return value;
    }

    const std::vector<uint32_t> &Seeds() const { return seeds_; }   // every Seed() call, in order
    int Calls() const { return calls_; }                              // Next() calls so far
    size_t Remaining() const { return queue_.size(); }                // queued values not yet drawn

private:
    std::deque<float> queue_;
    std::vector<uint32_t> seeds_;
    ProgramRandom fallback_;
    int calls_ = 0;
};

}  // namespace pellimore::test
