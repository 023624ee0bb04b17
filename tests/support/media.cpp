#include "support/media.h"

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <memory>
#include <numbers>
#include <random>
#include <stdexcept>

#include "support/temp_dir.h"

extern char** environ;

namespace {

// Encoding byte and text of one text frame; a malformed UTF-8 byte stands for itself.
std::string frameText(const std::string& text, Id3Encoding encoding) {
  if (encoding == Id3Encoding::utf8) return '\3' + text;
  const bool little = encoding == Id3Encoding::utf16le;
  std::string out(1, encoding == Id3Encoding::latin1 ? '\0' : '\1');
  auto unit = [&](std::uint32_t u) {
    out += static_cast<char>(little ? u & 0xFF : u >> 8);
    out += static_cast<char>(little ? u >> 8 : u & 0xFF);
  };
  if (encoding != Id3Encoding::latin1) unit(0xFEFF);
  for (std::size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i++]);
    const int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
    std::uint32_t c = b;
    if (extra > 0 && i + static_cast<std::size_t>(extra) <= text.size()) {
      c = b & (0x3F >> extra);
      for (int k = 0; k < extra; ++k) c = (c << 6) | (static_cast<unsigned char>(text[i++]) & 0x3F);
    }
    if (encoding == Id3Encoding::latin1) {
      out += static_cast<char>(c <= 0xFF ? c : '?');
    } else if (c >= 0x10000) {
      unit(0xD800 + ((c - 0x10000) >> 10));
      unit(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      unit(c);
    }
  }
  return out;
}

// `bytes` bytes of `bits` bits each, most significant first (7 bits: syncsafe).
void putBigEndian(std::string& out, std::uint32_t v, int bytes, int bits = 8) {
  for (int i = bytes - 1; i >= 0; --i) out += static_cast<char>((v >> (bits * i)) & ((1u << bits) - 1));
}

// The interleaved 16-bit samples the file is encoded from.
std::vector<std::int16_t> testMediaPcm(const MediaRecipe& r) {
  const auto frames = static_cast<std::size_t>(std::llround(r.seconds * r.sampleRate));
  std::vector<std::int16_t> pcm;
  std::mt19937 random(r.seed);
  for (std::size_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / r.sampleRate;
    const double tone = std::sin(2 * std::numbers::pi * r.frequency * t);
    double v = r.content == MediaContent::tone ? tone : 0;
    if (r.content == MediaContent::twoTones) v = 0.5 * tone + 0.5 * std::sin(2 * std::numbers::pi * r.frequency2 * t);
    for (int c = 0; c < r.channels; ++c) {
      // Raw generator bits, not a distribution: the same on every library.
      const double s = r.content == MediaContent::noise ? static_cast<double>(random()) / 2147483648.0 - 1.0 : v;
      pcm.push_back(static_cast<std::int16_t>(std::lround(std::clamp(s * (32767.0 * r.amplitude), -32768.0, 32767.0))));
    }
  }
  return pcm;
}

}  // namespace

std::string id3v2Tag(const MediaTags& tags, Id3Version version, Id3Encoding encoding, std::uint32_t padding) {
  if (version == Id3Version::none) return {};
  if (encoding == Id3Encoding::utf8 && version != Id3Version::v24)
    throw std::invalid_argument("UTF-8 text needs ID3v2.4");
  const bool v22 = version == Id3Version::v22;
  const std::pair<const char*, const std::string*> fields[] = {{v22 ? "TT2" : "TIT2", &tags.title},
                                                               {v22 ? "TP1" : "TPE1", &tags.artist},
                                                               {v22 ? "TAL" : "TALB", &tags.album},
                                                               {v22 ? "TCO" : "TCON", &tags.genre}};
  std::string frames;
  for (const auto& [id, text] : fields) {
    if (text->empty()) continue;
    const std::string body = frameText(*text, encoding);
    frames += id;
    putBigEndian(frames, static_cast<std::uint32_t>(body.size()), v22 ? 3 : 4, version == Id3Version::v24 ? 7 : 8);
    if (!v22) frames += std::string(2, '\0');  // flags
    frames += body;
  }
  frames += std::string(padding, '\0');
  std::string tag = "ID3";
  tag += static_cast<char>(v22 ? 2 : version == Id3Version::v23 ? 3 : 4);
  tag += std::string(2, '\0');  // revision, flags
  putBigEndian(tag, static_cast<std::uint32_t>(frames.size()), 4, 7);
  return tag + frames;
}

