// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace zorvat {

struct TimeOfDay {
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// The time of day in UTC, the only source of randomness of the deal.
class Clock {
public:
    virtual ~Clock() = default;
    virtual TimeOfDay utcTimeOfDay() const = 0;
};

class SystemClock : public Clock {
public:
    TimeOfDay utcTimeOfDay() const override;
};

} // namespace zorvat
