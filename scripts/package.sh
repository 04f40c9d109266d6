#!/usr/bin/env bash
# Builds the Debian package of Quelbrook and checks it with lintian:
#   scripts/package.sh     build-package/quelbrook_<version>-1_<arch>.deb
# The package holds what `cmake --install` puts under /usr. It is built with Debian's own compiler
# flags (hardening; source paths made relative), and its library dependencies are computed by
# dpkg-shlibdeps. Install it with: sudo apt install ./build-package/quelbrook_*.deb
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh" --package

build="${QUELBROOK_BUILD_DIR:-$here/build-package}"
cd "$here"
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUELBROOK_TESTS=OFF \
  -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" "${launcher[@]}" >/dev/null
cmake --build "$build"
rm -f "$build"/quelbrook_*.deb
(cd "$build" && cpack -G DEB)
deb=$(ls "$build"/quelbrook_*.deb)
lintian "$deb"
dpkg-deb --info "$deb"
echo "package: $deb ($(du -h "$deb" | cut -f1))"
