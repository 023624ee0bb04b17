#include "sample_library.h"

#include <string>

#include "engine/durations.h"
#include "library/tune.h"

void makeSampleLibrary(std::int32_t n) {
  static const char* const words[] = {"Midnight", "River", "Electric", "Summer", "Shadow", "Golden", "Velvet",
                                      "Northern", "Paper", "Silver",   "Wild",   "Ocean",  "Neon",   "Quiet"};
  static const char* const artists[] = {"The Lanterns", "Mara Quinn", "Orbital Youth", "Hollow Pines",
                                        "Sofia Reyes",  "DJ Kestrel", "Blue Harbour",  "Anton Varga"};
  static const char* const genres[] = {"Rock", "Jazz", "Electronic", "Classical", "Pop", "Soundtrack", "Folk"};
  static const std::uint16_t colours[9][3] = {
      {0x0000, 0x3900, 0x7C00}, {0x1B00, 0x9900, 0xCC00}, {0x0000, 0x9000, 0x2C00},
      {0xA900, 0xB500, 0x0000}, {0xFF00, 0xAD00, 0x0000}, {0xFF00, 0x6B00, 0x0000},
      {0xC300, 0x2B00, 0x0300}, {0xF300, 0x4E00, 0x9A00}, {0x8500, 0x0700, 0xD400}};
  std::uint32_t seed = 12345;
  auto next = [&] {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 8) & 0xFFFF;
  };
  for (std::int32_t i = 1; i <= n; ++i) {
    Tune& t = gTunes_A[i];
    t = Tune{};
    const std::string title = std::string(words[next() % 14]) + " " + words[next() % 14];
    t.title.assign(next() % 3 ? title : "the " + title);
    t.artist.assign(artists[next() % 8]);
    t.album.assign(std::string(words[next() % 14]) + " Sessions");
    t.genre.assign(genres[next() % 7]);
    t.genreGroup = t.genre;
    t.durationSeconds = 90 + static_cast<std::int32_t>(next() % 400);
    t.durationText.assign(convertSecstoTimeStringShort(t.durationSeconds));
    const int c = static_cast<int>(next() % 9);
    t.colourCategory = c + 1;
    t.colourRed = colours[c][0];
    t.colourGreen = colours[c][1];
    t.colourBlue = colours[c][2];
    t.hpe = 3000 + c * 6000 + static_cast<std::int32_t>(next() % 5000);
    t.playCount = static_cast<std::int32_t>(next() % 12);
    t.checked = next() % 10 ? 1 : 0;
    t.fileKind = next() % 4 ? 1 : 2;
    t.fileLength = (3u + next() % 8) << 20;
    t.tuneNumber = i;
    t.permID = static_cast<std::uint32_t>(i);
    t.filePath.assign("/home/user/Music/" + title + " " + std::to_string(i) + ".mp3");
  }
  gTotalTunes_L = gStartTotalTunes_L = n;
  gNextPermIDNumber_UL = static_cast<std::uint32_t>(n);
  recountColours();
}
