#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors, and runs every test.
#   scripts/test.sh              the normal build (build-test/)
#   scripts/test.sh --sanitize   the same under AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh" --test
# Every tracked source follows .clang-format; `scripts/check-format.sh --fix` formats them.
"$here/scripts/check-format.sh"

build="$here/build-test"
flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [ "${1:-}" = "--sanitize" ]; then
  build="$here/build-asan"
  flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUELBROOK_SANITIZE=ON)
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
fi
# A compiler cache, where the machine has one, makes a second clone's build cheap.
if command -v ccache >/dev/null; then
  flags+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR="$here" CCACHE_NOHASHDIR=1
fi
cmake -S "$here" -B "$build" -G Ninja -DQUELBROOK_WERROR=ON -DQUELBROOK_TESTS=ON "${flags[@]}" >/dev/null
cmake --build "$build"
ctest --test-dir "$build" --output-on-failure --no-tests=error -j2

# A few seconds of real fuzzing per reader, with clang's libFuzzer, in a build of its own; the replay of
# the seed corpora above already ran with the normal tests. FUZZ_SECONDS=0 skips it.
seconds="${FUZZ_SECONDS:-5}"
if [ "${1:-}" != "--sanitize" ] && [ "$seconds" != 0 ] && command -v clang++ >/dev/null; then
  fuzz_build="$here/build-fuzz"
  CC=clang CXX=clang++ cmake -S "$here" -B "$fuzz_build" -G Ninja -DQUELBROOK_FUZZ=ON -DQUELBROOK_TESTS=OFF >/dev/null
  targets=(table settings play_list history_line command_line followers_log)
  cmake --build "$fuzz_build" --target "${targets[@]/#/fuzz_}"
  for target in "${targets[@]}"; do
    work=$(mktemp -d)
    # Found inputs go to a scratch folder: the tracked corpus stays as it is.
    "$fuzz_build/bin/fuzz_$target" -max_total_time="$seconds" -print_final_stats=0 \
      -artifact_prefix="$fuzz_build/" "$work" "$here/fuzz/corpus/$target"
    rm -rf "$work"
  done
fi
