// Writes a library file of N generated tunes: make_library PATH N
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/paths.h"
#include "library/database.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: make_library PATH N\n", stderr);
    return 2;
  }
  setLibraryFilePath(argv[1]);
  const int n = std::atoi(argv[2]);
  if (n < 0 || n > kMaxTunes) return 2;
  for (std::int32_t k = 1; k <= n; ++k) {
    Tune& t = gTunes_A[k];
    std::memset(&t, 0, sizeof t);
    t.title.assign("Generated tune number " + std::to_string(k));
    t.artist.assign("Artist " + std::to_string(k % 700));
    t.album.assign("Album " + std::to_string(k % 2500));
    t.genre.assign("Rock");
    t.genreGroup.assign("Rock");
    t.filePath.assign("/music/Artist/Album/" + std::to_string(k) + ".mp3");
    t.durationSeconds = 120 + k % 300;
    t.hpe = (k * 7919) % 60000;
    t.colourCategory = 1 + k % 9;
    t.checked = 1;
    t.fileKind = 1;
  }
  gTotalTunes_L = gStartTotalTunes_L = n;
  return saveDatabaseFiles() == noErr ? 0 : 1;
}
