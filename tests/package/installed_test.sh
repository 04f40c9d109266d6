#!/usr/bin/env bash
# The program as it is installed: into a temporary DESTDIR by `cmake --install`, or from the Debian
# package unpacked into a temporary folder. Each is started on temporary XDG folders and a temporary
# HOME, offscreen, with sound going nowhere and the machine's buses and sound server out of reach.
#
#   installed_test.sh install  <build tree> <source tree> <app id>   install, run, look for build paths
#   installed_test.sh metadata <build tree> <source tree> <app id>   validate desktop entry and metainfo
#   installed_test.sh deb      <build tree> <source tree> <app id>   build, list, lint, unpack, run
#
# Exits 77 (a skip for CTest) when a tool the check needs is not installed.
set -euo pipefail

mode=$1 build=$2 source=$3 app_id=$4
readonly SKIP=77
work=$(mktemp -d)
pid=
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
    kill "$pid"
    wait "$pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
need() {
  local tool
  for tool in "$@"; do
    if ! command -v "$tool" >/dev/null; then
      echo "SKIP: $tool is not installed"
      exit "$SKIP"
    fi
  done
}
# same FILE EXPECTED-BYTES (with \r and \n written as such)
same() {
  local want
  want=$(printf '%b' "$2" | od -An -c)
  [ "$(od -An -c <"$1")" = "$want" ] || fail "$1 holds $(od -An -c <"$1"), want $want"
}

# install ROOT PREFIX: what `cmake --install` puts under ROOT/PREFIX, stripped as a package is.
install_tree() {
  DESTDIR=$1 cmake --install "$build" --prefix "$2" --strip >"$work/install.log" ||
    fail "cmake --install: $(cat "$work/install.log")"
}

# The installed tree carries no path of the source or build tree: not in the binary (as 8-bit text or
# as the UTF-16 of Qt's string literals), and not in any installed file.
no_build_paths() {
  local root=$1 dir hits
  need strings
  for dir in "$source" "$build"; do
    hits=$( (strings -a "$root/bin/quelbrook" && strings -a -e l "$root/bin/quelbrook") | grep -F "$dir" || true)
    [ -z "$hits" ] || fail "the installed binary names $dir: $hits"
    hits=$(grep -rlF "$dir" "$root" || true)
    [ -z "$hits" ] || fail "installed files name $dir: $hits"
  done
}

