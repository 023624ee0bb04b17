// The FLAC, Ogg Vorbis and Opus tag reader on files whose Vorbis comments
// FFmpeg wrote, as the tools people tag their music with would.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/vorbistags.h"
#include "library/tune.h"
#include "platform/headless/headless_toolbox.h"
#include "support/media.h"
#include "support/temp_dir.h"

namespace {

MediaRecipe shortRecipe(MediaFormat format,
                        MediaTags tags = {"Caf\xC3\xA9 Noir", "Ana Mo\xC3\xB1o", "Nocturnes", "Jazz"}) {
  MediaRecipe s;
  s.format = format;
  s.seconds = 1;
  s.tags = std::move(tags);
  return s;
}

class VorbisTags : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(EnterMovies(), noErr);
    gTotalTunes_L = gStartTotalTunes_L = 0;
    for (int i = 0; i <= 3; ++i) gTunes_A[i] = Tune{};
    headlessToolbox().reset();
  }
  std::string make(const std::string& name, const MediaRecipe& recipe) {
    writeTestMedia(dir.file(name), recipe);
    return dir.file(name);
  }
  OSErr read(const std::string& path) { return readVorbisTags(path, 7, 123456); }
  const Tune& tune() { return gTunes_A[gTotalTunes_L]; }
  TempDir dir;
};

}  // namespace

// Each codec by its kind, whatever the file's name says; UTF-8 folded to
// Mac Roman like the other readers' texts.
TEST_F(VorbisTags, ReadsTheCommentsOfEachCodec) {
  struct Case {
    MediaFormat format;
    const char* name;
    std::uint16_t kind;
  };
  for (const Case& c : {Case{MediaFormat::flac, "a.flac", kFileKindFLAC}, Case{MediaFormat::vorbis, "b.ogg", 6},
                        Case{MediaFormat::opus, "c.opus", 7}, Case{MediaFormat::vorbis, "d.OGA", 6},
                        Case{MediaFormat::opus, "e.ogg", 7}}) {
    SetUp();
    const std::string path = make(c.name, shortRecipe(c.format));
    ASSERT_EQ(read(path), noErr) << c.name;
    EXPECT_EQ(gTotalTunes_L, 1);
    EXPECT_EQ(tune().title.view(), "Caf\x8E Noir") << c.name;
    EXPECT_EQ(tune().artist.view(), "Ana Mo\x96o");
    EXPECT_EQ(tune().album.view(), "Nocturnes");
    EXPECT_EQ(tune().genre.view(), "Jazz");
    EXPECT_EQ(+tune().fileKind, c.kind) << c.name;
    EXPECT_EQ(+tune().fileLength, std::filesystem::file_size(path));
    EXPECT_EQ(tune().fileName.view(), c.name);
    EXPECT_EQ(+tune().folderVolume, 7);
    EXPECT_EQ(+tune().folderDirID, 123456);
  }
  EXPECT_TRUE(headlessToolbox().logged("text:4000/55=Inspecting: Caf\x8E Noir"));
}

// Every refusal gives the slot back and says why by its code; nothing that
// is not FLAC, Vorbis or Opus in a FLAC or Ogg file gets through.
TEST_F(VorbisTags, RefusesWithADistinctCode) {
  const std::string whole = make("whole.flac", shortRecipe(MediaFormat::flac));
  const std::string bytes = readFileBytes(whole);
  writeFileBytes(dir.file("text.flac"), "This is not a tune, only words about one.\n");
  writeFileBytes(dir.file("stub.flac"), bytes.substr(0, 20));
  std::string garbled = bytes;
  for (std::size_t i = 4; i < 60; ++i) garbled[i] = '\xFF';
  writeFileBytes(dir.file("garbled.flac"), garbled);
  writeFileBytes(dir.file("empty.opus"), "");
  MediaRecipe mp3 = shortRecipe(MediaFormat::mp3Cbr);
  mp3.muxerTags = true;
  writeTestMedia(dir.file("mp3.flac"), mp3);
  std::filesystem::create_directory(dir.file("folder.ogg"));
  const std::string untagged = make("untagged.ogg", shortRecipe(MediaFormat::vorbis, {}));
  const std::string podcast =
      make("pod.opus", shortRecipe(MediaFormat::opus, {"Episode 1", "Host", "Show", "podcast"}));

  struct Case {
    std::string path;
    OSErr code;  // 0 for "some negative code of the movie services"
  };
  for (const Case& c :
       {Case{dir.file("text.flac"), invalidMovieErr}, Case{dir.file("stub.flac"), 0}, Case{dir.file("garbled.flac"), 0},
        Case{dir.file("empty.opus"), 0}, Case{dir.file("mp3.flac"), invalidMovieErr},
        Case{dir.file("missing.flac"), kVorbisRefused}, Case{dir.file("folder.ogg"), kVorbisRefused},
        Case{untagged, kVorbisUntagged}, Case{podcast, kVorbisPodcast}}) {
    SetUp();
    const OSErr err = read(c.path);
    if (c.code == 0)
      EXPECT_LT(err, 0) << c.path;
    else
      EXPECT_EQ(err, c.code) << c.path;
    EXPECT_EQ(gTotalTunes_L, 0) << c.path;
  }
  // A name beginning with a dot is refused before the file is looked at.
  std::filesystem::copy_file(whole, dir.file(".hidden.flac"));
  EXPECT_EQ(read(dir.file(".hidden.flac")), kVorbisRefused);
  EXPECT_EQ(gTotalTunes_L, 0);
}

// A missing title reads "Unknown" like the MP3 reader's; titled tunes are
// duplicates by artist, title and album, untitled ones only by their path.
TEST_F(VorbisTags, TellsDuplicatesApart) {
  const std::string a = make("a.flac", shortRecipe(MediaFormat::flac, {"Same", "Artist", "Album", ""}));
  const std::string b = make("b.ogg", shortRecipe(MediaFormat::vorbis, {"Same", "Artist", "Album", "Rock"}));
  const std::string c = make("c.flac", shortRecipe(MediaFormat::flac, {"", " ", "", "Rock"}));
  const std::string d = make("d.flac", shortRecipe(MediaFormat::flac, {"", " ", "", "Rock"}));
  ASSERT_EQ(read(a), noErr);
  EXPECT_EQ(tune().genre.view(), "Unknown");
  gTunes_A[1].filePath.assign(a);
  EXPECT_EQ(read(b), kVorbisDuplicate);
  ASSERT_EQ(read(c), noErr);
  EXPECT_EQ(tune().title.view(), "Unknown");
  EXPECT_EQ(tune().artist.view(), "Unknown");
  EXPECT_EQ(tune().album.view(), "Unknown");
  gTunes_A[2].filePath.assign(c);
  EXPECT_EQ(read(c), kVorbisDuplicate);
  EXPECT_EQ(read(d), noErr);
  EXPECT_EQ(gTotalTunes_L, 3);
}

TEST(VorbisTagTexts, KeepsWithinTheStoredFields) {
  MovieFileTags tags;
  tags.tagged = true;
  tags.audio = TaggedAudio::opus;
  tags.title = std::string(5000, 'x');
  tags.genre = std::string(100, 'g');
  VorbisTagTexts out;
  ASSERT_EQ(convertVorbisTags(tags, out), noErr);
  EXPECT_EQ(out.fileKind, kFileKindOpus);
  EXPECT_EQ(out.title.size(), 255u);
  EXPECT_EQ(out.genre.size(), 63u);
  EXPECT_EQ(out.artist, "Unknown");
}
