// The tag readers on generated MP3, M4A, FLAC, Ogg Vorbis and Opus files,
// and the analysis and classification of a decoded tone, through the movie
// services, as adding a file runs them. The tags are FFmpeg's, as the tools
// people tag their music with would write them.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "engine/analysis.h"
#include "engine/classify.h"
#include "engine/genres.h"
#include "engine/m4atags.h"
#include "engine/mp3tags.h"
#include "engine/tag_test.h"
#include "engine/vorbistags.h"
#include "platform/movie.h"
#include "support/media.h"

namespace {

class Media : public TagReading<> {
 protected:
  static void SetUpTestSuite() {
    initMP3Categories();
    ASSERT_EQ(EnterMovies(), noErr);
  }
  // By default the shortest file each reader takes.
  std::string make(const std::string& name, MediaFormat format,
                   MediaTags tags = {"Caf\xC3\xA9 Noir", "Ana Mo\xC3\xB1o", "Nocturnes", "Jazz"}, double seconds = 0) {
    if (seconds == 0) seconds = format == MediaFormat::m4a ? 12 : format == MediaFormat::mp3Cbr ? 6 : 1;
    writeTestMedia(dir.file(name), {.format = format, .seconds = seconds, .tags = std::move(tags), .muxerTags = true});
    return dir.file(name);
  }
};

}  // namespace

// Each reader on its files; the Vorbis comment reader tells the codec by its
// kind, whatever the file's name says. UTF-8 is folded to Mac Roman.
TEST_F(Media, EveryReaderReadsTheTagsAnotherToolWrote) {
  const std::tuple<MediaFormat, std::string, int> cases[] = {
      {MediaFormat::mp3Cbr, "a.mp3", 1}, {MediaFormat::m4a, "b.m4a", 4},   {MediaFormat::flac, "c.flac", 5},
      {MediaFormat::vorbis, "d.ogg", 6}, {MediaFormat::opus, "e.opus", 7}, {MediaFormat::vorbis, "f.OGA", 6},
      {MediaFormat::opus, "g.ogg", 7},
  };
  for (const auto& [format, name, kind] : cases) {
    SCOPED_TRACE(name);
    SetUp();
    const std::string path = make(name, format);
    // The reader adding a file runs for the file's kind.
    const TagReader read = kind == kFileKindMP3 ? readMP3Tags : kind == kFileKindM4A ? readM4ATags : readVorbisTags;
    ASSERT_EQ(read(path, 7, 123456), noErr);
    EXPECT_EQ(texts(), (TagTexts{"Caf\x8E Noir", "Ana Mo\x96o", "Nocturnes", "Jazz"}));
    // The M4A reader stores the bytes it loaded: the file's first quarter.
    const std::uintmax_t size = std::filesystem::file_size(path);
    EXPECT_EQ(std::tuple(gTotalTunes_L, +tune().fileKind, tune().fileName.str(), +tune().fileLength),
              std::tuple(1, kind, name, kind == kFileKindM4A ? size / 4 : size));
  }
  EXPECT_TRUE(headlessToolbox().logged("text:4000/55=Inspecting: Caf\x8E Noir"));
}

