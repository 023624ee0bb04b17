#include "tools/tune_json.h"

#include "core/macroman.h"

void appendTuneFields(JsonLine& j, const Tune& t) {
  auto text = [&](std::string_view key, std::string_view stored) { j.field(key, storedToDisplay(stored)); };
  // Copies of the packed arrays: the record's fields are not aligned.
  std::int32_t pitch[61];
  std::int16_t amp[61];
  for (int i = 0; i < 61; ++i) {
    pitch[i] = t.samplePitch[i];
    amp[i] = t.sampleAmplitude[i];
  }
  text("title", t.title.view());
  text("fileName", t.fileName.view());
  j.field("folderVolume", std::int64_t{t.folderVolume});
  j.field("folderDirID", std::int64_t{t.folderDirID});
  text("filePath", t.filePath.view());
  text("artist", t.artist.view());
  text("album", t.album.view());
  j.field("fileLength", std::int64_t{t.fileLength});
  j.field("durationSeconds", std::int64_t{t.durationSeconds});
  j.field("dataRate", std::int64_t{t.dataRate});
  text("genre", t.genre.view());
  j.field("genreCode", std::int64_t{t.genreCode});
  text("genreGroup", t.genreGroup.view());
  j.field("energyIndex", std::int64_t{t.energyIndex});
  j.field("hpe", std::int64_t{t.hpe});
  j.field("colourCategory", std::int64_t{t.colourCategory});
  j.field("pitchIndex", std::int64_t{t.pitchIndex});
  j.field("energyLevel", std::int64_t{t.energyLevel});
  j.field("colourRed", std::int64_t{t.colourRed});
  j.field("colourGreen", std::int64_t{t.colourGreen});
  j.field("colourBlue", std::int64_t{t.colourBlue});
  j.field("evalMark", std::int64_t{t.evalMark});
  j.field("fileKind", std::int64_t{t.fileKind});
  j.field("type", fileKindText(t.fileKind));
  j.array("samplePitch", std::span<const std::int32_t>(pitch));
  j.array("sampleAmplitude", std::span<const std::int16_t>(amp));
  j.field("commonPitch", std::int64_t{t.commonPitch});
  j.field("avgFundamentalPitch", std::int64_t{t.avgFundamentalPitch});
  j.field("meanSamplePitch", std::int64_t{t.meanSamplePitch});
  j.field("avgAmplitude", std::int64_t{t.avgAmplitude});
  j.field("bypassRatio", std::int64_t{t.bypassRatio});
  j.field("pitchesPerCount", std::int64_t{t.pitchesPerCount});
  j.field("uniquePitchCount", std::int64_t{t.uniquePitchCount});
  j.field("firstPassTunePitch", std::int64_t{t.firstPassTunePitch});
  j.field("totalPitchCount", std::int64_t{t.totalPitchCount});
  j.field("firstPassDistinctBins", std::int64_t{t.firstPassDistinctBins});
  j.field("bypassCountRaw", std::int64_t{t.bypassCountRaw});
  j.field("firstPassStrongBins", std::int64_t{t.firstPassStrongBins});
  j.field("ctCountRaw", std::int64_t{t.ctCountRaw});
  j.field("bypassCount", std::int64_t{t.bypassCount});
  j.field("avgUniquePitch", std::int64_t{t.avgUniquePitch});
  j.field("ctCount", std::int64_t{t.ctCount});
  j.field("avgTunePitch", std::int64_t{t.avgTunePitch});
  j.field("frequencyVariance", std::int64_t{t.frequencyVariance});
  j.field("bypassVariance", std::int64_t{t.bypassVariance});
  j.field("justAdded", std::int64_t{t.justAdded});
  j.field("classifyFlag", std::int64_t{t.classifyFlag});
  text("durationText", t.durationText.view());
  j.field("playCount", std::int64_t{t.playCount});
  j.field("tuneNumber", std::int64_t{t.tuneNumber});
  j.field("checked", std::int64_t{t.checked});
  j.field("matchScore", std::int64_t{t.matchScore});
  j.field("permID", std::int64_t{t.permID});
}

std::string tuneJson(std::int32_t index, const Tune& t) {
  JsonLine j;
  j.field("index", std::int64_t{index});
  appendTuneFields(j, t);
  return j.str();
}
