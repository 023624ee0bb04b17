// playlist: builds a playlist from a library file and prints it, ranked the
// way the program shows it.
#include <charconv>
#include <cstdio>
#include <string>
#include <string_view>

#include "core/macroman.h"
#include "playlists/builder.h"
#include "tools/commands.h"
#include "tools/json.h"

namespace {

struct KindName {
  std::string_view name;
  std::int16_t kind;
};

constexpr KindName kKindNames[] = {
    {"all", 3},     {"last-added", 4}, {"smart-plays", 5},    {"smart-more", 6}, {"artist", 7},  {"search", 8},
    {"genre", 9},   {"album", 10},     {"midnight-blue", 11}, {"cool-blue", 12}, {"green", 13},  {"bright-green", 14},
    {"yellow", 15}, {"orange", 16},    {"red", 17},           {"pink", 18},      {"purple", 19},
};

template <typename T>
bool parseNumber(std::string_view text, T& value) {
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end && !text.empty();
}

bool parseKind(std::string_view text, std::int16_t& kind) {
  for (const auto& k : kKindNames)
    if (k.name == text) {
      kind = k.kind;
      return true;
    }
  return parseNumber(text, kind);
}

// The playlists the program presents ranked by matchScore; All Tunes, Last
// Added and search results are shown as built.
bool isRanked(std::int16_t kind) {
  return kind == kPlaylistSmartPlays || kind == kPlaylistSmartMore || kind == kPlaylistArtist ||
         kind == kPlaylistGenre || kind == kPlaylistAlbum ||
         (kind >= kPlaylistFirstColour && kind <= kPlaylistLastColour);
}

}  // namespace

int cmdPlaylist(ToolArgs in) {
  std::vector<std::string> args(in.begin(), in.end());
  std::string match, search, seed;
  if (!toolTakeDbOption(args) || !toolTakeOption(args, "--match", match) || !toolTakeOption(args, "--search", search) ||
      !toolTakeOption(args, "--seed", seed))
    return 2;
  std::int16_t kind = 0;
  if (args.size() != 1 || !parseKind(args[0], kind)) {
    std::fputs("usage: lumaroll-tool playlist KIND [--match N] [--search TEXT] [--seed S] [--db PATH]\n", stderr);
    return 2;
  }
  const bool needsMatch =
      kind == kPlaylistSmartMore || kind == kPlaylistArtist || kind == kPlaylistGenre || kind == kPlaylistAlbum;
  if (needsMatch && !parseNumber(match, gCurrentMatchTune_L)) {
    std::fputs("lumaroll-tool playlist: this kind needs --match N (a library tune number)\n", stderr);
    return 2;
  }
  if (kind == kPlaylistSearch && search.empty()) {
    std::fputs("lumaroll-tool playlist: search needs --search TEXT\n", stderr);
    return 2;
  }
  std::uint64_t seedValue = 0;
  if (!seed.empty() && !parseNumber(seed, seedValue)) {
    std::fprintf(stderr, "lumaroll-tool playlist: --seed needs a whole number, not '%s'\n", seed.c_str());
    return 2;
  }
  if (!toolLoadLibrary()) return 1;

  if (!seed.empty()) seedRnd(seedValue);
  gSearchString$.assign(displayToStored(search));
  gCurrentPlaylist_S = kind;
  buildCurrentPlaylist();
  if (isRanked(kind)) sortByMatch();

  for (std::int32_t k = 1; k <= gTotalPlaylistTunes_L; ++k) {
    const Tune& t = gPlaylistTunes_A[k];
    // After a load every tune's permID is its library number.
    JsonLine line;
    line.field("entry", std::int64_t{k})
        .field("tune", std::int64_t{t.permID})
        .field("title", storedToDisplay(t.title.view()))
        .field("artist", storedToDisplay(t.artist.view()))
        .field("matchScore", std::int64_t{t.matchScore});
    std::printf("%s\n", line.str().c_str());
  }
  JsonLine totals;
  totals.field("tunes", std::int64_t{gTotalPlaylistTunes_L})
      .field("seconds", std::int64_t{gMatchResultSeconds_L})
      .field("megabytes", std::int64_t{gTotalTuneMBs_UL})
      .field("identity", gCurrentPlayllistIDName$.view());
  std::printf("%s\n", totals.str().c_str());
  return 0;
}
