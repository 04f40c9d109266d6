#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing need, and only those that are
# missing, so a second run costs a few dpkg queries and no network.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6dbus6 libqt6opengl6-dev libgl-dev
  qt6-qpa-plugins
  libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad
  gstreamer1.0-plugins-ugly gstreamer1.0-libav gstreamer1.0-tools
  timgm6mb-soundfont
  libglib2.0-dev
  libpulse-dev
  fonts-wqy-microhei
  xvfb xauth
  dbus
)
# Tests also drive the windows offscreen, benchmarks run the real program, and the power tests talk to a
# mock login manager (python3-dbusmock) on a private bus.
if [ "${1:-}" = "--test" ]; then
  packages+=(libbenchmark-dev clang libclang-rt-14-dev procps python3-dbusmock)
  # The radio's tests start a private PulseAudio. A machine whose sound runs on PipeWire's PulseAudio
  # service keeps it: installing pulseaudio there would replace it.
  if ! command -v pulseaudio >/dev/null && ! command -v pipewire-pulse >/dev/null; then
    packages+=(pulseaudio)
  fi
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  echo "setup: installing ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -q
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
