#!/bin/sh
# The desktop files validate, and an install into a temporary prefix holds
# everything a desktop needs and its tool runs.
# Usage: check_desktop_files.sh SOURCE_DIR BUILD_DIR
set -eu
src=$1
build=$2

fail() { echo "FAIL: $*" >&2; exit 1; }

desktop-file-validate "$src/data/lumaroll.desktop" || fail "desktop-file-validate"
for f in "$src"/data/*.metainfo.xml; do
  appstreamcli validate --no-net "$f" || fail "appstreamcli validate $f"
done

prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install"

for f in bin/lumaroll-tool \
         share/applications/lumaroll.desktop \
         share/metainfo/io.github.lumaroll.Lumaroll.metainfo.xml \
         share/icons/hicolor/scalable/apps/lumaroll.svg; do
  [ -s "$prefix/$f" ] || fail "$f not installed"
done
[ -x "$prefix/bin/lumaroll-tool" ] || fail "lumaroll-tool not executable"

# The desktop program and its drawn icons, when the build has them.
if [ -e "$build/src/app/lumaroll" ]; then
  [ -x "$prefix/bin/lumaroll" ] || fail "lumaroll not installed"
  for size in 16 32 48 64 128 256; do
    png="$prefix/share/icons/hicolor/${size}x${size}/apps/lumaroll.png"
    [ -s "$png" ] || fail "$png not installed"
    # A PNG signature, and the width and height in the header.
    head -c 8 "$png" | od -An -tx1 | tr -d ' \n' | grep -qx '89504e470d0a1a0a' || fail "$png is no PNG"
    dims=$(od -An -j16 -N8 -tu1 "$png" | tr -s ' ' | sed 's/^ //')
    want=$(printf '0 0 %d %d 0 0 %d %d' $((size / 256)) $((size % 256)) $((size / 256)) $((size % 256)))
    [ "$dims" = "$want" ] || fail "$png is not ${size}x${size} ($dims)"
  done
fi

# The installed desktop entry names the installed program and icon.
grep -qx 'Exec=lumaroll %F' "$prefix/share/applications/lumaroll.desktop" || fail "Exec line"
grep -qx 'Icon=lumaroll' "$prefix/share/applications/lumaroll.desktop" || fail "Icon line"

# The installed program starts and paints its window (offscreen, with a
# library of its own in the prefix).
if [ -x "$prefix/bin/lumaroll" ]; then
  mkdir -p "$prefix/home"
  HOME="$prefix/home" XDG_DATA_HOME="$prefix/home/data" XDG_CONFIG_HOME="$prefix/home/config" \
    XDG_MUSIC_DIR="$prefix/home/none" QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy LUMAROLL_ANNOUNCE_PAINT=1 \
    "$prefix/bin/lumaroll" >"$prefix/home/out" 2>/dev/null &
  pid=$!
  i=0
  while ! grep -qx painted "$prefix/home/out" && kill -0 "$pid" 2>/dev/null && [ "$i" -lt 600 ]; do
    sleep 0.1
    i=$((i + 1))
  done
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  grep -qx painted "$prefix/home/out" || fail "the installed lumaroll did not paint its window"
fi

out=$("$prefix/bin/lumaroll-tool" genres) || fail "installed lumaroll-tool genres"
[ -n "$out" ] || fail "installed lumaroll-tool genres printed nothing"
echo "desktop files and install: ok"
