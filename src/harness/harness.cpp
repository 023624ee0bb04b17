#include "harness/harness.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <unordered_map>

#include "core/macroman.h"
#include "core/paths.h"
#include "core/pstring.h"
#include "engine/text.h"
#include "library/tune.h"
#include "platform/toolbox.h"

std::vector<MovieEntry> gMovies_A(1);
std::int32_t gTotalMovies_L = 0;
std::vector<WordEntry> gWords_A(1);
std::int32_t gTotalUniqueWords_L = 0;
std::int32_t gTotalWords_L = 0;
double gHarnessScore_D = -1;
std::int32_t gHarnessPairs_L = 0;

namespace {

std::string display(std::string_view stored) { return storedToDisplay(stored); }

// Titles that name no song: generic track names, "Unknown", endings, prologues.
bool excludedFromConsistency(const Tune& t) {
  const std::string title = upperCaseMacRoman(t.title.view());
  return title.rfind("TRACK", 0) == 0 || title == "UNKNOWN" || title.rfind("END", 0) == 0 || title == "PROLOGUE";
}

std::string describe(const Tune& t) {
  return display(t.title.view()) + "  " + display(t.artist.view()) + "  " + display(t.album.view()) + " (" +
         numText(t.evalMark) + " )";
}

bool writeReport(const std::string& path, const std::string& text) {
  createNewDirectory(folderOf(path));
  const std::string tmp = path + ".tmp";
  const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  const bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  ::close(fd);
  if (!ok || ::rename(tmp.c_str(), path.c_str()) != 0) {
    ::unlink(tmp.c_str());
    return false;
  }
  return true;
}

std::string reportFolder() {
  const std::string pref = GetSysFolderVol("pref");
  return pref.empty() ? std::string{} : pref + "Orvane-KeelwaveEngine/";
}

}  // namespace

std::string movieReportPath() {
  const std::string f = reportFolder();
  return f.empty() ? f : f + "TestData.txt";
}

std::string wordReportPath() {
  const std::string f = reportFolder();
  return f.empty() ? f : f + "TestDataWordHPE.txt";
}

// Same songs are found by key (stripped title and artist) instead of trying
// every ordered pair, but pairs are visited in the same order as the nested
// walk over (i, j), so the printed lines and the score are the same.
std::int16_t measureHPEError(HarnessPrint print) {
  const std::int32_t n = gStartTotalTunes_L;
  std::vector<std::string> keys(static_cast<std::size_t>(n) + 1);
  std::unordered_map<std::string, std::vector<std::int32_t>> groups;
  for (std::int32_t i = 1; i <= n; ++i) {
    const Tune& t = gTunes_A[i];
    std::string key = stripIt(t.title.view());
    key += '\0';
    key += stripIt(t.artist.view());
    groups[key].push_back(i);
    keys[static_cast<std::size_t>(i)] = std::move(key);
  }
  double sum = 0;
  std::int32_t pairs = 0;
  for (std::int32_t i = 1; i <= n; ++i) {
    const Tune& a = gTunes_A[i];
    if (excludedFromConsistency(a)) continue;
    for (std::int32_t j : groups[keys[static_cast<std::size_t>(i)]]) {
      if (j == i) continue;
      const Tune& b = gTunes_A[j];
      const std::int32_t ca = a.ctCount, cb = b.ctCount;  // by value: the record is packed
      const std::int32_t lo = std::min(ca, cb), hi = std::max(ca, cb);
      // Two tunes that both measured no strong bin agree perfectly.
      const double r = hi == 0 ? 1.0 : static_cast<double>(lo) / static_cast<double>(hi);
      print("okay...");
      sum += r;
      ++pairs;
      print(describe(a));
      print(describe(b));
    }
  }
  gHarnessPairs_L = pairs;
  gHarnessScore_D = pairs ? sum / pairs : -1;
  print(std::string(48, '-'));
  print("");
  print("");
  char score[64];
  std::snprintf(score, sizeof score, "%.6f", gHarnessScore_D);
  print(std::string("Total HPE (E!) Error: ") + score);
  return 0;
}

std::int16_t countMovies(HarnessPrint print) {
  gMovies_A.assign(1, MovieEntry{});
  std::unordered_map<std::string, std::int32_t> seen;
  for (std::int32_t k = 1; k <= gStartTotalTunes_L; ++k) {
    const Tune& t = gTunes_A[k];
    std::string album(t.album.view());
    if (seen.count(album)) continue;
    seen.emplace(album, static_cast<std::int32_t>(gMovies_A.size()));
    gMovies_A.push_back({album, std::string(t.artist.view()), 0, 0});
    print(display(album));
  }
  gTotalMovies_L = static_cast<std::int32_t>(gMovies_A.size()) - 1;
  print("Total Movies:" + numText(gTotalMovies_L));
  return 0;
}

void sortMovieAverageEnergy() {
  std::stable_sort(gMovies_A.begin() + 1, gMovies_A.end(),
                   [](const MovieEntry& a, const MovieEntry& b) { return a.averageEnergy < b.averageEnergy; });
}

