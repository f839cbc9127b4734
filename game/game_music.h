// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace zorvat {

// mp plays the title tune, mp2 the question tune.
enum class Tune { Title, Question };

// The two tunes as the game uses them. A tune never loops by itself: the idle step
// finds it stopped and plays it again.
class GameMusic {
public:
    virtual ~GameMusic() = default;

    /** Plays from the current position, from the start if the tune had played to its end. */
    virtual void Play(Tune tune) = 0;
    /** Stops at once, keeping the position. */
    virtual void Stop(Tune tune) = 0;
    /** True while the tune is not playing. */
    virtual bool IsStopped(Tune tune) = 0;
};

} // namespace zorvat
