#include "engine/mp3tags.h"

#include "core/macroman.h"
#include "core/pstring.h"
#include "engine/tagfile.h"
#include "engine/text.h"
#include "library/tune.h"
#include "platform/toolbox.h"

namespace {

constexpr std::int16_t kAddWindow = 4000;
constexpr std::int16_t kAddStatusText = 55;
constexpr std::int16_t kAddCountText = 56;
constexpr std::size_t kMostCharacters = 254;

struct FrameIds {
  std::string_view artist, title, album, genre;
};
constexpr FrameIds kV23Ids{"TPE1", "TIT2", "TALB", "TCON"};
constexpr FrameIds kV22Ids{"TP1", "TT2", "TAL", "TCO"};

// Collects up to n characters (at most 254) from `first`, every `step`
// bytes, until a zero byte or the end of the block.
std::string collect(std::span<const std::uint8_t> block, std::size_t first, std::size_t step, std::int32_t n) {
  std::string text;
  for (std::size_t at = first; static_cast<std::int32_t>(text.size()) < n && text.size() < kMostCharacters;
       at += step) {
    const std::uint8_t b = byteAt(block, at);
    if (b == 0) break;
    text += static_cast<char>(b);
  }
  return text;
}

// One frame's text as collected, or nothing when the frame is absent or
// declares no characters ("Unknown").
bool frameText(std::span<const std::uint8_t> block, std::string_view id, bool v23, std::string& text) {
  const std::size_t m = findInBlock(block, id);
  if (m == std::string_view::npos) return false;
  std::int32_t n = 0;
  if (v23) {
    const std::int32_t s = byteAt(block, m + 7);
    const std::uint8_t b11 = byteAt(block, m + 11), b12 = byteAt(block, m + 12);
    if (b11 == 0xFF || (b11 == 0xFE && b12 == 0xFF)) {
      // UTF-16 with a byte-order mark: the low byte of each unit. A
      // big-endian mark (FE FF) puts the low bytes one further on.
      n = (s - 3) / 2;
      if (n < 1) return false;
      text = collect(block, m + (b11 == 0xFF && b12 == 0xFE ? 13 : 14), 2, n);
      return true;
    }
    n = s - 1;
    if (n < 1) return false;
    text = collect(block, m + 11, 1, n);
    return true;
  }
  n = byteAt(block, m + 5) - 1;
  if (n < 1) return false;
  text = collect(block, m + 7, 1, n);
  return true;
}

// The stored form of a frame's text: "Unknown" when absent, and, where
// `blankIsUnknown`, when empty or a single space; else folded to Mac Roman.
std::string storedText(std::span<const std::uint8_t> block, std::string_view id, bool v23, bool blankIsUnknown) {
  std::string text;
  if (!frameText(block, id, v23, text)) return "Unknown";
  if (blankIsUnknown && (text.empty() || text == " ")) return "Unknown";
  return convertToProperPascalString(text);
}

}  // namespace

OSErr parseMP3TagBlock(std::span<const std::uint8_t> block, MP3TagTexts& out) {
  if (byteAt(block, 2) != '3') return kMP3Unusable;
  out.v23 = byteAt(block, 3) >= 3;
  const FrameIds& ids = out.v23 ? kV23Ids : kV22Ids;
  out.artist = storedText(block, ids.artist, out.v23, !out.v23);
  out.title = storedText(block, ids.title, out.v23, true);
  out.album = storedText(block, ids.album, out.v23, true);
  out.genre = storedText(block, ids.genre, out.v23, true).substr(0, 63);
  return noErr;
}

OSErr readMP3Tags(std::string_view filePath, std::int16_t folderVolume, std::int32_t folderDirID) {
  gLastTagRefusal = TagRefusal::libraryFull;
  if (!claimTagSlot()) return kMP3Refused;
  auto refuse = [](OSErr code, TagRefusal why) {
    giveBackTagSlot();
    gLastTagRefusal = why;
    return code;
  };
  gLastTagRefusal = TagRefusal::none;

  const std::string_view name = tagFileName(filePath);
  if (name.empty() || name.front() == '.') return refuse(kMP3Refused, TagRefusal::noTag);

  TagFileRead file;
  if (!readTagFile(
          filePath, kSmallestMP3, [](std::uint64_t) { return kMP3TagBlock; }, file))
    return refuse(kMP3Refused, TagRefusal::tooSmall);

  MP3TagTexts texts;
  if (parseMP3TagBlock(file.block, texts) != noErr) return refuse(kMP3Unusable, TagRefusal::noTag);

  Tune& t = gTunes_A[gTotalTunes_L];
  storeTagFile(t, static_cast<std::uint32_t>(file.length), kFileKindMP3, name, folderVolume, folderDirID);
  storeTagTexts(t, texts);

  if (texts.v23 && upperCaseMacRoman(texts.genre) == "PODCAST") return refuse(kMP3Unusable, TagRefusal::podcast);

  setControlText(kAddWindow, kAddStatusText, "Inspecting: " + t.title.str());
  setControlText(kAddWindow, kAddCountText, "Total Tunes: " + numText(gTotalTunes_L));

  if (gTotalTunes_L > 1) {
    if (t.title.view() != "Unknown") {
      if (isDuplicateTune(t.artist.view(), t.title.view(), t.album.view()))
        return refuse(kMP3Unusable, TagRefusal::duplicate);
    } else {
      const std::int32_t duration = t.durationSeconds;
      for (std::int32_t i = 1; i < gTotalTunes_L; ++i) {
        const Tune& other = gTunes_A[i];
        if (other.artist == t.artist.view() && other.durationSeconds == duration)
          return refuse(kMP3Unusable, TagRefusal::duplicate);
      }
    }
  }
  return noErr;
}
