#!/usr/bin/env bash
# The game's CPU use while nothing moves, measured under Xvfb from /proc/PID/stat
# (utime + stime) over a fixed stretch, in four situations:
#   playing        a still Playing screen, music off (default.spx, no clock)
#   playing-music  the same with the music on
#   clock          a Playing screen with the level clock running, music off (racing.spx)
#   paused         the Paused screen with its animation, music off
#
# usage: bench/idle_cpu.sh [-s SECONDS] [-d DISPLAY] [-r ROUNDS] MARLIPAN [MARLIPAN ...]
# Several programs (e.g. a build before and after a change) are measured in turns, one
# situation after the other, so that they share the machine's load; each runs in the
# folder that holds the bundled gamepacks (../gamepacks beside app/marlipan in a build).
# Needs Xvfb and xdotool (scripts/deps installs them).
set -euo pipefail

seconds=20 display=:39 rounds=1
while getopts "s:d:r:" opt; do
  case $opt in
    s) seconds=$OPTARG ;;
    d) display=$OPTARG ;;
    r) rounds=$OPTARG ;;
    *) exit 2 ;;
  esac
done
shift $((OPTIND - 1))
[[ $# -ge 1 ]] || { sed -n '2,14p' "$0"; exit 2; }

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

ticks_per_second=$(getconf CLK_TCK)
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# measure PROGRAM SITUATION: prints the CPU share in percent of one core.
measure() {
  local program=$1 situation=$2 music=0 pack=default.spx
  case $situation in
    playing-music) music=1 ;;
    clock) pack=racing.spx ;;
  esac
  local home=$work/home
  rm -rf "$home"
  mkdir -p "$home/.config/Dunmarsh"
  printf '[General]\nPlayMusic=%s\nGamepackName=%s\nOnTop=0\nDoubleSize=0\n' "$music" "$pack" \
    > "$home/.config/Dunmarsh/Marlipan.conf"
  local folder
  folder=$(cd "$(dirname "$program")/../gamepacks" && pwd)
  (cd "$folder" && HOME=$home XDG_CONFIG_HOME=$home/.config exec "$program") >/dev/null 2>&1 &
  local pid=$!
  sleep 2
  if [[ $situation == paused ]]; then
    local window
    window=$(xdotool search --sync --onlyvisible --pid "$pid" --name 'Marlipan' | head -n 1)
    xdotool windowfocus --sync "$window" key p
    sleep 1
  fi
  local t0 t1
  t0=$(cpu_ticks "$pid")
  sleep "$seconds"
  t1=$(cpu_ticks "$pid")
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  awk -v d=$((t1 - t0)) -v hz="$ticks_per_second" -v s="$seconds" \
    'BEGIN { printf "%.2f", 100 * d / hz / s }'
}

printf '%-16s' situation
for p in "$@"; do printf '  %s' "$p"; done
printf '\n'
for ((round = 0; round < rounds; ++round)); do
  for situation in playing playing-music clock paused; do
    printf '%-16s' "$situation"
    for p in "$@"; do printf '  %6s %%' "$(measure "$p" "$situation")"; done
    printf '\n'
  done
done
