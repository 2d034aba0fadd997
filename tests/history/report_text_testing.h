// What the tests of the history report's text share: its lines, the
// columns each takes on a terminal, and tests made up for it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "game/history.h"

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

// A test that completed `tasks` tasks, each in `seconds` and `moves`.
inline game::TestRecord Played(int tasks, long double seconds, long long moves,
                               const char* started) {
  game::TestRecord record;
  record.started = started;
  record.tasks = tasks;
  for (int k = 1; k <= tasks; ++k) {
    record.taskTime[k] = seconds;
    record.taskMoves[k] = moves;
    record.time = static_cast<float>(record.time + seconds);
    record.moves += moves;
  }
  return record;
}

}  // namespace kippfeld::test
