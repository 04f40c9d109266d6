#!/usr/bin/env bash
# The program idle with its window hidden or shown: CPU share, wakeups per second and resident memory,
# read from /proc over a measuring window. Usage: bench/idle.sh [build dir] [seconds] [hidden|shown]
# With DISPLAY set (say Xvfb with a window manager) the program runs on that display, where a minimized
# window and the X connection show their real cost; without it, offscreen.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="${1:-$here/build}"
seconds="${2:-60}"
window="${3:-hidden}"
home=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$home"' EXIT

# A program folder that has been set up before, with the window as asked at start and a full table.
printf '1\r\n' > "$home/ResetSystem.txt"
if [ "$window" = shown ]; then printf '"show"\r\n'; else printf '"hide"\r\n'; fi > "$home/show.txt"
mkdir -p "$home/DayTimeTable"
table=""
for i in $(seq 0 99); do table+="|$((6 + i % 16)):$(printf %02d $((i % 60))):00*第${i}节>每天<$home/timeup.mp3"; done
printf '"%s"\r\n' "$table" > "$home/DayTimeTable/Default.DTT"

qpa=offscreen
[ -n "${DISPLAY:-}" ] && qpa=xcb
QUELBROOK_HOME="$home" QT_QPA_PLATFORM=$qpa QUELBROOK_AUDIO_SINK=fakeaudiosink \
  XDG_CONFIG_HOME="$home/.config" XDG_RUNTIME_DIR="$home" "$build/bin/quelbrook" &
pid=$!
sleep 15  # the splash stands five seconds; start-up threads of the media framework end after it

# "tid count" per thread: its voluntary context switches, each one a wakeup from sleep. Involuntary
# ones are the machine's other work taking the core away, not the program waking: counted apart.
switches() {
  for s in /proc/$pid/task/*/status; do
    awk -v t="$(basename "$(dirname "$s")")" '/^voluntary_ctxt_switches/ {n += $2} END {print t, n}' "$s"
  done
}
preemptions() {
  cat /proc/$pid/task/*/status | awk '/^nonvoluntary_ctxt_switches/ {n += $2} END {print n}'
}
cpu_ticks() { awk '{print $14 + $15}' /proc/$pid/stat; }
rss_kb() { awk '/VmRSS/ {print $2}' /proc/$pid/status; }

echo "RSS after start-up: $(( $(rss_kb) / 1024 )) MB"
switches > "$home/before"; c0=$(cpu_ticks); p0=$(preemptions)
sleep "$seconds"
switches > "$home/after"; c1=$(cpu_ticks); p1=$(preemptions)
# Threads that started meanwhile count whole; a thread that ended takes its count with it.
woke=$(awk 'NR == FNR {before[$1] = $2; next} {total += $2 - before[$1]} END {print total}' "$home/before" "$home/after")
hz=$(getconf CLK_TCK)
awk -v c=$((c1 - c0)) -v hz="$hz" -v s="$seconds" 'BEGIN {printf "CPU share: %.3f%% of one core\n", 100 * c / hz / s}'
awk -v w="$woke" -v s="$seconds" 'BEGIN {printf "wakeups per second: %.2f\n", w / s}'
awk -v p=$((p1 - p0)) -v s="$seconds" 'BEGIN {printf "preemptions per second (other work on the machine, not counted): %.2f\n", p / s}'
echo "threads: $(ls /proc/$pid/task | wc -l)"
# The busiest threads, by name, so a wakeup has an owner.
awk 'NR == FNR {before[$1] = $2; next} {print $2 - before[$1], $1}' "$home/before" "$home/after" | sort -rn | head -3 |
  while read -r n tid; do printf '  %s: %.2f/s\n' "$(cat /proc/$pid/task/$tid/comm 2>/dev/null || echo gone)" "$(awk -v n="$n" -v s="$seconds" 'BEGIN {print n / s}')"; done
echo "RSS after ${seconds} s idle: $(( $(rss_kb) / 1024 )) MB"
