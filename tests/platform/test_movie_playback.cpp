// Playing movies under SDL's dummy driver, which consumes sound at real time.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/ffmpeg/audio_source.h"
#include "platform/movie.h"
#include "platform/sdl/mixer.h"
#include "platform/sdl/playback.h"
#include "support/media.h"
#include "support/temp_dir.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// `heard` is `want` and after it silence only.
bool isThenSilence(const std::vector<std::int16_t>& heard, const std::vector<std::int16_t>& want) {
  return heard.size() >= want.size() && std::equal(want.begin(), want.end(), heard.begin()) &&
         std::all_of(heard.begin() + static_cast<std::ptrdiff_t>(want.size()), heard.end(),
                     [](std::int16_t x) { return x == 0; });
}

// Sample × volume / 256, truncated toward zero, held inside the 16-bit range;
// volumes below 0 are silent, above the loudest count as it.
TEST(Mixer, scalesTruncatesAndSaturates) {
  const std::vector<std::int16_t> in = {0, 1, -1, 3, -3, 100, -100, 16384, -16384, 32767, -32768};
  const std::vector<std::int16_t> loudest = {0, 4, -4, 13, -13, 456, -456, 32767, -32768, 32767, -32768};
  const std::pair<std::int32_t, std::vector<std::int16_t>> rows[] = {
      {256, in},
      {0, std::vector<std::int16_t>(in.size(), 0)},
      {-5, std::vector<std::int16_t>(in.size(), 0)},
      {512, {0, 2, -2, 6, -6, 200, -200, 32767, -32768, 32767, -32768}},
      {384, {0, 1, -1, 4, -4, 150, -150, 24576, -24576, 32767, -32768}},
      {1168, loudest},
      {30000, loudest}};
  for (const auto& [volume, want] : rows) {
    std::vector<std::int16_t> out = in;
    mixWithVolume(out, out, volume);  // in place
    EXPECT_EQ(out, want) << volume;
  }
}

// What the device is handed, collected on the audio thread.
struct Heard {
  std::mutex lock;
  std::vector<std::int16_t> samples;
  PlaybackTap tap() {
    return [this](std::span<const std::int16_t> s) {
      std::lock_guard g(lock);
      samples.insert(samples.end(), s.begin(), s.end());
    };
  }
  std::vector<std::int16_t> all(bool clear = false) {
    std::lock_guard g(lock);
    return clear ? std::exchange(samples, {}) : samples;
  }
  std::int64_t frames() { return static_cast<std::int64_t>(all().size() / 2); }
};

// Whether `done` comes to hold within ten seconds. A loaded machine may be
// slow to start the sound, so the tests wait on what happened, not the clock.
bool eventually(auto done) {
  const auto until = Clock::now() + std::chrono::seconds(10);
  while (!done() && Clock::now() < until) std::this_thread::sleep_for(milliseconds(5));
  return done();
}

class Playing : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(EnterMovies(), noErr);
    setPlaybackTap(heard_.tap());
  }
  void TearDown() override { setPlaybackTap(nullptr); }

  // Noise (every sample differs, so a slip of one frame shows) of `seconds`.
  std::string make(double seconds, MediaFormat format = MediaFormat::mp3Cbr, int channels = 2) {
    MediaRecipe s;
    s.seconds = seconds;
    s.content = MediaContent::noise;
    s.format = format;
    s.channels = channels;
    s.seed = ++count_;
    const std::string path = dir_.file("t" + std::to_string(count_) + ".media");
    writeTestMedia(path, s);
    return path;
  }
  // The sound of the first `seconds` as playback decodes it.
  static std::vector<std::int16_t> decode(const std::string& path, double seconds) {
    AudioSource source;
    EXPECT_EQ(source.open(path, AudioSource::Options{.exactDuration = false, .maxChannels = 2}), noErr);
    std::vector<std::int16_t> s(static_cast<std::size_t>(seconds * 44100 + 4096) * 2);
    s.resize(static_cast<std::size_t>(std::max<std::int64_t>(0, source.read(s)) * source.channels()));
    return s;
  }
  // Plays to the end the way the play loop does; returns the seconds from
  // the start of the sound to its end.
  static double playToEnd(Movie movie) {
    StartMovie(movie);
    const auto start = Clock::now();
    eventually([&] {
      MoviesTask(movie, 0);
      return IsMovieDone(movie);
    });
    return std::chrono::duration<double>(Clock::now() - start).count();
  }

  TempDir dir_;
  std::uint32_t count_ = 0;
  Heard heard_;
};

// What reaches the device is every decoded sample times the movie's volume,
// then silence; a mono tune after a stereo one sounds on both sides of the
// same stereo device. The end comes when the last sample has played.
TEST_F(Playing, soundsEverySampleAtItsVolumeAndEndsOnTime) {
  // (Stereo MP3 at the default volume is the pausing test's tune.)
  const std::tuple<MediaFormat, int, std::int16_t> rows[] = {{MediaFormat::flac, 2, 512},
                                                             {MediaFormat::vorbis, 2, 100},
                                                             {MediaFormat::opus, 2, 300},
                                                             {MediaFormat::mp3Cbr, 1, 128}};
  std::string path;
  MovieOwner movie;
  for (const auto& [format, channels, volume] : rows) {
    SCOPED_TRACE(static_cast<int>(format) * 10 + channels);
    path = make(1.0, format, channels);
    const std::vector<std::int16_t> decoded = decode(path, 1.0);
    std::vector<std::int16_t> want(decoded.size() * 2 / static_cast<std::size_t>(channels));
    mixWithVolume(decoded, std::span(want).first(decoded.size()), volume);
    if (channels == 1)
      for (std::size_t i = decoded.size(); i-- > 0;) want[2 * i] = want[2 * i + 1] = want[i];
    heard_.all(true);
    ASSERT_EQ(openMovieByPath(path, movie), noErr);
    SetMovieVolume(movie.get(), volume);
    // Not before the second of sound has played; the upper bound leaves room
    // for a loaded machine's late wake-ups.
    const double took = playToEnd(movie.get());
    EXPECT_TRUE(took > 0.7 && took < 2.0) << took;
    EXPECT_TRUE(isThenSilence(heard_.all(), want));
    GoToBeginningOfMovie(movie.get());
    EXPECT_FALSE(IsMovieDone(movie.get()));
  }
  // A file that cannot play counts as played, so nobody waits for its end.
  std::filesystem::remove(path);
  StartMovie(movie.get());
  EXPECT_TRUE(IsMovieDone(movie.get()));
}

