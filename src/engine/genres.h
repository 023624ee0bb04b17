// The genre table: every genre a tag can name, with its group and number.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct GenreEntry {
  std::string groupName;  // the genre group (base genre)
  std::string genreName;  // the genre as tags and menus spell it
  std::int16_t number = 0;
};

constexpr std::int32_t kGenreCapacity = 700;

// Entries 1..gTotalGenres_L (entry 0 unused), sorted by name after start-up.
extern GenreEntry gGenre_A[kGenreCapacity + 1];
extern std::int32_t gTotalGenres_L;

// Builds and sorts the table (276 entries). Called once at start-up.
void initMP3Categories();

// Genre name of an M4A "gnre" code (ID3v1 number + 1); "Unknown" otherwise.
std::string normaliseGenre(std::int16_t code);
