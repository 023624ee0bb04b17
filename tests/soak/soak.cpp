// The soak run: the whole program on the recording toolbox with the real
// movie services (SDL's dummy driver where there is no audio device). It adds
// a folder of generated tunes through the command-line add, then plays tune
// change after tune change while choosing player and playlist commands at
// random, and samples the resident memory as it goes.
//
//   soak [--tunes N] [--changes N] [--media DIR] [--seed N]
//
// Prints one line of memory per 100 tune changes and a verdict. Exits 1 when
// the add fell short, the changes did not happen, or the heap in use grew by
// more than the allowance between the first sample after warming up and the
// last. Leaks are the sanitizer build's to find (LeakSanitizer at exit).
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "app/app.h"
#include "core/appstate.h"
#include "core/paths.h"
#include "core/prefs.h"
#include "core/tasks.h"
#include "ingest/add_runs.h"
#include "platform/headless/headless_toolbox.h"
#include "player/playback.h"
#include "playlists/presentation.h"
#include "support/media.h"
#include "support/temp_dir.h"
#include "ui/menus.h"
#include "ui/remote.h"

#if defined(__SANITIZE_ADDRESS__)
// The address sanitizer's runtime (GCC ships no header for it).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
  int tunes = 2000;
  int changes = 500;
  std::string media;  // kept between runs when given
  int seed = 1;
};

// The resident set in KiB, from /proc.
long residentKiB() {
  const std::string status = readFileBytes("/proc/self/status");
  const std::size_t at = status.find("\nVmRSS:");
  return at == std::string::npos ? -1 : std::atol(status.c_str() + at + 7);
}

// Bytes the program has allocated and not freed (every arena, and the
// blocks taken straight from the system). Unlike the resident set it does
// not move when the allocator sets up an arena for a new thread.
long heapInUseKiB() {
#if defined(__SANITIZE_ADDRESS__)
  // The sanitizer's allocator stands in for malloc's and keeps the count.
  return static_cast<long>(__sanitizer_get_current_allocated_bytes() / 1024);
#else
  const struct mallinfo2 m = mallinfo2();
  return static_cast<long>((m.uordblks + m.hblkhd) / 1024);
#endif
}

// Distinct sounds (noise and tone pairs at several levels, so the tunes
// spread over the colours), each written once; the tunes are these sounds
// under tags of their own.
constexpr int kSounds = 24;

void writeMedia(const std::string& folder, int tunes) {
  std::filesystem::create_directories(folder);
  const std::string marker = folder + "/.complete-" + std::to_string(tunes);
  if (std::filesystem::exists(marker)) return;
  std::vector<std::string> bodies;
  for (int s = 0; s < kSounds; ++s) {
    MediaRecipe recipe{.seconds = 31, .bitrateKbps = 64, .tags = {}, .id3 = Id3Version::none};
    recipe.content = s % 2 ? MediaContent::noise : MediaContent::twoTones;
    recipe.seed = static_cast<std::uint32_t>(s + 1);
    recipe.frequency = 110.0 * (1 + s % 7);
    recipe.frequency2 = recipe.frequency * 1.5;
    // Loud noise has too many strong bins to be kept as a tune.
    recipe.amplitude = recipe.content == MediaContent::noise ? 0.06 + 0.027 * (s / 2) : 0.1 + 0.07 * (s / 2);
    const std::string path = folder + "/sound.mp3";
    writeTestMedia(path, recipe);
    bodies.push_back(readFileBytes(path));
    std::filesystem::remove(path);
  }
  static const char* const kGenres[] = {"Rock", "Jazz", "Classical", "Pop", "Blues", "Electronic", "Folk"};
  for (int i = 1; i <= tunes; ++i) {
    const MediaTags tags{"Soak Tune " + std::to_string(i), "Artist " + std::to_string(i % 97),
                         "Album " + std::to_string(i % 211), kGenres[i % 7]};
    char name[32];
    std::snprintf(name, sizeof name, "/%02d/tune%04d.mp3", i % 20, i);
    std::filesystem::create_directories(folder + "/" + std::string(name + 1, 2));
    writeFileBytes(folder + name, id3v2Tag(tags, Id3Version::v23, Id3Encoding::latin1) + bodies[i % kSounds]);
  }
  writeFileBytes(marker, "");
}

