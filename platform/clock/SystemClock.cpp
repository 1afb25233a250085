#include "platform/clock/SystemClock.h"

namespace pellimore {

QDate SystemClock::Today() const { return QDate::currentDate(); }

QTime SystemClock::TimeOfDay() const { return QTime::currentTime(); }

}  // namespace pellimore
