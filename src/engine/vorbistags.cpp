#include "engine/vorbistags.h"

#include <algorithm>
#include <limits>

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
// Folding only ever shortens a text, and the stored fields hold 255 bytes:
// more than this of a comment can never be kept.
constexpr std::size_t kLongestComment = 1024;

// A comment as stored: "Unknown" when absent, empty or a single space, else
// folded to Mac Roman like the other readers' texts.
std::string storedText(const std::string& comment) {
  if (comment.empty() || comment == " ") return "Unknown";
  return convertToProperPascalString(std::string_view(comment).substr(0, kLongestComment));
}

std::uint16_t kindOf(TaggedAudio audio) {
  switch (audio) {
    case TaggedAudio::vorbis: return kFileKindVorbis;
    case TaggedAudio::opus: return kFileKindOpus;
    case TaggedAudio::flac: break;
  }
  return kFileKindFLAC;
}

}  // namespace

OSErr convertVorbisTags(const MovieFileTags& tags, VorbisTagTexts& out) {
  if (!tags.tagged) return kVorbisUntagged;
  out.fileKind = kindOf(tags.audio);
  out.title = storedText(tags.title);
  out.artist = storedText(tags.artist);
  out.album = storedText(tags.album);
  out.genre = storedText(tags.genre).substr(0, 63);
  if (upperCaseMacRoman(out.genre) == "PODCAST") return kVorbisPodcast;
  return noErr;
}

OSErr readVorbisTags(std::string_view filePath, std::int16_t folderVolume, std::int32_t folderDirID) {
  gLastTagRefusal = TagRefusal::libraryFull;
  if (!claimTagSlot()) return kVorbisRefused;
  auto refuse = [](OSErr code) {
    giveBackTagSlot();
    switch (code) {
      case kVorbisUntagged: gLastTagRefusal = TagRefusal::noTag; break;
      case kVorbisPodcast: gLastTagRefusal = TagRefusal::podcast; break;
      case kVorbisDuplicate: gLastTagRefusal = TagRefusal::duplicate; break;
      default: gLastTagRefusal = code < 0 ? TagRefusal::notAudio : TagRefusal::noTag; break;
    }
    return code;
  };
  gLastTagRefusal = TagRefusal::none;

  const std::string_view name = tagFileName(filePath);
  if (name.empty() || name.front() == '.') return refuse(kVorbisRefused);
  // Its length, and that it is a regular file that opens: nothing is read.
  TagFileRead file;
  if (!readTagFile(
          filePath, 0, [](std::uint64_t) { return std::size_t{0}; }, file))
    return refuse(kVorbisRefused);

  MovieFileTags tags;
  if (const OSErr err = GetMovieFileTags(filePath, tags); err != noErr) return refuse(err);
  VorbisTagTexts texts;
  if (const OSErr err = convertVorbisTags(tags, texts); err != noErr) return refuse(err);

  Tune& t = gTunes_A[gTotalTunes_L];
  // A file beyond 4 GiB keeps the largest length the field holds, so its
  // data rate stays large instead of wrapping round to a small one.
  storeTagFile(
      t, static_cast<std::uint32_t>(std::min<std::uint64_t>(file.length, std::numeric_limits<std::uint32_t>::max())),
      texts.fileKind, name, folderVolume, folderDirID);
  storeTagTexts(t, texts);

  setControlText(kAddWindow, kAddStatusText, "Inspecting: " + t.title.str());
  setControlText(kAddWindow, kAddCountText, "Total Tunes: " + numText(gTotalTunes_L));

  // Tunes without a title cannot be told apart by their tags; only the same
  // file again counts as a duplicate of them.
  if (t.title.view() != "Unknown") {
    if (isDuplicateTune(t.artist.view(), t.title.view(), t.album.view())) return refuse(kVorbisDuplicate);
  } else {
    for (std::int32_t i = 1; i < gTotalTunes_L; ++i)
      if (gTunes_A[i].filePath == filePath) return refuse(kVorbisDuplicate);
  }
  return noErr;
}
