// SPDX-License-Identifier: GPL-3.0-or-later
#include "time_text.h"

#include <ctime>

namespace zorvat::rank {

std::string timeText(std::int64_t unixTime, const char* format, Clock clock)
{
    const std::time_t t = static_cast<std::time_t>(unixTime);
    std::tm tm {};
    if (clock == Clock::Utc)
        gmtime_r(&t, &tm);
    else
        localtime_r(&t, &tm);
    char text[64];
    return std::strftime(text, sizeof text, format, &tm) ? std::string(text) : std::string();
}

} // namespace zorvat::rank
