#!/usr/bin/env bash
# A school day of the real program, fast-forwarded: 60 entries (bells, the spoken time in both voices, two
# play-list broadcasts) with the hourly chime on, on a virtual display with a window manager, sounding into
# a private sound server's null sink. The program's clock runs `speed` times as fast as the wall clock
# (libfaketime), so a morning of bells passes in a quarter of an hour. Resident memory and threads are read
# from /proc every two seconds and once just before each entry, when whatever the last one started should
# have ended: that count, held against the count before the first entry, is the growth left per event.
#
#   bench/school_day.sh [build dir] [speed] [real seconds between entries]
#
# QUELBROOK_DAY_DISPLAY picks the virtual display (default :11); QUELBROOK_DAY_WINDOW=hide starts the
# program in the tray, as a school's PC usually runs it, instead of with its window shown;
# QUELBROOK_DAY_KEEP=1 keeps the program folder with the samples (samples.txt, before.txt) and the
# program's log; QUELBROOK_DAY_TRIM=1 (below).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="${1:-$here/build}"
speed="${2:-12}"
gap="${3:-15}"
entries=60
warmup=20  # real seconds: the splash, the emergency sound opening paused, the first chime
display="${QUELBROOK_DAY_DISPLAY:-:11}"
faketime_lib=/usr/lib/x86_64-linux-gnu/faketime/libfaketimeMT.so.1
for tool in Xvfb openbox pulseaudio dbus-daemon gst-launch-1.0; do
  command -v "$tool" >/dev/null || { echo "needs $tool (scripts/setup.sh --screenshots --test)" >&2; exit 2; }
done
[ -e "$faketime_lib" ] || { echo "needs libfaketime (package faketime)" >&2; exit 2; }
[ -x "$build/bin/quelbrook" ] || { echo "no $build/bin/quelbrook: build the target quelbrook first" >&2; exit 2; }

work=$(mktemp -d /tmp/quel-day-XXXXXX)
home="$work/home"
pids=()
cleanup() {
  # Only what this script started, newest first, each by its own id.
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  wait 2>/dev/null || true
  if [ "${QUELBROOK_DAY_KEEP:-0}" = 1 ]; then echo "kept: $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT

wait_for() {  # seconds, then a command that succeeds once the service answers
  local left=$(($1 * 10))
  shift
  until "$@" >/dev/null 2>&1; do
    left=$((left - 1))
    [ "$left" -gt 0 ] || return 1
    sleep 0.1
  done
}

# The display and its window manager, so the windows map, take focus and repaint as on a desktop.
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
wait_for 10 test -S "/tmp/.X11-unix/X${display#:}" || { echo "Xvfb did not start on $display" >&2; exit 1; }
export DISPLAY="$display"
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)

# A session bus of its own, with no service folders, so nothing real is ever activated: the broadcast
# player registers its media controls there as it would on a desktop.
mkdir -p "$work/bus"
cat >"$work/bus/bus.conf" <<EOF
<busconfig>
  <type>session</type>
  <listen>unix:path=$work/bus/socket</listen>
  <auth>EXTERNAL</auth>
  <policy context="default"><allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/><allow own="*"/></policy>
</busconfig>
EOF
dbus-daemon --config-file="$work/bus/bus.conf" --nofork >"$work/bus.log" 2>&1 &
pids+=($!)
wait_for 10 test -S "$work/bus/socket" || { echo "the private bus did not start" >&2; exit 1; }

# A sound server of its own whose only output is a null sink: real streams, real timing, no loudspeaker.
mkdir -p "$work/pulse/home" "$work/pulse/run"
chmod 700 "$work/pulse/run"
cat >"$work/pulse/day.pa" <<EOF
load-module module-native-protocol-unix auth-anonymous=1 socket=$work/pulse/native
load-module module-null-sink sink_name=speakers
set-default-sink speakers
EOF
HOME="$work/pulse/home" XDG_RUNTIME_DIR="$work/pulse/run" XDG_CONFIG_HOME="$work/pulse/home/.config" \
  pulseaudio -n -F "$work/pulse/day.pa" --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
  --disable-shm=yes >"$work/pulse.log" 2>&1 &
