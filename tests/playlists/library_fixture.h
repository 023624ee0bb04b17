// A small library built record by record for the playlist tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "library/tune.h"
#include "playlists/builder.h"

struct TuneFields {
  std::string title = "Title";
  std::string artist = "Artist";
  std::string album = "Album";
  std::string genre = "Rock";
  std::string genreGroup = "Rock";
  std::int32_t hpe = 20000;
  std::int32_t bypassCount = 500;
  std::int32_t ctCount = 1000;
  std::int32_t meanSamplePitch = 300;
  std::int32_t avgTunePitch = 400;
  std::int32_t colourCategory = 3;
  std::uint16_t checked = 1;
};

// Tune k of the library: every byte of the record, reserved areas and the
// bytes after each text included, is noise first, so a copy that drops or
// shifts any byte is seen; then the named fields get the given values.
inline Tune& putTune(std::int32_t k, const TuneFields& s = {}) {
  Tune& t = gTunes_A[k];
  std::mt19937 noise(static_cast<std::uint32_t>(k) * 2654435761u);
  auto* bytes = reinterpret_cast<std::uint8_t*>(&t);
  for (std::size_t i = 0; i < sizeof(Tune); ++i) bytes[i] = static_cast<std::uint8_t>(noise());
  t.title.assign(s.title);
  t.artist.assign(s.artist);
  t.album.assign(s.album);
  t.genre.assign(s.genre);
  t.genreGroup.assign(s.genreGroup);
  t.filePath.assign("/music/" + s.title + ".mp3");
  t.hpe = s.hpe;
  t.bypassCount = s.bypassCount;
  t.ctCount = s.ctCount;
  t.meanSamplePitch = s.meanSamplePitch;
  t.avgTunePitch = s.avgTunePitch;
  t.colourCategory = s.colourCategory;
  t.checked = s.checked;
  t.justAdded = 0;
  t.playCount = 0;
  t.matchScore = 0;
  t.tuneNumber = k;
  t.durationSeconds = 100 + k;
  t.fileLength = (3u << 19) + static_cast<std::uint32_t>(k);  // 1.5 MB: 1 MB per tune in the total
  return t;
}

inline void setLibrarySize(std::int32_t n) { gTotalTunes_L = gStartTotalTunes_L = n; }

class PlaylistTest : public ::testing::Test {
 protected:
  void SetUp() override {
    seedRnd(20261206);
    setLibrarySize(0);
    gTotalPlaylistTunes_L = gCurrentMatchTune_L = gCurrentSelectedTune_L = 0;
    gCurrentPlaylist_S = kPlaylistAllTunes;
    gWeArePlaying_S = gRefreshDisplay_S = 0;
    gSearchString$.assign("");
  }

  static void build(std::int16_t kind) {
    gCurrentPlaylist_S = kind;
    buildCurrentPlaylist();
  }

  // Library numbers of the playlist entries, in playlist order.
  static std::vector<std::int32_t> entries() {
    std::vector<std::int32_t> v;
    for (std::int32_t k = 1; k <= gTotalPlaylistTunes_L; ++k) v.push_back(std::int32_t{gPlaylistTunes_A[k].tuneNumber});
    return v;
  }

  // Every entry is its library record byte for byte, matchScore aside, and
  // the totals are the entries' own (zero for an empty playlist).
  static void expectWholeCopies() {
    std::int64_t seconds = 0, mbs = 0;
    for (std::int32_t k = 1; k <= gTotalPlaylistTunes_L; ++k) {
      Tune entry = gPlaylistTunes_A[k];
      const std::int32_t tune = entry.tuneNumber;
      ASSERT_GE(tune, 1);
      seconds += entry.durationSeconds;
      mbs += entry.fileLength >> 20;
      entry.matchScore = gTunes_A[tune].matchScore;
      EXPECT_EQ(0, std::memcmp(&entry, &gTunes_A[tune], sizeof(Tune))) << "entry " << k;
    }
    EXPECT_EQ(gMatchResultSeconds_L, seconds);
    EXPECT_EQ(gTotalTuneMBs_UL, static_cast<std::uint64_t>(mbs));
  }
};
