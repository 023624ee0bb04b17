#include "engine/text.h"

#include <algorithm>

#include "core/macroman.h"

namespace {

constexpr std::size_t kMaxText = 255;

struct Fold {
  std::uint8_t first, second, result;
};

// UTF-8 forms of accented letters and guillemets and their Mac Roman codes;
// applied in this order.
constexpr Fold kFolds[] = {
    {0xC3, 0xB1, 0x96}, {0xC3, 0xAA, 0x90}, {0xC3, 0xA7, 0x8D}, {0xC3, 0xA3, 0x8B}, {0xC2, 0xB4, 0x27},
    {0xC3, 0xB4, 0x99}, {0xC3, 0xA8, 0x8F}, {0xC3, 0xA0, 0x88}, {0x80, 0x80, 0x20}, {0xC3, 0x89, 0x83},
    {0xC8, 0xA8, 0x45}, {0xC3, 0x96, 0x85}, {0xC2, 0xAB, 0xC7}, {0xC5, 0x99, 0x72}, {0xC2, 0xBB, 0xC8},
    {0xC3, 0x98, 0xAF}, {0xC3, 0xA9, 0x8E}, {0xC3, 0xA2, 0x89}, {0xC3, 0xA1, 0x87}, {0xC3, 0xB3, 0x97},
    {0xC3, 0xAD, 0x92}, {0xC3, 0xB2, 0x98}, {0xC3, 0x81, 0xE7}, {0xC3, 0xBA, 0x9C}, {0xC3, 0x82, 0xE5},
};

}  // namespace

std::string ReplaceStringOut(std::string_view text, std::string_view pair, std::string_view replacement) {
  std::string out;
  out.reserve(std::min(text.size(), kMaxText));
  for (std::size_t i = 0; i < text.size() && out.size() < kMaxText;) {
    if (pair.size() >= 2 && i + 1 < text.size() && text[i] == pair[0] && text[i + 1] == pair[1]) {
      out.append(replacement.substr(0, kMaxText - out.size()));
      i += 2;
    } else {
      out += text[i++];
    }
  }
  return out;
}

std::string convertToProperPascalString(std::string_view text) {
  std::string s(text.substr(0, kMaxText));
  for (auto& c : s)
    if (static_cast<std::uint8_t>(c) == 0xF1) c = static_cast<char>(0x96);
  for (const Fold& f : kFolds) {
    const char pair[2] = {static_cast<char>(f.first), static_cast<char>(f.second)};
    const char result = static_cast<char>(f.result);
    s = ReplaceStringOut(s, std::string_view(pair, 2), std::string_view(&result, 1));
  }
  return s;
}

std::string stripIt(std::string_view text) {
  std::string key;
  for (char c : text) {
    const auto b = static_cast<std::uint8_t>(c);
    if (b > 44 && b < 123) key += c;
  }
  return upperCaseMacRoman(key);
}

std::int32_t Replace(std::vector<std::uint8_t>& block, std::int32_t offset, std::string_view find,
                     std::string_view replacement) {
  if (offset < 0 || static_cast<std::size_t>(offset) > block.size() || find.empty()) return -1;
  const auto it = std::search(block.begin() + offset, block.end(), find.begin(), find.end(),
                              [](std::uint8_t a, char b) { return a == static_cast<std::uint8_t>(b); });
  if (it == block.end()) return -1;
  const auto at = static_cast<std::size_t>(it - block.begin());
  if (replacement != find) {
    block.erase(block.begin() + static_cast<std::ptrdiff_t>(at),
                block.begin() + static_cast<std::ptrdiff_t>(at + find.size()));
    block.insert(block.begin() + static_cast<std::ptrdiff_t>(at), replacement.begin(), replacement.end());
  }
  return static_cast<std::int32_t>(at + replacement.size());
}

std::int32_t ReplaceString(std::string_view text, std::int32_t offset, std::string_view find,
                           std::string_view replacement) {
  std::vector<std::uint8_t> copy(text.begin(), text.end());
  const std::int32_t r = Replace(copy, offset, find, replacement);
  return r < 0 ? -1 : r;
}
