// The analysis state shared by the measures and the classification, apart
// from the measuring itself (which needs the movie services).
#include <cstddef>
#include <cstring>

#include "engine/analysis.h"

std::array<double, 66001> arr_DA{};

std::int16_t gFundCount_S = 0;
std::int32_t gCTCounter_L = 0;
std::uint32_t gTotalPitches_UL = 0;
std::int32_t gBypassCntOne_L = 0;
std::array<std::int32_t, 30001> gTempCounterOne_LA{};
double gAverageUniquePitch_D = 0.0;
std::int32_t gTotalUniqueFundPitches_L = 0;
std::array<std::int32_t, 61> gUniqueFundOffPass_LA{};
double gAverageTunePitch_D = 0.0;
std::int32_t gDomFreqCnt_L = 0;

double gAverageFundamentalPitches_D = 0.0;
double gAverageAmplitude_D = 0.0;
double gFrequencyVarience_D = 0.0;
double gBypassVarience_D = 0.0;
double gRealAvePitch_D = 0.0;
double gLastFundFreq_D = 0.0;
double gLastVarience_D = 0.0;
double gLastUnigueVarience_D = 0.0;
std::int32_t gBypassCntTwo_L = 0;
std::int32_t gBypassCntThree_L = 0;

namespace {

template <typename T>
T fieldEntry(const Tune& t, std::size_t offset, std::int32_t n) {
  T v{};
  if (n >= 0 && n <= kSampleCapacity) std::memcpy(&v, reinterpret_cast<const std::uint8_t*>(&t) + offset + sizeof(T) * n, sizeof(T));
  return v;
}

template <typename T>
void setFieldEntry(Tune& t, std::size_t offset, std::int32_t n, T v) {
  if (n >= 0 && n <= kSampleCapacity) std::memcpy(reinterpret_cast<std::uint8_t*>(&t) + offset + sizeof(T) * n, &v, sizeof(T));
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

void resetAnalysisState() {
  gAverageUniquePitch_D = gAverageTunePitch_D = gAverageFundamentalPitches_D = 0.0;
  gRealAvePitch_D = gLastFundFreq_D = gFrequencyVarience_D = gLastVarience_D = 0.0;
  gAverageAmplitude_D = gLastUnigueVarience_D = gBypassVarience_D = 0.0;
  gCTCounter_L = gBypassCntOne_L = gBypassCntTwo_L = gBypassCntThree_L = 0;
  gTotalUniqueFundPitches_L = 0;
  gFundCount_S = 0;
  gTotalPitches_UL = 0;
}

