#pragma once

#include "platform/clock/Clock.h"

namespace pellimore {

// The computer's local date and time of day.
class SystemClock final : public Clock {
public:
    QDate Today() const override;
    QTime TimeOfDay() const override;
};

}  // namespace pellimore
