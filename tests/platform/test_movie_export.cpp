// Opening movies and exporting one second of their sound.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/ffmpeg/audio_source.h"
#include "platform/movie.h"
#include "support/media.h"
#include "support/temp_dir.h"
#include "tools/analysis_positions.h"

namespace {

// The whole sound, decoded from the beginning without a single seek.
std::vector<std::int16_t> decodeAll(const std::string& path) {
  AudioSource source;
  EXPECT_EQ(source.open(path), noErr);
  std::vector<std::int16_t> all(40 * 44100 * 2);  // longer than any file here
  all.resize(static_cast<std::size_t>(std::max<std::int64_t>(0, source.read(all)) * source.channels()));
  return all;
}

MediaRecipe recipe(MediaFormat format, bool xing = true, int rate = 44100, int channels = 2, double seconds = 31.3,
                   bool pns = false) {
  MediaRecipe s;
  s.format = format;
  s.seconds = seconds;
  s.content = MediaContent::noise;  // every sample differs: an offset of one frame shows
  s.xingHeader = xing;
  s.sampleRate = rate;
  s.channels = channels;
  s.aacNoiseSubstitution = pns;
  return s;
}

struct ExactCase {
  const char* name;
  MediaRecipe recipe;
  bool ffmpegAgrees = false;  // the ffmpeg program decodes the file to the same samples
  // Largest difference a sample may show, and how many samples of a second
  // may differ at all (Opus; every other format is exact).
  int tolerance = 0;
  std::size_t differing = 0;
};
void PrintTo(const ExactCase& c, std::ostream* os) { *os << c.name; }

class ExactExport : public ::testing::TestWithParam<ExactCase> {};

// Each of the fourteen analysis excerpts equals the same second cut from a
// decode of the whole file, in the file's channels, and the tail past the
// end is zero. An excerpt gives the same bytes whichever came before it:
// PNS-coded AAC draws from a random generator, and Opus' state after a seek
// depends on where it started.
TEST_P(ExactExport, excerptsEqualTheFullDecode) {
  TempDir dir;
  const std::string path = dir.file("t.media");
  writeTestMedia(path, GetParam().recipe);
  ASSERT_EQ(EnterMovies(), noErr);
  const int channels = GetParam().recipe.channels;
  const std::vector<std::int16_t> all = decodeAll(path);
  if (GetParam().ffmpegAgrees) {  // so the reference is not merely this code compared with itself
    runFfmpeg({"-i", path, "-f", "s16le", "-acodec", "pcm_s16le", dir.file("t.raw")});
    EXPECT_TRUE(readFileBytes(dir.file("t.raw")) ==
                std::string(reinterpret_cast<const char*>(all.data()), all.size() * 2));
  }
  MovieOwner movie;
  ASSERT_EQ(openMovieByPath(path, movie), noErr);
  const std::int32_t duration = GetMovieDuration(movie.get());
  // The length (in time, whatever the rate) agrees with the decoded sound.
  EXPECT_NEAR(duration, static_cast<double>(all.size() / channels) * 600.0 / 44100.0, 1.0 + 600.0 * 2048 / 44100);

  std::vector<std::uint8_t> block;
  std::vector<std::vector<std::uint8_t>> earlier(15);  // each part's block, the first time it came
  auto check = [&](std::int32_t start, int part = 0) {
    ASSERT_EQ(PutMovieIntoTypedHandle(movie.get(), block, start, 600), noErr) << start;
    EXPECT_TRUE(part == 0 || earlier[part].empty() || block == earlier[part]) << "part " << part;
    earlier[part] = block;
    ASSERT_EQ(block.size(), kSoundHeaderBytes + 44100u * channels * 2);
    EXPECT_EQ(block[24], channels);
    const std::size_t first = static_cast<std::size_t>(start) * 147 / 2 * channels;
    std::size_t mismatches = 0;
    int largest = 0;
    for (std::size_t i = 0, at = kSoundHeaderBytes; at < block.size(); ++i, at += 2) {
      const auto sample = static_cast<std::int16_t>(block[at] << 8 | block[at + 1]);  // big-endian in the block
      const int diff = std::abs(sample - (first + i < all.size() ? all[first + i] : 0));
      largest = std::max(largest, diff);
      mismatches += diff != 0;
    }
    EXPECT_LE(largest, GetParam().tolerance) << "start " << start;
    EXPECT_LE(mismatches, GetParam().differing) << "start " << start;
  };
  // Backwards and forwards, so every seek goes somewhere else.
  for (int part = 14; part >= 1; --part) check(analysisStart(part, duration, 600), part);
  for (int part = 1; part <= 14; ++part) check(analysisStart(part, duration, 600), part);
  check(0);
  check(duration - 300);  // half past the end: zeros
  check(duration + 600);
}

INSTANTIATE_TEST_SUITE_P(Formats, ExactExport,
                         ::testing::Values(ExactCase{"mp3CbrXing", recipe(MediaFormat::mp3Cbr), true},
                                           ExactCase{"mp3CbrNoXing", recipe(MediaFormat::mp3Cbr, false)},
                                           ExactCase{"mp3VbrXing", recipe(MediaFormat::mp3Vbr)},
                                           ExactCase{"mp3VbrNoXing", recipe(MediaFormat::mp3Vbr, false), true},
                                           ExactCase{"mp3Mono", recipe(MediaFormat::mp3Cbr, true, 44100, 1)},
                                           ExactCase{"m4a", recipe(MediaFormat::m4a), true},
                                           ExactCase{"mp3At48k", recipe(MediaFormat::mp3Cbr, true, 48000)},
                                           ExactCase{"m4aAt48k", recipe(MediaFormat::m4a, true, 48000)},
                                           ExactCase{"flac", recipe(MediaFormat::flac), true},
                                           ExactCase{"flacAt48k", recipe(MediaFormat::flac, true, 48000)},
                                           ExactCase{"vorbis", recipe(MediaFormat::vorbis), true},
                                           // Opus decodes at 48 kHz and its decoder's state after a seek only
                                           // converges on the state of a decode from the start: the excerpt
                                           // sits at the same frames, but a few samples may round one step
                                           // apart (measured: 3 of 14 seconds, at most 63 samples each).
                                           ExactCase{"opus", recipe(MediaFormat::opus), false, 1, 44100 * 2 / 500},
                                           // PNS bands are noise from the decoder's own generator, so
                                           // only the excerpts' own bytes are compared.
                                           ExactCase{"m4aPns", recipe(MediaFormat::m4a, true, 44100, 2, 31.3, true),
                                                     false, 65535, 44100 * 2}),
                         [](const auto& info) { return std::string(info.param.name); });

// Files that are no tune give a negative code and no movie, never a crash;
// one whose bytes are a playlist naming another file or an address is
// refused rather than followed. Damage gives a negative code at the first
// step that meets it, never a block of garbage; so do requests outside the
// bounds and unknown references, from one thread and from two at once.
TEST(Open, refusesWhatIsNoTuneDamageAndBadRequests) {
  TempDir dir;
  const std::string real = dir.file("real.mp3");
  MediaRecipe s = recipe(MediaFormat::mp3Cbr, true, 44100, 2, 40);
  s.tags.title = "Cut";
  writeTestMedia(real, s);
  ASSERT_EQ(EnterMovies(), noErr);
  const std::string whole = readFileBytes(real);
  MovieOwner movie, tune;
  ASSERT_EQ(openMovieByPath(real, tune), noErr);
  const std::pair<const char*, std::string> files[] = {
      {"text.mp3", "This is not a tune, only words.\n"},
      {"empty.mp3", ""},
      {"stub.mp3", whole.substr(0, 60)},  // only the tag and a few bytes of the first frame
      {"list.mp3", "#EXTM3U\n#EXT-X-TARGETDURATION:4\n#EXTINF:4,\n" + real + "\n#EXT-X-ENDLIST\n"},
      {"concat.m4a", "ffconcat version 1.0\nfile '" + real + "'\n"},
      {"remote.mp3", "#EXTM3U\n#EXTINF:4,\nhttp://127.0.0.1:9/tune.mp3\n#EXT-X-ENDLIST\n"}};
  for (const auto& [name, bytes] : files) {
    writeFileBytes(dir.file(name), bytes);
    EXPECT_TRUE(openMovieByPath(dir.file(name), movie) < 0 && !movie) << name;
  }
  for (const std::string& missing : {dir.file("missing.mp3"), dir.file("missing/inside.mp3"), std::string()})
    EXPECT_EQ(openMovieByPath(missing, movie), fnfErr) << missing;
  // From Ogg files only FLAC, Vorbis and Opus are decoded: Speex in Ogg is a
  // real, playable file, and still refused, by the movie and by the tag reader.
  const std::string speex = dir.file("speech.ogg");
  runFfmpeg({"-f", "lavfi", "-i", "sine=frequency=440:duration=3:sample_rate=16000", "-metadata", "title=Talk", "-c:a",
             "libspeex", "-f", "ogg", speex});
  EXPECT_EQ(openMovieByPath(speex, movie), invalidMovieErr);
  MovieFileTags tags;
  EXPECT_EQ(GetMovieFileTags(speex, tags), invalidMovieErr);
  if (::geteuid() != 0) {
    writeFileBytes(dir.file("locked.mp3"), "x");
    std::filesystem::permissions(dir.file("locked.mp3"), std::filesystem::perms::none);
    EXPECT_EQ(openMovieByPath(dir.file("locked.mp3"), movie), permErr);
  }
  // Cut in the middle: the info frame still promises 40 seconds, so an
  // excerpt from the missing half must fail rather than come back silent.
  writeFileBytes(dir.file("half.mp3"), whole.substr(0, whole.size() / 2));
  ASSERT_EQ(openMovieByPath(dir.file("half.mp3"), movie), noErr);
  const std::int32_t d = GetMovieDuration(movie.get());
  std::vector<std::uint8_t> block, first;
  EXPECT_EQ(PutMovieIntoTypedHandle(movie.get(), block, analysisStart(5, d, 600), 600), noErr);
  EXPECT_LT(PutMovieIntoTypedHandle(movie.get(), block, analysisStart(4, d, 600), 600), 0);
  // An M4A whose movie header is overwritten.
  writeTestMedia(dir.file("whole.m4a"), recipe(MediaFormat::m4a, true, 44100, 2, 10));
  std::string damaged = readFileBytes(dir.file("whole.m4a"));
  writeFileBytes(dir.file("damaged.m4a"), damaged.replace(damaged.find("moov") + 4, 396, 396, '\xff'));
  OSErr err = openMovieByPath(dir.file("damaged.m4a"), movie);
  if (err == noErr) err = PutMovieIntoTypedHandle(movie.get(), block, 600, 600);
  EXPECT_LT(err, 0);

  ASSERT_EQ(PutMovieIntoTypedHandle(tune.get(), block, 0, 36000), noErr);  // a minute at most
  EXPECT_EQ(block.size(), kSoundHeaderBytes + 44100u * 60 * 4);
  const std::pair<std::int32_t, std::int32_t> bad[] = {{-1, 600}, {0, -600}, {0, 36001}, {0, INT32_MAX}};
  for (const auto& [start, units] : bad)
    EXPECT_LT(PutMovieIntoTypedHandle(tune.get(), block, start, units), 0) << start << " " << units;
  EXPECT_LT(PutMovieIntoTypedHandle(nullptr, block, 0, 600), 0);
  MovieFileRef ref = 0;
  Movie none = nullptr;
  EXPECT_TRUE(NewMovieFromFile(12345, none) < 0 && none == nullptr && CloseMovieFile(12345) < 0);
  ASSERT_EQ(OpenMovieFile(real, ref), noErr);
  EXPECT_TRUE(CloseMovieFile(ref) == noErr && NewMovieFromFile(ref, none) < 0);  // made after the close
  // An analysis on a worker thread and the player on the GUI thread.
  ASSERT_EQ(PutMovieIntoTypedHandle(tune.get(), first, 1200, 600), noErr);
  std::atomic<int> failures = 0;
  auto work = [&] {
    for (int i = 0; i < 20; ++i) {
      MovieOwner m;
      std::vector<std::uint8_t> b;
      failures +=
          openMovieByPath(real, m) != noErr || PutMovieIntoTypedHandle(m.get(), b, 1200, 600) != noErr || b != first;
    }
  };
  for (std::jthread& t : std::array{std::jthread(work), std::jthread(work)}) t.join();
  EXPECT_EQ(failures, 0);
  // A file deleted after its movie was made.
  std::filesystem::remove(real);
  EXPECT_EQ(PutMovieIntoTypedHandle(tune.get(), block, 0, 600), fnfErr);  // decoded anew from the start
  EXPECT_LT(PutMovieIntoTypedHandle(tune.get(), block, 1800, 600), 0);
  EXPECT_NEAR(GetMovieDuration(tune.get()), 24000, 40);  // the length stays what it was
}

// A tune replaced by a named pipe or a device is refused at once (in a child
// with an alarm, so that a wait on the pipe fails the test, not CI).
TEST(Open, refusesWhatIsNotAPlainFileWithoutWaiting) {
  TempDir dir;
  ASSERT_EQ(::mkfifo(dir.file("pipe.mp3").c_str(), 0644), 0);
  ASSERT_EQ(::mkfifo(dir.file("pipe.flac").c_str(), 0644), 0);
  ASSERT_EQ(::symlink("/dev/zero", dir.file("zero.mp3").c_str()), 0);
  MovieOwner movie;
  MovieFileTags tags;
  ASSERT_EQ(EnterMovies(), noErr);
  EXPECT_EXIT(
      {
        alarm(5);
        _exit(openMovieByPath(dir.file("pipe.mp3"), movie) == ioErr &&
                      openMovieByPath(dir.file("zero.mp3"), movie) == ioErr &&
                      openMovieByPath(dir.path().string(), movie) == ioErr &&
                      GetMovieFileTags(dir.file("pipe.flac"), tags) == ioErr
                  ? 0
                  : 3);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