// Headless time follows the clock; the toolbox's own waits (a notice shown
// for two seconds) move it on further and are kept.
const Clock::time_point gStart = Clock::now();

// One pass of the event loop as the program's, with the recording toolbox's
// log (which keeps every call) emptied so that it is not mistaken for growth.
void pass() {
  static std::uint32_t set = 0, extra = 0;
  auto& tb = headlessToolbox();
  if (tb.ticks > set) extra += tb.ticks - set;
  set = static_cast<std::uint32_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - gStart).count() * 60 / 1000) +
        extra;
  tb.ticks = set;
  applicationPass();
  tb.log.clear();
}

void passFor(std::chrono::milliseconds span) {
  const auto until = Clock::now() + span;
  while (Clock::now() < until) {
    pass();
    usleep(2000);
  }
}

// What sounds: the tune of the playing table and the playlist it came from.
using Sounding = std::tuple<const void*, std::int32_t, std::string>;

Sounding sounding() { return {gNowPlayingMovie, gNowPlayingItemID_L, std::string(gCurrentPlayingIDName$.view())}; }

void stopPlaying() {
  if (gWeArePlaying_S == 1) toolboxChooseMenuItem(kPlayerMenu, kPlayerPlayItem);
  for (int i = 0; i < 500 && playRunActive(); ++i) passFor(std::chrono::milliseconds(10));
}

// The heap in one and the same state each time: All Tunes shown, nothing
// playing. What the random walk happens to hold (a long playlist, a ranking)
// is given back first, so only what was never given back can differ.
long settledHeapKiB() {
  toolboxChooseMenuItem(kPlaylistsMenu, 1);
  passFor(std::chrono::milliseconds(200));
  stopPlaying();
  passFor(std::chrono::milliseconds(200));
  return heapInUseKiB();
}

