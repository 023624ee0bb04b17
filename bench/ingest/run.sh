#!/bin/sh
# The add run (`lumaroll-tool add`) side by side with the analysis alone over
# the same corpus, in one run of this script: wall time, tunes/s, ms/tune,
# peak resident memory, and the ratio add / analysis.
#
#   bench/ingest/run.sh BUILD_DIR [CORPUS_DIR] [COUNT]
#
# The corpus (default /tmp/lumaroll-ingest-corpus, 300 tunes of 3-5 min) is
# generated on the first call and kept for the next ones.
set -eu
BUILD="${1:-build}"
CORPUS="${2:-/tmp/lumaroll-ingest-corpus}"
COUNT="${3:-300}"
ROUNDS="${ROUNDS:-1}"
TOOL="$BUILD/tools/lumaroll-tool"
"$BUILD/bench/ingest/make_ingest_corpus" "$CORPUS" "$COUNT"
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT

# Runs a command; prints "seconds peak_kB" and keeps its standard error.
measure() {
  python3 -c 'import resource,subprocess,sys,time
t=time.monotonic()
with open(sys.argv[1],"w") as err:
    subprocess.run(sys.argv[2:], stdout=subprocess.DEVNULL, stderr=err, check=True)
print("%.3f %d" % (time.monotonic()-t, resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss))' "$@"
}

round=1
while [ "$round" -le "$ROUNDS" ]; do
  rm -f "$TMP"/db-*
  set -- $(measure "$TMP/analysis.err" "$BUILD/bench/ingest/bench_ingest_analysis" "$CORPUS" "$TMP/db-analysis")
  a_s=$1 a_kb=$2
  set -- $(measure "$TMP/add.err" "$TOOL" add "$CORPUS" --db "$TMP/db-add")
  d_s=$1 d_kb=$2
  tunes=$(( $(stat -c %s "$TMP/db-add") / 4566 ))
  python3 - "$tunes" "$a_s" "$a_kb" "$d_s" "$d_kb" <<'PY'
import sys
n, a, akb, d, dkb = int(sys.argv[1]), float(sys.argv[2]), int(sys.argv[3]), float(sys.argv[4]), int(sys.argv[5])
print("| run | tunes | seconds | tunes/s | ms/tune | peak RSS MB |")
print("|---|---|---|---|---|---|")
print("| analysis alone | %d | %.1f | %.2f | %.1f | %d |" % (n, a, n / a, 1000 * a / n, akb // 1024))
print("| lumaroll-tool add | %d | %.1f | %.2f | %.1f | %d |" % (n, d, n / d, 1000 * d / n, dkb // 1024))
print("add / analysis: %.3f (target <= 1.15); add rate %.1f tunes/s (target >= 25)" % (d / a, n / d))
PY
  tail -n 1 "$TMP/analysis.err" "$TMP/add.err" 2>/dev/null | grep -v '^$' || true
  round=$((round + 1))
done
