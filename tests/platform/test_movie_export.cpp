// Opening movies and exporting one second of their sound.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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
std::vector<std::int16_t> decodeAll(const std::string& path, int& channels) {
  EXPECT_EQ(EnterMovies(), noErr);
  AudioSource source;
  EXPECT_EQ(source.open(path), noErr);
  channels = source.channels();
  std::vector<std::int16_t> all, chunk(8192 * static_cast<std::size_t>(channels));
  for (;;) {
    const std::int64_t got = source.read(chunk);
    EXPECT_GE(got, 0);
    if (got <= 0) break;
    all.insert(all.end(), chunk.begin(), chunk.begin() + got * channels);
  }
  return all;
}

// The samples of an exported block, back in the machine's order.
std::vector<std::int16_t> samplesOf(const std::vector<std::uint8_t>& block) {
  std::vector<std::int16_t> out;
  for (std::size_t i = kSoundHeaderBytes; i + 1 < block.size(); i += 2)
    out.push_back(static_cast<std::int16_t>((block[i] << 8) | block[i + 1]));
  return out;
}

OSErr open(const std::string& path, MovieOwner& movie) {
  EXPECT_EQ(EnterMovies(), noErr);
  ClearMoviesStickyError();
  return openMovieByPath(path, movie);
}

struct ExactCase {
  const char* name;
  MediaRecipe recipe;
  // Largest difference a sample may show, and how many samples of a second
  // may differ at all (Opus; every other format is exact).
  int tolerance = 0;
  std::size_t differing = 0;
};
void PrintTo(const ExactCase& c, std::ostream* os) { *os << c.name; }

MediaRecipe recipe(MediaFormat format, bool xing = true, int rate = 44100) {
  MediaRecipe s;
  s.format = format;
  s.seconds = 31.3;
  s.content = MediaContent::noise;  // every sample differs: an offset of one frame shows
  s.xingHeader = xing;
  s.sampleRate = rate;
  return s;
}

void writeCbr(const std::string& path, double seconds) {
  MediaRecipe s = recipe(MediaFormat::mp3Cbr);
  s.seconds = seconds;
  writeTestMedia(path, s);
}

class ExactExport : public ::testing::TestWithParam<ExactCase> {};

// Each of the fourteen analysis excerpts equals the same second cut from a
// decode of the whole file, and the tail past the end is zero.
TEST_P(ExactExport, excerptsEqualTheFullDecode) {
  TempDir dir;
  const std::string path = dir.file("t.media");
  writeTestMedia(path, GetParam().recipe);
  int channels = 0;
  const std::vector<std::int16_t> all = decodeAll(path, channels);
  ASSERT_EQ(channels, GetParam().recipe.channels);

  ASSERT_EQ(EnterMovies(), noErr);
  MovieOwner movie;
  ASSERT_EQ(open(path, movie), noErr);
  const std::int32_t duration = GetMovieDuration(movie.get());
  EXPECT_EQ(GetMovieTimeScale(movie.get()), 600);
  // The length agrees with the decoded sound to within one time unit.
  const double decodedUnits = static_cast<double>(all.size() / channels) * 600.0 / 44100.0;
  EXPECT_NEAR(duration, decodedUnits, 1.0 + 600.0 * 2048 / 44100);

  std::vector<std::uint8_t> block;
  auto check = [&](std::int32_t start) {
    ASSERT_EQ(PutMovieIntoTypedHandle(movie.get(), block, start, 600), noErr) << start;
    ASSERT_EQ(MemError(), noErr);
    ASSERT_EQ(block.size(), kSoundHeaderBytes + 44100u * channels * 2);
    EXPECT_EQ(block[24], channels);
    const std::vector<std::int16_t> got = samplesOf(block);
    const std::size_t first = static_cast<std::size_t>(start) * 147 / 2 * channels;
    std::size_t mismatches = 0, firstBad = got.size();
    int largest = 0;
    for (std::size_t i = 0; i < got.size(); ++i) {
      const std::int16_t want = first + i < all.size() ? all[first + i] : 0;
      if (got[i] == want) continue;
      largest = std::max(largest, std::abs(got[i] - want));
      if (mismatches++ == 0) firstBad = i;
    }
    EXPECT_LE(largest, GetParam().tolerance) << "start " << start << ", first at sample " << firstBad;
    EXPECT_LE(mismatches, GetParam().differing) << "start " << start << ", first at sample " << firstBad;
  };
  // Backwards and forwards, so every seek goes somewhere else.
  for (int part = 14; part >= 1; --part) check(analysisStart(part, duration, 600));
  for (int part = 1; part <= 14; ++part) check(analysisStart(part, duration, 600));
  check(0);
  check(duration - 300);  // half past the end: zeros
  check(duration + 600);
}

