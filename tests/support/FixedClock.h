#pragma once

#include <QDateTime>

#include "platform/clock/Clock.h"

namespace pellimore::test {

// A clock that stands still until the test moves it. Starts at
// Friday 15 March 2024, 12:00:00 unless told otherwise.
class FixedClock final : public Clock {
public:
    FixedClock() = default;
    explicit FixedClock(QDate today, QTime timeOfDay = QTime(12, 0)) : today_(today), time_(timeOfDay) {}

    QDate Today() const override { return today_; }
    QTime TimeOfDay() const override { return time_; }

    void SetToday(QDate today) { today_ = today; }
    void SetTimeOfDay(QTime timeOfDay) { time_ = timeOfDay; }
    void Set(QDate today, QTime timeOfDay)
    {
        today_ = today;
        time_ = timeOfDay;
    }

    // Moves the clock on (or back, for a negative amount); midnight rolls the date.
    void AdvanceSeconds(qint64 seconds)
    {
        const QDateTime next = QDateTime(today_, time_, Qt::UTC).addSecs(seconds);
        today_ = next.date();
        time_ = next.time();
    }
    void AdvanceDays(qint64 days) { today_ = today_.addDays(days); }

private:
    QDate today_{2024, 3, 15};
    QTime time_{12, 0};
};

}  // namespace pellimore::test
