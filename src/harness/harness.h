// Developer measurements of the energy model against the library: same-song
// consistency, soundtrack album averages and title-word energies. The energy
// figure is each tune's ctCount, from which HPE is derived. They read the
// committed tunes (1..gStartTotalTunes_L) and write two reports into the
// preferences folder.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct MovieEntry {
  std::string album;
  std::string artist;
  std::int32_t averageEnergy = 0;
  std::int32_t tracks = 0;
};

struct WordEntry {
  std::string word;
  std::vector<std::int32_t> values;  // ctCount of every tune whose title holds it
  std::int32_t average = 0;
};

// The tables grow with the library.
extern std::vector<MovieEntry> gMovies_A;  // entry 0 unused
extern std::int32_t gTotalMovies_L;
extern std::vector<WordEntry> gWords_A;  // entry 0 unused
extern std::int32_t gTotalUniqueWords_L;
extern std::int32_t gTotalWords_L;

// Where a measurement's lines go, given by the caller: the developer menu
// shows them in the harness text window, the tool prints them.
using HarnessPrint = void (*)(std::string_view line);

// Final score of the last consistency run: the mean over every pair of
// same-song tunes of smaller ctCount / larger ctCount (1 = perfectly
// consistent); -1 when no pair was found.
extern double gHarnessScore_D;
extern std::int32_t gHarnessPairs_L;

std::int16_t measureHPEError(HarnessPrint print);
std::int16_t countMovies(HarnessPrint print);
std::int16_t measureMovieEnergyAverage(HarnessPrint print);
std::int16_t measureWordEnergy(HarnessPrint print);
std::int16_t printWordHPE();
void sortMovieAverageEnergy();
void sortWordsByEnergy();

// The report files: <preferences>/Orvane-KeelwaveEngine/TestData.txt and
// TestDataWordHPE.txt.
std::string movieReportPath();
std::string wordReportPath();

// The words of a title as the word measurement splits them.
std::vector<std::string> titleWords(std::string_view title);
