#include "engine/genres.h"

#include <algorithm>
#include <array>
#include <vector>

GenreEntry gGenre_A[kGenreCapacity + 1];
std::int32_t gTotalGenres_L = 0;

namespace {

struct Assigned {
  const char* name;
  std::int16_t number;
};

struct GroupList {
  const char* group;
  std::vector<Assigned> genres;
};

// The genre groups and the genres assigned to them.
const std::vector<GroupList>& assignments() {
  static const std::vector<GroupList> lists = {
      {"Classic Rock", {{"Classic Rock", 1}, {"Psychadelic", 67}, {"Rock & Roll", 78}, {"BritPop", 132}}},
      {"Country & Bluegrass",
       {{"Country", 2},
        {"Bluegrass", 89},
        {"Cowboy", 364},
        {"Western Swing", 365},
        {"Honky-Tonk", 366},
        {"Outlaw", 367}}},
      {"Dance & DJ",
       {{"Dance", 3},
        {"Disco", 4},
        {"Techno", 18},
        {"Euro-Techno", 25},
        {"Ambient", 26},
        {"Trip-Hop", 27},
        {"Trance", 31},
        {"House", 35},
        {"Booty Bass", 107},
        {"Porn Groove", 109},
        {"Club", 112},
        {"Freestyle", 119},
        {"Euro-House", 124},
        {"Dance Hall", 125},
        {"Drum & Bass", 127},
        {"Club-House", 128},
        {"Progressive", 323}}},
      {"R&B",
       {{"Funk", 5},
        {"R&B", 14},
        {"Groove Soul", 118},
        {"Beat", 135},
        {"Motown", 368},
        {"New Jack", 369},
        {"Neo-Soul", 370},
        {"Quiet Storm", 371}}},
      {"Misc.", {{"Grunge", 6},         {"Other", 12},   {"Pranks", 23},    {"Game", 36},    {"Sound Clip", 37},
                 {"Native US", 64},     {"Rave", 68},    {"Trailer", 70},   {"Polka", 75},   {"Revival", 87},
                 {"Humour", 100},       {"Speech", 101}, {"Chanson", 102},  {"Primus", 108}, {"Satire", 110},
                 {"Power Ballad", 117}, {"Duet", 120},   {"Acapella", 123}, {"Goa", 126},    {"General Rock", 299}}},
      {"Rap & HipHop", {{"Hip-Hop", 7}, {"Rap", 15}}},
      {"Jazz", {{"Jazz", 8},          {"Jazz+Funk", 29},       {"Fusion", 30},       {"Acid Jazz", 74},
                {"Swing", 83},        {"Fast Fusion", 84},     {"Bebop", 85},        {"Avantgarde", 90},
                {"Big Band", 96},     {"Drum Solo", 122},      {"Crossover", 139},   {"Jazz/World Beat", 287},
                {"World Jazz", 289},  {"Soul Jazz", 290},      {"Hardbop", 292},     {"Postbop", 293},
                {"Cool Jazz", 294},   {"Latin Jazz", 295},     {"Piano Jazz", 296},  {"General Jazz", 297},
                {"Sacred Jazz", 302}, {"Pop/Jazz", 307},       {"Free Jazz", 312},   {"Metal Jazz", 319},
                {"Creative", 321},    {"Creative Music", 322}, {"Smooth Jazz", 331}, {"Lite Jazz", 332},
                {"Groove", 338},      {"World Fusion", 340},   {"Pop Jazz", 341},    {"Brazilian Jazz", 344},
                {"Mexican Jazz", 346}}},
      {"Heavy Metal",
       {{"Metal", 9},
        {"Death Metal", 22},
        {"Acid", 34},
        {"Noise", 39},
        {"Hard Rock", 79},
        {"Heavy Metal", 137},
        {"Black Metal", 138},
        {"Trash Metal", 144}}},
      {"New Age", {{"New Age", 10}}},
      {"Oldies", {{"Oldies", 11}, {"Retro", 76}}},
      {"Pop",
       {{"Pop", 13},
        {"Pop/Funk", 62},
        {"Jpop", 146},
        {"Synthpop", 147},
        {"General Pop", 298},
        {"Pop/Rock", 309},
        {"Urban", 334}}},
      {"Reggae", {{"Reggae", 16}}},
      {"Rock",
       {{"Rock", 17},
        {"Psychedelic Rock", 93},
        {"Symphonic Rock", 94},
        {"Slow Rock", 95},
        {"Slow Jam", 111},
        {"Surf", 311},
        {"British Rock", 360},
        {"Glam", 361},
        {"Arena Rock", 362},
        {"Stadium Rock", 363},
        {"Jam Bands", 372},
        {"Roots Rock", 373},
        {"Singer-Songwriter", 374}}},
      {"Alternative Rock",
       {{"Industrial", 19},
        {"Alternative", 20},
        {"Ska", 21},
        {"New Wave", 66},
        {"Acid Punk", 73},
        {"Gothic Rock", 91},
        {"Progressive Rock", 92},
        {"Punk Rock", 121},
        {"Hardcore", 129},
        {"Indie", 131},
        {"Negerpunk", 133},
        {"Polsk Punk", 134},
        {"Goth", 276}}},
      {"Soundtrack", {{"Soundtrack", 24}, {"Musical", 77}, {"Film Score", 304}, {"TV Theme", 305}}},
      {"Vocal",
       {{"Vocal", 28},
        {"Cabaret", 65},
        {"Showtunes", 69},
        {"Chorus", 97},
        {"Vocal/Latin", 306},
        {"Pop/Vocal", 308},
        {"Vocal Jazz", 342},
        {"Classic Female Vocal Blues", 349}}},
      {"Classical", {{"Classical", 32}, {"Chamber Music", 104}, {"Sonata", 105}, {"Symphony", 106}, {"Classics", 284}}},
      {"Instrumental", {{"Instrumental", 33}}},
      {"Christian & Gospel",
       {{"Gospel", 38},
        {"Christian Rap", 61},
        {"Christian Gangsta Rap", 136},
        {"Contemporary Christian", 140},
        {"Christian Rock", 141},
        {"Gospel & Religious", 300},
        {"Sacred", 301},
        {"Country Gospel", 358},
        {"Hymns", 359}}},
      {"World & International",
       {{"Jungle", 63},
        {"Lo-Fi", 71},
        {"Tribal", 72},
        {"Anime", 145},
        {"World", 285},
        {"International", 286},
        {"World Beat", 288},
        {"Indian", 333},
        {"Turkish", 335},
        {"Mexican", 345}}},
      {"Folk",
       {{"Folk", 80},
        {"Folk-Rock", 81},
        {"National Folk", 82},
        {"Celtic", 88},
        {"Acoustic", 99},
        {"Folklore", 115},
        {"Ballad", 116}}},
      {"Latin & Brazilian",
       {{"Latin", 86},
        {"Tango", 113},
        {"Samba", 114},
        {"Merengue", 142},
        {"Salsa", 143},
        {"Cuban", 336},
        {"Afro-Latin", 337},
        {"Chorro", 339},
        {"Brazilian", 343}}},
      {"Easy Listening", {{"Easy Listening", 98}, {"Lite FM", 330}}},
      {"Opera", {{"Opera", 103}}},
      {"Holiday & Seasonal",
       {{"Terror", 130},
        {"Holiday", 277},
        {"Holiday Jazz", 282},
        {"Hoilday Classics", 283},
        {"Seasonal", 324},
        {"Christmas", 325},
        {"Halloween", 326},
        {"Scary", 327},
        {"Americana", 328},
        {"Anthem", 329}}},
      {"Blues",
       {{"Blues", 0},
        {"Delta Blues", 291},
        {"Latin Blues", 303},
        {"Acoustic Blues", 347},
        {"Chicago Blues", 348},
        {"Contemporary Blues", 350},
        {"Electric Blues Guitar", 351},
        {"Modern Blues", 352},
        {"Regional Blues", 353},
        {"Traditional Blues", 354}}},
      {"Lounge & Exotica", {{"Lounge", 278}, {"Tropical", 279}, {"Tiki Tropical", 280}, {"Exotica", 281}}},
      {"Electronic & Techno",
       {{"SFX", 310},
        {"Electronica/Dance", 313},
        {"Electronic", 314},
        {"Techno", 315},
        {"Noise", 316},
        {"Beat", 317},
        {"Electronica", 318},
        {"Experimental", 320}}},
      {"Young Adult & Children", {{"Lullabies", 355}, {"Educational", 356}, {"Sing-A-Long", 357}}},
  };
  return lists;
}

// Genre name and group of a number of the lists above (numbered or extended).
bool lookupAssigned(std::int16_t number, std::string& name, std::string& group) {
  for (const auto& list : assignments())
    for (const auto& g : list.genres)
      if (g.number == number) {
        name = g.name;
        group = list.group;
        return true;
      }
  return false;
}

}  // namespace

