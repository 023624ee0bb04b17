#!/bin/sh
# Peak resident memory of `lumaroll-tool dump` on an empty library and on a
# full one (30000 tunes). Usage: bench/library/peak_memory.sh BUILD_DIR
set -eu
BUILD="${1:-build}"
TOOL="$BUILD/tools/lumaroll-tool"
MAKER="$BUILD/bench/library/make_library"
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT
: > "$TMP/empty"
"$MAKER" "$TMP/full" 30000
peak() {
  python3 -c 'import resource,subprocess,sys
subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, check=True)
print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)' "$@"
}
e=$(peak "$TOOL" dump --db "$TMP/empty")
f=$(peak "$TOOL" dump --db "$TMP/full")
size=$(stat -c %s "$TMP/full")
echo "dump, empty library: peak RSS $((e / 1024)) MB (target <= 30 MB)"
echo "dump, 30000 tunes:   peak RSS $((f / 1024)) MB; file $((size / 1048576)) MB; limit 1.3 x file + 30 MB = $(( (size * 13 / 10) / 1048576 + 30 )) MB"
