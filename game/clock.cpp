// SPDX-License-Identifier: GPL-3.0-or-later
#include "clock.h"

#include <chrono>

namespace zorvat {

TimeOfDay SystemClock::utcTimeOfDay() const
{
    using namespace std::chrono;
    // The system clock counts UTC without leap seconds, so the time of day is the
    // remainder of whole days.
    const auto sinceEpoch = duration_cast<milliseconds>(system_clock::now().time_since_epoch());
    const auto ms = static_cast<long long>(sinceEpoch.count() % 86'400'000LL);
    TimeOfDay t;
    t.hour = static_cast<int>(ms / 3'600'000);
    t.minute = static_cast<int>(ms / 60'000 % 60);
    t.second = static_cast<int>(ms / 1000 % 60);
    t.millisecond = static_cast<int>(ms % 1000);
    return t;
}

} // namespace zorvat
