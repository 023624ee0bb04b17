// Text routines shared by the tag readers, the classifier, the playlists and
// the evaluation: folding tag text to Mac Roman, keys, searches.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Folds the accented letters that occur in tags (Latin-1 n-tilde and 25
// UTF-8 pairs) into their Mac Roman codes. At most 255 bytes.
std::string convertToProperPascalString(std::string_view text);

// Replaces every occurrence of the two bytes `pair` (only its first two bytes
// count) by `replacement`, walking from the first byte. At most 255 bytes.
std::string ReplaceStringOut(std::string_view text, std::string_view pair, std::string_view replacement);

// Key text: bytes 45..122 kept, everything else dropped, then upper-cased.
std::string stripIt(std::string_view text);

// Searches `block` from `offset` for `find`; when found, replaces it in place
// by `replacement` (the block grows or shrinks) and returns the offset just
// past the replacement. Negative when not found or when offset lies outside.
std::int32_t Replace(std::vector<std::uint8_t>& block, std::int32_t offset, std::string_view find,
                     std::string_view replacement);

// The same on a private copy of `text`: only the position is returned (-1
// when not found). Used as a substring test.
std::int32_t ReplaceString(std::string_view text, std::int32_t offset, std::string_view find,
                           std::string_view replacement);
