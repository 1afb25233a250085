#pragma once

#include "screensaver/ScreenSaver.h"

namespace pellimore {

// The event pump of the running program: each turn sleeps in the event loop
// until an event arrives or the time is up.
class QtEventPump final : public EventPump {
public:
    void WaitForEvents(int maxMs) override;
    void ProcessPending() override;
};

}  // namespace pellimore
