// analyze: the tag reading, the fourteen measures and the classification of
// files, as adding them would run them, without touching any library.
#include <sys/stat.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/macroman.h"
#include "core/paths.h"
#include "engine/analysis.h"
#include "engine/classify.h"
#include "engine/genres.h"
#include "engine/m4atags.h"
#include "engine/mp3tags.h"
#include "engine/tagfile.h"
#include "engine/vorbistags.h"
#include "ingest/add_one.h"
#include "library/tune.h"
#include "platform/movie.h"
#include "tools/commands.h"
#include "tools/tune_json.h"

namespace {

bool endsWith(const std::string& upper, std::string_view tail) {
  return upper.size() >= tail.size() && upper.compare(upper.size() - tail.size(), tail.size(), tail) == 0;
}

// One file, in a library of its own: the record is claimed at index 1 and
// given back afterwards, so no checkpoint can ever save anything.
// True when the file was classified and would be kept.
bool analyzeOne(const std::string& path) {
  JsonLine j;
  j.field("file", storedToDisplay(path));
  gTotalTunes_L = gStartTotalTunes_L = 0;
  gTunes_A[1] = Tune{};

  const std::string upper = upperCaseMacRoman(path);
  const bool mp3 = endsWith(upper, ".MP3");
  const bool m4a = endsWith(upper, ".M4A");
  const bool vorbis = isVorbisCommentFileName(upper);
  if (!mp3 && !m4a && !vorbis) {
    j.field("error", "not an MP3, M4A, FLAC, Ogg or Opus file");
    std::printf("%s\n", j.str().c_str());
    return false;
  }

  // The folder's device and inode stand for its volume and directory ID.
  struct stat folder {};
  const std::string folderPath = folderOf(path);
  const bool located = ::stat(folderPath.empty() ? "." : folderPath.c_str(), &folder) == 0;
  const auto volume = static_cast<std::int16_t>(located ? folder.st_dev : 0);
  const auto dirID = static_cast<std::int32_t>(located ? folder.st_ino : 0);

  j.field("reader", mp3 ? "mp3" : m4a ? "m4a" : "vorbis");
  const OSErr read = mp3   ? readMP3Tags(path, volume, dirID)
                     : m4a ? readM4ATags(path, volume, dirID)
                           : readVorbisTags(path, volume, dirID);
  j.field("readerResult", std::int64_t{read});
  bool kept = false;
  if (read == noErr) {
    auto state = std::make_unique<AnalysisState>();
    AnalysisState& st = *state;
    resetAnalysisState(st);
    MovieOwner movie;
    const OSErr opened = openMovieByPath(path, movie);
    j.field("openResult", std::int64_t{opened});
    std::vector<std::int16_t> results;
    if (opened == noErr) {
      for (std::int32_t part = 1; part <= kAnalysisParts; ++part) {
        results.push_back(measureTuneAudio(st, movie.get(), part, gTunes_A[gTotalTunes_L]));
        if (results.back() != noErr) break;
      }
    }
    movie.reset();
    j.array("measureResults", std::span<const std::int16_t>(results));
    if (results.size() == static_cast<std::size_t>(kAnalysisParts) && results.back() == noErr) {
      const OSErr classified = classifyTune(st, tagFileName(path));
      j.field("classifyResult", std::int64_t{classified});
      kept = classified == noErr && keepsStrongBins(st.gCTCounter_L);
      j.raw("accepted", kept ? "true" : "false");
    }
    j.field("gCTCounter_L", std::int64_t{st.gCTCounter_L});
    j.field("gBypassCntOne_L", std::int64_t{st.gBypassCntOne_L});
    j.field("gTotalPitches_UL", std::int64_t{st.gTotalPitches_UL});
    j.field("gTotalUniqueFundPitches_L", std::int64_t{st.gTotalUniqueFundPitches_L});
    j.field("gAverageTunePitch_D", st.gAverageTunePitch_D);
    j.field("gAverageUniquePitch_D", st.gAverageUniquePitch_D);
    j.field("gAverageFundamentalPitches_D", st.gAverageFundamentalPitches_D);
    j.field("gAverageAmplitude_D", st.gAverageAmplitude_D);
    appendTuneFields(j, gTunes_A[1]);
  }
  std::printf("%s\n", j.str().c_str());
  gTotalTunes_L = gStartTotalTunes_L = 0;
  return kept;
}

}  // namespace

int cmdAnalyze(ToolArgs args) {
  if (args.empty()) {
    std::fputs("usage: lumaroll-tool analyze FILE...\n", stderr);
    return 2;
  }
  initMP3Categories();
  if (EnterMovies() != noErr) {
    std::fputs("lumaroll-tool analyze: the movie services cannot decode audio\n", stderr);
    return 1;
  }
  bool all = true;
  for (const std::string& path : args) {
    all = analyzeOne(path) && all;
    ClearMoviesStickyError();
  }
  return all ? 0 : 1;
}
