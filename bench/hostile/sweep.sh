#!/bin/bash
# A short hostile sweep of the library file, the preferences, tune files,
# kills during saves and a full disk. Prints one line per family:
# cases, crashes (signal exits), hangs (10 s timeouts) and the family's own check.
# usage: bench/hostile/sweep.sh BUILD_DIR
set -u
B=$(cd "${1:-build}" && pwd)
TOOL=$B/tools/lumaroll-tool
PROG=$B/src/app/lumaroll
W=$(mktemp -d)
trap 'rm -rf "$W"' EXIT
crash=0 hang=0
judge() {  # exit status of a timed run
  if [ "$1" -eq 124 ] || [ "$1" -eq 137 ]; then hang=$((hang + 1)); elif [ "$1" -ge 128 ]; then crash=$((crash + 1)); fi
}
report() { echo "$1: $2 cases, $crash crashes, $hang hangs; $3"; crash=0 hang=0; }

# 1. Damaged library files read by the tool.
n=0 refused=0
for i in $(seq 1 25); do
  f=$W/lib$i; head -c $((RANDOM * 7 + i)) /dev/urandom > "$f"; n=$((n + 1))
  timeout 10 "$TOOL" check --db "$f" > /dev/null 2>&1; judge $?
done
mkfifo "$W/fifo.db"; ln -s /dev/zero "$W/zero.db"; mkdir "$W/dir.db"
for f in "$W/fifo.db" "$W/zero.db" "$W/dir.db"; do
  n=$((n + 1)); timeout 10 "$TOOL" dump --db "$f" > /dev/null 2>&1; s=$?; judge $s; [ $s -eq 1 ] && refused=$((refused + 1))
done
report "damaged library files (tool check/dump)" $n "$refused of 3 non-files refused at once"

# 2. Damaged preferences and library files met by the program at start.
n=0 started=0
for kind in random fifo zero dir long libfifo libdir; do
  H=$W/p-$kind; mkdir -p "$H/cfg/Orvane-Lumaroll" "$H/data/Lumaroll"
  P=$H/cfg/Orvane-Lumaroll/LumarollPrefs
  case $kind in
    random) head -c 300 /dev/urandom > "$P" ;;
    fifo) mkfifo "$P" ;;
    zero) ln -s /dev/zero "$P" ;;
    dir) mkdir "$P" ;;
    long) head -c 100000 /dev/zero | tr '\0' '7' > "$P" ;;
    libfifo) mkfifo "$H/data/Lumaroll/LumarollDatabase" ;;
    libdir) mkdir "$H/data/Lumaroll/LumarollDatabase" ;;
  esac
  n=$((n + 1))
  # A start counts when the window has painted within 3 s (a read that
  # waits for ever never gets there).
  XDG_CONFIG_HOME=$H/cfg XDG_DATA_HOME=$H/data QT_QPA_PLATFORM=offscreen LUMAROLL_ANNOUNCE_PAINT=1 \
    timeout 10 "$PROG" > "$H/out" 2>&1 &
  pid=$!; sleep 3
  if grep -q painted "$H/out"; then started=$((started + 1)); fi
  kill -KILL $pid 2> /dev/null; wait $pid 2> /dev/null
done
report "damaged preferences/library at start (program)" $n "$started painted their window within 3 s"

# 3. Hostile tune files: random bytes, truncated headers, a pipe, a device, a folder.
M=$W/music; mkdir -p "$M"
for i in $(seq 1 30); do head -c $((RANDOM % 300000 + 1)) /dev/urandom > "$M/r$i.mp3"; done
for i in $(seq 1 20); do (printf 'ID3\4\0\0\177\177\177\177'; head -c $((RANDOM % 5000)) /dev/urandom) > "$M/t$i.mp3"; done
for i in $(seq 1 20); do (printf '\0\0\0\030ftypM4A \0\0\0\0'; head -c $((RANDOM % 200000 + 100001)) /dev/urandom) > "$M/a$i.m4a"; done
mkfifo "$M/pipe.mp3"; ln -s /dev/zero "$M/zero.m4a"; mkdir "$M/folder.mp3"
n=0
for f in "$M"/*; do n=$((n + 1)); timeout 10 "$TOOL" analyze "$f" > /dev/null 2>&1; judge $?; done
timeout 60 "$TOOL" add "$M" --db "$W/hostile.db" > /dev/null 2>&1; s=$?; judge $s
report "hostile tune files (tool analyze each, then add all)" $((n + 1)) "add exit $s"

# 4. Kills during saves: a 6000-tune library rewritten and killed at random moments.
L=$W/kill/LumarollDatabase; mkdir -p "$W/kill"
head -c $((6000 * 4566)) /dev/zero > "$L"
good=0 kills=20
for i in $(seq 1 $kills); do
  "$TOOL" check --rewrite --db "$L" > /dev/null 2>&1 &
  pid=$!; sleep "0.0$((RANDOM % 10))"; kill -KILL $pid 2> /dev/null; wait $pid 2> /dev/null
  [ "$(stat -c %s "$L")" -eq $((6000 * 4566)) ] && good=$((good + 1))
done
left=$(ls "$W/kill" | grep -c 'LumarollDatabase\.......$')
"$TOOL" check --rewrite --db "$L" > /dev/null 2>&1
after=$(ls "$W/kill" | grep -c 'LumarollDatabase\.......$')
report "kills during save (tool check --rewrite)" $kills "$good whole libraries after the kills; $left stale temporaries left, $after after the next save"

# 5. A full disk: a file-size limit of 100 KB while a 6000-tune library is rewritten.
before=$(md5sum < "$L")
msg=$( (ulimit -f 100; trap '' XFSZ; "$TOOL" check --rewrite --db "$L" 2>&1 > /dev/null); echo "exit $?")
[ "$(md5sum < "$L")" = "$before" ] && same=kept || same=CHANGED
report "full disk (ulimit -f 100)" 1 "library $same; tool said: $(echo "$msg" | tr '\n' ' ')"

# 6. The program and the tool at once.
H=$W/lock; mkdir -p "$H/data/Lumaroll" "$H/cfg"; head -c 4566 /dev/zero > "$H/data/Lumaroll/LumarollDatabase"
XDG_CONFIG_HOME=$H/cfg XDG_DATA_HOME=$H/data QT_QPA_PLATFORM=offscreen "$PROG" > /dev/null 2>&1 &
pid=$!; sleep 3
out=$("$TOOL" add "$M" --db "$H/data/Lumaroll/LumarollDatabase" 2>&1 | tail -1)
kill -TERM $pid; wait $pid
report "tool add while the program runs" 1 "$out"
