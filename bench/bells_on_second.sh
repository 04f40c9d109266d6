#!/usr/bin/env bash
# When the bells ring, measured on the real program against an anchor in the same run. A table of one
# entry every other second, each running a small static marker that writes the system clock's reading
# at its start (bench/marker/marker.c); the anchor is a C loop that sleeps to each second between them
# and starts the same marker (bench/marker/anchor.c). Started in the same second, the one that spawns
# first would take the free processor from the other, and on a busy machine that would decide the
# figures. Prints, in milliseconds after each entry's second, the median and 99th percentile of the
# program's markers and of the anchor's, and their ratio; idle and with both cores kept busy, with the
# ticks on the system's second (按系统秒打铃) and with the steering.
# Usage: bench/bells_on_second.sh [build dir] [firings]   (MODES="YES NO" LOADS="idle busy" choose runs)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="${1:-$here/build}"
firings="${2:-60}"
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

cc -O2 -static -o "$work/marker" "$here/bench/marker/marker.c"
cc -O2 -o "$work/anchor" "$here/bench/marker/anchor.c"

# Milliseconds late of each marker file in a folder: its name is the second it was due.
lateness() {
  for f in "$1"/*; do
    awk -v due="$(basename "$f")" '{printf "%.3f\n", ($1 - due) * 1000}' "$f"
  done | sort -n
}
median() { awk '{a[NR] = $1} END {printf "%.1f", NR % 2 ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }
p99() { awk '{a[NR] = $1} END {i = int(NR * 0.99 + 0.999); if (i > NR) i = NR; printf "%.1f", a[i]}'; }

# One run: $1 = YES or NO (on the second), $2 = busy or idle.
run() {
  local home="$work/$1-$2" busy=()
  mkdir -p "$home/DayTimeTable" "$home/m" "$home/a"
  printf '1\r\n' > "$home/ResetSystem.txt"
  printf '"show"\r\n' > "$home/show.txt"
  printf '"%s"\r\n' "$1" > "$home/OnTheSecond.txt"
  printf '"%s"\r\n' "$home/DayTimeTable/t.DTT" > "$home/DefaultDTT.txt"
  # The first entry well after the splash's five seconds and the start-up.
  local first=$(( $(date +%s) + 12 )) table="" i
  for i in $(seq 0 $((firings - 1))); do
    table+="|$(date -d "@$((first + 2 * i))" +%-H:%M:%S)*m${i}>每天<执行程序$work/marker $home/m/$((first + 2 * i))"
  done
  printf '"%s"\r\n' "$table" > "$home/DayTimeTable/t.DTT"
  if [ "$2" = busy ]; then
    for i in 1 2; do ( while :; do :; done ) & busy+=($!); pids+=($!); done
  fi
  QUELBROOK_HOME="$home" QT_QPA_PLATFORM=offscreen QUELBROOK_AUDIO_SINK=fakeaudiosink \
    XDG_CONFIG_HOME="$home/.config" XDG_RUNTIME_DIR="$home" \
    DBUS_SYSTEM_BUS_ADDRESS=unix:path=/nonexistent/bus DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/bus \
    "$build/bin/quelbrook" 2>"$home/log" &
  local pid=$!
  pids+=($pid)
  # The anchor rings the same seconds beside it, into a folder of its own.
  "$work/anchor" "$((first + 1))" "$firings" "$work/marker" "$home/a" 2 &
  local anchor=$!
  pids+=($anchor)
  wait "$anchor" || true
  sleep 2
  kill "$pid"; wait "$pid" 2>/dev/null || true
  for p in "${busy[@]}"; do kill "$p"; wait "$p" 2>/dev/null || true; done
  local pm pp am ap
  pm=$(lateness "$home/m" | median); pp=$(lateness "$home/m" | p99)
  am=$(lateness "$home/a" | median); ap=$(lateness "$home/a" | p99)
  printf 'n=%d  program median %s p99 %s  anchor median %s p99 %s  ratio median %s p99 %s\n' \
    "$(ls "$home/m" | wc -l)" "$pm" "$pp" "$am" "$ap" \
    "$(awk -v a="$pm" -v b="$am" 'BEGIN {printf "%.1f", (b > 0 ? a / b : 0)}')" \
    "$(awk -v a="$pp" -v b="$ap" 'BEGIN {printf "%.1f", (b > 0 ? a / b : 0)}')"
}

for mode in ${MODES:-YES NO}; do
  for load in ${LOADS:-idle busy}; do
    printf '%-22s %-5s ' "$([ $mode = YES ] && echo 'on the system second' || echo 'steered')" "$load"
    run "$mode" "$load"
  done
done
