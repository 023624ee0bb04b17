#include "tools/json.h"

#include <cmath>
#include <cstdio>

std::string jsonEscape(std::string_view s) {
  std::string r = "\"";
  for (char c : s) {
    const auto u = static_cast<unsigned char>(c);
    switch (c) {
      case '"': r += "\\\""; break;
      case '\\': r += "\\\\"; break;
      case '\n': r += "\\n"; break;
      case '\r': r += "\\r"; break;
      case '\t': r += "\\t"; break;
      default:
        if (u < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", u);
          r += buf;
        } else {
          r += c;
        }
    }
  }
  return r + "\"";
}

void JsonLine::startKey(std::string_view key) {
  if (out_.size() > 1) out_ += ',';
  out_ += jsonEscape(key);
  out_ += ':';
}

JsonLine& JsonLine::field(std::string_view key, std::string_view text) {
  startKey(key);
  out_ += jsonEscape(text);
  return *this;
}

JsonLine& JsonLine::field(std::string_view key, std::int64_t value) {
  startKey(key);
  out_ += std::to_string(value);
  return *this;
}

JsonLine& JsonLine::field(std::string_view key, double value) {
  startKey(key);
  if (!std::isfinite(value)) {
    out_ += "null";
  } else {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.17g", value);
    out_ += buf;
  }
  return *this;
}

JsonLine& JsonLine::raw(std::string_view key, std::string_view json) {
  startKey(key);
  out_ += json;
  return *this;
}
