#!/usr/bin/env bash
# Takes the README's screenshots of the real program, so that they can be remade after a change:
#   docs/main-window.png    the main window with the sample table and a power-off entry
#   docs/player-window.png  the broadcast player (播音 → 实时播音器), when the program has it
#   docs/power-off.png      the shutdown count-down, fired by that entry
# The program runs on a virtual display (Xvfb) with a window manager (openbox), on a temporary program
# folder and HOME, at a fixed date and time (faketime), with sound going nowhere and the machine's
# buses out of reach, so the power-off entry asks nothing of the real machine.
#   scripts/screenshots.sh [build dir]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh" --screenshots
build="${1:-${QUELBROOK_BUILD_DIR:-$here/build}}"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUELBROOK_TESTS=OFF >/dev/null
cmake --build "$build" --target quelbrook quel_data

# The shots show 2026-09-01, a Tuesday, from 17:44:40; the power-off entry fires at 17:45:00.
readonly START="2026-09-01 17:44:40"
readonly POWER_OFF_AT="17:45:00"

work=$(mktemp -d)
pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# A display number nobody uses, well above those that programs take by default.
display=90
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=":$display"
for _ in $(seq 50); do
  if xdotool getmouselocation >/dev/null 2>&1; then break; fi
  sleep 0.1
done
openbox >/dev/null 2>&1 &
pids+=($!)

# A program folder set up before: the sample table with a shutdown after school as the default table,
# the window shown, the shutdown count-down on with 60 seconds.
home="$work/home"
mkdir -p "$home/DayTimeTable" "$home/PlayListFile" "$home/run"
chmod 700 "$home/run"
printf '1\r\n' >"$home/ResetSystem.txt"
printf '"show"\r\n' >"$home/show.txt"
printf '"开60"\r\n' >"$home/Shut.txt"
sample=$(tr -d '\r\n' <"$here/data/DayTimeTable/Sample.DTT")
printf '%s|%s*放学后关闭电脑>每天<关机"\r\n' "${sample%\"}" "$POWER_OFF_AT" >"$home/DayTimeTable/Default.DTT"

env HOME="$home" QUELBROOK_HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" \
  XDG_CACHE_HOME="$home/.cache" XDG_RUNTIME_DIR="$home/run" \
  DBUS_SYSTEM_BUS_ADDRESS=unix:path=/nonexistent/quelbrook-shots/system_bus_socket \
  DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/quelbrook-shots/session_bus_socket \
  PULSE_SERVER=unix:/nonexistent/quelbrook-shots/pulse/native QUELBROOK_AUDIO_SINK=fakeaudiosink \
  QT_QPA_PLATFORM=xcb FAKETIME_DONT_FAKE_MONOTONIC=1 \
  faketime "$START" "$build/bin/quelbrook" >"$work/program.log" 2>&1 &
pids+=($!)

# window_named PATTERN [SECONDS]: the id of the visible window whose title matches, once it shows.
window_named() {
  for _ in $(seq $((${2:-20} * 10))); do
    xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 | grep . && return 0
    sleep 0.1
  done
  return 1
}
shoot() { # WINDOW FILE
  sleep 0.5 # let it paint
  import -window "$1" "$2"
  echo "screenshots: $2 ($(identify -format '%wx%h' "$2"))"
}

main=$(window_named '版本 7.0.253' 30) || {
  echo "screenshots: the main window did not show: $(cat "$work/program.log")" >&2
  exit 1
}
sleep 2 # the first ticks write the status line
shoot "$main" "$here/docs/main-window.png"

# 播音 is the fourth menu of the bar; Alt puts the keyboard on the first.
xdotool windowactivate --sync "$main"
xdotool key --delay 150 alt Right Right Right Down Return
if player=$(window_named '实时播音器' 5); then
  shoot "$player" "$here/docs/player-window.png"
  xdotool windowclose "$player" 2>/dev/null || true
else
  echo "screenshots: no player window behind 播音 → 实时播音器, its shot is left out"
  xdotool key Escape
fi

power=$(window_named '^Quelbrook$' 40) || {
  echo "screenshots: the shutdown count-down did not show: $(cat "$work/program.log")" >&2
  exit 1
}
sleep 2 # a couple of seconds into the count-down
shoot "$power" "$here/docs/power-off.png"
