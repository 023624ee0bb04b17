// The energy-model evaluation on a library holding one song encoded three
// ways, added and measured by the program's own tool.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <regex>
#include <vector>

#include "core/paths.h"
#include "support/media.h"
#include "support/temp_dir.h"
#include "tool_runner.h"

namespace {

// The integer after "key": in a one-line JSON object.
long jsonInt(const std::string& line, const std::string& key) {
  const auto at = line.find("\"" + key + "\":");
  if (at == std::string::npos) return -1;
  return std::strtol(line.c_str() + at + key.size() + 3, nullptr, 10);
}

}  // namespace

TEST(EvalOnMedia, SameSongThreeEncodingsScoresItsOrderedPairs) {
  TempDir dir;
  createNewDirectory(dir.file("music"));
  const struct {
    const char* file;
    MediaFormat format;
    int kbps;
    const char* album;
  } takes[] = {{"a.mp3", MediaFormat::mp3Cbr, 128, "Take 128k"},
               {"b.mp3", MediaFormat::mp3Cbr, 320, "Take 320k"},
               {"c.m4a", MediaFormat::m4a, 128, "Take AAC"}};
  for (const auto& t : takes) {
    MediaSpec spec;
    spec.format = t.format;
    spec.bitrateKbps = t.kbps;
    spec.seconds = 30;
    spec.content = MediaContent::twoTones;
    spec.frequency = 330;
    spec.frequency2 = 1250;
    spec.tags = {"Same Song", "The Band", t.album, "Rock"};
    writeTestMedia(dir.file("music/") + t.file, spec);
  }
  const std::string db = shellQuote(dir.file("lib/LumarollDatabase"));
  ToolResult r = runTool("add " + shellQuote(dir.file("music")) + " --db " + db);
  ASSERT_EQ(r.status, 0) << r.err;
  r = runTool("dump --db " + db);
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<long> energy;
  std::size_t start = 0;
  for (std::size_t nl; (nl = r.out.find('\n', start)) != std::string::npos; start = nl + 1)
    energy.push_back(jsonInt(r.out.substr(start, nl - start), "ctCount"));
  ASSERT_EQ(energy.size(), 3u) << r.out;

  // Every ordered pair of the three takes: smaller / larger energy.
  double sum = 0;
  int pairs = 0;
  for (std::size_t i = 0; i < 3; ++i)
    for (std::size_t j = 0; j < 3; ++j) {
      if (i == j) continue;
      const long lo = std::min(energy[i], energy[j]), hi = std::max(energy[i], energy[j]);
      sum += hi == 0 ? 1.0 : static_cast<double>(lo) / static_cast<double>(hi);
      ++pairs;
    }
  char expected[64];
  std::snprintf(expected, sizeof expected, "Total HPE (E!) Error: %.6f", sum / pairs);

  ::setenv("XDG_CONFIG_HOME", dir.file("config").c_str(), 1);
  r = runTool("eval consistency --db " + db);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find(std::string(48, '-') + "\n\n\n" + expected + "\n"), std::string::npos) << r.out;
  std::size_t okays = 0;
  for (std::size_t at = 0; (at = r.out.find("okay...", at)) != std::string::npos; ++at) ++okays;
  EXPECT_EQ(okays, 6u);

  // Each take is a "movie" of its own; the report lists them by energy.
  r = runTool("eval movies --db " + db);
  ::unsetenv("XDG_CONFIG_HOME");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string report = readFileBytes(dir.file("config/Orvane-KeelwaveEngine/TestData.txt"));
  std::vector<std::pair<long, std::string>> byEnergy = {
      {energy[0], "Take 128k"}, {energy[1], "Take 320k"}, {energy[2], "Take AAC"}};
  std::stable_sort(byEnergy.begin(), byEnergy.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::string lines;
  for (const auto& [e, album] : byEnergy) lines += album + "  -  The Band  -  " + std::to_string(e) + "\n";
  const std::string h(71, '-');
  const std::regex shape(h + "\n\\d\\d/\\d\\d/\\d\\d\t\\d\\d:\\d\\d:\\d\\d\n" +
                         "Movie and Theatrical Soundtrack Human Perceived Energy \\(HPE\\) Evaluation\n\n" + h +
                         "\nTotal Movies:  3 Total Music Tracks:  3\n" + h + "\n\n\n");
  ASSERT_GT(report.size(), lines.size());
  EXPECT_TRUE(std::regex_match(report.substr(0, report.size() - lines.size()), shape)) << report;
  EXPECT_EQ(report.substr(report.size() - lines.size()), lines);
}
