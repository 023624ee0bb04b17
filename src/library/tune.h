// The tune record, the four record tables and the library counters.
//
// The record is 4566 bytes with every field at a fixed offset; it is also the
// on-disk record of the database file. Records are copied whole between the
// tables. Reserved areas are never touched field by field: they stay as they
// were and travel with whole-record copies, loads and saves.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <type_traits>

#include "core/pstring.h"
#include "platform/movie.h"

#pragma pack(push, 1)
struct Tune {
  std::uint8_t reserved0[370];
  Str255 title;
  std::uint8_t reserved626[256];
  Str63 fileName;
  std::uint8_t reserved946[192];
  std::int16_t folderVolume;
  std::int32_t folderDirID;
  Str255 filePath;
  std::uint8_t reserved1400[512];
  std::uint16_t reserved1912;
  Str255 artist;
  Str255 album;
  std::uint32_t fileLength;
  std::int32_t durationSeconds;
  std::uint16_t reserved2434;
  std::int16_t dataRate;
  std::uint16_t reserved2438;
  std::uint16_t reserved2440;
  std::uint32_t reserved2442;
  Str63 genre;
  std::uint16_t genreCode;
  std::uint8_t reserved2512[192];
  Str63 genreGroup;
  std::uint8_t reserved2768[640];
  std::uint32_t reserved3408;
  std::int32_t energyIndex;
  std::int32_t hpe;
  std::int32_t colourCategory;
  std::int32_t pitchIndex;
  std::int32_t energyLevel;
  std::uint16_t reserved3432;
  std::uint16_t colourRed;
  std::uint16_t reserved3436;
  std::uint16_t colourGreen;
  std::uint16_t reserved3440;
  std::uint16_t colourBlue;
  std::int16_t evalMark;
  std::uint16_t fileKind;  // which tag reader read the file: the kFileKind values below
  std::int32_t samplePitch[61];
  std::int16_t sampleAmplitude[61];
  std::uint16_t reserved3814[61];
  std::uint16_t commonPitch;
  std::int32_t avgFundamentalPitch;
  std::int32_t meanSamplePitch;
  std::int32_t avgAmplitude;
  std::int32_t bypassRatio;
  std::uint8_t reserved3954[4];
  std::int32_t pitchesPerCount;
  std::int32_t uniquePitchCount;
  std::int32_t firstPassTunePitch;
  std::int32_t totalPitchCount;
  std::int32_t firstPassDistinctBins;
  std::int32_t bypassCountRaw;
  std::int32_t firstPassStrongBins;
  std::int32_t ctCountRaw;
  std::int32_t bypassCount;
  std::int32_t avgUniquePitch;
  std::int32_t ctCount;
  std::int32_t avgTunePitch;
  std::int32_t frequencyVariance;
  std::int32_t bypassVariance;
  std::uint8_t justAdded;
  std::uint8_t reserved4015;
  std::uint8_t classifyFlag;
  std::uint8_t reserved4017;
  std::uint32_t reserved4018[4];
  std::uint8_t reserved4034[256];
  Str255 durationText;
  std::int32_t playCount;
  std::int32_t tuneNumber;
  std::uint16_t reserved4554;
  std::uint16_t checked;
  std::int32_t matchScore;
  std::uint32_t permID;
};
#pragma pack(pop)

// fileKind: 1 MP3 and 4 M4A (AAC); 5 FLAC, 6 Ogg Vorbis and 7 Opus, read
// through their Vorbis comments (FLAC and Opus by their codec, whether in a
// .flac, .ogg, .oga or .opus file). 2 and 3 are never written: libraries
// made elsewhere may hold them, and they show as AAC like any other value.
constexpr std::uint16_t kFileKindMP3 = 1;
constexpr std::uint16_t kFileKindM4A = 4;
constexpr std::uint16_t kFileKindFLAC = 5;
constexpr std::uint16_t kFileKindVorbis = 6;
constexpr std::uint16_t kFileKindOpus = 7;

