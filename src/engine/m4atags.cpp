#include "engine/m4atags.h"

#include "engine/genres.h"
#include "engine/tagfile.h"
#include "engine/text.h"
#include "library/tune.h"

namespace {

constexpr std::size_t kTextOffset = 20;  // name, data atom size and name, type and locale
constexpr std::size_t kLongestText = 255;

// The text of an atom: bytes from 20 past its name up to a zero byte (or the
// end of the block); "Unknown" when empty or when it reaches 255 bytes.
std::string atomText(std::span<const std::uint8_t> block, std::size_t m) {
  std::string text;
  for (std::size_t at = m + kTextOffset; text.size() < kLongestText; ++at) {
    const std::uint8_t b = byteAt(block, at);
    if (b == 0) break;
    text += static_cast<char>(b);
  }
  if (text.empty() || text.size() >= kLongestText) return "Unknown";
  return text;
}

bool convertedAtom(std::span<const std::uint8_t> block, std::string_view name, std::string& text) {
  const std::size_t m = findInBlock(block, name);
  if (m == std::string_view::npos) return false;
  text = convertToProperPascalString(atomText(block, m));
  return true;
}

}  // namespace

bool parseM4ATagBlock(std::span<const std::uint8_t> block, M4ATagTexts& out) {
  if (!convertedAtom(block, "\xA9nam", out.title)) return false;
  if (!convertedAtom(block, "\xA9" "alb", out.album)) return false;
  if (!convertedAtom(block, "\xA9" "ART", out.artist)) return false;

  if (const std::size_t m = findInBlock(block, "gnre"); m != std::string_view::npos) {
    out.genre = normaliseGenre(byteAt(block, m + 21));
  } else if (const std::size_t g = findInBlock(block, "\xA9gen"); g != std::string_view::npos) {
    const std::uint8_t b = byteAt(block, g + 11);
    out.genre = b == 'a' ? atomText(block, g) : normaliseGenre(b);
  } else {
    out.genre = "Unknown";
  }
  out.genre = out.genre.substr(0, 63);
  return true;
}

OSErr readM4ATags(std::string_view filePath, std::int16_t folderVolume, std::int32_t folderDirID) {
  gLastTagRefusal = TagRefusal::libraryFull;
  if (!claimTagSlot()) return kM4ARefused;
  auto refuse = [](TagRefusal why) {
    giveBackTagSlot();
    gLastTagRefusal = why;
    return kM4ARefused;
  };
  gLastTagRefusal = TagRefusal::none;

  const std::string_view name = tagFileName(filePath);
  if (name.empty() || name.front() == '.') return refuse(TagRefusal::noTag);

  TagFileRead file;
  if (!readTagFile(filePath, kSmallestM4A, [](std::uint64_t length) { return static_cast<std::size_t>(length / 4); },
                   file))
    return refuse(TagRefusal::tooSmall);

  Tune& t = gTunes_A[gTotalTunes_L];
  t.fileLength = static_cast<std::uint32_t>(file.block.size());
  t.fileKind = 4;
  t.fileName.assign(name);
  t.folderDirID = folderDirID;
  t.folderVolume = folderVolume;

  M4ATagTexts texts;
  if (!parseM4ATagBlock(file.block, texts)) return refuse(TagRefusal::noTag);
  t.title.assign(texts.title);
  t.album.assign(texts.album);
  t.artist.assign(texts.artist);
  t.genre.assign(texts.genre);

  if (gTotalTunes_L > 1 && isDuplicateTune(t.artist.view(), t.title.view(), t.album.view()))
    return refuse(TagRefusal::duplicate);
  return noErr;
}
