// With no audio output that opens, playback falls back to SDL's dummy driver
// and says so once. A program of its own: SDL must not be up yet.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/movie.h"
#include "support/media.h"
#include "support/temp_dir.h"

namespace {

TEST(NoAudioDevice, playsSilentlyAndSaysSoOnce) {
  ::setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  TempDir dir;
  MediaRecipe s;
  s.seconds = 0.5;
  writeTestMedia(dir.file("a.mp3"), s);
  ASSERT_EQ(EnterMovies(), noErr);
  testing::internal::CaptureStderr();
  for (int i = 0; i < 2; ++i) {
    MovieOwner movie;
    ASSERT_EQ(openMovieByPath(dir.file("a.mp3"), movie), noErr);
    StartMovie(movie.get());
    const auto start = std::chrono::steady_clock::now();
    while (!IsMovieDone(movie.get()) && std::chrono::steady_clock::now() - start < std::chrono::seconds(5))
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(IsMovieDone(movie.get()));
    // It played for real time, not at once as a failed start would.
    EXPECT_GT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(400));
  }
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "lumaroll: no audio device found; tunes play silently\n");
}

}  // namespace
