// Writes the starting corpora of the fuzz targets: small MP3 and M4A files
// with every tag form the readers know (ID3v2.2/2.3/2.4, each text encoding,
// padding, FFmpeg's own tags; M4A with its metadata first and last), so the
// fuzzers begin from well-formed files and mutate inward.
//
//   fuzz_seeds OUTDIR   → OUTDIR/mp3/*.mp3, OUTDIR/m4a/*.m4a and
//                         OUTDIR/vorbis/*.{flac,ogg,opus}
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>

#include "support/media.h"

namespace {

MediaRecipe seedRecipe(MediaFormat format) {
  MediaRecipe recipe;
  recipe.format = format;
  recipe.seconds = 0.3;
  recipe.sampleRate = 22050;
  recipe.channels = 1;
  recipe.bitrateKbps = 32;
  recipe.tags = {"Blue in Green", "Miles Davis", "Kind of Blue", "Jazz"};
  return recipe;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_seeds OUTDIR\n");
    return 2;
  }
  const std::filesystem::path out = argv[1];
  std::filesystem::create_directories(out / "mp3");
  std::filesystem::create_directories(out / "m4a");
  try {
    struct Mp3Seed {
      const char* name;
      Id3Version id3;
      Id3Encoding encoding;
      std::uint32_t padding;
    };
    const Mp3Seed mp3Seeds[] = {
        {"v22-latin1", Id3Version::v22, Id3Encoding::latin1, 0},
        {"v22-utf16", Id3Version::v22, Id3Encoding::utf16le, 0},
        {"v23-latin1", Id3Version::v23, Id3Encoding::latin1, 0},
        {"v23-utf16be-padded", Id3Version::v23, Id3Encoding::utf16be, 64},
        {"v24-utf8", Id3Version::v24, Id3Encoding::utf8, 0},
        {"v24-utf16le", Id3Version::v24, Id3Encoding::utf16le, 16},
        {"untagged", Id3Version::none, Id3Encoding::latin1, 0},
    };
    for (const Mp3Seed& seed : mp3Seeds) {
      MediaRecipe recipe = seedRecipe(MediaFormat::mp3Cbr);
      recipe.id3 = seed.id3;
      recipe.encoding = seed.encoding;
      recipe.id3Padding = seed.padding;
      writeTestMedia((out / "mp3" / (std::string(seed.name) + ".mp3")).string(), recipe);
    }
    MediaRecipe muxer = seedRecipe(MediaFormat::mp3Vbr);
    muxer.muxerTags = true;
    muxer.tags.genre = "(17)Rock";
    writeTestMedia((out / "mp3" / "ffmpeg-tags.mp3").string(), muxer);

    MediaRecipe m4a = seedRecipe(MediaFormat::m4a);
    writeTestMedia((out / "m4a" / "faststart.m4a").string(), m4a);
    m4a.faststart = false;
    m4a.tags.genre = "Rock";
    writeTestMedia((out / "m4a" / "moov-last.m4a").string(), m4a);
    m4a.tags = {};
    writeTestMedia((out / "m4a" / "untagged.m4a").string(), m4a);

    // FFmpeg's Vorbis comments in a FLAC file and in Ogg Vorbis and Opus.
    std::filesystem::create_directories(out / "vorbis");
    for (const auto& [format, name] :
         {std::pair{MediaFormat::flac, "tagged.flac"}, std::pair{MediaFormat::vorbis, "tagged.ogg"},
          std::pair{MediaFormat::opus, "tagged.opus"}}) {
      MediaRecipe v = seedRecipe(format);
      v.tags.title = "Caf\xC3\xA9 Noir";
      writeTestMedia((out / "vorbis" / name).string(), v);
    }
    MediaRecipe untagged = seedRecipe(MediaFormat::flac);
    untagged.tags = {};
    writeTestMedia((out / "vorbis" / "untagged.flac").string(), untagged);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "fuzz_seeds: %s\n", e.what());
    return 1;
  }
  return 0;
}
