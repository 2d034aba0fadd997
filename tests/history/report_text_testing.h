// What the tests of the history report's text share: its lines, and the
// columns each takes on a terminal.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace kippfeld::test {

// The text's lines, without their line ends.
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// Columns a line takes: UTF-8 continuation bytes take none.
inline std::size_t Columns(const std::string& line) {
  std::size_t columns = 0;
  for (unsigned char byte : line) columns += (byte & 0xC0) != 0x80;
  return columns;
}

}  // namespace kippfeld::test