// The text of the list's Type column for a fileKind.
constexpr const char* fileKindText(std::uint16_t kind) {
  switch (kind) {
    case kFileKindMP3: return "MP3";
    case kFileKindFLAC: return "FLAC";
    case kFileKindVorbis: return "OGG";
    case kFileKindOpus: return "OPUS";
    default: return "AAC";
  }
}

constexpr std::size_t kTuneRecordSize = 4566;
static_assert(sizeof(Tune) == kTuneRecordSize);
static_assert(alignof(Tune) == 1);
static_assert(std::is_trivial_v<Tune>);  // copied and cleared as raw bytes
static_assert(offsetof(Tune, title) == 370);
static_assert(offsetof(Tune, fileName) == 882);
static_assert(offsetof(Tune, folderVolume) == 1138);
static_assert(offsetof(Tune, folderDirID) == 1140);
static_assert(offsetof(Tune, filePath) == 1144);
static_assert(offsetof(Tune, reserved1912) == 1912);
static_assert(offsetof(Tune, artist) == 1914);
static_assert(offsetof(Tune, album) == 2170);
static_assert(offsetof(Tune, fileLength) == 2426);
static_assert(offsetof(Tune, durationSeconds) == 2430);
static_assert(offsetof(Tune, dataRate) == 2436);
static_assert(offsetof(Tune, reserved2442) == 2442);
static_assert(offsetof(Tune, genre) == 2446);
static_assert(offsetof(Tune, genreCode) == 2510);
static_assert(offsetof(Tune, genreGroup) == 2704);
static_assert(offsetof(Tune, reserved3408) == 3408);
static_assert(offsetof(Tune, energyIndex) == 3412);
static_assert(offsetof(Tune, hpe) == 3416);
static_assert(offsetof(Tune, colourCategory) == 3420);
static_assert(offsetof(Tune, pitchIndex) == 3424);
static_assert(offsetof(Tune, energyLevel) == 3428);
static_assert(offsetof(Tune, colourRed) == 3434);
static_assert(offsetof(Tune, colourGreen) == 3438);
static_assert(offsetof(Tune, colourBlue) == 3442);
static_assert(offsetof(Tune, evalMark) == 3444);
static_assert(offsetof(Tune, fileKind) == 3446);
static_assert(offsetof(Tune, samplePitch) == 3448);
static_assert(offsetof(Tune, sampleAmplitude) == 3692);
static_assert(offsetof(Tune, reserved3814) == 3814);
static_assert(offsetof(Tune, commonPitch) == 3936);
static_assert(offsetof(Tune, avgFundamentalPitch) == 3938);
static_assert(offsetof(Tune, meanSamplePitch) == 3942);
static_assert(offsetof(Tune, avgAmplitude) == 3946);
static_assert(offsetof(Tune, bypassRatio) == 3950);
static_assert(offsetof(Tune, reserved3954) == 3954);
static_assert(offsetof(Tune, pitchesPerCount) == 3958);
static_assert(offsetof(Tune, uniquePitchCount) == 3962);
static_assert(offsetof(Tune, firstPassTunePitch) == 3966);
static_assert(offsetof(Tune, totalPitchCount) == 3970);
static_assert(offsetof(Tune, firstPassDistinctBins) == 3974);
static_assert(offsetof(Tune, bypassCountRaw) == 3978);
static_assert(offsetof(Tune, firstPassStrongBins) == 3982);
static_assert(offsetof(Tune, ctCountRaw) == 3986);
static_assert(offsetof(Tune, bypassCount) == 3990);
static_assert(offsetof(Tune, avgUniquePitch) == 3994);
static_assert(offsetof(Tune, ctCount) == 3998);
static_assert(offsetof(Tune, avgTunePitch) == 4002);
static_assert(offsetof(Tune, frequencyVariance) == 4006);
static_assert(offsetof(Tune, bypassVariance) == 4010);
static_assert(offsetof(Tune, justAdded) == 4014);
static_assert(offsetof(Tune, classifyFlag) == 4016);
static_assert(offsetof(Tune, reserved4018) == 4018);
static_assert(offsetof(Tune, reserved4034) == 4034);
static_assert(offsetof(Tune, durationText) == 4290);
static_assert(offsetof(Tune, playCount) == 4546);
static_assert(offsetof(Tune, tuneNumber) == 4550);
static_assert(offsetof(Tune, checked) == 4556);
static_assert(offsetof(Tune, matchScore) == 4558);
static_assert(offsetof(Tune, permID) == 4562);

