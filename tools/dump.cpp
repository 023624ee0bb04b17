// dump and check: reading a library file from the command line.
#include <cstdio>

#include "library/database.h"
#include "tools/commands.h"
#include "tools/tune_json.h"

int cmdDump(ToolArgs in) {
  std::vector<std::string> args(in.begin(), in.end());
  if (!toolTakeDbOption(args)) return 2;
  if (!args.empty()) {
    std::fprintf(stderr, "lumaroll-tool dump: unexpected argument '%s'\n", args[0].c_str());
    return 2;
  }
  if (!toolLoadLibrary()) return 1;
  for (std::int32_t k = 1; k <= gTotalTunes_L; ++k) std::printf("%s\n", tuneJson(k, gTunes_A[k]).c_str());
  return 0;
}

namespace {

const char* const kColourNames[10] = {"",       "Midnight Blue", "Cool Blue", "Green", "Bright Green",
                                      "Yellow", "Orange",        "Red",       "Pink",  "Purple"};

}  // namespace

int cmdCheck(ToolArgs in) {
  std::vector<std::string> args(in.begin(), in.end());
  if (!toolTakeDbOption(args)) return 2;
  const bool rewrite = toolTakeFlag(args, "--rewrite");
  if (!args.empty()) {
    std::fprintf(stderr, "lumaroll-tool check: unexpected argument '%s'\n", args[0].c_str());
    return 2;
  }
  if (rewrite && !toolLockLibrary()) return 1;
  if (!toolLoadLibrary()) return 1;
  std::printf("tunes: %d\n", gTotalTunes_L);
  for (std::int32_t c = 1; c <= 9; ++c) std::printf("%s: %d\n", kColourNames[c], *colourCounter(c));
  int problems = 0;
  auto over = [&](std::int32_t k, const char* field, unsigned len, unsigned cap) {
    if (len <= cap) return;
    std::printf("tune %d: %s length byte %u exceeds its field of %u\n", k, field, len, cap);
    ++problems;
  };
  for (std::int32_t k = 1; k <= gTotalTunes_L; ++k) {
    const Tune& t = gTunes_A[k];
    over(k, "title", t.title.len, 255);
    over(k, "fileName", t.fileName.len, 63);
    over(k, "filePath", t.filePath.len, 255);
    over(k, "artist", t.artist.len, 255);
    over(k, "album", t.album.len, 255);
    over(k, "genre", t.genre.len, 63);
    over(k, "genreGroup", t.genreGroup.len, 63);
    over(k, "durationText", t.durationText.len, 255);
    if (t.colourCategory < 1 || t.colourCategory > 9) {
      std::printf("tune %d: colour category %d outside 1..9\n", k, t.colourCategory);
      ++problems;
    }
  }
  std::printf("problems: %d\n", problems);
  if (rewrite) {
    if (saveDatabaseFiles() != noErr) {
      std::fprintf(stderr, "lumaroll-tool check: saving failed: %s\n", librarySaveFailure().reason.c_str());
      return 1;
    }
    std::puts("rewritten");
  }
  return 0;
}