void runFfmpeg(const std::vector<std::string>& args) {
  std::vector<std::string> all = {"ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-y"};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, "ffmpeg", nullptr, nullptr, argv.data(), environ) != 0)
    throw std::runtime_error("cannot run ffmpeg");
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    throw std::runtime_error("ffmpeg failed: " + all.back());
}

void writeTestMedia(const std::string& path, const MediaRecipe& r) {
  static_assert(std::endian::native == std::endian::little, "the samples are handed to ffmpeg as s16le");
  if (r.channels < 1 || r.channels > 2 || r.sampleRate <= 0 || r.seconds < 0)
    throw std::invalid_argument("unsupported media description");
  const std::vector<std::int16_t> pcm = testMediaPcm(r);
  const std::string raw = path + ".pcm";
  writeFileBytes(raw, std::string(reinterpret_cast<const char*>(pcm.data()), pcm.size() * 2));
  // The samples go whether ffmpeg succeeds or not.
  const std::unique_ptr<const char, int (*)(const char*)> removeRaw(raw.c_str(), std::remove);

  const bool mp3 = r.format == MediaFormat::mp3Cbr || r.format == MediaFormat::mp3Vbr;
  const std::string encoded = mp3 && !r.muxerTags ? path + ".bare" : path;
  std::vector<std::string> args = {
      "-f", "s16le", "-ar", std::to_string(r.sampleRate), "-ac", std::to_string(r.channels)};
  args.insert(args.end(), {"-i", raw, "-map_metadata", "-1", "-fflags", "+bitexact", "-flags:a", "+bitexact"});
  const std::pair<const char*, const std::string*> keys[] = {
      {"title", &r.tags.title}, {"artist", &r.tags.artist}, {"album", &r.tags.album}, {"genre", &r.tags.genre}};
  for (const auto& [key, value] : keys)
    if ((!mp3 || r.muxerTags) && !value->empty()) args.insert(args.end(), {"-metadata", key + ("=" + *value)});
  const std::string kbps = std::to_string(r.bitrateKbps) + "k";
  switch (r.format) {
    case MediaFormat::mp3Cbr: args.insert(args.end(), {"-c:a", "libmp3lame", "-b:a", kbps}); break;
    case MediaFormat::mp3Vbr: args.insert(args.end(), {"-c:a", "libmp3lame", "-q:a", "4"}); break;
    case MediaFormat::flac: args.insert(args.end(), {"-c:a", "flac", "-f", "flac"}); break;
    case MediaFormat::vorbis: args.insert(args.end(), {"-c:a", "libvorbis", "-b:a", kbps, "-f", "ogg"}); break;
    case MediaFormat::opus: args.insert(args.end(), {"-c:a", "libopus", "-b:a", kbps, "-f", "ogg"}); break;
    // Without perceptual noise substitution: its decoder fills bands from a
    // random generator whose state depends on everything decoded before, so
    // no decoder can give the same samples after a seek as from the start.
    case MediaFormat::m4a:
      args.insert(args.end(),
                  {"-c:a", "aac", "-aac_pns", r.aacNoiseSubstitution ? "1" : "0", "-b:a", kbps, "-f", "ipod"});
      if (r.faststart) args.insert(args.end(), {"-movflags", "+faststart"});
      break;
  }
  if (mp3)
    args.insert(args.end(), {"-write_xing", r.xingHeader ? "1" : "0", "-id3v2_version", r.muxerTags ? "4" : "0",
                             "-write_id3v1", "0", "-f", "mp3"});
  args.push_back(encoded);
  runFfmpeg(args);
  if (encoded != path) {
    const std::string audio = readFileBytes(encoded);
    std::remove(encoded.c_str());
    writeFileBytes(path, id3v2Tag(r.tags, r.id3, r.encoding, r.id3Padding) + audio);
  }
}
