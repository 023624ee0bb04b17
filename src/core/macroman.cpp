#include "core/macroman.h"

#include "core/pstring.h"

namespace {

// Code points of Mac Roman 0x80..0xFF.
constexpr char32_t kHigh[128] = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1,  // 80
    0x00E0, 0x00E2, 0x00E4, 0x00E3, 0x00E5, 0x00E7, 0x00E9, 0x00E8,  // 88
    0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3,  // 90
    0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC,  // 98
    0x2020, 0x00B0, 0x00A2, 0x00A3, 0x00A7, 0x2022, 0x00B6, 0x00DF,  // A0
    0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8,  // A8
    0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5, 0x2202, 0x2211,  // B0
    0x220F, 0x03C0, 0x222B, 0x00AA, 0x00BA, 0x03A9, 0x00E6, 0x00F8,  // B8
    0x00BF, 0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB,  // C0
    0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153,  // C8
    0x2013, 0x2014, 0x201C, 0x201D, 0x2018, 0x2019, 0x00F7, 0x25CA,  // D0
    0x00FF, 0x0178, 0x2044, 0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02,  // D8
    0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1,  // E0
    0x00CB, 0x00C8, 0x00CD, 0x00CE, 0x00CF, 0x00CC, 0x00D3, 0x00D4,  // E8
    0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC,  // F0
    0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7,  // F8
};

constexpr std::array<std::uint8_t, 256> makeUpperTable() {
  std::array<std::uint8_t, 256> t{};
  for (int i = 0; i < 256; ++i) t[i] = static_cast<std::uint8_t>(i);
  for (int c = 'a'; c <= 'z'; ++c) t[c] = static_cast<std::uint8_t>(c - 'a' + 'A');
  // Accented lower-case letters of Mac Roman to their capitals.
  constexpr std::uint8_t pairs[][2] = {
      {0x87, 0xE7}, {0x88, 0xCB}, {0x89, 0xE5}, {0x8A, 0x80}, {0x8B, 0xCC}, {0x8C, 0x81}, {0x8D, 0x82}, {0x8E, 0x83},
      {0x8F, 0xE9}, {0x90, 0xE6}, {0x91, 0xE8}, {0x92, 0xEA}, {0x93, 0xED}, {0x94, 0xEB}, {0x95, 0xEC}, {0x96, 0x84},
      {0x97, 0xEE}, {0x98, 0xF1}, {0x99, 0xEF}, {0x9A, 0x85}, {0x9B, 0xCD}, {0x9C, 0xF2}, {0x9D, 0xF4}, {0x9E, 0xF3},
      {0x9F, 0x86}, {0xBE, 0xAE}, {0xBF, 0xAF}, {0xCF, 0xCE}, {0xD8, 0xD9},
  };
  for (const auto& p : pairs) t[p[0]] = p[1];
  return t;
}

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Decodes one UTF-8 sequence at s[i]; returns its length, 0 when invalid.
std::size_t decodeUtf8(std::string_view s, std::size_t i, char32_t& cp) {
  const auto b0 = static_cast<std::uint8_t>(s[i]);
  std::size_t n = 0;
  char32_t min = 0;
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  } else if ((b0 & 0xE0) == 0xC0) {
    n = 2, cp = b0 & 0x1F, min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    n = 3, cp = b0 & 0x0F, min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    n = 4, cp = b0 & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (i + n > s.size()) return 0;
  for (std::size_t k = 1; k < n; ++k) {
    const auto b = static_cast<std::uint8_t>(s[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return n;
}

}  // namespace

const std::array<std::uint8_t, 256> gUpperCaseTable = makeUpperTable();

std::string upperCaseMacRoman(std::string_view s) {
  std::string r(s);
  for (auto& c : r) c = static_cast<char>(gUpperCaseTable[static_cast<std::uint8_t>(c)]);
  return r;
}

char32_t macRomanToUnicode(std::uint8_t b) { return b < 0x80 ? b : kHigh[b - 0x80]; }

bool isMultiByteUtf8(std::string_view s) {
  bool multi = false;
  for (std::size_t i = 0; i < s.size();) {
    char32_t cp = 0;
    const std::size_t n = decodeUtf8(s, i, cp);
    if (n == 0) return false;
    if (n > 1) multi = true;
    i += n;
  }
  return multi;
}

std::string storedToDisplay(std::string_view stored) {
  if (isMultiByteUtf8(stored)) return std::string(stored);
  std::string out;
  out.reserve(stored.size() * 2);
  for (char c : stored) appendUtf8(out, macRomanToUnicode(static_cast<std::uint8_t>(c)));
  return out;
}

std::string displayToStored(std::string_view utf8) {
  std::string mac;
  mac.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t cp = 0;
    std::size_t n = decodeUtf8(utf8, i, cp);
    if (n == 0) return std::string(utf8);  // not UTF-8 at all: keep the bytes
    i += n;
    if (cp < 0x80) {
      mac += static_cast<char>(cp);
      continue;
    }
    int code = -1;
    for (int k = 0; k < 128; ++k)
      if (kHigh[k] == cp) {
        code = 0x80 + k;
        break;
      }
    if (code < 0) return std::string(utf8);  // a character Mac Roman lacks
    mac += static_cast<char>(code);
  }
  return mac;
}

std::string numText(std::int64_t n) {
  std::string t = n < 0 ? std::string() : std::string(1, ' ');
  t += std::to_string(n);
  return t;
}
