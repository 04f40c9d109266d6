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
  gstreamer1.0-x
  timgm6mb-soundfont
  libglib2.0-dev
  libpulse-dev
  libical-dev
  fonts-wqy-microhei
  qt6-translations-l10n
  xvfb xauth
  dbus
  libsodium-dev
  # The page for a phone. Debian's Qt HTTP Server build files ask for Qt WebSockets without the package
  # depending on it.
  qt6-httpserver-dev qt6-websockets-dev
)
# The Debian package is built by cpack with dpkg-shlibdeps (dpkg-dev) and checked by lintian.
packaging=(dpkg-dev lintian)
# Tests also drive the windows offscreen, benchmarks run the real program, the power tests talk to a
# mock login manager (python3-dbusmock) on a private bus, and the installed program's tests validate
# its desktop entry (desktop-file-utils) and metainfo (appstream) and build the package.
if [ "${1:-}" = "--test" ]; then
  packages+=(libbenchmark-dev clang libclang-rt-14-dev procps python3-dbusmock faketime clang-format)
  packages+=(binutils desktop-file-utils appstream "${packaging[@]}")
  # The broadcast player's media controls are checked as the desktop's tools speak them.
  packages+=(playerctl)
  # A campus's live broadcasts reach other buildings through a Snapcast server and its clients; the
  # program only writes into the server's pipe and needs neither.
  packages+=(snapserver snapclient)
  # The page for a phone is tested in headless Chromium, driven by Selenium.
  packages+=(chromium chromium-driver python3-selenium)
  # The radio's tests start a private PulseAudio. A machine whose sound runs on PipeWire's PulseAudio
  # service keeps it: installing pulseaudio there would replace it.
  if ! command -v pulseaudio >/dev/null && ! command -v pipewire-pulse >/dev/null; then
    packages+=(pulseaudio)
  fi
fi

if [ "${1:-}" = "--package" ]; then
  packages+=("${packaging[@]}")
fi
# The screenshots are taken of the real program on a virtual display with a window manager (openbox),
# at a fixed time (faketime); its menus are opened with xdotool and its windows grabbed with ImageMagick.
if [ "${1:-}" = "--screenshots" ]; then
  packages+=(openbox xdotool imagemagick faketime)
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
