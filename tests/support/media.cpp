#include "support/media.h"

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <random>
#include <stdexcept>

#include "support/temp_dir.h"

extern char** environ;

namespace {

// Code points of a UTF-8 text; a malformed byte stands for itself.
std::vector<char32_t> codePoints(const std::string& text) {
  std::vector<char32_t> out;
  for (std::size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    const int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
    if (extra == 0 || i + static_cast<std::size_t>(extra) >= text.size()) {
      out.push_back(b);
      ++i;
      continue;
    }
    char32_t c = b & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    out.push_back(c);
    i += static_cast<std::size_t>(extra) + 1;
  }
  return out;
}

void putUtf16(std::string& out, char32_t c, bool little) {
  auto unit = [&](std::uint16_t u) {
    const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
    out += little ? lo : hi;
    out += little ? hi : lo;
  };
  if (c >= 0x10000) {
    c -= 0x10000;
    unit(static_cast<std::uint16_t>(0xD800 + (c >> 10)));
    unit(static_cast<std::uint16_t>(0xDC00 + (c & 0x3FF)));
  } else {
    unit(static_cast<std::uint16_t>(c));
  }
}

// Encoding byte and text of one text frame.
std::string frameText(const std::string& text, Id3Encoding encoding) {
  std::string out;
  switch (encoding) {
    case Id3Encoding::latin1:
      out += '\0';
      for (const char32_t c : codePoints(text)) out += static_cast<char>(c <= 0xFF ? c : '?');
      break;
    case Id3Encoding::utf16le:
    case Id3Encoding::utf16be: {
      const bool little = encoding == Id3Encoding::utf16le;
      out += '\1';
      putUtf16(out, 0xFEFF, little);
      for (const char32_t c : codePoints(text)) putUtf16(out, c, little);
      break;
    }
    case Id3Encoding::utf8:
      out += '\3';
      out += text;
      break;
  }
  return out;
}

void putBigEndian(std::string& out, std::uint32_t v, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

void putSyncsafe(std::string& out, std::uint32_t v) {
  for (int i = 3; i >= 0; --i) out += static_cast<char>((v >> (7 * i)) & 0x7F);
}

}  // namespace

std::string id3v2Tag(const MediaTags& tags, Id3Version version, Id3Encoding encoding, std::uint32_t padding) {
  if (version == Id3Version::none) return {};
  if (encoding == Id3Encoding::utf8 && version != Id3Version::v24)
    throw std::invalid_argument("UTF-8 text needs ID3v2.4");
  const bool v22 = version == Id3Version::v22;
  const struct {
    const char* id22;
    const char* id;
    const std::string& text;
  } fields[] = {{"TT2", "TIT2", tags.title},
                {"TP1", "TPE1", tags.artist},
                {"TAL", "TALB", tags.album},
                {"TCO", "TCON", tags.genre}};
  std::string frames;
  for (const auto& f : fields) {
    if (f.text.empty()) continue;
    const std::string body = frameText(f.text, encoding);
    const auto size = static_cast<std::uint32_t>(body.size());
    if (v22) {
      frames += f.id22;
      putBigEndian(frames, size, 3);
    } else {
      frames += f.id;
      if (version == Id3Version::v24)
        putSyncsafe(frames, size);
      else
        putBigEndian(frames, size, 4);
      frames += std::string(2, '\0');  // flags
    }
    frames += body;
  }
  frames += std::string(padding, '\0');
  std::string tag = "ID3";
  tag += static_cast<char>(v22 ? 2 : version == Id3Version::v23 ? 3 : 4);
  tag += '\0';  // revision
  tag += '\0';  // flags
  putSyncsafe(tag, static_cast<std::uint32_t>(frames.size()));
  return tag + frames;
}

std::vector<std::int16_t> testMediaPcm(const MediaRecipe& recipe) {
  const auto frames = static_cast<std::size_t>(std::llround(recipe.seconds * recipe.sampleRate));
  const auto channels = static_cast<std::size_t>(recipe.channels);
  std::vector<std::int16_t> pcm(frames * channels, 0);
  const double scale = 32767.0 * recipe.amplitude;
  std::mt19937 random(recipe.seed);
  for (std::size_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / recipe.sampleRate;
    double v = 0;
    switch (recipe.content) {
      case MediaContent::tone: v = std::sin(2 * std::numbers::pi * recipe.frequency * t); break;
      case MediaContent::twoTones:
        v = 0.5 * std::sin(2 * std::numbers::pi * recipe.frequency * t) +
            0.5 * std::sin(2 * std::numbers::pi * recipe.frequency2 * t);
        break;
      case MediaContent::noise: break;
      case MediaContent::silence: break;
    }
    for (std::size_t c = 0; c < channels; ++c) {
      double s = v;
      // Raw generator bits, not a distribution: the same on every library.
      if (recipe.content == MediaContent::noise) s = static_cast<double>(random()) / 2147483648.0 - 1.0;
      pcm[i * channels + c] = static_cast<std::int16_t>(std::lround(std::clamp(s * scale, -32768.0, 32767.0)));
    }
  }
  return pcm;
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

void writeTestMedia(const std::string& path, const MediaRecipe& recipe) {
  if (recipe.channels < 1 || recipe.channels > 2 || recipe.sampleRate <= 0 || recipe.seconds < 0)
    throw std::invalid_argument("unsupported media description");
  const std::vector<std::int16_t> pcm = testMediaPcm(recipe);
  const std::string raw = path + ".pcm";
  std::string bytes(pcm.size() * 2, '\0');
  for (std::size_t i = 0; i < pcm.size(); ++i) {
    const auto u = static_cast<std::uint16_t>(pcm[i]);
    bytes[2 * i] = static_cast<char>(u & 0xFF);
    bytes[2 * i + 1] = static_cast<char>(u >> 8);
  }
  writeFileBytes(raw, bytes);

  const bool mp3 = recipe.format == MediaFormat::mp3Cbr || recipe.format == MediaFormat::mp3Vbr;
  const std::string encoded = mp3 && !recipe.muxerTags ? path + ".bare" : path;
  std::vector<std::string> args = {"-f",
                                   "s16le",
                                   "-ar",
                                   std::to_string(recipe.sampleRate),
                                   "-ac",
                                   std::to_string(recipe.channels),
                                   "-i",
                                   raw,
                                   "-map_metadata",
                                   "-1",
                                   "-fflags",
                                   "+bitexact",
                                   "-flags:a",
                                   "+bitexact"};
  const bool ownTags = !mp3 || recipe.muxerTags;
  if (ownTags) {
    const std::pair<const char*, const std::string*> keys[] = {{"title", &recipe.tags.title},
                                                               {"artist", &recipe.tags.artist},
                                                               {"album", &recipe.tags.album},
                                                               {"genre", &recipe.tags.genre}};
    for (const auto& [key, value] : keys)
      if (!value->empty()) args.insert(args.end(), {"-metadata", std::string(key) + "=" + *value});
  }
  if (mp3) {
    args.insert(args.end(), {"-c:a", "libmp3lame"});
    if (recipe.format == MediaFormat::mp3Cbr)
      args.insert(args.end(), {"-b:a", std::to_string(recipe.bitrateKbps) + "k"});
    else
      args.insert(args.end(), {"-q:a", std::to_string(recipe.vbrQuality)});
    args.insert(args.end(), {"-write_xing", recipe.xingHeader ? "1" : "0", "-id3v2_version",
                             recipe.muxerTags ? "4" : "0", "-write_id3v1", "0", "-f", "mp3", encoded});
  } else if (recipe.format == MediaFormat::flac) {
    args.insert(args.end(), {"-c:a", "flac", "-f", "flac", encoded});
  } else if (recipe.format == MediaFormat::vorbis) {
    args.insert(args.end(),
                {"-c:a", "libvorbis", "-b:a", std::to_string(recipe.bitrateKbps) + "k", "-f", "ogg", encoded});
  } else if (recipe.format == MediaFormat::opus) {
    args.insert(args.end(),
                {"-c:a", "libopus", "-b:a", std::to_string(recipe.bitrateKbps) + "k", "-f", "ogg", encoded});
  } else {
    // Without perceptual noise substitution: its decoder fills bands from a
    // random generator whose state depends on everything decoded before, so
    // no decoder can give the same samples after a seek as from the start.
    args.insert(args.end(), {"-c:a", "aac", "-aac_pns", recipe.aacNoiseSubstitution ? "1" : "0", "-b:a",
                             std::to_string(recipe.bitrateKbps) + "k"});
    if (recipe.faststart) args.insert(args.end(), {"-movflags", "+faststart"});
    args.insert(args.end(), {"-f", "ipod", encoded});
  }
  try {
    runFfmpeg(args);
  } catch (...) {
    std::remove(raw.c_str());
    throw;
  }
  std::remove(raw.c_str());
  if (encoded != path) {
    const std::string audio = readFileBytes(encoded);
    std::remove(encoded.c_str());
    writeFileBytes(path, id3v2Tag(recipe.tags, recipe.id3, recipe.encoding, recipe.id3Padding) + audio);
  }
}
