#!/usr/bin/env bash
# When the bells ring, measured on the real program: a table of one entry a second, each running
# touch on a file of its own. Prints the median and the 99th percentile, in milliseconds after the
# entry's second, of the tick that fired it (the program's own log, to the millisecond) and of the
# marker program (the file's modification time, as coarse as the kernel's tick, 4 ms here), with the
# ticks on the system's second (按系统秒打铃) and with the steering, idle and with both cores kept busy.
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

stats() {  # sorted milliseconds on stdin
  awk '{a[NR] = $1} END {
    p99 = int(NR * 0.99 + 0.999); if (p99 > NR) p99 = NR
    printf "n=%d median %.1f, p99 %.1f, earliest %.1f, latest %.1f", NR,
           (NR % 2 ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2), a[p99], a[1], a[NR]
  }'
}

# One run: $1 = YES or NO (on the second), $2 = busy or idle.
run() {
  local home="$work/$1-$2" busy=()
  mkdir -p "$home/DayTimeTable" "$home/m"
  printf '1\r\n' > "$home/ResetSystem.txt"
  printf '"show"\r\n' > "$home/show.txt"
  printf '"%s"\r\n' "$1" > "$home/OnTheSecond.txt"
  printf '"%s"\r\n' "$home/DayTimeTable/t.DTT" > "$home/DefaultDTT.txt"
  # The first entry well after the splash's five seconds and the start-up.
  local first=$(( $(date +%s) + 12 )) table="" i
  for i in $(seq 0 $((firings - 1))); do
    table+="|$(date -d "@$((first + i))" +%-H:%M:%S)*m${i}>每天<执行程序/usr/bin/touch $home/m/$((first + i))"
  done
  printf '"%s"\r\n' "$table" > "$home/DayTimeTable/t.DTT"
  if [ "$2" = busy ]; then
    for i in 1 2; do ( while :; do :; done ) & busy+=($!); pids+=($!); done
  fi
  QUELBROOK_HOME="$home" QT_QPA_PLATFORM=offscreen QUELBROOK_AUDIO_SINK=fakeaudiosink \
    XDG_CONFIG_HOME="$home/.config" XDG_RUNTIME_DIR="$home" \
    DBUS_SYSTEM_BUS_ADDRESS=unix:path=/nonexistent/bus DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/bus \
    QT_LOGGING_RULES="quel.tick.debug=true" "$build/bin/quelbrook" 2>"$home/log" &
  local pid=$!
  pids+=($pid)
  sleep $(( first + firings + 2 - $(date +%s) ))
  kill "$pid"; wait "$pid" 2>/dev/null || true
  for p in "${busy[@]}"; do kill "$p"; wait "$p" 2>/dev/null || true; done
  # "fires 8:00:01 at 08:00:01.004": the tick's reading of the system clock when it fired.
  printf 'tick: '
  awk '$NF ~ /^[0-9][0-9]:/ && $(NF - 2) ~ /:/ {
    split($(NF - 2), p, ":"); split($NF, s, "[:.]")
    d = (s[1] * 3600 + s[2] * 60 + s[3] + s[4] / 1000) - (p[1] * 3600 + p[2] * 60 + p[3])
    if (d < -43200) d += 86400
    printf "%.1f\n", d * 1000
  }' "$home/log" | sort -n | stats
  printf '   marker: '
  for f in "$home"/m/*; do
    awk -v due="$(basename "$f")" -v t="$(stat -c %.9Y "$f")" 'BEGIN {printf "%.1f\n", (t - due) * 1000}'
  done | sort -n | stats
  echo
}

for mode in ${MODES:-YES NO}; do
  for load in ${LOADS:-idle busy}; do
    printf '%-22s %-5s ' "$([ $mode = YES ] && echo 'on the system second' || echo 'steered')" "$load"
    run "$mode" "$load"
  done
done
