// SPDX-License-Identifier: GPL-3.0-or-later
#include "tune_players.h"

#include "midi_player.h"

namespace zorvat {

TunePlayers::TunePlayers()
    : TunePlayers(std::make_shared<Synthesizer>())
{
}

// Both tunes on one synthesizer: one soundfont in memory, one audio output, and never
// two tunes at once, as the game plays them.
TunePlayers::TunePlayers(const std::shared_ptr<Synthesizer>& synthesizer)
    : TunePlayers(std::make_unique<MidiPlayer>(synthesizer), std::make_unique<MidiPlayer>(synthesizer))
{
}

TunePlayers::TunePlayers(std::unique_ptr<TunePlayer> title, std::unique_ptr<TunePlayer> question)
    : m_mp(std::move(title))
    , m_mp2(std::move(question))
{
}

TunePlayers::~TunePlayers()
{
    closeAll();
}

void TunePlayers::openAll(const std::string& AppDir, const ErrorReporter& report)
{
    bool reported = false;
    try {
        m_mp->Open(AppDir + "title.mid");
        // The title tune is already playing while a failing question tune is reported.
        m_mp->Play();
    } catch (const std::exception& e) {
        report(errorBoxText(e.what()));
        reported = true;
    }
    try {
        m_mp2->Open(AppDir + "open.mid");
    } catch (const std::exception& e) {
        // Without sound both tunes fail alike; one box says it.
        if (!reported)
            report(errorBoxText(e.what()));
    }
}

void TunePlayers::closeAll()
{
    m_mp->Close();
    m_mp2->Close();
}

// A tune that never opened is left out: asking it would raise the missing-device error
// on every "開始" of a game that is otherwise fully playable.
void TunePlayers::Play(Tune tune)
{
    TunePlayer& p = player(tune);
    if (p.Opened())
        p.Play();
}

void TunePlayers::Stop(Tune tune)
{
    TunePlayer& p = player(tune);
    if (p.Opened())
        p.Stop();
}

bool TunePlayers::IsStopped(Tune tune)
{
    // A tune that never opened has nothing to restart.
    TunePlayer& p = player(tune);
    return p.Opened() && p.IsStopped();
}

} // namespace zorvat