INSTANTIATE_TEST_SUITE_P(Formats, ExactExport,
                         ::testing::Values(ExactCase{"mp3CbrXing", recipe(MediaFormat::mp3Cbr)},
                                           ExactCase{"mp3CbrNoXing", recipe(MediaFormat::mp3Cbr, false)},
                                           ExactCase{"mp3VbrXing", recipe(MediaFormat::mp3Vbr)},
                                           ExactCase{"mp3VbrNoXing", recipe(MediaFormat::mp3Vbr, false)},
                                           ExactCase{"m4a", recipe(MediaFormat::m4a)},
                                           ExactCase{"mp3At48k", recipe(MediaFormat::mp3Cbr, true, 48000)},
                                           ExactCase{"m4aAt48k", recipe(MediaFormat::m4a, true, 48000)},
                                           ExactCase{"flac", recipe(MediaFormat::flac)},
                                           ExactCase{"flacAt48k", recipe(MediaFormat::flac, true, 48000)},
                                           ExactCase{"vorbis", recipe(MediaFormat::vorbis)},
                                           // Opus decodes at 48 kHz and its decoder's state after a seek only
                                           // converges on the state of a decode from the start: the excerpt
                                           // sits at the same frames, but a few samples may round one step
                                           // apart (measured: 3 of 14 seconds, at most 63 samples each).
                                           ExactCase{"opus", recipe(MediaFormat::opus), 1, 44100 * 2 / 500}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

namespace {

// The decode from the start agrees with the ffmpeg program's own decode, so
// the reference above is not merely this code compared with itself.
TEST(FullDecode, equalsTheFfmpegProgram) {
  TempDir dir;
  for (const MediaFormat format :
       {MediaFormat::mp3Cbr, MediaFormat::mp3Vbr, MediaFormat::m4a, MediaFormat::flac, MediaFormat::vorbis}) {
    MediaRecipe s = recipe(format, format != MediaFormat::mp3Vbr);
    s.seconds = 5;
    const std::string path = dir.file("f.media"), raw = dir.file("f.raw");
    writeTestMedia(path, s);
    runFfmpeg({"-i", path, "-f", "s16le", "-acodec", "pcm_s16le", raw});
    const std::string bytes = readFileBytes(raw);
    int channels = 0;
    const std::vector<std::int16_t> ours = decodeAll(path, channels);
    ASSERT_EQ(ours.size() * 2, bytes.size()) << static_cast<int>(format);
    EXPECT_EQ(std::memcmp(ours.data(), bytes.data(), bytes.size()), 0) << static_cast<int>(format);
  }
}

TEST(Export, keepsTheChannelCountAndTheRate) {
  TempDir dir;
  MediaRecipe mono = recipe(MediaFormat::mp3Cbr);
  mono.channels = 1;
  mono.content = MediaContent::tone;
  writeTestMedia(dir.file("mono.mp3"), mono);
  MovieOwner movie;
  ASSERT_EQ(open(dir.file("mono.mp3"), movie), noErr);
  std::vector<std::uint8_t> block;
  ASSERT_EQ(PutMovieIntoTypedHandle(movie.get(), block, 6000, 600), noErr);
  EXPECT_EQ(block[24], 1);
  EXPECT_EQ(block.size(), kSoundHeaderBytes + 44100u * 2);
  for (std::size_t i = 0; i < kSoundHeaderBytes; ++i) EXPECT_EQ(block[i], i == 24 ? 1 : 0) << i;
  // A 440 Hz tone at half scale: the samples swing up to about 16384, read
  // high byte first.
  const std::vector<std::int16_t> s = samplesOf(block);
  EXPECT_GT(*std::max_element(s.begin(), s.end()), 14000);
  EXPECT_LT(*std::max_element(s.begin(), s.end()), 18000);

  // Length of a 48 kHz file counts its time, not its samples.
  MediaRecipe high = recipe(MediaFormat::m4a, true, 48000);
  high.seconds = 40;
  writeTestMedia(dir.file("high.m4a"), high);
  MovieOwner hi;
  ASSERT_EQ(open(dir.file("high.m4a"), hi), noErr);
  EXPECT_NEAR(GetMovieDuration(hi.get()), 40 * 600, 1);
}

TEST(Export, givesTheSameBytesWhateverCameBefore) {
  TempDir dir;
  // Noise coded as PNS bands: its decoder draws from a random generator.
  MediaRecipe s = recipe(MediaFormat::m4a);
  s.aacNoiseSubstitution = true;
  writeTestMedia(dir.file("pns.m4a"), s);
  // Opus: the decoder's state after a seek depends on where it started.
  writeTestMedia(dir.file("t.opus"), recipe(MediaFormat::opus));
  for (const char* name : {"pns.m4a", "t.opus"}) {
    MovieOwner a, b;
    ASSERT_EQ(open(dir.file(name), a), noErr);
    ASSERT_EQ(open(dir.file(name), b), noErr);
    const std::int32_t d = GetMovieDuration(a.get());
    std::vector<std::vector<std::uint8_t>> forward(15), backward(15);
    for (int part = 1; part <= 14; ++part)
      ASSERT_EQ(PutMovieIntoTypedHandle(a.get(), forward[part], analysisStart(part, d, 600), 600), noErr);
    for (int part = 14; part >= 1; --part)
      ASSERT_EQ(PutMovieIntoTypedHandle(b.get(), backward[part], analysisStart(part, d, 600), 600), noErr);
    for (int part = 1; part <= 14; ++part) EXPECT_EQ(forward[part], backward[part]) << name << " " << part;
  }
}

TEST(Export, refusesBadRequests) {
  TempDir dir;
  writeCbr(dir.file("a.mp3"), 3);
  MovieOwner movie;
  ASSERT_EQ(open(dir.file("a.mp3"), movie), noErr);
  std::vector<std::uint8_t> block;
  EXPECT_LT(PutMovieIntoTypedHandle(movie.get(), block, -1, 600), 0);
  EXPECT_LT(PutMovieIntoTypedHandle(movie.get(), block, 0, -600), 0);
  EXPECT_LT(PutMovieIntoTypedHandle(movie.get(), block, 0, INT32_MAX), 0);
  EXPECT_LT(PutMovieIntoTypedHandle(nullptr, block, 0, 600), 0);
  MovieFileRef ref = 0;
  Movie none = nullptr;
  EXPECT_LT(NewMovieFromFile(12345, none), 0);
  EXPECT_EQ(none, nullptr);
  EXPECT_LT(CloseMovieFile(12345), 0);
  ASSERT_EQ(OpenMovieFile(dir.file("a.mp3"), ref), noErr);
  EXPECT_EQ(CloseMovieFile(ref), noErr);
  EXPECT_LT(NewMovieFromFile(ref, none), 0);  // closed
}

// An analysis on a worker thread and the player on the GUI thread open and
// export at the same time.
TEST(Export, worksFromTwoThreadsAtOnce) {
  TempDir dir;
  writeCbr(dir.file("a.mp3"), 4);
  std::vector<std::uint8_t> first;
  {
    MovieOwner movie;
    ASSERT_EQ(open(dir.file("a.mp3"), movie), noErr);
    ASSERT_EQ(PutMovieIntoTypedHandle(movie.get(), first, 1200, 600), noErr);
  }
  auto work = [&](int& failures) {
    for (int i = 0; i < 20; ++i) {
      MovieOwner movie;
      std::vector<std::uint8_t> block;
      if (openMovieByPath(dir.file("a.mp3"), movie) != noErr ||
          PutMovieIntoTypedHandle(movie.get(), block, 1200, 600) != noErr || block != first)
        ++failures;
    }
  };
  int failuresA = 0, failuresB = 0;
  std::thread a(work, std::ref(failuresA)), b(work, std::ref(failuresB));
  a.join();
  b.join();
  EXPECT_EQ(failuresA + failuresB, 0);
}

TEST(Export, failsCleanlyWhenTheFileIsGone) {
  TempDir dir;
  writeCbr(dir.file("a.mp3"), 5);
  MovieOwner movie;
  ASSERT_EQ(open(dir.file("a.mp3"), movie), noErr);
  std::filesystem::remove(dir.file("a.mp3"));
  std::vector<std::uint8_t> block;
  EXPECT_EQ(PutMovieIntoTypedHandle(movie.get(), block, 0, 600), fnfErr);  // decoded anew from the start
  EXPECT_LT(PutMovieIntoTypedHandle(movie.get(), block, 1800, 600), 0);
  EXPECT_NEAR(GetMovieDuration(movie.get()), 3000, 40);  // the length stays what it was
}

// Files that cannot be analysed give a negative code at the first step that
// meets the damage, never a crash or a block of garbage.
TEST(Open, reportsFilesItCannotUse) {
  TempDir dir;
  MovieOwner movie;
  EXPECT_EQ(open(dir.file("missing.mp3"), movie), fnfErr);
  EXPECT_EQ(open(dir.file("missing/inside.mp3"), movie), fnfErr);
  EXPECT_EQ(open("", movie), fnfErr);

  writeFileBytes(dir.file("text.mp3"), "This is not a tune, only words.\n");
  EXPECT_LT(open(dir.file("text.mp3"), movie), 0);
  EXPECT_FALSE(movie);
  writeFileBytes(dir.file("empty.mp3"), "");
  EXPECT_LT(open(dir.file("empty.mp3"), movie), 0);

  if (::geteuid() != 0) {
    writeFileBytes(dir.file("locked.mp3"), "x");
    std::filesystem::permissions(dir.file("locked.mp3"), std::filesystem::perms::none);
    EXPECT_EQ(open(dir.file("locked.mp3"), movie), permErr);
  }
}

// A tune replaced by a named pipe or a device: refused at once (in a child
// with an alarm, so that a wait on the pipe fails the test, not CI).
TEST(Open, refusesWhatIsNotAPlainFileWithoutWaiting) {
  TempDir dir;
  ASSERT_EQ(::mkfifo(dir.file("pipe.mp3").c_str(), 0644), 0);
  ASSERT_EQ(::mkfifo(dir.file("pipe.flac").c_str(), 0644), 0);
  ASSERT_EQ(::symlink("/dev/zero", dir.file("zero.mp3").c_str()), 0);
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    alarm(5);
    MovieOwner movie;
    MovieFileTags tags;
    const bool refused = open(dir.file("pipe.mp3"), movie) == ioErr && open(dir.file("zero.mp3"), movie) == ioErr &&
                         open(dir.path().string(), movie) == ioErr &&
                         GetMovieFileTags(dir.file("pipe.flac"), tags) == ioErr;
    _exit(refused ? 0 : 3);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status)) << "opening a named pipe hung";
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(Open, reportsDamagedFiles) {
  TempDir dir;
  MediaRecipe s = recipe(MediaFormat::mp3Cbr);
  s.seconds = 40;
  s.tags.title = "Cut";
  writeTestMedia(dir.file("whole.mp3"), s);
  const std::string whole = readFileBytes(dir.file("whole.mp3"));

  // Only the tag and a few bytes of the first frame.
  writeFileBytes(dir.file("stub.mp3"), whole.substr(0, 60));
  MovieOwner movie;
  EXPECT_LT(open(dir.file("stub.mp3"), movie), 0);

  // Cut in the middle: the info frame still promises 40 seconds, so an
  // excerpt from the missing half must fail rather than come back silent.
  writeFileBytes(dir.file("half.mp3"), whole.substr(0, whole.size() / 2));
  ASSERT_EQ(open(dir.file("half.mp3"), movie), noErr);
  const std::int32_t d = GetMovieDuration(movie.get());
  std::vector<std::uint8_t> block;
  EXPECT_EQ(PutMovieIntoTypedHandle(movie.get(), block, analysisStart(5, d, 600), 600), noErr);
  EXPECT_LT(PutMovieIntoTypedHandle(movie.get(), block, analysisStart(4, d, 600), 600), 0);

  // An M4A whose movie header is overwritten.
  MediaRecipe m = recipe(MediaFormat::m4a);
  m.seconds = 10;
  writeTestMedia(dir.file("whole.m4a"), m);
  std::string damaged = readFileBytes(dir.file("whole.m4a"));
  const std::size_t moov = damaged.find("moov");
  ASSERT_NE(moov, std::string::npos);
  for (std::size_t i = moov + 4; i < moov + 400 && i < damaged.size(); ++i) damaged[i] = '\xff';
  writeFileBytes(dir.file("damaged.m4a"), damaged);
  OSErr err = open(dir.file("damaged.m4a"), movie);
  if (err == noErr) err = PutMovieIntoTypedHandle(movie.get(), block, 600, 600);
  EXPECT_LT(err, 0);
}

// A library file is read as the tune it claims to be and nothing else: one
// whose bytes are a playlist, naming another file or an address, is refused
// rather than followed.
TEST(Open, followsNoPlaylistInsideATuneFile) {
  TempDir dir;
  MediaRecipe s = recipe(MediaFormat::mp3Cbr);
  s.seconds = 4;
  writeTestMedia(dir.file("real.mp3"), s);
  MovieOwner movie;
  ASSERT_EQ(open(dir.file("real.mp3"), movie), noErr);

  writeFileBytes(dir.file("list.mp3"),
                 "#EXTM3U\n#EXT-X-TARGETDURATION:4\n#EXTINF:4,\n" + dir.file("real.mp3") + "\n#EXT-X-ENDLIST\n");
  EXPECT_LT(open(dir.file("list.mp3"), movie), 0);
  EXPECT_FALSE(movie);
  writeFileBytes(dir.file("concat.m4a"), "ffconcat version 1.0\nfile '" + dir.file("real.mp3") + "'\n");
  EXPECT_LT(open(dir.file("concat.m4a"), movie), 0);
  writeFileBytes(dir.file("remote.mp3"), "#EXTM3U\n#EXTINF:4,\nhttp://127.0.0.1:9/tune.mp3\n#EXT-X-ENDLIST\n");
  EXPECT_LT(open(dir.file("remote.mp3"), movie), 0);
}

// From Ogg files only FLAC, Vorbis and Opus are decoded: Speex in Ogg is a
// real, playable file, and still refused, by the movie and by the tag reader.
TEST(Open, takesOnlyFlacVorbisAndOpusFromOgg) {
  TempDir dir;
  const std::string speex = dir.file("speech.ogg");
  runFfmpeg({"-f", "lavfi", "-i", "sine=frequency=440:duration=3:sample_rate=16000", "-metadata", "title=Talk", "-c:a",
             "libspeex", "-f", "ogg", speex});
  MovieOwner movie;
  EXPECT_EQ(open(speex, movie), invalidMovieErr);
  MovieFileTags tags;
  EXPECT_EQ(GetMovieFileTags(speex, tags), invalidMovieErr);
  MediaRecipe s = recipe(MediaFormat::vorbis);
  s.seconds = 3;
  s.tags.title = "Song";
  writeTestMedia(dir.file("song.ogg"), s);
  EXPECT_EQ(open(dir.file("song.ogg"), movie), noErr);
  EXPECT_EQ(GetMovieFileTags(dir.file("song.ogg"), tags), noErr);
  EXPECT_EQ(tags.audio, TaggedAudio::vorbis);
  EXPECT_EQ(tags.title, "Song");
}

}  // namespace
