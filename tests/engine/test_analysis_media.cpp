// Tag reading, analysis and classification of generated MP3 and M4A files,
// through the movie services, as adding a file runs them.
#include <gtest/gtest.h>

#include <memory>

#include <cstring>
#include <vector>

#include "engine/analysis.h"
#include "engine/classify.h"
#include "engine/genres.h"
#include "engine/m4atags.h"
#include "engine/mp3tags.h"
#include "library/tune.h"
#include "platform/movie.h"
#include "support/media.h"
#include "support/temp_dir.h"

namespace {

class Media : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    initMP3Categories();
    ASSERT_EQ(EnterMovies(), noErr);
  }
  void SetUp() override {
    gTotalTunes_L = gStartTotalTunes_L = 0;
    gTunes_A[1] = Tune{};
  }
  void TearDown() override { gTotalTunes_L = gStartTotalTunes_L = 0; }

  std::string make(const std::string& name, const MediaRecipe& recipe) {
    const std::string path = dir.file(name);
    writeTestMedia(path, recipe);
    return path;
  }
  // The analysis calls until the first failure; the last result.
  OSErr analyse(const std::string& path) {
    resetAnalysisState(st);
    ClearMoviesStickyError();
    MovieOwner movie;
    if (OSErr err = openMovieByPath(path, movie); err != noErr) return err;
    for (std::int32_t part = 1; part <= 14; ++part)
      if (OSErr err = measureTuneAudio(st, movie.get(), part, gTunes_A[gTotalTunes_L]); err != noErr) return err;
    return noErr;
  }
  const Tune& tune() { return gTunes_A[gTotalTunes_L]; }
  std::unique_ptr<AnalysisState> state = std::make_unique<AnalysisState>();
  AnalysisState& st = *state;
  TempDir dir;
};

MediaRecipe tagged(Id3Version version, Id3Encoding encoding) {
  MediaRecipe s;
  s.seconds = 6;  // 6 s at 128 kbit/s: about 96,000 bytes
  s.id3 = version;
  s.encoding = encoding;
  s.tags = {"Caf\xC3\xA9 Song", "Jos\xC3\xA9", "Blue Train", "Jazz"};
  return s;
}

}  // namespace

// The byte layouts of each tag version are the tag reader's unit tests; here
// files without tags and tags written by the muxer.
TEST_F(Media, Mp3TagsOfTheMuxer) {
  gTotalTunes_L = 0;
  MediaRecipe none = tagged(Id3Version::none, Id3Encoding::latin1);
  EXPECT_EQ(readMP3Tags(make("none.mp3", none), 1, 2), 7);

  // Tags another tool wrote.
  MediaRecipe muxed = tagged(Id3Version::v24, Id3Encoding::utf8);
  muxed.muxerTags = true;
  muxed.tags = {"Naima", "John Coltrane", "Giant Steps", "Podcast"};
  EXPECT_EQ(readMP3Tags(make("podcast.mp3", muxed), 1, 2), 7);
  muxed.tags.genre = "Jazz";
  ASSERT_EQ(readMP3Tags(make("muxed.mp3", muxed), 1, 2), noErr);
  EXPECT_EQ(tune().title.view(), "Naima");
  EXPECT_EQ(tune().artist.view(), "John Coltrane");
  EXPECT_EQ(tune().album.view(), "Giant Steps");
  EXPECT_EQ(tune().genre.view(), "Jazz");
}

TEST_F(Media, M4aTagsWrittenByTheMuxer) {
  MediaRecipe s;
  s.format = MediaFormat::m4a;
  s.seconds = 12;
  s.tags = {"So What", "Miles Davis", "Kind of Blue", "Jazz"};
  ASSERT_EQ(readM4ATags(make("a.m4a", s), 1, 2), noErr);
  EXPECT_EQ(tune().title.view(), "So What");
  EXPECT_EQ(tune().artist.view(), "Miles Davis");
  EXPECT_EQ(tune().album.view(), "Kind of Blue");
  EXPECT_EQ(tune().genre.view(), "Jazz");
  EXPECT_EQ(+tune().fileKind, 4);

  s.tags.album = "";
  EXPECT_EQ(readM4ATags(make("b.m4a", s), 1, 2), 1);
}

TEST_F(Media, TonesStayCalmAndNoiseCountsTooManyStrongBins) {
  struct Case {
    const char* name;
    MediaFormat format;
    MediaContent content;
  } cases[] = {
      {"tone.mp3", MediaFormat::mp3Cbr, MediaContent::tone},
      {"tones.mp3", MediaFormat::mp3Vbr, MediaContent::twoTones},
      {"noise.m4a", MediaFormat::m4a, MediaContent::noise},
  };
  for (const Case& c : cases) {
    MediaRecipe s;
    s.format = c.format;
    s.content = c.content;
    s.seconds = 40;
    s.tags = {c.name, "Generator", "Tests", "Electronic"};
    const std::string path = make(c.name, s);
    gTotalTunes_L = 0;
    ASSERT_EQ(c.format == MediaFormat::m4a ? readM4ATags(path, 1, 2) : readMP3Tags(path, 1, 2), noErr) << c.name;
    ASSERT_EQ(analyse(path), noErr) << c.name;
    EXPECT_EQ(st.gFundCount_S, 28);
    EXPECT_EQ(+tune().durationSeconds, 40) << c.name;
    std::vector<std::uint8_t> first(sizeof(Tune));
    std::memcpy(first.data(), &tune(), sizeof(Tune));
    const std::int32_t strong = st.gCTCounter_L;

    // The same file gives the same numbers every time.
    ASSERT_EQ(analyse(path), noErr);
    EXPECT_EQ(st.gCTCounter_L, strong) << c.name;
    EXPECT_EQ(0, std::memcmp(first.data(), &tune(), sizeof(Tune))) << c.name;

    if (c.content == MediaContent::tone) {
      // 440 Hz: 440 * 16384 / 33075 = 218 bins of the compacted stream.
      for (std::int32_t n = 1; n <= 28; ++n) EXPECT_NEAR(samplePitchAt(tune(), n), 218, 1) << n;
    }
    ASSERT_EQ(classifyTune(st, c.name), noErr) << c.name;
    if (c.content == MediaContent::noise) {
      // A flat spectrum: most bins of every frame pass the threshold, far
      // more than the 60000 strong bins of any tune that is kept.
      EXPECT_GE(st.gCTCounter_L, 60000) << c.name;
    } else {
      EXPECT_EQ(+tune().colourCategory, 1) << c.name << " hpe " << +tune().hpe;
      EXPECT_GT(st.gCTCounter_L, 7) << c.name;
    }
  }
}

TEST_F(Media, LengthAndChannelsDecide) {
  MediaRecipe s;
  s.seconds = 26.9;
  EXPECT_EQ(analyse(make("short.mp3", s)), 37);
  s.seconds = 27.2;
  EXPECT_EQ(analyse(make("long.mp3", s)), noErr);
  EXPECT_EQ(+tune().durationSeconds, 27);
  s.channels = 1;
  s.seconds = 30;
  EXPECT_EQ(analyse(make("mono.mp3", s)), 20);
  s.channels = 2;
  s.sampleRate = 48000;
  EXPECT_EQ(analyse(make("48k.mp3", s)), noErr);
}
