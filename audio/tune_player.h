// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace zorvat {

// One tune as the main window holds it: the five operations the game asks of a player
// (open, play, stop, the stopped check, close). A tune never loops by itself; whoever owns
// it restarts it when it is found stopped.
class TunePlayer {
public:
    virtual ~TunePlayer() = default;

    /** Opens the tune at `path` (closing any open one); throws Error with a readable text on failure. */
    virtual void Open(const std::string& path) = 0;
    /** Plays from the current position; from the start when the tune had played to its end. Returns at once.
        Throws Error "MCI ﾃﾞﾊﾞｲｽがありません" when no tune is open, as Stop does. */
    virtual void Play() = 0;
    /** Stops at once, silencing every note, keeping the position. */
    virtual void Stop() = 0;
    /** True unless the tune is playing (also once it has played to its end). */
    virtual bool IsStopped() const = 0;
    /** Closes the tune; safe when none is open. */
    virtual void Close() = 0;
    /** True from a successful Open until Close. */
    virtual bool Opened() const = 0;
};

} // namespace zorvat