// Every cycle gives back its device, thread, decoder and file.
TEST_F(Playing, manyCyclesLeaveNothingBehind) {
  setPlaybackTap(nullptr);
  const std::string path = make(2.0);
  auto entries = [](const char* folder) {
    const std::filesystem::directory_iterator it(folder);
    return static_cast<std::size_t>(std::distance(begin(it), end(it)));
  };
  const std::size_t fds = entries("/proc/self/fd"), threads = entries("/proc/self/task");
  for (int i = 0; i < 1000; ++i) {
    MovieOwner movie;
    ASSERT_EQ(openMovieByPath(path, movie), noErr);
    SetMovieVolume(movie.get(), static_cast<std::int16_t>(i));
    StartMovie(movie.get());
    StopMovie(movie.get());
  }
  EXPECT_LE(entries("/proc/self/fd"), fds + 1);
  // The device waits open for the next tune (its audio thread and the thread
  // that will close it), then closes once left idle.
  EXPECT_TRUE(sharedOutputOpen());
  EXPECT_LE(entries("/proc/self/task"), threads + 2);
  EXPECT_TRUE(eventually([] { return !sharedOutputOpen(); }));
  EXPECT_TRUE(eventually([&] { return entries("/proc/self/task") <= threads + 1; }));  // SDL may keep one helper
}

// The position reported follows the samples the device has taken, never
// ahead of them and at most one buffer behind. Paused, nothing reaches the
// device and the position holds; resumed, the sound goes on from the next
// sample, so the whole tune arrives exactly once and in order. A jump, made
// while paused (it stays paused) or while playing, sounds from the sample at
// its time; a stop silences at once.
TEST_F(Playing, pauseHoldsThePlaceAndJumpsSoundFromTheSampleAtTheirTime) {
  const std::string path = make(2.0);
  const std::vector<std::int16_t> decoded = decode(path, 3.0);
  MovieOwner movie;
  ASSERT_EQ(openMovieByPath(path, movie), noErr);
  // The position against the frames handed over before and after it is read.
  auto follows = [&](Heard& h, std::int64_t from) {
    const std::int64_t before = h.frames(), time = GetMovieTime(movie.get()), after = h.frames();
    EXPECT_LE(time, from + after * 600 / 44100);
    EXPECT_GE(time, from + (before - 4096) * 600 / 44100 - 1);
  };
  // What a jump to `time` must sound first: a tenth of a second from there.
  auto soundsFrom = [&](Heard& h, std::int32_t time) {
    eventually([&] { return h.frames() >= 4410; });
    const auto first = decoded.begin() + static_cast<std::ptrdiff_t>(time) * 147 / 2 * 2;
    const std::vector<std::int16_t> heard = h.all(), want(first, first + 44100 / 10 * 2);
    EXPECT_TRUE(heard.size() >= want.size() && std::equal(want.begin(), want.end(), heard.begin())) << time;
  };
  StartMovie(movie.get());
  for (int pause = 0; pause < 2; ++pause) {
    for (int i = 0; i < 6; ++i) {
      std::this_thread::sleep_for(milliseconds(50));
      follows(heard_, 0);
    }
    PauseMovie(movie.get());
    const std::size_t atPause = heard_.all().size();
    const auto time = static_cast<std::int32_t>(atPause / 2 * 600 / 44100);
    EXPECT_EQ(GetMovieTime(movie.get()), time);  // all that went out is heard
    std::this_thread::sleep_for(milliseconds(200));
    EXPECT_EQ(std::tuple(heard_.all().size(), GetMovieTime(movie.get()), IsMovieDone(movie.get())),
              std::tuple(atPause, time, false));
    ResumeMovie(movie.get());
  }
  playToEnd(movie.get());
  EXPECT_TRUE(isThenSilence(heard_.all(), decoded));

  GoToBeginningOfMovie(movie.get());
  StartMovie(movie.get());
  PauseMovie(movie.get());
  Heard resumed, jumped;  // a playback keeps the tap it started with
  setPlaybackTap(resumed.tap());
  SetMovieTimeValue(movie.get(), 700);
  EXPECT_TRUE(IsMoviePaused(movie.get()));
  EXPECT_EQ(GetMovieTime(movie.get()), 700);
  ResumeMovie(movie.get());
  soundsFrom(resumed, 700);
  setPlaybackTap(jumped.tap());
  SetMovieTimeValue(movie.get(), 301);
  EXPECT_FALSE(IsMoviePaused(movie.get()));
  soundsFrom(jumped, 301);
  follows(jumped, 301);
  StopMovie(movie.get());
  const std::int64_t atStop = jumped.frames();
  std::this_thread::sleep_for(milliseconds(200));
  EXPECT_EQ(jumped.frames(), atStop);  // nothing reaches the device after the stop
}

}  // namespace
