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
#include <tuple>

#include "support/media.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_seeds OUTDIR\n");
    return 2;
  }
  const std::filesystem::path out = argv[1];
  const MediaRecipe base{.seconds = 0.3,
                         .sampleRate = 22050,
                         .channels = 1,
                         .bitrateKbps = 32,
                         .tags = {"Blue in Green", "Miles Davis", "Kind of Blue", "Jazz"}};
  try {
    for (const char* folder : {"mp3", "m4a", "vorbis"}) std::filesystem::create_directories(out / folder);
    for (const auto& [name, id3, encoding, padding] :
         {std::tuple{"v22-latin1", Id3Version::v22, Id3Encoding::latin1, 0u},
          {"v22-utf16", Id3Version::v22, Id3Encoding::utf16le, 0u},
          {"v23-latin1", Id3Version::v23, Id3Encoding::latin1, 0u},
          {"v23-utf16be-padded", Id3Version::v23, Id3Encoding::utf16be, 64u},
          {"v24-utf8", Id3Version::v24, Id3Encoding::utf8, 0u},
          {"v24-utf16le", Id3Version::v24, Id3Encoding::utf16le, 16u},
          {"untagged", Id3Version::none, Id3Encoding::latin1, 0u}}) {
      MediaRecipe r = base;
      r.id3 = id3;
      r.encoding = encoding;
      r.id3Padding = padding;
      writeTestMedia((out / "mp3" / (std::string(name) + ".mp3")).string(), r);
    }
    MediaRecipe r = base;
    r.format = MediaFormat::mp3Vbr;
    r.muxerTags = true;
    r.tags.genre = "(17)Rock";
    writeTestMedia((out / "mp3/ffmpeg-tags.mp3").string(), r);
    r = base;
    r.format = MediaFormat::m4a;
    writeTestMedia((out / "m4a/faststart.m4a").string(), r);
    r.faststart = false;
    r.tags.genre = "Rock";
    writeTestMedia((out / "m4a/moov-last.m4a").string(), r);
    r.tags = {};
    writeTestMedia((out / "m4a/untagged.m4a").string(), r);
    // FFmpeg's Vorbis comments in a FLAC file and in Ogg Vorbis and Opus.
    r = base;
    r.tags.title = "Caf\xC3\xA9 Noir";
    for (const auto& [format, name] : {std::pair{MediaFormat::flac, "vorbis/tagged.flac"},
                                       {MediaFormat::vorbis, "vorbis/tagged.ogg"},
                                       {MediaFormat::opus, "vorbis/tagged.opus"}}) {
      r.format = format;
      writeTestMedia((out / name).string(), r);
    }
    r.format = MediaFormat::flac;
    r.tags = {};
    writeTestMedia((out / "vorbis/untagged.flac").string(), r);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "fuzz_seeds: %s\n", e.what());
    return 1;
  }
  return 0;
}
