#!/bin/sh
# The soak run: 2000 generated tunes added, then 500 tune changes under
# random player and playlist commands, twice: in the normal build, where the
# resident memory is sampled and must stay flat, and in the ASan+UBSan build,
# where LeakSanitizer reports anything left unfreed at the end.
#
#   sh tools/soak.sh [TUNES [CHANGES]]
#
# The generated tunes are kept in build/soak-media for the next run.
set -eu
cd "$(dirname "$0")/.."
TUNES="${1:-2000}"
CHANGES="${2:-500}"
JOBS="${JOBS:-$(nproc)}"
export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$JOBS" --target soak
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DLUMAROLL_SANITIZE=ON -DLUMAROLL_BENCH=OFF >/dev/null
cmake --build build-asan -j "$JOBS" --target soak

media="$PWD/build/soak-media"
status=0
echo "== normal build: memory"
build/tests/soak/soak --tunes "$TUNES" --changes "$CHANGES" --media "$media" >build/soak.log 2>&1 || status=1
cat build/soak.log

echo "== ASan+UBSan build: leaks"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  build-asan/tests/soak/soak --tunes "$TUNES" --changes "$CHANGES" --media "$media" --seed 2 \
  >build-asan/soak.log 2>&1 || status=1
cat build-asan/soak.log
exit "$status"
