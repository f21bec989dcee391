#!/usr/bin/env bash
# The game's CPU use and wake-ups while nothing moves, or only the screen's own animation,
# measured under Xvfb from /proc over a fixed stretch. Situations (-S picks some):
#   playing        a still Playing screen (default.spx, no clock)
#   clock          a Playing screen with the level clock running (racing.spx)
#   effect         a still Playing screen after a sound effect has played (one arrow key):
#                  with the music off the sound device has nothing left to play
#   paused         the Paused screen (drifting picture, sparks, scroller)
#   gameover       the GameOver screen (a 30-second clock left to run out: it takes a while)
#   topten         the Top 10 table with its sparks
#   levelcomplete  the finished picture under "Very Good!"
# each with the music off and on (-m picks; "effect" runs with the music off only).
# First, as the floor the figures stand on, what this machine charges a thread that does
# nothing but sleep and wake: 32 times a second (the frame loop's pace) and 43 times (the
# sound device's period of 1024 samples); and an empty Qt window woken at the frame loop's
# pace (bench/app/marlipan-emptyloop beside the first program's build, when it has one).
#
# Columns per program: the CPU share in percent of one core (the time on a processor of
# all threads, from /proc/PID/task/*/schedstat, in nanoseconds), the main thread's
# wake-ups a second and those of all threads together (voluntary and involuntary context
# switches from /proc/PID/task/*/status). With -v the share and wake-ups of every thread
# are listed by name.
#
# usage: bench/idle_cpu.sh [-s SECONDS] [-d DISPLAY] [-r ROUNDS] [-S SITUATIONS] [-m MUSIC] [-v]
#                          MARLIPAN [MARLIPAN ...]
# Several programs (e.g. a build before and after a change) are measured in turns, one
# situation after the other, so that they share the machine's load; each runs in the
# folder that holds the bundled gamepacks (../gamepacks beside app/marlipan in a build).
# Needs Xvfb and xdotool (scripts/deps installs them), and the first program's build to
# hold tools/pack/marlipan-pack (for the gamepack with the short clock).
set -euo pipefail

seconds=20 display=:39 rounds=1 verbose=0
situations="playing clock effect paused gameover topten levelcomplete"
musics="off on"
while getopts "s:d:r:S:m:v" opt; do
  case $opt in
    s) seconds=$OPTARG ;;
    d) display=$OPTARG ;;
    r) rounds=$OPTARG ;;
    S) situations=$OPTARG ;;
    m) musics=$OPTARG ;;
    v) verbose=1 ;;
    *) exit 2 ;;
  esac
