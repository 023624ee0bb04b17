#!/bin/sh
# Runs the fuzz targets for a given time each and prints what they did.
#
#   sh tools/fuzz.sh SECONDS [fuzz_mp3tags fuzz_m4atags fuzz_vorbistags fuzz_movie_open]
#
# Builds them with clang in build-fuzz/ (AddressSanitizer, UBSan, libFuzzer),
# writes starting corpora from generated media the first time, and runs the
# targets at the same time, one process each. Corpora grow across runs in
# build-fuzz/corpus/<target>; a crash, leak or time-out is saved in
# build-fuzz/findings/<target>/ and makes the script exit 1.
set -eu
cd "$(dirname "$0")/.."
if [ $# -lt 1 ]; then
  echo "usage: sh tools/fuzz.sh SECONDS [TARGET...]" >&2
  exit 2
fi
SECONDS_EACH="$1"
shift
TARGETS="${*:-fuzz_mp3tags fuzz_m4atags fuzz_vorbistags fuzz_movie_open}"
OUT=build-fuzz

CC=clang CXX=clang++ cmake -S . -B "$OUT" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DLUMAROLL_FUZZ=ON -DLUMAROLL_GUI=OFF -DLUMAROLL_BENCH=OFF >/dev/null
# shellcheck disable=SC2086
cmake --build "$OUT" --target fuzz_seeds $TARGETS

if [ ! -d "$OUT/seeds/vorbis" ]; then
  rm -rf "$OUT/seeds" "$OUT/seeds.tmp"
  "$OUT/tests/support/fuzz_seeds" "$OUT/seeds.tmp"
  mv "$OUT/seeds.tmp" "$OUT/seeds"
fi

seeds_of() {
  case "$1" in
    fuzz_mp3tags) echo "$OUT/seeds/mp3" ;;
    fuzz_m4atags) echo "$OUT/seeds/m4a" ;;
    fuzz_vorbistags) echo "$OUT/seeds/vorbis" ;;
    *) echo "$OUT/seeds/mp3 $OUT/seeds/m4a $OUT/seeds/vorbis" ;;
  esac
}
max_len_of() {
  case "$1" in
    fuzz_mp3tags) echo 2100 ;;  # the reader sees the first 2000 bytes
    *) echo 16384 ;;
  esac
}
binary_of() {
  find "$OUT/tests" -type f -name "$1" -perm -u+x | head -n 1
}

for t in $TARGETS; do
  mkdir -p "$OUT/corpus/$t" "$OUT/findings/$t"
  bin=$(binary_of "$t")
  # shellcheck disable=SC2046
  "$bin" "$OUT/corpus/$t" $(seeds_of "$t") \
    -max_total_time="$SECONDS_EACH" -max_len="$(max_len_of "$t")" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$OUT/findings/$t/" >"$OUT/$t.log" 2>&1 &
done
status=0
wait || status=1

echo "target            seconds  executions  edges  corpus files  findings"
for t in $TARGETS; do
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$OUT/$t.log" | tail -n 1)
  edges=$(sed -n 's/.* cov: \([0-9]*\) .*/\1/p' "$OUT/$t.log" | tail -n 1)
  corpus=$(find "$OUT/corpus/$t" -type f | wc -l)
  findings=$(find "$OUT/findings/$t" -type f | wc -l)
  [ "$findings" -eq 0 ] || status=1
  printf '%-17s %7s  %10s  %5s  %12s  %8s\n' "$t" "$SECONDS_EACH" "${execs:-?}" "${edges:-?}" "$corpus" "$findings"
done
exit "$status"
