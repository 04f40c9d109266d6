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
  libglib2.0-dev
  fonts-wqy-microhei
  xvfb xauth
  dbus
)
# Tests also drive the windows offscreen and benchmarks run the real program; a mock login manager
# stands in for systemd-logind, and libfaketime moves the real program's clock.
if [ "${1:-}" = "--test" ]; then
  packages+=(libbenchmark-dev clang libclang-rt-14-dev procps python3-dbusmock faketime)
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
