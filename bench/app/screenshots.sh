#!/bin/sh
# Screenshots of the main window with a full (30000 tunes) and an empty
# library, taken on the offscreen platform: bench/out/full.png, empty.png.
set -eu
cd "$(dirname "$0")/../.."
build="${1:-build}"
mkdir -p bench/out
for n in 30000 0; do
  tmp=$(mktemp -d)
  name=full
  [ "$n" = 0 ] && name=empty
  XDG_DATA_HOME="$tmp/data" XDG_CONFIG_HOME="$tmp/config" \
    "$build/bench/app/lumaroll-bench-helper" screenshot "$n" "bench/out/$name.png"
  rm -rf "$tmp"
  echo "bench/out/$name.png"
done