pids+=($!)
wait_for 10 test -S "$work/pulse/native" || { echo "the private sound server did not start" >&2; exit 1; }

# The program folder: set up before, window shown, the chime on (bell A), and the day's table.
mkdir -p "$home/DayTimeTable" "$home/PlayListFile" "$home/music"
for data in toll SayTimeWav timeup.mp3 emergency; do
  if [ -e "$build/bin/$data" ]; then cp -r "$build/bin/$data" "$home/"; else cp -r "$here/data/$data" "$home/"; fi
done
crlf() { printf '%s\r\n' "$1"; }
crlf 1 >"$home/ResetSystem.txt"
crlf "\"${QUELBROOK_DAY_WINDOW:-show}\"" >"$home/show.txt"
crlf "\"开$home/toll/A/A\"" >"$home/Toll.txt"
# The broadcasts' music: ten seconds each, in the three formats a school's list usually holds.
gst-launch-1.0 -q audiotestsrc num-buffers=430 freq=440 ! audioconvert ! wavenc ! filesink location="$home/music/a.wav"
gst-launch-1.0 -q audiotestsrc num-buffers=430 freq=550 ! audioconvert ! lamemp3enc ! filesink location="$home/music/b.mp3"
gst-launch-1.0 -q audiotestsrc num-buffers=430 freq=660 ! audioconvert ! vorbisenc ! oggmux ! filesink location="$home/music/c.ogg"
crlf "\"|$home/music/a.wav|$home/music/b.mp3|$home/music/c.ogg\"" >"$home/PlayListFile/课间操.PLF"
crlf "\"|$home/music/c.ogg|$home/music/a.wav\"" >"$home/PlayListFile/午间.PLF"

# The program's clock starts at 07:59:00 of a Monday; entry i comes (warmup + i * gap) real seconds after
# the start. Mostly bells, the spoken time twice in every ten, two broadcasts with their 播音关.
start_fake=$(date -d '2026-12-07 07:59:00' +%s)
table=""
kinds=()
for i in $(seq 0 $((entries - 1))); do
  at=$(date -d "@$((start_fake + (warmup + i * gap) * speed))" +%-H:%M:%S)
  case $i in
    20) response="播音开-静态$home/PlayListFile/课间操.PLF" kind=broadcast ;;
    23 | 43) response="播音关" kind=off ;;
    40) response="播音开-动态$home/PlayListFile/午间.PLF" kind=broadcast ;;
    *)
      case $((i % 10)) in
        4) response="中文女声报时" kind=spoken ;;
        9) response="中文男声报时" kind=spoken ;;
        7) response="$home/timeup.mp3" kind=tone ;;
        *) response="$home/toll/$(echo ABC | cut -c$((i % 3 + 1)))/$(echo ABC | cut -c$((i % 3 + 1)))$((i % 3 + 1)).WAV" kind=tone ;;
      esac
      ;;
  esac
  table+="|${at}*第${i}项>每天<${response}"
  kinds+=("$kind")
done
crlf "\"$table\"" >"$home/DayTimeTable/Default.DTT"
crlf "\"$home/DayTimeTable/Default.DTT\"" >"$home/DefaultDTT.txt"

