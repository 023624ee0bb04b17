// The analysis state between tunes, and the record fields the measures fill.
#include <algorithm>
#include <cstddef>
#include <cstring>

#include "engine/analysis.h"

namespace {

template <typename T>
T fieldEntry(const Tune& t, std::size_t offset, std::int32_t n) {
  T v{};
  if (n >= 0 && n <= kSampleCapacity)
    std::memcpy(&v, reinterpret_cast<const std::uint8_t*>(&t) + offset + sizeof(T) * n, sizeof(T));
  return v;
}

template <typename T>
void setFieldEntry(Tune& t, std::size_t offset, std::int32_t n, T v) {
  if (n >= 0 && n <= kSampleCapacity)
    std::memcpy(reinterpret_cast<std::uint8_t*>(&t) + offset + sizeof(T) * n, &v, sizeof(T));
}

}  // namespace

std::int32_t samplePitchAt(const Tune& t, std::int32_t n) {
  return fieldEntry<std::int32_t>(t, offsetof(Tune, samplePitch), n);
}
void setSamplePitch(Tune& t, std::int32_t n, std::int32_t value) {
  setFieldEntry(t, offsetof(Tune, samplePitch), n, value);
}
std::int16_t sampleAmplitudeAt(const Tune& t, std::int32_t n) {
  return fieldEntry<std::int16_t>(t, offsetof(Tune, sampleAmplitude), n);
}
void setSampleAmplitude(Tune& t, std::int32_t n, std::int16_t value) {
  setFieldEntry(t, offsetof(Tune, sampleAmplitude), n, value);
}

void resetAnalysisState(AnalysisState& st) {
  st.gAverageUniquePitch_D = st.gAverageTunePitch_D = st.gAverageFundamentalPitches_D = 0.0;
  st.gRealAvePitch_D = st.gLastFundFreq_D = st.gFrequencyVarience_D = st.gLastVarience_D = 0.0;
  st.gAverageAmplitude_D = st.gLastUnigueVarience_D = st.gBypassVarience_D = 0.0;
  st.gCTCounter_L = st.gBypassCntOne_L = st.gBypassCntTwo_L = st.gBypassCntThree_L = 0;
  st.gTotalUniqueFundPitches_L = 0;
  st.gFundCount_S = 0;
  st.gTotalPitches_UL = 0;
  st.timeScale = 0;
}

void copyMeasuredFields(const AnalysisState& st, const Tune& measured, Tune& record) {
  // The length fields are written by every call that got past the length
  // test; a tune measured as 26 seconds or less was never given them.
  if (st.timeScale > 0) {
    const std::int32_t secs = measured.durationSeconds;
    if (record.fileLength != 0)
      record.dataRate = static_cast<std::int16_t>(static_cast<std::uint16_t>(
          record.fileLength / (static_cast<std::uint64_t>(secs) * static_cast<std::uint64_t>(st.timeScale))));
    record.durationSeconds = secs;
  }
  const std::int32_t frames = std::clamp<std::int32_t>(st.gFundCount_S, 0, kSampleCapacity);
  for (std::int32_t n = 1; n <= frames; ++n) {
    setSamplePitch(record, n, samplePitchAt(measured, n));
    setSampleAmplitude(record, n, sampleAmplitudeAt(measured, n));
  }
  if (frames >= 1) {
    record.firstPassStrongBins = measured.firstPassStrongBins;
    record.firstPassDistinctBins = measured.firstPassDistinctBins;
    record.firstPassTunePitch = measured.firstPassTunePitch;
  }
}
