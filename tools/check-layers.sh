#!/bin/sh
# Fails when a library of src/ includes a header of a library above it, or when
# Qt, FFmpeg or SDL headers appear outside the folders that own them.
# The order is the program's flow from the floor up; a folder may include its
# own headers and those of the folders before it.
set -eu
cd "$(dirname "$0")/.."
ORDER="core platform library engine playlists ingest export player harness ui app"

status=0
rank() { i=0; for l in $ORDER; do [ "$l" = "$1" ] && { echo $i; return; }; i=$((i + 1)); done; echo -1; }

for dir in $ORDER; do
  [ -d "src/$dir" ] || continue
  mine=$(rank "$dir")
  # Every quoted include of another src/ folder, as "file:line:folder".
  grep -rnoE '^[[:space:]]*#[[:space:]]*include[[:space:]]+"[a-z_]+/' "src/$dir" \
      --include='*.cpp' --include='*.h' 2>/dev/null |
    sed -E 's/^([^:]+:[0-9]+):.*"([a-z_]+)\/$/\1 \2/' |
    while read -r where target; do
      theirs=$(rank "$target")
      [ "$theirs" -lt 0 ] && continue
      if [ "$theirs" -gt "$mine" ]; then
        echo "upward include: $where: src/$dir includes $target/"
      fi
    done
done > /tmp/check-layers.$$ || true
if grep -q '^upward' /tmp/check-layers.$$; then
  grep '^upward' /tmp/check-layers.$$
  status=1
fi
rm -f /tmp/check-layers.$$

# Toolkit headers stay behind the platform boundary.
check_toolkit() { # pattern, allowed folders (regex), what
  hits=$(grep -rnE "^[[:space:]]*#[[:space:]]*include[[:space:]]*<($1)" src tools \
           --include='*.cpp' --include='*.h' 2>/dev/null | grep -vE "^src/($2)/" || true)
  if [ -n "$hits" ]; then
    echo "$3 header outside its folder:"; echo "$hits" | sed 's/^/  /'; status=1
  fi
}
check_toolkit 'Q[A-Za-z]+>|Qt[A-Za-z]+/' 'ui|platform/qt' 'Qt'
check_toolkit 'lib(avformat|avcodec|avutil|swresample)/' 'platform/ffmpeg' 'FFmpeg'
check_toolkit 'SDL' 'platform/sdl' 'SDL'

[ $status -eq 0 ] && echo "layers: every include points down"
exit $status
