// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "error_box.h"
#include "game_music.h"
#include "tune_player.h"

#include <memory>
#include <string>

namespace zorvat {

class Synthesizer;

// The two tune players, mp (title tune) and mp2 (question tune), as the game uses them.
// A tune that could not be opened stays silent: the game goes on without it.
class TunePlayers : public GameMusic {
public:
    /** The real players, sounding through the desktop's audio output. */
    TunePlayers();
    /** The real players on the given synthesizer. */
    explicit TunePlayers(const std::shared_ptr<Synthesizer>& synthesizer);
    /** Players of the caller's choosing (the tests' fakes). */
    TunePlayers(std::unique_ptr<TunePlayer> title, std::unique_ptr<TunePlayer> question);
    ~TunePlayers() override;
    TunePlayers(const TunePlayers&) = delete;
    TunePlayers& operator=(const TunePlayers&) = delete;

    /** Opens "title.mid" and plays it, then opens "open.mid"; a failure is reported once and the game goes on. */
    void openAll(const std::string& AppDir, const ErrorReporter& report);
    void closeAll();

    void Play(Tune tune) override;
    void Stop(Tune tune) override;
    bool IsStopped(Tune tune) override;

private:
    TunePlayer& player(Tune tune) { return tune == Tune::Title ? *m_mp : *m_mp2; }

    std::unique_ptr<TunePlayer> m_mp;
    std::unique_ptr<TunePlayer> m_mp2;
};

} // namespace zorvat
