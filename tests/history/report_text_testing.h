// What the tests of the history report's text share: its lines, the
// columns each takes on a terminal, tests made up for it, a file for it to
// read and the history command run on that.
#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "game/history.h"
#include "history/report.h"
#include "history/source.h"

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

// A history (or drill) file of fixed content, handed over in two pieces as
// a reader may get it.
class FixedSource : public history::HistorySource {
 public:
  using HistoryRead = platform::HistoryRead;
  FixedSource() = default;
  FixedSource(std::string at, std::string content, HistoryRead outcome = HistoryRead::kRead)
      : place(std::move(at)), file(std::move(content)), result(outcome) {}
  std::string Place() override { return place; }
  HistoryRead Read(const std::function<bool(std::string_view)>& take, std::string& why) override {
    why = reason;
    if (result == HistoryRead::kRead && take(std::string_view(file).substr(0, file.size() / 2))) {
      take(std::string_view(file).substr(file.size() / 2));
    }
    return result;
  }

  std::string place = "/h/history.tsv";
  std::string file;
  HistoryRead result = HistoryRead::kRead;
  std::string reason;
};

// The history command's status, standard output and standard error.
struct CommandRun {
  int status = -1;
  std::string out;
  std::string err;
};

inline std::string Contents(std::FILE* file) {
  std::string text;
  std::rewind(file);
  for (int c; (c = std::fgetc(file)) != EOF;) text += static_cast<char>(c);
  std::fclose(file);
  return text;
}

// Runs the command with standard output and error in temporary files.
inline CommandRun RunCommand(history::HistorySource& tests,
                             history::HistorySource* drills = nullptr) {
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  CommandRun run;
  run.status = history::RunHistoryCommand(tests, {false}, out, err, drills);
  run.out = Contents(out);
  run.err = Contents(err);
  return run;
}

}  // namespace kippfeld::test
