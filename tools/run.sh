#!/bin/sh
# Installs what Lumaroll needs, builds it and starts it.
set -eu
cd "$(dirname "$0")/.."
sh tools/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMAROLL_TESTS=OFF -DLUMAROLL_BENCH=OFF
cmake --build build -j "$(nproc)"
exec build/src/app/lumaroll "$@"
