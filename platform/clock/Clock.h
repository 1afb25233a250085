#pragma once

#include <QDate>
#include <QTime>

#include <cstdint>

namespace pellimore {

// Today's date and the time of day; tests set their own.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDate Today() const = 0;
    virtual QTime TimeOfDay() const = 0;
};

// The program's uniform random generator.
class Random {
public:
    virtual ~Random() = default;
    virtual void Seed(uint32_t seed) = 0;
    // The next value, uniform in [0, 1), in single precision.
    virtual float Next() = 0;
};

}  // namespace pellimore
