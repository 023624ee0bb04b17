// The library database file: the committed tunes written out record after
// record, with the integer fields big-endian. No header, no count.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "core/errors.h"
#include "library/tune.h"

// Writes records 1..gStartTotalTunes_L of gTunes_A. An empty library is
// stored as no file. The new contents go to a temporary file in the same
// folder, are flushed and renamed over the old file, so a failure at any
// point leaves the previous file as it was. Returns 0 or an error code
// (also reported to resetError).
OSErr saveDatabaseFiles();

// Replaces the library in memory with the file's contents (at most 30000
// records; a trailing partial record is ignored), then commits, renumbers
// every permID and recounts the colours. A missing file is created empty.
OSErr openDatabaseFiles();

// True after a load that could not read an existing file completely. Saving
// then refuses to replace that file, so an unreadable library is never
// overwritten by the partial one in memory.
extern bool gDatabaseLoadIncomplete;
// Why the last load was incomplete, in words for the person ("" when it was
// complete), and how many tunes of a file longer than the table were left
// out (0 when none).
const std::string& libraryLoadProblem();
extern std::int64_t gDatabaseTunesLeftOut;

// The last save that did not write the file: its path and the reason, for
// the alert that tells the person. `pending` stays set until the alert has
// been shown; a save that succeeds clears everything.
struct LibrarySaveFailure {
  std::string path;
  std::string reason;
  bool pending = false;
};
LibrarySaveFailure& librarySaveFailure();

// The advisory lock that keeps the program and the command-line tool from
// writing the same library at once: an flock on a file beside the library,
// held until the process ends (the system releases it on every exit).
enum class LibraryLock : std::uint8_t {
  taken,        // this process holds it now
  held,         // another process holds it
  unavailable,  // no lock file could be made (a read-only folder): not locked
};
LibraryLock lockLibraryFile();
void unlockLibraryFile();
// The file a save replaces: the library path, or the file a symbolic link
// there points to (followed through every link).
std::string libraryTargetPath();

// Offsets of the integer fields stored big-endian (the rest is carried as is).
extern const std::span<const std::uint16_t> kSwap16Offsets;
extern const std::span<const std::uint16_t> kSwap32Offsets;

// Converts one record between the machine's order and the file's order (the
// same exchange serves both directions).
void swapTuneRecordBytes(std::uint8_t* record);
