#include "engine/m4atags.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <vector>

#include "core/regular_file.h"

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

// Where each atom name first occurs: the bytes of the searched area from
// the name on (as many as a text or a genre byte can reach), or an empty
// span when the name does not occur.
using AtomFinder = std::span<const std::uint8_t> (*)(const void* ctx, std::string_view name);

bool convertedAtom(AtomFinder find, const void* ctx, std::string_view name, std::string& text) {
  const auto at = find(ctx, name);
  if (at.empty()) return false;
  text = convertToProperPascalString(atomText(at, 0));
  return true;
}

bool parseAtoms(AtomFinder find, const void* ctx, M4ATagTexts& out) {
  if (!convertedAtom(find, ctx, "\xA9nam", out.title)) return false;
  if (!convertedAtom(find, ctx,
                     "\xA9"
                     "alb",
                     out.album))
    return false;
  if (!convertedAtom(find, ctx,
                     "\xA9"
                     "ART",
                     out.artist))
    return false;

  if (const auto m = find(ctx, "gnre"); !m.empty()) {
    out.genre = normaliseGenre(byteAt(m, 21));
  } else if (const auto g = find(ctx, "\xA9gen"); !g.empty()) {
    const std::uint8_t b = byteAt(g, 11);
    out.genre = b == 'a' ? atomText(g, 0) : normaliseGenre(b);
  } else {
    out.genre = "Unknown";
  }
  out.genre = out.genre.substr(0, 63);
  return true;
}

constexpr std::array<std::string_view, 5> kAtomNames = {"\xA9nam",
                                                        "\xA9"
                                                        "alb",
                                                        "\xA9"
                                                        "ART",
                                                        "gnre", "\xA9gen"};
constexpr std::size_t kNameBytes = 4;
constexpr std::size_t kWindowBytes = kTextOffset + kLongestText;  // the farthest byte a tag reads

// The first quarter of a file, searched chunk by chunk: each chunk overlaps
// the one before by a name's length less one, so a name across the seam is
// found, and only the window after each name's first occurrence is kept.
struct QuarterSearch {
  std::array<std::vector<std::uint8_t>, kAtomNames.size()> windows;
  std::array<bool, kAtomNames.size()> found{};

  bool run(int fd, std::uint64_t quarter) {
    std::vector<std::uint8_t> chunk(kM4AChunkBytes + kNameBytes - 1);
    std::size_t carried = 0;  // bytes at the chunk's start repeated from the last one
    for (std::uint64_t pos = 0; pos < quarter;) {
      const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(kM4AChunkBytes, quarter - pos));
      if (!readAt(fd, chunk.data() + carried, want, pos)) return false;
      const std::span<const std::uint8_t> view(chunk.data(), carried + want);
      const std::uint64_t viewStart = pos - carried;
      for (std::size_t i = 0; i < kAtomNames.size(); ++i) {
        if (found[i]) continue;
        const std::size_t m = findInBlock(view, kAtomNames[i]);
        if (m == std::string_view::npos) continue;
        found[i] = true;
        const std::uint64_t at = viewStart + m;
        windows[i].resize(static_cast<std::size_t>(std::min<std::uint64_t>(kWindowBytes, quarter - at)));
        if (!readAt(fd, windows[i].data(), windows[i].size(), at)) return false;
      }
      // Once title, album, artist and the genre code are found, nothing
      // further can change the result.
      if (found[0] && found[1] && found[2] && found[3]) break;
      pos += want;
      carried = std::min<std::size_t>(kNameBytes - 1, view.size());
      std::copy(view.end() - static_cast<std::ptrdiff_t>(carried), view.end(), chunk.begin());
    }
    return true;
  }

  static bool readAt(int fd, std::uint8_t* dst, std::size_t n, std::uint64_t offset) {
    while (n > 0) {
      const ssize_t r = ::pread(fd, dst, n, static_cast<off_t>(offset));
      if (r < 0 && errno == EINTR) continue;
      if (r <= 0) return false;
      dst += r;
      n -= static_cast<std::size_t>(r);
      offset += static_cast<std::uint64_t>(r);
    }
    return true;
  }

  static std::span<const std::uint8_t> find(const void* ctx, std::string_view name) {
    const auto* self = static_cast<const QuarterSearch*>(ctx);
    for (std::size_t i = 0; i < kAtomNames.size(); ++i)
      if (kAtomNames[i] == name)
        return self->found[i] ? std::span<const std::uint8_t>(self->windows[i]) : std::span<const std::uint8_t>{};
    return {};
  }
};

}  // namespace

bool parseM4ATagBlock(std::span<const std::uint8_t> block, M4ATagTexts& out) {
  return parseAtoms(
      [](const void* ctx, std::string_view name) {
        const auto& b = *static_cast<const std::span<const std::uint8_t>*>(ctx);
        const std::size_t m = findInBlock(b, name);
        return m == std::string_view::npos ? std::span<const std::uint8_t>{} : b.subspan(m);
      },
      &block, out);
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

  // The tags are searched in the file's first quarter, whose length is the
  // stored fileLength, without holding the quarter in memory.
  const std::string path(filePath);
  const int fd = openRegularFileForReading(path.c_str());
  if (fd < 0) return refuse(TagRefusal::noTag);
  struct stat st {};
  QuarterSearch search;
  const bool fstatOk = ::fstat(fd, &st) == 0;
  const std::uint64_t length = fstatOk ? static_cast<std::uint64_t>(st.st_size) : 0;
  const bool searched = fstatOk && length >= kSmallestM4A && search.run(fd, length / 4);
  ::close(fd);
  if (!searched) return refuse(fstatOk && length < kSmallestM4A ? TagRefusal::tooSmall : TagRefusal::noTag);

  Tune& t = gTunes_A[gTotalTunes_L];
  storeTagFile(t, static_cast<std::uint32_t>(length / 4), kFileKindM4A, name, folderVolume, folderDirID);

  M4ATagTexts texts;
  if (!parseAtoms(QuarterSearch::find, &search, texts)) return refuse(TagRefusal::noTag);
  storeTagTexts(t, texts);

  if (gTotalTunes_L > 1 && isDuplicateTune(t.artist.view(), t.title.view(), t.album.view()))
    return refuse(TagRefusal::duplicate);
  return noErr;
}
