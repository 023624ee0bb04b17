// Scripted movie services for tests of the code that opens, analyses and
// plays movies. Link lumaroll_platform_fakemovie instead of
// lumaroll_platform_movie. A test scripts which paths open (with what length
// and channel count) and which fail, finishes the playing movie when it
// wants, and reads back the calls that were made.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "platform/movie.h"

struct FakeMovieScript {
  std::int32_t duration = 0;  // time units
  std::uint8_t channels = 2;
  OSErr openErr = noErr;    // returned by OpenMovieFile
  OSErr newErr = noErr;     // returned by NewMovieFromFile
  OSErr exportErr = noErr;  // returned by PutMovieIntoTypedHandle
  // Fills the frames of an export (big-endian samples, after the header);
  // they are zero without it. `start` and `duration` are the call's.
  std::function<void(std::int32_t start, std::int32_t duration, std::span<std::uint8_t> frames)> fill = {};
  OSErr tagsErr = noErr;    // returned by GetMovieFileTags
  MovieFileTags tags = {};  // what GetMovieFileTags reads
};

enum class FakeMovieCallKind { open, dispose, start, stop, volume, goToBeginning, exportSound, pause, resume, seek };

struct FakeMovieCall {
  FakeMovieCallKind kind;
  std::string path;        // the movie's file
  std::int32_t value = 0;  // volume, the export's start, or the time sought
  bool operator==(const FakeMovieCall&) const = default;
};

// Forgets every script and recorded call. Movies still open stay valid.
void fakeMovieReset();
// Paths without a script are missing files (fnfErr).
void fakeMovieScript(const std::string& path, FakeMovieScript script);
// Ends the movie that plays now (IsMovieDone becomes true).
void fakeMovieFinish();
// The movie that plays now, or nullptr.
Movie fakeMoviePlaying();
const std::vector<FakeMovieCall>& fakeMovieCalls();
// Movies made and not yet disposed of.
int fakeMoviesAlive();
// Sets the play position (time units) the playing movie reports.
void fakeMovieSetTime(std::int32_t time);