// ---- Tables -------------------------------------------------------------

constexpr std::int32_t kTableRecords = 30001;  // index 0..30000, 0 never a tune
constexpr std::int32_t kMaxTunes = 30000;

// One table of 30001 records, allocated once for the life of the program so
// that pages of records never used are never touched. Indexing outside
// 0..30000 ends the program at once instead of corrupting memory.
class TuneTable {
 public:
  TuneTable();
  TuneTable(const TuneTable&) = delete;
  TuneTable& operator=(const TuneTable&) = delete;

  Tune& operator[](std::int64_t i) const {
    if (i < 0 || i >= kTableRecords) [[unlikely]]
      outOfRange(i);
    return base_[i];
  }
  Tune* data() const { return base_; }
  // Records first..first+count-1, checked against the table.
  std::span<Tune> records(std::int64_t first, std::int64_t count) const;

 private:
  [[noreturn]] static void outOfRange(std::int64_t i);
  Tune* base_;
};

extern TuneTable gTunes_A;          // the library
extern TuneTable gPlaylistTunes_A;  // the current playlist, in playlist order
extern TuneTable gNowPlaying_A;     // the playlist being played
// The movie of the entry of gNowPlaying_A that sounds now, owned by the play
// run (player/playback); nullptr between tunes and when nothing plays. It
// lives with the tables so that the add runs and the playlist switches below
// the player can tell whether a tune is loaded and silence it. Others may stop
// it or change its volume, never dispose of it.
extern Movie gNowPlayingMovie;
// True when a tune is loaded in the player (gNowPlayingMovie is not null),
// playing or finished.
bool movieLoaded();
// Silences the loaded tune at once unless it has already finished; the run
// that owns it still disposes of it.
void stopSoundingMovie();
extern TuneTable gHoldTunes_A;  // scratch

// ---- Library counters ---------------------------------------------------

extern std::int32_t gTotalTunes_L;       // tunes present: records 1..gTotalTunes_L
extern std::int32_t gStartTotalTunes_L;  // tunes committed
extern std::int32_t gMaxTunes_L;         // 30000
extern std::uint32_t gNextPermIDNumber_UL;
extern std::int32_t gTotalPlaylistTunes_L;
extern std::int32_t gTotalPlaying_L;

extern std::int32_t gTotalDarkBlueTunes_L;     // 1 Midnight Blue
extern std::int32_t gTotalBlueTunes_L;         // 2 Cool Blue
extern std::int32_t gTotalGreenTunes_L;        // 3 Green
extern std::int32_t gTotalSoringGreenTunes_L;  // 4 Bright Green
extern std::int32_t gTotalYellowTunes_L;       // 5 Yellow
extern std::int32_t gTotalOrangeTunes_L;       // 6 Orange
extern std::int32_t gTotalRedTunes_L;          // 7 Red
extern std::int32_t gTotalPinkTunes_L;         // 8 Pink
extern std::int32_t gTotalPurpleTunes_L;       // 9 Purple

// The counter of colour category 1..9, or nullptr for any other value.
std::int32_t* colourCounter(std::int32_t category);

// ---- Operations ---------------------------------------------------------

// Claims the record after the last tune; returns its index, or 0 when the
// library is full (nothing claimed).
std::int32_t claimTuneRecord();
// Gives the last claimed record back.
void giveBackTuneRecord();
// Commits every present tune.
void commitTunes();
// Removes tune i (1..gStartTotalTunes_L) with one block move; false when i is
// not a committed tune.
bool removeTune(std::int32_t i);
// Sets the nine colour counters from the committed tunes.
void recountColours();
