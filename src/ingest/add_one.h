// Adding the items of one folder to the library: for every tune file
// the whole pipeline (tags, fourteen analysed seconds, classification), then
// a yield to the rest of the program and the stop tests.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/tasks.h"
#include "ingest/scan.h"

// Why a file an add run met did not become a tune.
enum class LeftOutReason : std::uint8_t {
  tooShort,         // 26 seconds or less
  notTuneFile,      // not named as an MP3 or M4A file
  unreadable,       // cannot be opened for reading, or not a regular file
  tagsRefused,      // tags missing or refused: no tag, a podcast, too small
  duplicate,        // the same tune is in the library already
  notDecodable,     // its audio could not be decoded
  analysisRefused,  // too few or too many strong bins
  libraryFull,      // no room left in the library
};
constexpr std::size_t kLeftOutReasons = 8;
// The reason as the report shows it ("too short (26 s or less)").
std::string_view leftOutReasonText(LeftOutReason reason);

struct LeftOutFile {
  std::string path;  // full path, as met
  LeftOutReason reason;
  std::string detail;  // more about the reason ("podcast"), or ""
};

// Figures of the current (or last) add run, for progress lines.
struct AddRunStats {
  std::int32_t filesSeen = 0;   // file items met, of any kind
  std::int32_t tunesAdded = 0;  // files that became tunes
  std::string currentFile;      // full path of the last tune file offered
  OSErr saveResult = noErr;     // of the library save that ended the run
  bool libraryFull = false;     // files were left out because the library was full
  // Every file met and not added, once each, in the order met; kept until
  // the next run begins.
  std::vector<LeftOutFile> leftOut;
  std::array<std::int32_t, kLeftOutReasons> leftOutByReason{};
};
// "Activity: 74 tunes added, 11 files left out".
std::string addRunReportLine(const AddRunStats& stats);
const AddRunStats& addRunStats();
void recordAddRunSave(OSErr result);
// Marks the run as having met a full library; consumeLibraryFullNotice()
// is true once afterwards, for the alert that says so.
void noteLibraryFull();
bool consumeLibraryFullNotice();

// Starts the bookkeeping of a new run: no folder scanned yet, no figures,
// no file considered but those already in the library. Called when the run's
// task first runs.
void beginAddRunBookkeeping();

// Ticks of the yield after every item: 2 where a window must breathe
// between files (the default), 0 in the command-line tool.
void setAddYieldTicks(std::uint32_t ticks);
// Shows the sheet's latest texts now (they change at most four times a
// second while the run goes on).
void flushAddProgressTexts();

// True for a name the adding takes: not beginning with "._" and ending in
// ".MP3", ".M4A", ".FLAC", ".OGG", ".OGA" or ".OPUS" in any case.
bool isTuneFileName(std::string_view name);
// True for a name ending in ".FLAC", ".OGG", ".OGA" or ".OPUS" in any case:
// read by the Vorbis comment reader.
bool isVorbisCommentFileName(std::string_view name);

// True when a classified tune's count of strong bins lets it stay: more than
// 7 and fewer than 60000.
bool keepsStrongBins(std::int32_t strongBins);

// Adds the files of `folder` (descend 0), or also those of every subfolder,
// depth first at the place each stands in the listing (descend -1). Ends
// after the last item, or after an item that left the library full or the
// Stop button pressed. Within one run each folder is descended into once,
// so a symbolic link back into the tree is not followed round again.
Task addOneTune(FolderRef folder, std::int16_t descend);
