// A small writer of one-line JSON objects for the tool's output.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

class JsonLine {
 public:
  JsonLine& field(std::string_view key, std::string_view text);  // UTF-8 text
  JsonLine& field(std::string_view key, std::int64_t value);
  JsonLine& field(std::string_view key, double value);
  template <typename T>
  JsonLine& array(std::string_view key, std::span<const T> values) {
    startKey(key);
    out_ += '[';
    for (std::size_t i = 0; i < values.size(); ++i) {
      if (i) out_ += ',';
      out_ += std::to_string(static_cast<std::int64_t>(values[i]));
    }
    out_ += ']';
    return *this;
  }
  // Inserts an already formed JSON value.
  JsonLine& raw(std::string_view key, std::string_view json);
  std::string str() const { return out_ + "}"; }

 private:
  void startKey(std::string_view key);
  std::string out_ = "{";
};

std::string jsonEscape(std::string_view utf8);