bool parseOptions(int argc, char** argv, Options& o) {
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string a = argv[i], v = argv[i + 1];
    if (a == "--media")
      o.media = v;
    else if (a == "--tunes" || a == "--changes" || a == "--seed")
      (a == "--tunes" ? o.tunes : a == "--changes" ? o.changes : o.seed) = std::atoi(v.c_str());
    else
      return false;
  }
  return argc % 2 == 1 && o.tunes > 0 && o.changes > 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options opt;
  if (!parseOptions(argc, argv, opt)) {
    std::fputs("usage: soak [--tunes N] [--changes N] [--media DIR] [--seed N]\n", stderr);
    return 2;
  }
  const TempDir home;  // the library, the settings and the tunes unless kept elsewhere
  const std::string media = opt.media.empty() ? home.file("media") : opt.media;
  try {
    writeMedia(media, opt.tunes);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "soak: cannot make the tunes: %s\n", e.what());
    return 1;
  }
  setLibraryFilePath(home.file("Lumaroll/LumarollDatabase"));
  setPrefsFilePath(home.file("Orvane-Lumaroll/LumarollPrefs"));
  headlessToolbox().reset();

  const auto t0 = Clock::now();
  if (!startLumaroll()) return 1;
  startAddTunesOfFolders({media + "/"});
  while (addRunActive() || activeTaskCount() > 0) pass();
  std::printf("added %d tunes of %d in %.1f s; heap in use %ld KiB, resident %ld KiB\n", gStartTotalTunes_L, opt.tunes,
              std::chrono::duration<double>(Clock::now() - t0).count(), heapInUseKiB(), residentKiB());
  std::fflush(stdout);
  if (gStartTotalTunes_L < opt.tunes * 95 / 100) {
    std::fprintf(stderr, "soak: the add run kept only %d tunes\n", gStartTotalTunes_L);
    return 1;
  }

  std::mt19937 rnd(static_cast<unsigned>(opt.seed));
  auto pick = [&](int n) { return static_cast<int>(rnd() % static_cast<unsigned>(n)); };
  auto menu = [](std::int16_t m, std::int16_t item) { return [=] { toolboxChooseMenuItem(m, item); }; };
  static const std::int16_t kPlaylistItems[] = {1, 2, 4, 5, 6, 8, 10, 12};
  // Each command's share of a hundred draws; the draws left over choose nothing.
  const std::pair<int, std::function<void()>> kCommands[] = {
      {30, menu(kPlayerMenu, kPlayerNextItem)},
      {10, menu(kPlayerMenu, kPlayerBackItem)},
      {10, [&] { doColorButtons(1 + pick(9)); }},
      {8, [&] { toolboxChooseMenuItem(kPlaylistsMenu, kPlaylistItems[pick(8)]); }},
      {4, [&] { toolboxChooseMenuItem(kEnergyMixMenu, static_cast<std::int16_t>(1 + pick(9))); }},
      {6, [&] { toolboxChooseMenuItem(kLoopMenu, static_cast<std::int16_t>(1 + pick(2))); }},
      {6, [&] { toolboxChooseMenuItem(kPlayerMenu, pick(2) ? kPlayerVolumeUpItem : kPlayerVolumeDownItem); }},
      {6, [&] { remoteSetVolume(pick(1000) / 1000.0); }},
      {3, menu(kPlayerMenu, kPlayerMuteItem)},
      {5, menu(kPlayerMenu, kPlayerPlayItem)},  // Play or Stop
  };
  doColorButtons(1 + pick(9));  // a colour button plays its playlist
  Sounding previous = sounding();
  int changes = 0, commands = 0, idlePasses = 0;
  std::vector<long> settled;  // at every 100 changes
  long peak = 0;
  const auto s0 = Clock::now();
  while (changes < opt.changes) {
    // Commands come a tenth to a third of a second apart, as a restless
    // listener's would; a Stop is followed by a Play soon after.
    passFor(std::chrono::milliseconds(100 + pick(250)));
    ++commands;
    int what = pick(100);
    for (const auto& [share, command] : kCommands)
      if ((what -= share) < 0) {
        command();
        break;
      }
    // Whatever happened, something plays again before long.
    if (gWeArePlaying_S != 1 && !playRunActive() && ++idlePasses > 2) {
      idlePasses = 0;
      doColorButtons(1 + pick(9));
    }
    const Sounding now = sounding();
    if (std::get<0>(now) && now != previous && ++changes % 100 == 0) {
      settled.push_back(settledHeapKiB());
      peak = std::max(peak, residentKiB());
      std::printf("changes %4d  commands %5d  settled heap %7ld KiB  resident %7ld KiB  playlist %d\n", changes,
                  commands, settled.back(), peak, gTotalPlaylistTunes_L);
      std::fflush(stdout);
      doColorButtons(1 + pick(9));
    }
    if (std::get<0>(now)) previous = now;
    if (Clock::now() - s0 > std::chrono::minutes(30)) {
      std::fprintf(stderr, "soak: only %d tune changes in 30 minutes\n", changes);
      return 1;
    }
  }
  const double playSeconds = std::chrono::duration<double>(Clock::now() - s0).count();
  stopPlaying();
  cancelAllTasks();

  // Growth of the settled heap from the first sample (after 100 changes,
  // the warm-up) to the last beyond this is taken as a leak.
  constexpr long kAllowanceKiB = 256;
  const long warm = settled.empty() ? 0 : settled.front();
  const long last = settled.empty() ? 0 : settled.back();
  std::printf(
      "%d tune changes, %d commands in %.1f s; settled heap after 100 changes %ld KiB, at the end %ld KiB "
      "(growth %ld KiB, allowance %ld); resident at most %ld KiB\n",
      changes, commands, playSeconds, warm, last, last - warm, kAllowanceKiB, peak);
  if (last - warm > kAllowanceKiB) {
    std::fprintf(stderr, "soak: memory grew by %ld KiB over %d tune changes\n", last - warm, changes - 100);
    return 1;
  }
  std::puts("soak: ok");
  return 0;
}
