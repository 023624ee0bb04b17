// The Mac Roman character set: upper-casing and conversion for display.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// 256-entry upper-case table: a-z and the Mac Roman accented lower-case
// letters map to their capitals, every other code to itself.
extern const std::array<std::uint8_t, 256> gUpperCaseTable;

std::string upperCaseMacRoman(std::string_view s);

// Unicode code point of a Mac Roman byte.
char32_t macRomanToUnicode(std::uint8_t b);

// True when s is valid UTF-8 and holds at least one multi-byte sequence.
bool isMultiByteUtf8(std::string_view s);

// Text for display: stored bytes that are valid multi-byte UTF-8 are shown as
// UTF-8; anything else is decoded as Mac Roman.
std::string storedToDisplay(std::string_view stored);

// Text typed by the user (UTF-8) back to stored bytes: Mac Roman where every
// character has a Mac Roman code, else the UTF-8 bytes themselves.
std::string displayToStored(std::string_view utf8);
