#include "tune_players.h"

#include "error.h"

namespace zorvat {

void TunePlayers::openAll(const std::string& AppDir, const ErrorReporter& report)
{
    bool reported = false;
    try {
        mp.Open(AppDir + "title.mid");
        mp.Play();
    } catch (const std::exception& e) {
        report(errorBoxText(e.what()));
        reported = true;
    }
    try {
        mp2.Open(AppDir + "open.mid");
    } catch (const std::exception& e) {
        // Without sound both tunes fail alike; one box says it.
        if (!reported)
            report(errorBoxText(e.what()));
    }
}

void TunePlayers::closeAll()
{
    mp.Close();
    mp2.Close();
}

void TunePlayers::Play(Tune tune)
{
    MidiPlayer& p = player(tune);
    if (p.Opened())
        p.Play();
}

void TunePlayers::Stop(Tune tune)
{
    MidiPlayer& p = player(tune);
    if (p.Opened())
        p.Stop();
}

bool TunePlayers::IsStopped(Tune tune)
{
    // A tune that never opened has nothing to restart.
    MidiPlayer& p = player(tune);
    return p.Opened() && p.IsStopped();
}

} // namespace zorvat
