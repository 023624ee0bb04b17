// The library database file: the committed tunes written out record after
// record, with the integer fields big-endian. No header, no count.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

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

// Offsets of the integer fields stored big-endian (the rest is carried as is).
extern const std::span<const std::uint16_t> kSwap16Offsets;
extern const std::span<const std::uint16_t> kSwap32Offsets;

// Converts one record between the machine's order and the file's order (the
// same exchange serves both directions).
void swapTuneRecordBytes(std::uint8_t* record);
