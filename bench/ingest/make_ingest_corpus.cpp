// Writes the benchmark corpus once into a cache folder: COUNT tunes of 3 to
// 5 minutes (MP3 CBR, MP3 VBR, M4A) in nested folders, with duplicates and
// files that are not music. Files already there are kept, so a second call
// costs nothing.
//
//   make_ingest_corpus /tmp/lumaroll-ingest-corpus 300
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/media.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

struct Item {
  fs::path path;
  MediaRecipe recipe;
};

Item itemFor(const fs::path& root, int i) {
  Item it;
  MediaRecipe& s = it.recipe;
  const int kind = i % 3;
  s.format = kind == 0 ? MediaFormat::mp3Cbr : kind == 1 ? MediaFormat::mp3Vbr : MediaFormat::m4a;
  s.seconds = 180 + (i * 37) % 121;
  s.content = MediaContent::twoTones;
  s.frequency = 110.0 + (i * 53) % 900;
  s.frequency2 = s.frequency * (1.25 + (i % 4) * 0.25);
  s.amplitude = 0.3 + (i % 5) * 0.1;
  const std::string n = std::to_string(i);
  s.tags = {"Corpus Tune " + n, "Artist " + std::to_string(i % 17), "Album " + std::to_string(i % 41), "Rock"};
  char folder[64];
  std::snprintf(folder, sizeof folder, "artist%02d/album%02d%s", i % 17, i % 41, i % 7 == 0 ? "/disc 2" : "");
  it.path = root / folder / ("track " + n + (kind == 2 ? ".m4a" : ".mp3"));
  return it;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs("usage: make_ingest_corpus DIR COUNT\n", stderr);
    return 2;
  }
  const fs::path root = argv[1];
  const int count = std::atoi(argv[2]);
  std::vector<Item> items;
  for (int i = 0; i < count; ++i) items.push_back(itemFor(root, i));

  // Two encoders at a time: the machine has two cores.
  auto work = [&](int first) {
    for (std::size_t i = static_cast<std::size_t>(first); i < items.size(); i += 2) {
      const Item& it = items[i];
      if (fs::exists(it.path)) continue;
      fs::create_directories(it.path.parent_path());
      const fs::path part = it.path.string() + ".part" + (it.recipe.format == MediaFormat::m4a ? ".m4a" : ".mp3");
      writeTestMedia(part.string(), it.recipe);
      fs::rename(part, it.path);
    }
  };
  std::thread other(work, 1);
  work(0);
  other.join();

  // Every 25th tune again under another name (a duplicate), and files that
  // are not music beside the tunes.
  for (int i = 0; i < count; i += 25) {
    const fs::path copy =
        items[static_cast<std::size_t>(i)].path.parent_path() /
        ("copy of " + std::to_string(i) + items[static_cast<std::size_t>(i)].path.extension().string());
    if (!fs::exists(copy)) fs::copy_file(items[static_cast<std::size_t>(i)].path, copy);
  }
  for (int i = 0; i < count; i += 20) {
    const fs::path dir = items[static_cast<std::size_t>(i)].path.parent_path();
    writeFileBytes((dir / "cover.jpg").string(), std::string(40000, '\xAB'));
    writeFileBytes((dir / "notes.txt").string(), "liner notes\n");
  }
  std::printf("%d tunes in %s\n", count, root.c_str());
  return 0;
}
