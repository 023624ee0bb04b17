// The scripted movie services that the player's and the analysis' tests use.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/fake/fake_movie.h"

namespace {

using K = FakeMovieCallKind;

TEST(FakeMovie, opensWhatTheScriptSaysAndRecordsTheCalls) {
  fakeMovieReset();
  fakeMovieScript("/m/a.mp3", {.duration = 6000});
  fakeMovieScript("/m/locked.mp3", {.openErr = permErr});
  fakeMovieScript("/m/text.mp3", {.newErr = invalidMovieErr});
  MovieOwner movie;
  EXPECT_EQ(openMovieByPath("/m/missing.mp3", movie), fnfErr);
  EXPECT_EQ(openMovieByPath("/m/locked.mp3", movie), permErr);
  EXPECT_EQ(openMovieByPath("/m/text.mp3", movie), invalidMovieErr);
  EXPECT_EQ(fakeMoviesAlive(), 0);
  ASSERT_EQ(openMovieByPath("/m/a.mp3", movie), noErr);
  EXPECT_EQ(GetMovieDuration(movie.get()), 6000);
  EXPECT_EQ(GetMovieTimeScale(movie.get()), 600);

  SetMovieVolume(movie.get(), 300);
  GoToBeginningOfMovie(movie.get());
  StartMovie(movie.get());
  EXPECT_EQ(fakeMoviePlaying(), movie.get());
  EXPECT_FALSE(IsMovieDone(movie.get()));
  MoviesTask(movie.get(), 0);
  EXPECT_FALSE(IsMovieDone(movie.get()));  // plays until the test ends it
  fakeMovieFinish();
  EXPECT_TRUE(IsMovieDone(movie.get()));
  StopMovie(movie.get());
  EXPECT_EQ(fakeMoviePlaying(), nullptr);
  movie.reset();
  EXPECT_EQ(fakeMoviesAlive(), 0);

  const std::string a = "/m/a.mp3";
  EXPECT_EQ(fakeMovieCalls(), (std::vector<FakeMovieCall>{{K::open, a},
                                                          {K::volume, a, 300},
                                                          {K::goToBeginning, a},
                                                          {K::start, a},
                                                          {K::stop, a},
                                                          {K::dispose, a}}));
}

TEST(FakeMovie, exportsSilenceOrTheScriptedSound) {
  fakeMovieReset();
  fakeMovieScript("/m/mono.mp3", {.duration = 60000, .channels = 1});
  fakeMovieScript("/m/tone.mp3", {.duration = 60000, .fill = [](std::int32_t start, std::int32_t,
                                                                std::span<std::uint8_t> frames) {
                                    frames[0] = static_cast<std::uint8_t>(start / 600);
                                  }});
  fakeMovieScript("/m/bad.mp3", {.duration = 60000, .exportErr = ioErr});
  std::vector<std::uint8_t> block;
  MovieOwner mono, tone, bad;
  ASSERT_EQ(openMovieByPath("/m/mono.mp3", mono), noErr);
  ASSERT_EQ(PutMovieIntoTypedHandle(mono.get(), block, 0, 600), noErr);
  EXPECT_EQ(block.size(), kSoundHeaderBytes + 44100u * 2);
  EXPECT_EQ(block[24], 1);
  EXPECT_TRUE(std::all_of(block.begin() + kSoundHeaderBytes, block.end(), [](auto b) { return b == 0; }));
  ASSERT_EQ(openMovieByPath("/m/tone.mp3", tone), noErr);
  ASSERT_EQ(PutMovieIntoTypedHandle(tone.get(), block, 6000, 600), noErr);
  EXPECT_EQ(block[24], 2);
  EXPECT_EQ(block[kSoundHeaderBytes], 10);
  ASSERT_EQ(openMovieByPath("/m/bad.mp3", bad), noErr);
  EXPECT_EQ(PutMovieIntoTypedHandle(bad.get(), block, 0, 600), ioErr);
  EXPECT_EQ(fakeMovieCalls().back(), (FakeMovieCall{K::exportSound, "/m/bad.mp3", 0}));
}

}  // namespace
