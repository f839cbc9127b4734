#pragma once

#include "error_box.h"
#include "game_music.h"
#include "midi_player.h"

#include <string>

namespace zorvat {

// The two tune players, mp (title tune) and mp2 (question tune), as the game uses them.
// A tune that could not be opened stays silent: the game goes on without it.
class TunePlayers : public GameMusic {
public:
    /** Opens "title.mid" and plays it, then opens "open.mid"; a failure is reported once and the game goes on. */
    void openAll(const std::string& AppDir, const ErrorReporter& report);
    /** Closes both. */
    void closeAll();

    void Play(Tune tune) override;
    void Stop(Tune tune) override;
    bool IsStopped(Tune tune) override;

    MidiPlayer mp;
    MidiPlayer mp2;

private:
    MidiPlayer& player(Tune tune) { return tune == Tune::Title ? mp : mp2; }
};

} // namespace zorvat