done
shift $((OPTIND - 1))
[[ $# -ge 1 ]] || { sed -n '2,30p' "$0"; exit 2; }
programs=()
for p in "$@"; do programs+=("$(cd "$(dirname "$p")" && pwd)/$(basename "$p")"); done

work=$(mktemp -d)
xvfb_pid=
cleanup() {
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
sleep 1
export DISPLAY=$display QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy

# The default pack again with a 30-second clock, for the GameOver screen; the game finds it
# in the player's own gamepack folder.
packs=$work/packs
if [[ " $situations " == *" gameover "* ]]; then
  pack_tool=$(dirname "${programs[0]}")/../tools/pack/marlipan-pack
  folder=$(cd "$(dirname "${programs[0]}")/../gamepacks" && pwd)
  "$pack_tool" extract "$folder/default.spx" "$work/extracted" >/dev/null
  sed -i 's/^timer:.*/timer: 30/' "$work/extracted/manifest.txt"
  mkdir -p "$packs"
  "$pack_tool" build "$work/extracted/manifest.txt" "$packs/shortclock.spx" >/dev/null
fi

# One line per thread: TID NAME SWITCHES NANOSECONDS, the context switches (voluntary and
# involuntary) and the time on a processor so far.
threads() {
  local task
  for task in /proc/"$1"/task/*; do
    awk -v tid="${task##*/}" -v name="$(tr ' ' _ < "$task/comm" 2>/dev/null)" \
        -v ns="$(cut -d' ' -f1 "$task/schedstat" 2>/dev/null)" \
      '/^(non)?voluntary_ctxt_switches/ { n += $2 } END { print tid, name, n, ns }' "$task/status" 2>/dev/null || true
  done
}

# measure PROGRAM SITUATION MUSIC: prints "CPU% MAIN_WAKEUPS ALL_WAKEUPS" (per second).
measure() {
  local program=$1 situation=$2 music=$3 pack=default.spx play=0
  [[ $music == on ]] && play=1
  case $situation in
    clock) pack=racing.spx ;;
    gameover) pack=shortclock.spx ;;
  esac
  local home=$work/home
  rm -rf "$home"
  mkdir -p "$home/.config/Dunmarsh" "$home/.local/share/marlipan"
  [[ -d $packs ]] && cp -r "$packs" "$home/.local/share/marlipan/gamepacks"
  printf '[General]\nPlayMusic=%s\nGamepackName=%s\nOnTop=0\nDoubleSize=0\n' "$play" "$pack" \
    > "$home/.config/Dunmarsh/Marlipan.conf"
  local folder
  folder=$(cd "$(dirname "$program")/../gamepacks" && pwd)
  (cd "$folder" && HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share \
    exec "$program") >/dev/null 2>&1 &
  local pid=$!
  sleep 2
  local window
  window=$(timeout 30 xdotool search --sync --onlyvisible --pid "$pid" --name 'Marlipan' | head -n 1)
  case $situation in
    effect) xdotool windowfocus --sync "$window" key Left key Right key Up key Down ;;
    paused) xdotool windowfocus --sync "$window" key p ;;
    topten) xdotool windowfocus --sync "$window" key ctrl+1 ;;
    # The hidden combination puts every tile home.
    levelcomplete) xdotool windowfocus --sync "$window" keydown Escape keydown Shift keydown Alt \
                     keydown Home sleep 0.2 keyup Home keyup Alt keyup Shift keyup Escape ;;
    gameover) sleep 31 ;;
  esac
  sleep 2
  local s0 s1
  s0=$(threads "$pid")
  sleep "$seconds"
  s1=$(threads "$pid")
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  awk -v s="$seconds" -v pid="$pid" -v verbose="$verbose" -v before="$s0" -v after="$s1" '
    BEGIN {
      n = split(before, b, "\n")
      for (i = 1; i <= n; ++i) { split(b[i], f, " "); w0[f[1]] = f[3]; t0[f[1]] = f[4] }
      n = split(after, a, "\n")
      for (i = 1; i <= n; ++i) {
        split(a[i], f, " ")
        w = f[3] - ((f[1] in w0) ? w0[f[1]] : 0)
        t = f[4] - ((f[1] in t0) ? t0[f[1]] : 0)
        all += w
        cpu += t
        if (f[1] == pid) main = w
        wakes[f[2]] += w
        ns[f[2]] += t
      }
      printf "%5.2f %% %6.1f %6.1f|", 100 * cpu / 1e9 / s, main / s, all / s
      if (verbose) for (name in wakes) printf "  %s %.2f%% %.1f/s", name, 100 * ns[name] / 1e9 / s, wakes[name] / s
    }'
}

# floor COMMAND...: the CPU share of all threads of a process that does nothing of its own.
floor() {
  "$@" >/dev/null 2>&1 &
  local pid=$! t0 t1
  sleep 2
  t0=$(cat /proc/"$pid"/task/*/schedstat | awk '{ t += $1 } END { print t }')
  sleep "$seconds"
  t1=$(cat /proc/"$pid"/task/*/schedstat | awk '{ t += $1 } END { print t }')
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  awk -v t="$((t1 - t0))" -v s="$seconds" 'BEGIN { printf "%.2f %%", 100 * t / 1e9 / s }'
}
sleeper() { exec perl -MTime::HiRes=sleep -e 'sleep(1 / $ARGV[0]) while 1' "$1"; }
printf 'floor: a thread that only sleeps, waking 32/s %s, 43/s %s' "$(floor sleeper 32)" "$(floor sleeper 43)"
empty_loop=$(dirname "${programs[0]}")/../bench/app/marlipan-emptyloop
[[ -x $empty_loop ]] && printf '; an empty Qt window at the frame pace %s' "$(floor "$empty_loop")"
printf '\n\n'

printf '%-22s' situation
for p in "$@"; do printf '  %-28s' "$p"; done
printf '\n%-22s' ''
for p in "$@"; do printf '  %-28s' "CPU    wake/s main    all"; done
printf '\n'
for ((round = 0; round < rounds; ++round)); do
  for situation in $situations; do
    for music in $musics; do
      [[ $situation == effect && $music == on ]] && continue
      printf '%-22s' "$situation, music $music"
      threads=()
      for p in "${programs[@]}"; do
        result=$(measure "$p" "$situation" "$music")
        printf '  %-28s' "${result%%|*}"
        threads+=("${result#*|}")
      done
      printf '\n'
      if ((verbose)); then
        for t in "${threads[@]}"; do printf '%-22s%s\n' '' "$t"; done
      fi
    done
  done
done
