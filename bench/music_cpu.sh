#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What the music costs while it really plays: the game on a private X display and the
# synthesizer's own command-line player, side by side, both sounding into the null sink
# of a private sound server. For the title screen (title tune) and the play screen
# (question tune) it prints each one's share of a core over the same seconds, their
# ratio, the game's threads and its peak resident memory. Then the sound server restarts
# while the question tune plays: the game's share of a core while the server is away, and
# how long after the server is back the game's sound plays into it again.
#
#   bench/music_cpu.sh <folder of the built game> [seconds]
#
# Needs Xvfb, xdotool, pulseaudio and fluidsynth (scripts/setup.sh bench installs them).
set -euo pipefail

game_dir=$(cd "${1:?usage: $0 <folder of the built game> [seconds]}" && pwd)
seconds=${2:-10}
settle=3

for tool in Xvfb xdotool pulseaudio fluidsynth; do
  command -v "$tool" >/dev/null || { echo "$tool is missing: scripts/setup.sh bench installs it" >&2; exit 1; }
done

soundfont=""
for f in /usr/share/sounds/sf3/default-GM.sf3 /usr/share/sounds/sf2/default-GM.sf2 \
  /usr/share/sounds/sf2/FluidR3_GM.sf2 /usr/share/sounds/sf2/TimGM6mb.sf2; do
  [ -f "$f" ] && { soundfont=$f; break; }
done
[ -n "$soundfont" ] || { echo "no General MIDI soundfont found" >&2; exit 1; }

work=$(mktemp -d)
pids=()
cleanup() {
  local p
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# Everything the programs keep (sound server state, the game's settings) stays in here.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

start_pulse() { # sets $pulse; returns once the server answers
  rm -f "$work/pulse"
  pulseaudio --system=false -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
    --disable-shm=no --log-target=stderr --log-level=error \
    --load="module-null-sink sink_name=bench" \
    --load="module-native-protocol-unix socket=$work/pulse auth-anonymous=1" 2>>"$work/pulse.log" &
  pulse=$!
  pids+=($pulse)
  for _ in $(seq 1000); do [ -S "$work/pulse" ] && break; sleep 0.01; done
  [ -S "$work/pulse" ] || { echo "the sound server did not start:" >&2; cat "$work/pulse.log" >&2; exit 1; }
}
export PULSE_SERVER="unix:$work/pulse"
start_pulse

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/x.log" &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"

ticks() { # user + system time of a process or thread, in clock ticks
  local stat
  stat=$(cat "$1/stat" 2>/dev/null) || { echo 0; return; }
  stat=${stat##*) }
  read -r -a f <<<"$stat"
  echo $((f[11] + f[12]))
}
hz=$(getconf CLK_TCK)
share() { awk -v t="$1" -v hz="$hz" -v s="$seconds" 'BEGIN { printf "%.1f", 100 * t / hz / s }'; }

# Samples the game and the command-line player (none when not given) over the same seconds.
measure() {
  local what=$1 game=$2 cli=${3:-} t
  local -A before
  for t in /proc/"$game"/task/*; do before[$t]=$(ticks "$t"); done
  local game0 cli0=0 game1 cli1=0
  game0=$(ticks /proc/"$game")
  [ -n "$cli" ] && cli0=$(ticks /proc/"$cli")
  read -r load _ </proc/loadavg
  sleep "$seconds"
  game1=$(ticks /proc/"$game")
  [ -n "$cli" ] && cli1=$(ticks /proc/"$cli")
  local g c
  g=$(share $((game1 - game0))) c=$(share $((cli1 - cli0)))
  echo "== $what (${seconds} s, load average $load at the start)"
  printf '  %-40s %6s %% of a core\n' "game, whole process" "$g"
  if [ -n "$cli" ]; then
    printf '  %-40s %6s %% of a core\n' "command-line player (default settings)" "$c"
    awk -v g="$g" -v c="$c" 'BEGIN { printf "  %-40s %6.2f (at most 0.25 wanted)\n", "ratio game / command-line player", (c > 0 ? g / c : 0) }'
  fi
  for t in /proc/"$game"/task/*; do
    local now name
    now=$(ticks "$t")
    name=$(cat "$t/comm" 2>/dev/null) || continue # a thread that ended meanwhile
    printf '    thread %-32s %6s %%\n' "$name" "$(share $((now - ${before[$t]:-0})))"
  done
  printf '  %-40s %6s\n' "streams playing into the sink" "$(pactl list short sink-inputs 2>/dev/null | wc -l)"
  printf '  %-40s %6s\n' "game, peak resident memory" "$(awk '/VmHWM/ { printf "%.1f MB", $2 / 1024 }' /proc/"$game"/status)"
}

# One Zorvat.ini and no sound warning: the game starts straight on its title screen.
QT_QPA_PLATFORM=xcb "$game_dir/zorvat" >"$work/game.log" 2>&1 &
game=$!
pids+=($game)
window=""
for _ in $(seq 100); do
  window=$(xdotool search --onlyvisible --name '^Zorvat Ver1\.00$' 2>/dev/null | head -n1) && [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "the game's window did not show:" >&2; cat "$work/game.log" >&2; exit 1; }

fluidsynth -a pulseaudio -i -l -q "$soundfont" "$game_dir/title.mid" >/dev/null 2>&1 &
cli=$!
pids+=($cli)
sleep "$settle"
measure "title screen, title tune" "$game" "$cli"
kill "$cli" 2>/dev/null || true
wait "$cli" 2>/dev/null || true

# F2 starts a game: the question tune plays while the first question waits.
xdotool windowfocus --sync "$window" key F2
fluidsynth -a pulseaudio -i -l -q "$soundfont" "$game_dir/open.mid" >/dev/null 2>&1 &
cli=$!
pids+=($cli)
sleep "$settle"
measure "play screen, question tune" "$game" "$cli"
kill "$cli" 2>/dev/null || true
wait "$cli" 2>/dev/null || true

# The sound server ends, as a desktop restarts it, while the question tune plays; the game
# finds its output lost within a second or two and tries for a new one meanwhile.
kill "$pulse"
wait "$pulse" 2>/dev/null || true
sleep "$settle"
measure "play screen, sound server away" "$game"
start_pulse
back=$(date +%s%N)
for _ in $(seq 500); do
  [ -n "$(pactl list short sink-inputs 2>/dev/null)" ] && break
  sleep 0.02
done
if [ -n "$(pactl list short sink-inputs 2>/dev/null)" ]; then
  printf '  %-40s %6s ms\n' "sound again after the server was back" $((($(date +%s%N) - back) / 1000000))
else
  echo "  the game's sound did not come back within 10 s"
fi

if grep -qi 'alsa\|error' "$work/game.log"; then
  echo "game's standard error:"
  sed 's/^/  /' "$work/game.log"
fi
