#!/bin/sh
# The add run (`lumaroll-tool add`) side by side with the analysis alone
# (`bench_ingest_analysis`, and `lumaroll-tool analyze` over the same files)
# over the same corpus, in one run of this script: wall time, tunes/s, ms/tune,
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

# Runs a command; prints "wall_seconds cpu_seconds peak_kB" and keeps its
# standard error. On a shared machine the CPU time (user + system) is the
# steadier figure; the ratio is given for both.
measure() {
  python3 -c 'import resource,subprocess,sys,time
t=time.monotonic()
with open(sys.argv[1],"w") as err:
    subprocess.run(sys.argv[2:], stdout=subprocess.DEVNULL, stderr=err, check=True)
r=resource.getrusage(resource.RUSAGE_CHILDREN)
print("%.3f %.3f %d" % (time.monotonic()-t, r.ru_utime+r.ru_stime, r.ru_maxrss))' "$@"
}

round=1
while [ "$round" -le "$ROUNDS" ]; do
  rm -f "$TMP"/db-*
  set -- $(measure "$TMP/analysis.err" "$BUILD/bench/ingest/bench_ingest_analysis" "$CORPUS" "$TMP/db-analysis")
  a_s=$1 a_cpu=$2 a_kb=$3
  set -- $(measure "$TMP/add.err" "$TOOL" add "$CORPUS" --db "$TMP/db-add")
  d_s=$1 d_cpu=$2 d_kb=$3
  # lumaroll-tool analyze: the same files in one call (it keeps no library,
  # so the duplicates are analysed too).
  find "$CORPUS" -type f \( -iname '*.mp3' -o -iname '*.m4a' \) | LC_ALL=C sort > "$TMP/files"
  set -- $(measure "$TMP/analyze.err" xargs -d '\n' -a "$TMP/files" "$TOOL" analyze)
  z_s=$1 z_cpu=$2 z_kb=$3
  tunes=$(( $(stat -c %s "$TMP/db-add") / 4566 ))
  python3 - "$tunes" "$a_s" "$a_cpu" "$a_kb" "$d_s" "$d_cpu" "$d_kb" "$z_s" "$z_cpu" "$z_kb" <<'PY'
import sys
n = int(sys.argv[1])
a, acpu, akb, d, dcpu, dkb, z, zcpu, zkb = (float(x) for x in sys.argv[2:])
print("| run | tunes | wall s | CPU s | tunes/s (wall) | ms/tune (wall) | ms/tune (CPU) | peak RSS MB |")
print("|---|---|---|---|---|---|---|---|")
for name, w, c, kb in (("analysis alone", a, acpu, akb), ("lumaroll-tool analyze", z, zcpu, zkb),
                       ("lumaroll-tool add", d, dcpu, dkb)):
    print("| %s | %d | %.1f | %.1f | %.2f | %.1f | %.1f | %d |" % (name, n, w, c, n / w, 1000 * w / n, 1000 * c / n, kb // 1024))
print("add / analysis alone: wall %.3f, CPU %.3f; add / analyze: wall %.3f, CPU %.3f (target <= 1.15); "
      "add rate %.1f tunes/s (target >= 25)" % (d / a, dcpu / acpu, d / z, dcpu / zcpu, n / d))
PY
  tail -n 1 "$TMP/analysis.err" "$TMP/add.err" 2>/dev/null | grep -v '^$' || true
  round=$((round + 1))
done
