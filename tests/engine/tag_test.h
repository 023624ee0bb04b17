// What the tag readers' tests share: a library of fresh records, files under
// fresh names (so no two are duplicates by path) of at least the reader's
// smallest size, and the four texts of the record just read, checked in one
// comparison.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "engine/genres.h"
#include "library/tune.h"
#include "platform/headless/headless_toolbox.h"
#include "support/temp_dir.h"

inline std::string be32(std::uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
}

using TagTexts = std::array<std::string, 4>;  // title, artist, album, genre

using TagReader = OSErr (*)(std::string_view filePath, std::int16_t folderVolume, std::int32_t folderDirID);

template <TagReader kRead = nullptr, std::size_t kSmallest = 0>
class TagReading : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { initMP3Categories(); }
  void SetUp() override {
    gTotalTunes_L = gStartTotalTunes_L = 0;
    for (int i = 0; i <= 3; ++i) gTunes_A[i] = Tune{};
    headlessToolbox().reset();
  }
  // A file of `size` bytes starting with `bytes`.
  std::string file(const std::string& bytes, std::size_t size = kSmallest, std::string name = "") {
    std::string content = bytes;
    content.resize(size, '\0');
    if (name.empty()) name = "f" + std::to_string(++files);
    writeFileBytes(dir.file(name), content);
    return dir.file(name);
  }
  OSErr read(const std::string& path) { return kRead(path, 7, 123456); }
  const Tune& tune() { return gTunes_A[gTotalTunes_L]; }
  TagTexts texts() { return {tune().title.str(), tune().artist.str(), tune().album.str(), tune().genre.str()}; }
  TempDir dir;
  int files = 0;
};
