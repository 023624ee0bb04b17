#!/bin/sh
# playerctl drives the running program over MPRIS on a private session bus:
# play, next, the tune's metadata, the volume, pause, the position, stop and quit.
# Usage: dbus-run-session -- sh check_mpris.sh PROGRAM TOOL
set -eu
program=$1
tool=$2

work=$(mktemp -d)
pid=""
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  [ -s "$work/program.log" ] && sed 's/^/  program: /' "$work/program.log" >&2
  exit 1
}

export HOME="$work/home" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" XDG_MUSIC_DIR="$work/none"
export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy
mkdir -p "$HOME" "$work/music" "$XDG_DATA_HOME/Lumaroll"

# Three tunes long enough to still sound while the test looks at them.
for n in 1 2 3; do
  ffmpeg -v error -f lavfi -i "sine=frequency=$((220 * n)):duration=40" -ac 2 -c:a libmp3lame -b:a 64k \
    -metadata title="Tune $n" -metadata artist="Artist $n" -metadata album="Album $n" \
    "$work/music/tune$n.mp3" || fail "ffmpeg"
done
"$tool" add "$work/music" --db "$XDG_DATA_HOME/Lumaroll/LumarollDatabase" >/dev/null || fail "lumaroll-tool add"

"$program" >"$work/program.log" 2>&1 &
pid=$!

pc() { playerctl -p lumaroll "$@" 2>/dev/null; }
# Waits up to ten seconds for `pc ARGS` to print the wanted text.
wait_for() {
  want=$1
  shift
  i=0
  while [ "$i" -lt 100 ]; do
    [ "$(pc "$@" || true)" = "$want" ] && return 0
    kill -0 "$pid" 2>/dev/null || fail "the program ended"
    sleep 0.1
    i=$((i + 1))
  done
  fail "playerctl $* printed '$(pc "$@" || true)', not '$want'"
}

wait_for Stopped status
[ "$(pc metadata xesam:title || true)" = "" ] || fail "a title while nothing plays"
# What a media widget sees: the titles as the PropertiesChanged signals bring them.
playerctl -p lumaroll --follow metadata xesam:title >"$work/follow.log" 2>/dev/null &
follower=$!

pc play || fail "playerctl play"
wait_for Playing status
first=$(pc metadata xesam:title) || fail "no title while playing"
case "$first" in "Tune "[123]) ;; *) fail "title '$first'" ;; esac
n=${first#Tune }
[ "$(pc metadata xesam:artist)" = "Artist $n" ] || fail "artist of $first"
[ "$(pc metadata xesam:album)" = "Album $n" ] || fail "album of $first"
[ "$(pc metadata xesam:url)" = "file://$work/music/tune$n.mp3" ] || fail "url of $first"
[ "$(pc metadata mpris:length)" = "40000000" ] || fail "length of $first: $(pc metadata mpris:length)"
colour=$(pc metadata xesam:genre) || fail "no colour"
case "$colour" in
  "Midnight Blue" | "Cool Blue" | Green | "Bright Green" | Yellow | Orange | Red | Pink | Purple) ;;
  *) fail "colour '$colour'" ;;
esac
pc metadata lumaroll:hpe | grep -Eq '^-?[0-9]+$' || fail "HPE '$(pc metadata lumaroll:hpe)'"

pc next || fail "playerctl next"
i=0
while [ "$(pc metadata xesam:title || true)" = "$first" ] && [ "$i" -lt 100 ]; do
  sleep 0.1
  i=$((i + 1))
done
second=$(pc metadata xesam:title) || fail "no title after next"
[ "$second" != "$first" ] || fail "next kept $first"
case "$second" in "Tune "[123]) ;; *) fail "title after next '$second'" ;; esac
wait_for Playing status
sleep 0.5
kill "$follower"
grep -qx "$first" "$work/follow.log" && grep -qx "$second" "$work/follow.log" ||
  fail "the signals brought '$(tr '\n' '|' <"$work/follow.log")', not $first and $second"

pc volume 0.5 || fail "playerctl volume"
wait_for 0.500000 volume
pc loop Track || fail "playerctl loop"
wait_for Track loop
pc loop None || fail "playerctl loop None"
wait_for None loop

# Paused, the position holds; play goes on from it; position N moves it
# (SetPosition with the tune's id) and position reads where it is heard.
[ "$(pc metadata mpris:trackid)" != "" ] || fail "no track id"
pc pause || fail "playerctl pause"
wait_for Paused status
held=$(pc position) || fail "no position while paused"
sleep 0.5
[ "$(pc position)" = "$held" ] || fail "the position moved while paused: $held, then $(pc position)"
pc play || fail "playerctl play"
wait_for Playing status
pc position 30 || fail "playerctl position 30"
sleep 0.3
at=$(pc position) || fail "no position"
awk -v p="$at" 'BEGIN { exit !(p >= 30 && p < 31) }' || fail "position 30 then $at"
sleep 0.5
later=$(pc position)
awk -v a="$at" -v b="$later" 'BEGIN { exit !(b > a + 0.3 && b < a + 1) }' || fail "position $at, then $later"
pc position 5- || fail "playerctl position 5-"
sleep 0.3
back=$(pc position)
awk -v p="$back" 'BEGIN { exit !(p >= 25 && p < 27) }' || fail "5 s back from about 31 gave $back"

pc stop || fail "playerctl stop"
wait_for Stopped status
# Next is the menu's Next, disabled while nothing plays.
pc next || true
sleep 0.5
[ "$(pc status)" = Stopped ] || fail "next started playing"

# Quit saves the preferences: the player volume 365 of 730 (0.5), written
# byte-exchanged, one line each ending in a carriage return.
dbus-send --session --type=method_call --dest=org.mpris.MediaPlayer2.lumaroll /org/mpris/MediaPlayer2 \
  org.mpris.MediaPlayer2.Quit || fail "Quit"
i=0
while kill -0 "$pid" 2>/dev/null && [ "$i" -lt 100 ]; do
  sleep 0.1
  i=$((i + 1))
done
kill -0 "$pid" 2>/dev/null && fail "the program did not quit"
pid=""
prefs="$XDG_CONFIG_HOME/Orvane-Lumaroll/LumarollPrefs"
[ -f "$prefs" ] || fail "no preferences after quitting"
[ "$(tr '\r' '\n' <"$prefs" | sed -n 5p)" = " 27905" ] || fail "volume 365 not saved: $(tr '\r' ' ' <"$prefs")"
echo "MPRIS under playerctl: ok"
