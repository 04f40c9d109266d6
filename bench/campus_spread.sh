#!/usr/bin/env bash
# How closely the followers of one campus ring together: a source and four followers, each a real
# program with its own program folder on this machine's clock. The source publishes a table of one
# bell a second into a bundle folder; the followers fetch it at start, check it and ring from it with
# 按系统秒打铃 on (it travels in the bundle). Each bell runs a command that writes CLOCK_REALTIME into
# the follower's own folder (the source's folder in the command is replaced by the follower's on
# unpacking). Prints, over the bells, the median and the 99th percentile of the spread (latest minus
# earliest follower) in milliseconds, and of each follower's delay after the bell's second.
# Usage: bench/campus_spread.sh [build dir] [bells] [followers]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="${1:-$here/build}"
bells="${2:-100}"
followers="${3:-4}"
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

stats() {  # sorted milliseconds on stdin
  awk '{a[NR] = $1} END {
    if (NR == 0) { print "n=0"; exit }
    p99 = int(NR * 0.99 + 0.999); if (p99 > NR) p99 = NR
    printf "n=%d median %.1f, p99 %.1f, largest %.1f\n", NR,
           (NR % 2 ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2), a[p99], a[NR]
  }'
}

start() {  # $1 = program folder
  QUELBROOK_HOME="$1" QT_QPA_PLATFORM=offscreen QUELBROOK_AUDIO_SINK=fakeaudiosink \
    XDG_CONFIG_HOME="$1/.config" XDG_RUNTIME_DIR="$1" \
    DBUS_SYSTEM_BUS_ADDRESS=unix:path=/nonexistent/bus DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/bus \
    "$build/bin/quelbrook" 2>"$1/log" &
  pids+=($!)
}

prepare() {  # $1 = program folder
  mkdir -p "$1/DayTimeTable" "$1/Campus" "$1/m"
  printf '1\r\n' > "$1/ResetSystem.txt"
  printf '"show"\r\n' > "$1/show.txt"
  printf '"NO"\r\n' > "$1/AutoRunYesNo.txt"
}

source="$work/source"
bundle="$work/bundle"
prepare "$source"
printf '"YES"\r\n' > "$source/OnTheSecond.txt"
printf '"%s"\r\n' "$source/DayTimeTable/t.DTT" > "$source/DefaultDTT.txt"
# The first bell well after every follower started, fetched and read the table.
first=$(( $(date +%s) + 45 ))
table=""
for i in $(seq 0 $((bells - 1))); do
  due=$((first + i))
  table+="|$(date -d "@$due" +%-H:%M:%S)*b${i}>每天<执行程序/bin/sh -c 'date +%s.%N > $source/m/$due'"
done
printf '"%s"\r\n' "$table" > "$source/DayTimeTable/t.DTT"
printf 'publish\n%s\n' "$bundle" > "$source/Campus/role.txt"
start "$source"
for _ in $(seq 1 200); do [ -f "$bundle/manifest.signed" ] && break; sleep 0.1; done
[ -f "$bundle/manifest.signed" ] || { echo "the source published nothing"; cat "$source/log"; exit 1; }
key=$(base64 -w0 < "$source/Campus/public.key")

for f in $(seq 1 "$followers"); do
  home="$work/f$f"
  prepare "$home"
  printf 'follow\n%s\n%s\n' "$bundle" "$key" > "$home/Campus/role.txt"
  start "$home"
done
for f in $(seq 1 "$followers"); do
  for _ in $(seq 1 300); do [ -f "$work/f$f/Campus/installed.signed" ] && break; sleep 0.1; done
  [ -f "$work/f$f/Campus/installed.signed" ] || { echo "follower $f installed nothing"; cat "$work/f$f/log"; exit 1; }
done
now=$(date +%s)
[ "$now" -lt "$first" ] || { echo "the followers were not ready before the first bell"; exit 1; }
sleep $(( first + bells + 2 - now ))

printf 'spread between followers:  '
for i in $(seq 0 $((bells - 1))); do
  due=$((first + i))
  cat "$work"/f*/m/"$due" 2>/dev/null | awk -v n="$followers" '
    {t[NR] = $1} END {
      if (NR != n) exit
      lo = t[1]; hi = t[1]
      for (k = 2; k <= NR; ++k) { if (t[k] < lo) lo = t[k]; if (t[k] > hi) hi = t[k] }
      printf "%.2f\n", (hi - lo) * 1000
    }'
done | sort -n | stats
for f in $(seq 1 "$followers"); do
  rang=$(ls "$work/f$f/m" | wc -l)
  printf 'follower %d (%d of %d rang), after the second: ' "$f" "$rang" "$bells"
  for m in "$work/f$f/m"/*; do
    awk -v due="$(basename "$m")" '{printf "%.2f\n", ($1 - due) * 1000}' "$m"
  done | sort -n | stats
done