# The sample table's tones name sound files that exist once the tree is in place at PREFIX.
sample_tones_exist() {
  local root=$1 prefix=$2 tones tone
  tones=$(tr '|' '\n' <"$root/share/quelbrook/DayTimeTable/Sample.DTT" | sed -n 's/^[^<]*<\(\/[^"]*\).*/\1/p')
  [ -n "$tones" ] || fail "the sample table has no tone entries"
  while IFS= read -r tone; do
    case $tone in
      "$prefix"/*) [ -f "$root${tone#"$prefix"}" ] || fail "sample tone $tone is not installed" ;;
      *) fail "sample tone $tone lies outside $prefix" ;;
    esac
  done <<<"$tones"
}

# run_installed EXECUTABLE: a first start as a new user, offscreen. Checks the program folder it
# made under XDG_DATA_HOME and the autostart entry it wrote, and that nothing was written beside the
# executable's installed tree.
run_installed() {
  local exe=$1 root before home="$work/home"
  root=$(dirname "$(dirname "$exe")")
  before=$(find "$root" -printf '%p %s %T@\n' | sort)
  mkdir -p "$home/run"
  chmod 700 "$home/run"
  local data="$home/data" config="$home/config" folder="$home/data/quelbrook"
  env -u QUELBROOK_HOME -u DESTDIR \
    HOME="$home" XDG_DATA_HOME="$data" XDG_CONFIG_HOME="$config" XDG_CACHE_HOME="$home/cache" \
    XDG_STATE_HOME="$home/state" XDG_RUNTIME_DIR="$home/run" \
    DBUS_SYSTEM_BUS_ADDRESS=unix:path=/nonexistent/quelbrook-test/system_bus_socket \
    DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/quelbrook-test/session_bus_socket \
    PULSE_SERVER=unix:/nonexistent/quelbrook-test/pulse/native \
    QT_QPA_PLATFORM=offscreen QUELBROOK_AUDIO_SINK=fakeaudiosink \
    "$exe" >"$work/program.log" 2>&1 &
  pid=$!
  # The splash stands for five seconds before the main window loads and reads the settings.
  local waited=0
  until grep -q 'Default.DTT' "$folder/DefaultDTT.txt" 2>/dev/null; do
    kill -0 "$pid" 2>/dev/null || fail "the program ended early: $(cat "$work/program.log")"
    [ "$waited" -lt 300 ] || fail "no DefaultDTT.txt after 30 s: $(cat "$work/program.log")"
    sleep 0.1
    waited=$((waited + 1))
  done
  kill -0 "$pid" 2>/dev/null || fail "the program ended after its start: $(cat "$work/program.log")"

  # The program folder was filled from the installed data and the reset files were written.
  local item
  for item in toll/A/A1.WAV toll/C/C12.WAV SayTimeWav/M/M0.wav SayTimeWav/F/F59.wav timeup.mp3 \
    DayTimeTable/Sample.DTT; do
    cmp -s "$folder/$item" "$root/share/quelbrook/$item" || fail "$folder/$item is not the installed $item"
  done
  same "$folder/ResetSystem.txt" '1\r\n'
  same "$folder/AutoRunYesNo.txt" '"YES"\r\n'
  same "$folder/Shut.txt" '"开60"\r\n'
  same "$folder/Interval.txt" '1000\r\n'
  same "$folder/Toll.txt" "\"关$folder/toll/A/A\"\\r\\n"
  same "$folder/Userwav.txt" "\"$folder/timeup.mp3\"\\r\\n"
  same "$folder/DefaultDTT.txt" "\"$folder/DayTimeTable/Default.DTT\"\\r\\n"
  same "$folder/DayTimeTable/Default.DTT" '""\r\n'

  # 开机启动 starts this very executable at login, under the desktop entry's id and icon.
  local entry="$config/autostart/$app_id.desktop"
  [ -f "$entry" ] || fail "no autostart entry $entry: $(ls -R "$config")"
  grep -q "^Exec=.*$exe" "$entry" || fail "the autostart entry does not start $exe: $(cat "$entry")"
  grep -qx "Icon=$app_id" "$entry" || fail "the autostart entry has not the icon $app_id: $(cat "$entry")"
  if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$entry" || fail "the autostart entry does not validate"
  fi

  kill "$pid"
  wait "$pid" 2>/dev/null || true
  pid=
  [ "$(find "$root" -printf '%p %s %T@\n' | sort)" = "$before" ] ||
    fail "the program wrote into its installed tree $root"
}

check_icons() {
  local share=$1 size png dims
  [ -f "$share/icons/hicolor/scalable/apps/$app_id.svg" ] || fail "no scalable icon"
  for size in 16 22 24 32 48 64 128 256; do
    png="$share/icons/hicolor/${size}x${size}/apps/$app_id.png"
    [ -f "$png" ] || fail "no $png"
    # The width and height of a PNG are the big-endian words at byte 16 and 20.
    dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{ print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8 }')
    [ "$dims" = "${size}x${size}" ] || fail "$png is $dims"
  done
}

case $mode in
  install)
    # Not the prefix the package uses, so the data is found relative to the executable, not at /usr.
    install_tree "$work/root" /usr/local
    root="$work/root/usr/local"
    [ -x "$root/bin/quelbrook" ] || fail "no executable installed"
    [ -f "$root/share/applications/$app_id.desktop" ] || fail "no desktop entry installed"
    [ -f "$root/share/metainfo/$app_id.metainfo.xml" ] || fail "no metainfo installed"
    [ -f "$root/share/man/man1/quelbrook.1.gz" ] || fail "no manual page installed"
    check_icons "$root/share"
    no_build_paths "$root"
    sample_tones_exist "$root" /usr/local
    run_installed "$root/bin/quelbrook"
    ;;
  metadata)
    need desktop-file-validate appstreamcli
    install_tree "$work/root" /usr
    desktop-file-validate "$work/root/usr/share/applications/$app_id.desktop"
    grep -qx "Icon=$app_id" "$work/root/usr/share/applications/$app_id.desktop" || fail "the desktop entry's icon"
    appstreamcli validate --no-net --pedantic "$work/root/usr/share/metainfo/$app_id.metainfo.xml"
    grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" \
      "$work/root/usr/share/metainfo/$app_id.metainfo.xml" || fail "the metainfo does not launch $app_id.desktop"
    ;;
  deb)
    need dpkg-deb dpkg-shlibdeps cpack
    (cd "$work" && env -u DESTDIR cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/pkg" >"$work/cpack.log") ||
      fail "cpack: $(cat "$work/cpack.log")"
    deb=$(find "$work/pkg" -maxdepth 1 -name 'quelbrook_*.deb')
    [ -n "$deb" ] || fail "cpack made no package: $(cat "$work/cpack.log")"
    listing=$(dpkg-deb -c "$deb" | awk '{ print $6 }')
    for path in ./usr/bin/quelbrook "./usr/share/applications/$app_id.desktop" \
      "./usr/share/metainfo/$app_id.metainfo.xml" "./usr/share/icons/hicolor/scalable/apps/$app_id.svg" \
      "./usr/share/icons/hicolor/48x48/apps/$app_id.png" ./usr/share/man/man1/quelbrook.1.gz \
      ./usr/share/doc/quelbrook/copyright ./usr/share/doc/quelbrook/changelog.Debian.gz \
      ./usr/share/quelbrook/timeup.mp3 ./usr/share/quelbrook/toll/A/A12.WAV \
      ./usr/share/quelbrook/DayTimeTable/Sample.DTT; do
      grep -qxF "$path" <<<"$listing" || fail "the package lacks $path"
    done
    ! grep -v -e '^\./$' -e '^\./usr/' <<<"$listing" | grep -q . || fail "the package holds files outside /usr"
    depends=$(dpkg-deb -f "$deb" Depends)
    # Computed from the binary by dpkg-shlibdeps, and the run-time plugins, font and soundfont.
    for package in libqt6widgets6 libgstreamer1.0-0 libpulse0 qt6-qpa-plugins gstreamer1.0-plugins-good \
      gstreamer1.0-libav fonts-wqy-microhei timgm6mb-soundfont; do
      grep -q "\(^\|, \|| \)$package\b" <<<"$depends" || fail "the package does not depend on $package: $depends"
    done
    if command -v lintian >/dev/null; then
      lintian --no-tag-display-limit "$deb" >"$work/lintian.log" 2>&1 || true
      ! grep -q '^E:' "$work/lintian.log" || fail "lintian: $(cat "$work/lintian.log")"
    fi
    dpkg-deb -x "$deb" "$work/unpacked"
    no_build_paths "$work/unpacked/usr"
    sample_tones_exist "$work/unpacked/usr" /usr
    run_installed "$work/unpacked/usr/bin/quelbrook"
    echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes, installed size $(dpkg-deb -f "$deb" Installed-Size) KiB"
    echo "depends: $depends"
    ;;
  *) fail "unknown mode $mode" ;;
esac