// Every refusal gives the slot back and says why by its code; nothing that
// is not FLAC, Vorbis or Opus in a FLAC or Ogg file gets through.
TEST_F(Media, RefusalsByTheirCodes) {
  const std::string whole = make("whole.flac", MediaFormat::flac);
  writeFileBytes(dir.file("text.flac"), "This is not a tune, only words about one.\n");
  std::string garbled = readFileBytes(whole);
  for (std::size_t i = 4; i < 60; ++i) garbled[i] = '\xFF';
  writeFileBytes(dir.file("garbled.flac"), garbled);
  writeFileBytes(dir.file("empty.opus"), "");
  make("mp3.flac", MediaFormat::mp3Cbr);
  std::filesystem::create_directory(dir.file("folder.ogg"));
  std::filesystem::copy_file(whole, dir.file(".hidden.flac"));  // refused before the file is looked at
  make("untagged.ogg", MediaFormat::vorbis, {});
  make("pod.opus", MediaFormat::opus, {"Episode 1", "Host", "Show", "podcast"});

  const std::pair<const char*, OSErr> cases[] = {
      {"text.flac", invalidMovieErr}, {"garbled.flac", 0},  {"empty.opus", 0},  // 0: some negative code
      {"mp3.flac", invalidMovieErr},  {"missing.flac", 37}, {"folder.ogg", 37},
      {".hidden.flac", 37},           {"untagged.ogg", 7},  {"pod.opus", 8},
  };
  for (const auto& [name, code] : cases) {
    const OSErr err = readVorbisTags(dir.file(name), 7, 1);
    EXPECT_TRUE(code == 0 ? err < 0 : err == code) << name << ": " << err;
    EXPECT_EQ(gTotalTunes_L, 0) << name;
  }
}

// A missing title reads "Unknown" like the MP3 reader's; titled tunes are
// duplicates by artist, title and album, untitled ones only by their path.
TEST_F(Media, VorbisCommentsTellDuplicatesApart) {
  const std::string a = make("a.flac", MediaFormat::flac, {"Same", "Artist", "Album", ""});
  const std::string b = make("b.ogg", MediaFormat::vorbis, {"Same", "Artist", "Album", "Rock"});
  const std::string c = make("c.flac", MediaFormat::flac, {"", " ", "", "Rock"});
  const std::string d = make("d.flac", MediaFormat::flac, {"", " ", "", "Rock"});
  ASSERT_EQ(readVorbisTags(a, 7, 1), noErr);
  EXPECT_EQ(tune().genre.view(), "Unknown");
  gTunes_A[1].filePath.assign(a);
  EXPECT_EQ(readVorbisTags(b, 7, 1), kVorbisDuplicate);
  ASSERT_EQ(readVorbisTags(c, 7, 1), noErr);
  EXPECT_EQ(texts(), (TagTexts{"Unknown", "Unknown", "Unknown", "Rock"}));
  gTunes_A[2].filePath.assign(c);
  EXPECT_EQ(readVorbisTags(c, 7, 1), kVorbisDuplicate);
  EXPECT_EQ(readVorbisTags(d, 7, 1), noErr);
  EXPECT_EQ(gTotalTunes_L, 3);
}

// A tone read through the decoder and the byte order of the sound block
// lands on its bin and stays calm. (Noise and the other formats are measured
// end to end by the add run's tests.)
TEST_F(Media, ADecodedToneLandsOnItsBinAndStaysCalm) {
  const std::string path = make("tone.mp3", MediaFormat::mp3Cbr, {"Tone", "Generator", "Tests", "Rock"}, 40);
  ASSERT_EQ(readMP3Tags(path, 7, 1), noErr);
  auto state = std::make_unique<AnalysisState>();
  AnalysisState& st = *state;
  resetAnalysisState(st);
  MovieOwner movie;
  ASSERT_EQ(openMovieByPath(path, movie), noErr);
  for (std::int32_t part = 1; part <= 14; ++part)
    ASSERT_EQ(measureTuneAudio(st, movie.get(), part, gTunes_A[1]), noErr);
  EXPECT_EQ(std::pair(+st.gFundCount_S, +tune().durationSeconds), std::pair(28, 40));
  // 440 Hz: 440 * 16384 / 33075 = 218 bins of the compacted stream.
  for (std::int32_t n = 1; n <= 28; ++n) EXPECT_NEAR(samplePitchAt(tune(), n), 218, 1) << n;
  ASSERT_EQ(classifyTune(st, "tone.mp3"), noErr);
  EXPECT_EQ(+tune().colourCategory, 1) << " hpe " << +tune().hpe;
  EXPECT_GT(st.gCTCounter_L, 7);
}
