#!/usr/bin/env bash
# The CPU that a 720p video costs in the player's video view, against the anchor of GStreamer's own
# playbin drawing into ximagesink, in the same run on the same display. The view is measured both ways:
# the picture drawn by the sink into its window, and painted by Qt from images (Wayland, offscreen).
# Usage: bench/video_cpu.sh [build dir] [seconds] [view size, e.g. 1280x720]
# Without DISPLAY, a private Xvfb on :9 with openbox is started; the build needs -DQUELBROOK_BENCH=ON.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="${1:-$here/build}"
seconds="${2:-20}"
size="${3:-1280x720}"
driver="$build/bin/bench_video_window"
[ -x "$driver" ] || { echo "no $driver: build the target bench_video_window" >&2; exit 1; }
work=$(mktemp -d)
started=()
cleanup() {
  for p in "${started[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

if [ -z "${DISPLAY:-}" ]; then
  Xvfb :9 -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
  started+=($!)
  export DISPLAY=:9
  sleep 1
  if command -v openbox >/dev/null; then
    openbox >/dev/null 2>&1 &
    started+=($!)
    sleep 1
  fi
fi

# A moving 720p picture in H.264 with sound, long enough for the warm-up and the measuring window.
warmup=3
length=$((seconds + warmup + 5))
video="$work/720p.mp4"
gst-launch-1.0 -q videotestsrc num-buffers=$((length * 25)) horizontal-speed=4 \
  ! video/x-raw,width=1280,height=720,framerate=25/1 ! x264enc speed-preset=ultrafast tune=zerolatency \
  ! h264parse ! mp4mux name=mux ! filesink location="$video" \
  audiotestsrc num-buffers=$((length * 25)) samplesperbuffer=1764 ! audio/x-raw,rate=44100,channels=2 \
  ! audioconvert ! avenc_aac ! aacparse ! mux. >/dev/null

hz=$(getconf CLK_TCK)
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

# Starts the command, lets it settle, and prints its CPU share over the measuring window.
measure() {
  "$@" >"$work/out" 2>&1 &
  local pid=$!
  started+=("$pid")
  sleep "$warmup"
  kill -0 "$pid" 2>/dev/null || { cat "$work/out" >&2; echo "ended early" >&2; exit 1; }
  local c0 c1
  c0=$(cpu_ticks "$pid")
  sleep "$seconds"
  c1=$(cpu_ticks "$pid")
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  awk -v c=$((c1 - c0)) -v hz="$hz" -v s="$seconds" 'BEGIN {printf "%.1f", 100 * c / hz / s}'
}

# The program paints without X shared memory (src/shell/app.cpp), so the driver does too.
export QUELBROOK_AUDIO_SINK=fakeaudiosink QT_QPA_PLATFORM=xcb QT_XCB_NO_MITSHM=1
anchor=$(measure gst-launch-1.0 -q playbin uri="file://$video" video-sink=ximagesink audio-sink=fakeaudiosink)
drawn=$(measure "$driver" "$video" window "$size")
images=$(measure "$driver" "$video" images "$size")

echo "720p video, view $size, ${seconds} s, % of one core:"
echo "  anchor (playbin into ximagesink): $anchor"
awk -v a="$anchor" -v d="$drawn" -v i="$images" 'BEGIN {
  printf "  drawn by the sink into the view: %.1f (%.2f x the anchor)\n", d, d / a
  printf "  painted from images:             %.1f (%.2f x the anchor)\n", i, i / a
}'
