#!/usr/bin/env bash
# Frame pacing of the real window under Xvfb: a minute of play with music, one level load
# and a Paused stretch (bench/app/framepacing.cpp drives it).
# usage: bench/frame_pacing.sh [BUILD_DIR] [SECONDS] [DISPLAY] [--hints=PACK]
# Needs Xvfb (scripts/deps installs it). Prints the distribution of the frame intervals.
# --hints=master.spx plays by hints alone with Fewest moves on, the solver starting
# without tables (see the program's comment).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
seconds=${2:-60}
display=${3:-:38}

Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null || true' EXIT
sleep 1
DISPLAY=$display QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} \
  "$build/bench/app/marlipan-framepacing" "$build/gamepacks" "$seconds" "${@:4}"
