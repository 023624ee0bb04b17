// Playing movies under SDL's dummy driver, which consumes sound at real time.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/ffmpeg/audio_source.h"
#include "platform/movie.h"
#include "platform/sdl/mixer.h"
#include "platform/sdl/playback.h"
#include "support/media.h"
#include "support/temp_dir.h"

namespace {

using Clock = std::chrono::steady_clock;

TEST(Mixer, scalesAndSaturates) {
  const std::vector<std::int16_t> in = {0, 1, -1, 3, -3, 100, -100, 16384, -16384, 32767, -32768};
  std::vector<std::int16_t> out(in.size());
  mixWithVolume(in, out, 256);
  EXPECT_EQ(out, in);
  mixWithVolume(in, out, 0);
  EXPECT_EQ(out, std::vector<std::int16_t>(in.size(), 0));
  mixWithVolume(in, out, -5);
  EXPECT_EQ(out, std::vector<std::int16_t>(in.size(), 0));
  mixWithVolume(in, out, 512);
  EXPECT_EQ(out, (std::vector<std::int16_t>{0, 2, -2, 6, -6, 200, -200, 32767, -32768, 32767, -32768}));
  mixWithVolume(in, out, 384);  // 1.5×, truncated toward zero on both sides
  EXPECT_EQ(out, (std::vector<std::int16_t>{0, 1, -1, 4, -4, 150, -150, 24576, -24576, 32767, -32768}));
  mixWithVolume(in, out, 1168);
  EXPECT_EQ(out[5], 456);
  mixWithVolume(in, out, 30000);  // held at the loudest volume
  EXPECT_EQ(out[5], 456);
  std::vector<std::int16_t> same = in;
  mixWithVolume(same, same, 128);  // in place
  EXPECT_EQ(same[5], 50);
}

class Playing : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(EnterMovies(), noErr);
    setPlaybackTap([this](std::span<const std::int16_t> s) {
      std::lock_guard lock(mutex_);
      captured_.insert(captured_.end(), s.begin(), s.end());
    });
  }
  void TearDown() override { setPlaybackTap(nullptr); }

  std::string make(double seconds, MediaContent content = MediaContent::tone, double amplitude = 0.5,
                   MediaFormat format = MediaFormat::mp3Cbr) {
    MediaRecipe s;
    s.seconds = seconds;
    s.content = content;
    s.amplitude = amplitude;
    s.format = format;
    const std::string path = dir_.file("t" + std::to_string(++count_) + ".media");
    writeTestMedia(path, s);
    return path;
  }
  std::vector<std::int16_t> captured() {
    std::lock_guard lock(mutex_);
    return captured_;
  }
  // Plays to the end the way the play loop does; returns the seconds from
  // the start of the sound to its end.
  static double playToEnd(Movie movie, double limit) {
    StartMovie(movie);
    const auto start = Clock::now();
    while (!IsMovieDone(movie)) {
      MoviesTask(movie, 0);
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      if (Clock::now() - start > std::chrono::duration<double>(limit)) break;
    }
    return std::chrono::duration<double>(Clock::now() - start).count();
  }

  TempDir dir_;
  int count_ = 0;
  std::mutex mutex_;
  std::vector<std::int16_t> captured_;
};

TEST_F(Playing, endsWhenTheLastSampleHasPlayed) {
  MovieOwner movie;
  ASSERT_EQ(openMovieByPath(make(3.0), movie), noErr);
  EXPECT_FALSE(IsMovieDone(movie.get()));
  const double took = playToEnd(movie.get(), 10);
  EXPECT_TRUE(IsMovieDone(movie.get()));
  EXPECT_NEAR(took, 3.0, 0.2);
  // Starting again from the beginning plays it again.
  GoToBeginningOfMovie(movie.get());
  EXPECT_FALSE(IsMovieDone(movie.get()));
  StartMovie(movie.get());
  EXPECT_FALSE(IsMovieDone(movie.get()));
  StopMovie(movie.get());
}

