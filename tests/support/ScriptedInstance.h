#pragma once

#include <vector>

#include "platform/instance/InstanceChannel.h"

namespace pellimore::test {

// The instance test of a process that is, or is not, the first. (The real
// channel between two processes has its own test.)
class ScriptedInstance final : public InstanceChannel {
public:
    explicit ScriptedInstance(bool anotherRuns = false, bool answers = true)
        : anotherRuns_(anotherRuns), answers_(answers)
    {
    }
    bool ClaimFirstInstance() override { return !anotherRuns_; }
    bool SendToFirstInstance(Request request) override
    {
        sent.push_back(request);
        return answers_;
    }
    std::vector<Request> sent;

private:
    bool anotherRuns_;
    bool answers_;
};

}  // namespace pellimore::test
