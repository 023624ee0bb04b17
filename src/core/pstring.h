// Length-prefixed byte strings of fixed storage (Str255, Str63).
//
// A stored text is one length byte followed by its bytes in the fixed field.
// The length byte comes from files and tags and cannot be trusted, so every
// operation clamps it to the field's capacity: nothing here reads or writes
// past the field whatever the length byte says. Bytes after the text inside
// the field are left as they are (the database file carries them unchanged).
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>

template <std::size_t Capacity>
struct PString {
  static_assert(Capacity >= 1 && Capacity <= 255);
  static constexpr std::size_t kCapacity = Capacity;

  // No initialisers: the type stays trivial, so records holding it can be
  // block-copied and cleared as raw bytes. Value-initialise (Str255 s{}) for
  // an empty string.
  std::uint8_t len;
  std::uint8_t text[Capacity];

  // Number of text bytes that really lie inside the field.
  std::size_t size() const { return std::min<std::size_t>(len, Capacity); }
  bool empty() const { return size() == 0; }
  std::string_view view() const { return {reinterpret_cast<const char*>(text), size()}; }
  std::string str() const { return std::string(view()); }

  // Stores s, cut to the capacity. Bytes after the new text are untouched.
  void assign(std::string_view s) {
    const std::size_t n = std::min(s.size(), Capacity);
    if (n) std::memcpy(text, s.data(), n);
    len = static_cast<std::uint8_t>(n);
  }
  PString& operator=(std::string_view s) {
    assign(s);
    return *this;
  }
  // Appends as much of s as fits.
  void append(std::string_view s) {
    const std::size_t have = size();
    const std::size_t n = std::min(s.size(), Capacity - have);
    if (n) std::memcpy(text + have, s.data(), n);
    len = static_cast<std::uint8_t>(have + n);
  }
  // Whole-field clear: length 0 and every text byte zero.
  void clear() {
    len = 0;
    std::memset(text, 0, Capacity);
  }

  friend bool operator==(const PString& a, const PString& b) { return a.view() == b.view(); }
  friend bool operator==(const PString& a, std::string_view b) { return a.view() == b; }
};

using Str255 = PString<255>;
using Str63 = PString<63>;
static_assert(sizeof(Str255) == 256 && alignof(Str255) == 1);
static_assert(sizeof(Str63) == 64 && alignof(Str63) == 1);
static_assert(std::is_trivial_v<Str255> && std::is_standard_layout_v<Str255>);

inline Str255 makeStr255(std::string_view s) {
  Str255 r{};
  r.assign(s);
  return r;
}

// The program's number text: decimal digits, one blank before a number that is
// not negative ("Total Tunes: " + 12 reads "Total Tunes:  12").
std::string numText(std::int64_t n);