// FLAC, Vorbis and Opus play like the others: the whole sound, at its length.
TEST_F(Playing, flacVorbisAndOpusPlayToTheEnd) {
  for (const MediaFormat format : {MediaFormat::flac, MediaFormat::vorbis, MediaFormat::opus}) {
    {
      std::lock_guard lock(mutex_);
      captured_.clear();
    }
    MovieOwner movie;
    ASSERT_EQ(openMovieByPath(make(1.5, MediaContent::tone, 0.5, format), movie), noErr);
    EXPECT_NEAR(playToEnd(movie.get(), 10), 1.5, 0.3) << static_cast<int>(format);
    EXPECT_TRUE(IsMovieDone(movie.get()));
    const std::vector<std::int16_t> heard = captured();
    const auto loudest = std::max_element(heard.begin(), heard.end());
    ASSERT_NE(loudest, heard.end());
    EXPECT_GT(*loudest, 12000) << static_cast<int>(format);  // a tone at half of full scale
  }
}

TEST_F(Playing, stopSilencesAtOnce) {
  MovieOwner movie;
  ASSERT_EQ(openMovieByPath(make(5.0), movie), noErr);
  StartMovie(movie.get());
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  StopMovie(movie.get());
  const std::size_t atStop = captured().size();
  EXPECT_GT(atStop, 0u);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(captured().size(), atStop);  // nothing reaches the device after the stop
  EXPECT_FALSE(IsMovieDone(movie.get()));
  // Disposing of a playing movie stops it too.
  StartMovie(movie.get());
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  movie.reset();
  const std::size_t atDispose = captured().size();
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(captured().size(), atDispose);
}

// What reaches the device is the decoded sound times the volume, clipped.
TEST_F(Playing, appliesTheVolumeToEverySample) {
  const std::string path = make(1.0, MediaContent::twoTones, 0.9);
  AudioSource source;
  ASSERT_EQ(source.open(path), noErr);
  std::vector<std::int16_t> decoded(44100 * 2 * 2);
  decoded.resize(static_cast<std::size_t>(source.read(decoded)) * 2);

  MovieOwner movie;
  ASSERT_EQ(openMovieByPath(path, movie), noErr);
  SetMovieVolume(movie.get(), 512);
  playToEnd(movie.get(), 5);
  std::vector<std::int16_t> loud = captured();
  ASSERT_GE(loud.size(), decoded.size());
  std::vector<std::int16_t> want(decoded.size());
  mixWithVolume(decoded, want, 512);
  EXPECT_TRUE(std::equal(want.begin(), want.end(), loud.begin()));
  EXPECT_EQ(*std::max_element(loud.begin(), loud.end()), 32767);  // it did clip
  EXPECT_TRUE(std::all_of(loud.begin() + static_cast<std::ptrdiff_t>(want.size()), loud.end(),
                          [](std::int16_t s) { return s == 0; }));

  captured_.clear();
  GoToBeginningOfMovie(movie.get());
  SetMovieVolume(movie.get(), 0);
  playToEnd(movie.get(), 5);
  const std::vector<std::int16_t> quiet = captured();
  EXPECT_GE(quiet.size(), decoded.size());
  EXPECT_TRUE(std::all_of(quiet.begin(), quiet.end(), [](std::int16_t s) { return s == 0; }));
}

TEST_F(Playing, aFileThatCannotPlayCountsAsPlayed) {
  const std::string path = make(1.0);
  MovieOwner movie;
  ASSERT_EQ(openMovieByPath(path, movie), noErr);
  std::filesystem::remove(path);
  StartMovie(movie.get());
  EXPECT_TRUE(IsMovieDone(movie.get()));
}

std::size_t entries(const char* folder) {
  std::size_t n = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder)) ++n;
  return n;
}