rss_kb() { awk '/^VmRSS/ {print $2}' "/proc/$pid/status" 2>/dev/null || echo 0; }
threads() { awk '/^Threads/ {print $2}' "/proc/$pid/status" 2>/dev/null || echo 0; }
names() { cat /proc/"$pid"/task/*/comm 2>/dev/null | sort | uniq -c | awk '{printf "%s%s×%s", sep, $2, $1; sep=" "}'; }

QUELBROOK_HOME="$home" QT_QPA_PLATFORM=xcb XDG_CONFIG_HOME="$home/.config" XDG_RUNTIME_DIR="$home/.run" \
  XDG_DATA_HOME="$home/.data" DBUS_SESSION_BUS_ADDRESS="unix:path=$work/bus/socket" \
  DBUS_SYSTEM_BUS_ADDRESS="unix:path=/nonexistent/quelbrook-day/system_bus_socket" \
  PULSE_SERVER="unix:$work/pulse/native" QT_LOGGING_RULES="quel.media.debug=true" \
  LD_PRELOAD="$faketime_lib" FAKETIME="@2026-12-07 07:59:00 x$speed" FAKETIME_NO_CACHE=1 \
  "$build/bin/quelbrook" >"$work/program.log" 2>&1 &
pid=$!
pids+=($pid)
t0=$(date +%s.%N)
mkdir -p "$home/.run" && chmod 700 "$home/.run"
since() { awk -v t0="$t0" -v now="$(date +%s.%N)" 'BEGIN {printf "%.1f", now - t0}'; }
sleep_until() { local left; left=$(awk -v t0="$t0" -v at="$1" -v now="$(date +%s.%N)" 'BEGIN {d = t0 + at - now; print (d > 0 ? d : 0)}'); sleep "$left"; }

# Every two seconds for the peak and the curve.
(
  while kill -0 "$pid" 2>/dev/null; do
    echo "$(since) $(rss_kb) $(threads)"
    sleep 2
  done
) >"$work/samples.txt" &
pids+=($!)

# Just before each entry: the last one has had its (gap - 1.5) seconds to end.
: >"$work/before.txt"
for i in $(seq 0 $((entries - 1))); do
  sleep_until "$(awk -v w="$warmup" -v i="$i" -v g="$gap" 'BEGIN {print w + i * g - 1.5}')"
  kill -0 "$pid" 2>/dev/null || { echo "the program ended before entry $i" >&2; exit 1; }
  printf '%s %s %s %s %s\n' "$i" "$(rss_kb)" "$(threads)" "${kinds[i]}" "$(names)" >>"$work/before.txt"
done
sleep_until $((warmup + entries * gap + 5))
end_rss=$(rss_kb) end_threads=$(threads) end_names=$(names)
# QUELBROOK_DAY_TRIM=1: what the allocator holds free but has not given back, told from what is in use,
# by asking it to give back all it can (gdb calls malloc_trim in the program).
if [ "${QUELBROOK_DAY_TRIM:-0}" = 1 ] && command -v gdb >/dev/null; then
  gdb -p "$pid" -batch -ex 'call (int) malloc_trim(0)' >/dev/null 2>&1 || true
  echo "RSS after malloc_trim(0): $(awk -v r="$(rss_kb)" 'BEGIN {printf "%.1f", r / 1024}') MB"
fi

awk -v end_rss="$end_rss" -v end_threads="$end_threads" '
  NR == FNR { if ($2 > peak) peak = $2; if ($3 > tpeak) tpeak = $3; next }
  FNR == 1 { idle_rss = $2; idle = $3 }
  { if ($3 > idle) over++; if ($3 > tmax) tmax = $3; sum += $3; n++ }
  END {
    printf "RSS: start %.1f MB, end %.1f MB, peak %.1f MB\n", idle_rss / 1024, end_rss / 1024, peak / 1024
    printf "threads: idle %d, between entries %.1f on average (most %d; above idle before %d of %d entries), peak %d, at the end %d\n",
      idle, sum / n, tmax, over, n, tpeak, end_threads
  }' "$work/samples.txt" "$work/before.txt"
echo "threads before the first entry: $(sed -n 1p "$work/before.txt" | cut -d' ' -f5-)"
echo "threads at the end:             $end_names"
# The program's own record: every entry rings as 完成; anything missed or failed means the day was not
# the one intended (a clock the tick could not follow, a file that did not play).
log=$(cat "$home"/History/*.log 2>/dev/null || true)
echo "history: $(grep -c $'\t完成' <<<"$log" || true) done, $(grep -c '错过' <<<"$log" || true) missed, $(grep -c $'\t失败' <<<"$log" || true) failed"
echo "sounds started: $(grep -c 'Started' "$work/program.log" || true)"