std::int16_t measureMovieEnergyAverage(HarnessPrint print) {
  std::unordered_map<std::string, std::int32_t> index;
  for (std::int32_t m = 1; m <= gTotalMovies_L; ++m) index.emplace(gMovies_A[static_cast<std::size_t>(m)].album, m);
  std::vector<std::int64_t> sums(gMovies_A.size(), 0);
  for (auto& m : gMovies_A) m.tracks = 0;
  for (std::int32_t k = 1; k <= gStartTotalTunes_L; ++k) {
    const Tune& t = gTunes_A[k];
    const auto it = index.find(std::string(t.album.view()));
    if (it == index.end()) continue;
    sums[static_cast<std::size_t>(it->second)] += t.ctCount;
    ++gMovies_A[static_cast<std::size_t>(it->second)].tracks;
  }
  for (std::size_t m = 1; m < gMovies_A.size(); ++m)
    gMovies_A[m].averageEnergy = gMovies_A[m].tracks ? static_cast<std::int32_t>(sums[m] / gMovies_A[m].tracks) : 0;
  sortMovieAverageEnergy();

  const std::string hyphens(71, '-');
  char stamp[64];
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  std::strftime(stamp, sizeof stamp, "%m/%d/%y\t%H:%M:%S", &local);
  std::string text = hyphens + "\n" + stamp + "\n" +
                     "Movie and Theatrical Soundtrack Human Perceived Energy (HPE) Evaluation\n\n" + hyphens + "\n" +
                     "Total Movies: " + numText(gTotalMovies_L) +
                     " Total Music Tracks: " + numText(gStartTotalTunes_L) + "\n" + hyphens + "\n\n\n";
  for (std::size_t m = 1; m < gMovies_A.size(); ++m) {
    const auto& e = gMovies_A[m];
    text += display(e.album) + "  -  " + display(e.artist) + "  - " + numText(e.averageEnergy) + "\n";
    print(display(e.album) + "  " + numText(e.averageEnergy));
  }
  const std::string path = movieReportPath();
  if (!path.empty()) writeReport(path, text);
  return 0;
}

std::vector<std::string> titleWords(std::string_view title) {
  title = title.substr(0, title.find('('));
  std::vector<std::string> words;
  std::string word;
  auto finish = [&] {
    std::string w = upperCaseMacRoman(word);
    if (!w.empty() && !(w.back() >= 'A' && w.back() <= 'Z')) w.pop_back();
    if (!w.empty()) words.push_back(std::move(w));
    word.clear();
  };
  for (char c : title) {
    if (c == ' ' || c == '-' || c == '/') {
      finish();
    } else if (c != '[' && c != '\\' && c != ']' && c != '^' && c != '_' && c != '`') {
      word += c;
    }
  }
  finish();
  return words;
}

void sortWordsByEnergy() {
  std::stable_sort(gWords_A.begin() + 1, gWords_A.end(),
                   [](const WordEntry& a, const WordEntry& b) { return a.average < b.average; });
}

std::int16_t measureWordEnergy(HarnessPrint print) {
  gWords_A.assign(1, WordEntry{});
  gTotalWords_L = 0;
  std::unordered_map<std::string, std::size_t> index;
  for (std::int32_t k = 1; k <= gStartTotalTunes_L; ++k) {
    const Tune& t = gTunes_A[k];
    const std::int32_t energy = t.ctCount;  // by value: the record is packed
    for (auto& w : titleWords(t.title.view())) {
      ++gTotalWords_L;
      auto [it, fresh] = index.emplace(w, gWords_A.size());
      if (fresh) gWords_A.push_back({w, {}, 0});
      gWords_A[it->second].values.push_back(energy);
    }
  }
  for (std::size_t i = 1; i < gWords_A.size(); ++i) {
    auto& e = gWords_A[i];
    std::int64_t sum = 0;
    for (std::int32_t v : e.values) sum += v;
    e.average = static_cast<std::int32_t>(sum / static_cast<std::int64_t>(e.values.size()));
    print(display(e.word) + "  " + numText(static_cast<std::int64_t>(e.values.size())) + "  " + numText(e.average));
  }
  gTotalUniqueWords_L = static_cast<std::int32_t>(gWords_A.size()) - 1;
  print("Total Tunes:" + numText(gStartTotalTunes_L) + "  Total Words:" + numText(gTotalWords_L) +
        "  Unique Words:" + numText(gTotalUniqueWords_L));
  sortWordsByEnergy();
  return 0;
}

std::int16_t printWordHPE() {
  std::string text;
  for (std::size_t i = 1; i < gWords_A.size(); ++i) {
    const auto& e = gWords_A[i];
    text +=
        display(e.word) + "\t" + numText(static_cast<std::int64_t>(e.values.size())) + "\t" + numText(e.average) + "\n";
  }
  const std::string path = wordReportPath();
  if (!path.empty()) writeReport(path, text);
  SysBeep();
  SysBeep();
  return 0;
}
