// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace zorvat {

// FluidSynth tells what went wrong only through its log, which is one for the whole
// process. While a capture lives, the synthesizer's errors are kept for an error text
// instead of going to the terminal; the rest of the time the library reports as always.
// Its warnings and chatter never reach the player: a missing preset is no error.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    /** The errors logged since the capture began or since the last take, joined by "; ". */
    std::string take();
};

/** How many errors the synthesizer has logged so far, captured or not. An audio output that gives up
    on its own says so only there, from its own thread. */
unsigned loggedErrors();

/** `text` with the synthesizer's own words on what went wrong in brackets after it, if it said any. */
std::string withDetail(const std::string& text, const std::string& detail);

} // namespace zorvat