// Every cycle gives back its device, thread, decoder and file.
TEST_F(Playing, manyCyclesLeaveNothingBehind) {
  setPlaybackTap(nullptr);
  const std::string path = make(2.0);
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
  const auto until = Clock::now() + std::chrono::seconds(kSharedOutputIdleSeconds + 5);
  while (sharedOutputOpen() && Clock::now() < until) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(sharedOutputOpen());
  for (int i = 0; i < 100 && entries("/proc/self/task") > threads + 1; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_LE(entries("/proc/self/task"), threads + 1);  // SDL may keep one helper
}

// A mono tune after a stereo one sounds on the same (stereo) device, each
// of its samples on both sides at the movie's volume.
TEST_F(Playing, monoAfterStereoSoundsOnBothSides) {
  MovieOwner stereo, mono;
  ASSERT_EQ(openMovieByPath(make(2.0), stereo), noErr);
  StartMovie(stereo.get());
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  StopMovie(stereo.get());
  ASSERT_TRUE(sharedOutputOpen());

  MediaRecipe m;
  m.seconds = 0.5;
  m.channels = 1;
  m.content = MediaContent::noise;
  const std::string path = dir_.file("mono.mp3");
  writeTestMedia(path, m);
  AudioSource source;
  ASSERT_EQ(source.open(path), noErr);
  ASSERT_EQ(source.channels(), 1);
  std::vector<std::int16_t> decoded(44100);
  decoded.resize(static_cast<std::size_t>(source.read(decoded)));

  ASSERT_EQ(openMovieByPath(path, mono), noErr);
  SetMovieVolume(mono.get(), 128);
  captured_.clear();
  playToEnd(mono.get(), 5);
  ASSERT_TRUE(IsMovieDone(mono.get()));
  const std::vector<std::int16_t> heard = captured();
  ASSERT_GE(heard.size(), 2 * decoded.size());
  std::vector<std::int16_t> want(decoded.size());
  mixWithVolume(decoded, want, 128);
  for (std::size_t i = 0; i < want.size(); ++i) {
    ASSERT_EQ(heard[2 * i], want[i]) << i;
    ASSERT_EQ(heard[2 * i + 1], want[i]) << i;
  }
  EXPECT_TRUE(std::all_of(heard.begin() + static_cast<std::ptrdiff_t>(2 * want.size()), heard.end(),
                          [](std::int16_t s) { return s == 0; }));
}

// The sound of `seconds` from `time` (units) as an export gives it, in the
// machine's byte order.
std::vector<std::int16_t> exported(Movie movie, std::int32_t time, std::int32_t units) {
  std::vector<std::uint8_t> block;
  EXPECT_EQ(PutMovieIntoTypedHandle(movie, block, time, units), noErr);
  std::vector<std::int16_t> s((block.size() - kSoundHeaderBytes) / 2);
  for (std::size_t i = 0; i < s.size(); ++i)
    s[i] = static_cast<std::int16_t>(block[kSoundHeaderBytes + 2 * i] << 8 | block[kSoundHeaderBytes + 2 * i + 1]);
  return s;
}

std::size_t lengthWithoutTrailingZeros(const std::vector<std::int16_t>& s) {
  std::size_t n = s.size();
  while (n > 0 && s[n - 1] == 0) --n;
  return n;
}

// Paused, nothing reaches the device and the position holds; resumed, the
// sound goes on from the next sample, so the whole tune arrives exactly once
// and in order, as if it had never paused. A movie moved while paused stays
// paused and resumes at the sample an export at that time begins with.
TEST_F(Playing, pauseHoldsThePlaceAndResumeGoesOnFromIt) {
  MediaRecipe recipe;
  recipe.seconds = 2.0;
  recipe.content = MediaContent::noise;
  const std::string path = dir_.file("noise.mp3");
  writeTestMedia(path, recipe);
  AudioSource source;
  ASSERT_EQ(source.open(path), noErr);
  std::vector<std::int16_t> decoded(44100 * 3 * 2);
  decoded.resize(static_cast<std::size_t>(source.read(decoded)) * 2);

  MovieOwner movie;
  ASSERT_EQ(openMovieByPath(path, movie), noErr);
  StartMovie(movie.get());
  for (int pause = 0; pause < 2; ++pause) {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    PauseMovie(movie.get());
    EXPECT_TRUE(IsMoviePaused(movie.get()));
    const std::size_t atPause = captured().size();
    const std::int32_t time = GetMovieTime(movie.get());
    EXPECT_EQ(time, static_cast<std::int32_t>(atPause / 2 * 600 / 44100));  // all that went out is heard
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(captured().size(), atPause);
    EXPECT_EQ(GetMovieTime(movie.get()), time);
    EXPECT_FALSE(IsMovieDone(movie.get()));
    ResumeMovie(movie.get());
    EXPECT_FALSE(IsMoviePaused(movie.get()));
  }
  playToEnd(movie.get(), 5);
  const std::vector<std::int16_t> heard = captured();
  ASSERT_EQ(lengthWithoutTrailingZeros(heard), lengthWithoutTrailingZeros(decoded));
  EXPECT_TRUE(std::equal(decoded.begin(), decoded.end(), heard.begin()));

  GoToBeginningOfMovie(movie.get());
  StartMovie(movie.get());
  PauseMovie(movie.get());
  SetMovieTimeValue(movie.get(), 700);
  EXPECT_TRUE(IsMoviePaused(movie.get()));
  EXPECT_EQ(GetMovieTime(movie.get()), 700);
  captured_.clear();
  ResumeMovie(movie.get());
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  StopMovie(movie.get());
  const std::vector<std::int16_t> from = exported(movie.get(), 700, 60);
  ASSERT_GE(captured().size(), from.size());
  EXPECT_TRUE(std::equal(from.begin(), from.end(), captured().begin()));
}

// A jump while playing: the new place sounds from the sample an export at
// that time begins with, and the position reported follows the samples the
// device has taken, never ahead of them and at most one buffer behind.
TEST_F(Playing, seekingSoundsTheExportedSampleAndThePositionFollowsTheSound) {
  MediaRecipe recipe;
  recipe.seconds = 4.0;
  recipe.content = MediaContent::noise;
  recipe.seed = 7;
  const std::string path = dir_.file("noise.mp3");
  writeTestMedia(path, recipe);
  MovieOwner movie;
  ASSERT_EQ(openMovieByPath(path, movie), noErr);
  StartMovie(movie.get());
  for (int i = 0; i < 10; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(37));
    const std::int64_t before = static_cast<std::int64_t>(captured().size() / 2);
    const std::int64_t time = GetMovieTime(movie.get());
    const std::int64_t after = static_cast<std::int64_t>(captured().size() / 2);
    EXPECT_LE(time, after * 600 / 44100);
    EXPECT_GE(time, (before - 4096) * 600 / 44100 - 1);
  }
  std::mutex moved;
  std::vector<std::int16_t> afterJump;
  setPlaybackTap([&](std::span<const std::int16_t> s) {
    std::lock_guard lock(moved);
    afterJump.insert(afterJump.end(), s.begin(), s.end());
  });
  SetMovieTimeValue(movie.get(), 1501);
  EXPECT_FALSE(IsMoviePaused(movie.get()));
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  const std::int32_t time = GetMovieTime(movie.get());
  EXPECT_GE(time, 1501 + 200);
  EXPECT_LE(time, 1501 + 300);
  StopMovie(movie.get());
  const std::vector<std::int16_t> want = exported(movie.get(), 1501, 180);
  std::lock_guard lock(moved);
  ASSERT_GE(afterJump.size(), want.size());
  EXPECT_TRUE(std::equal(want.begin(), want.end(), afterJump.begin()));
}

}  // namespace