void initMP3Categories() {
  for (auto& e : gGenre_A) e = GenreEntry{};
  std::int32_t n = 0;
  // 1. The ID3v1 list, 1..147; 40..60 are nameless.
  for (std::int16_t number = 1; number <= 147; ++number) {
    GenreEntry& e = gGenre_A[++n];
    e.number = number;
    if (number >= 40 && number <= 60) continue;
    lookupAssigned(number, e.genreName, e.groupName);
  }
  // 2. Blues (0), All Genres, Unknown.
  gGenre_A[++n] = {"Blues", "Blues", 0};
  gGenre_A[++n] = {"All Genres", "All Genres", -7};
  gGenre_A[++n] = {"Unknown", "Unknown", -2};
  // 3. The extended genres, numbered by position + 125 (276..374).
  std::vector<std::int16_t> extended;
  for (const auto& list : assignments())
    for (const auto& g : list.genres)
      if (g.number >= 276) extended.push_back(g.number);
  std::sort(extended.begin(), extended.end());
  for (std::int16_t number : extended) {
    GenreEntry& e = gGenre_A[++n];
    lookupAssigned(number, e.genreName, e.groupName);
    e.number = static_cast<std::int16_t>(n + 125);
  }
  // 4. Entries without a group belong to "Misc.".
  for (std::int32_t i = 1; i <= n; ++i)
    if (gGenre_A[i].groupName.empty()) gGenre_A[i].groupName = "Misc.";
  // 5. One entry per group.
  static const struct {
    const char* name;
    const char* group;
    std::int16_t number;
  } kGroups[] = {
      {"All Genres", "All Genres", 526},
      {"Alternative Rock", "Alternative", 500},
      {"Blues", "Blues", 501},
      {"Vocal", "Vocal", 502},
      {"Young Adult & Children", "Young Adult & Children", 503},
      {"Christian & Gospel", "Christian & Gospel", 504},
      {"Classic Rock", "Rock", 505},
      {"Classical", "Classical", 506},
      {"Country & Bluegrass", "Country & Bluegrass", 507},
      {"Dance & DJ", "Dance & DJ", 508},
      {"Folk", "Folk", 509},
      {"Hard Rock & Metal", "Heavy Metal", 510},
      {"Holiday & Seasonal", "Holiday & Seasonal", 511},
      {"Lounge & Exotica", "Lounge & Exotica", 512},
      {"International", "World & International", 513},
      {"Jazz", "Jazz", 514},
      {"Latin & Brazilian", "Latin & Brazilian", 515},
      {"Misc.", "Misc.", 516},
      {"New Age", "New Age", 517},
      {"Oldies", "Oldies", 518},
      {"Opera", "Opera", 519},
      {"Pop", "Pop", 520},
      {"R&B", "R&B", 521},
      {"Rap & HipHop", "Rap & HipHop", 522},
      {"Rock", "Rock", 523},
      {"Soundtrack", "Soundtrack", 524},
      {"Unknown", "Unknown", 525},
  };
  for (const auto& g : kGroups) gGenre_A[++n] = {g.group, g.name, g.number};
  gTotalGenres_L = n;
  // 6. Ascending by name, bytewise; equal names keep their building order.
  std::stable_sort(gGenre_A + 1, gGenre_A + 1 + n, [](const GenreEntry& a, const GenreEntry& b) {
    return std::lexicographical_compare(
        a.genreName.begin(), a.genreName.end(), b.genreName.begin(), b.genreName.end(),
        [](char x, char y) { return static_cast<unsigned char>(x) < static_cast<unsigned char>(y); });
  });
}

std::string normaliseGenre(std::int16_t code) {
  switch (code) {
    case 1: return "Blues";
    case 3: return "Country";
    case 4: return "Dance";
    case 9: return "Jazz";
    case 11: return "New Age";
    case 13: return "Other";
    case 14: return "Pop";
    case 15: return "R&B";
    case 17: return "Reggae";
    case 18: return "Rock";
    case 21: return "Alternative";
    case 25: return "Soundtrack";
    case 29: return "Vocal";
    case 33: return "Classical";
    case 34: return "Instrumental";
    case 53: return "Electronic";
    case 87: return "Latin";
    case 99: return "Easy Listening";
    default: return "Unknown";
  }
}
