#!/bin/sh
# Builds Lumaroll and runs the whole test suite: first the normal build, then
# the same suite under AddressSanitizer and UndefinedBehaviorSanitizer.
set -eu
cd "$(dirname "$0")/.."
sh tools/install-deps.sh
# Every library of src/ includes only the libraries below it; an upward
# include fails the run before anything is built.
sh tools/check-layers.sh
# The layout of .clang-format, everywhere.
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
JOBS="${JOBS:-$(nproc)}"
export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$JOBS"
# The checks of .clang-tidy on every source file of the program and the tool.
run-clang-tidy -p build -j "$JOBS" -quiet "$(pwd)/(src|tools)/.*\.cpp\$" > build/clang-tidy.log 2>&1 ||
  { grep -E 'warning:|error:' build/clang-tidy.log; echo "clang-tidy: see build/clang-tidy.log"; exit 1; }
ctest --test-dir build --output-on-failure -j "$JOBS"

if [ "${LUMAROLL_SKIP_SANITIZERS:-0}" != 1 ]; then
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DLUMAROLL_SANITIZE=ON -DLUMAROLL_BENCH=OFF
  cmake --build build-asan -j "$JOBS"
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure -j "$JOBS" -LE no-sanitizer
fi
