// Arbitrary bytes as the content of a history file, through the reader and
// the `--history` report in both output styles. The file is the user's (or
// anyone's who could write to it), and the report goes to a terminal, so
// besides crashes this checks what keeps that safe and the report sound:
//  - no byte of the report or of a skipped line's message is a control
//    character but the report's line ends, so an escape sequence in the file
//    never reaches the terminal; in the ASCII style every byte is ASCII, in
//    the UTF-8 style the text is well-formed UTF-8 without C1 controls;
//  - every line of the report below its title fits 79 columns, and the
//    chart's bars start in one column on every row and on the axis;
//  - every record taken is one a results table could have listed (the
//    column ranges and sums the reader promises), and written out again it
//    reads back as the same record and the same line;
//  - every skipped line is named by a line number within the content, in
//    the order of the file, at most one message a line; the report names
//    the first 20 and counts the rest in one line;
//  - the content read in pieces gives the same records and problems.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "game/catalogue.h"
#include "game/history.h"
#include "history/report.h"

namespace {

namespace game = kippfeld::game;
namespace history = kippfeld::history;

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

// The report's title names the file; the rest of the lines have a width.
constexpr std::string_view kPlace = "/home/j\xc3\xbcrgen/.local/state/kippfeld/history.tsv";
constexpr std::size_t kWidth = 79;

// Decodes well-formed UTF-8 into code points; false on any ill-formed
// sequence (written here on its own, not taken from the code under test).
bool DecodeUtf8(std::string_view text, std::vector<char32_t>& codePoints) {
  codePoints.clear();
  for (std::size_t at = 0; at < text.size();) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 1;
    char32_t value = lead;
    char32_t lowest = 0;
    if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      value = lead & 0x07u;
      lowest = 0x10000;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      value = lead & 0x0Fu;
      lowest = 0x800;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      value = lead & 0x1Fu;
      lowest = 0x80;
    } else if (lead >= 0x80) {
      return false;
    }
    if (text.size() - at < length) return false;
    for (std::size_t i = 1; i < length; ++i) {
      const auto next = static_cast<unsigned char>(text[at + i]);
      if ((next & 0xC0u) != 0x80u) return false;
      value = (value << 6) | (next & 0x3Fu);
    }
    if (value < lowest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
    codePoints.push_back(value);
    at += length;
  }
  return true;
}

bool IsControl(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

// Text that goes to the terminal: nothing it could act on, line ends aside
// where they are allowed.
void CheckShown(std::string_view text, bool utf8, bool lineEnds) {
  std::vector<char32_t> codePoints;
  if (!utf8) {
    for (char byte : text) Check(static_cast<unsigned char>(byte) < 0x80);
  }
  Check(DecodeUtf8(text, codePoints));
  for (char32_t c : codePoints) Check((lineEnds && c == U'\n') || !IsControl(c));
}

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    lines.push_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

void CheckReport(const history::HistoryReport& report, const game::History& history, bool utf8) {
  CheckShown(report.out, utf8, true);
  Check(!report.out.empty() && report.out.back() == '\n');
  // The first skipped lines are named, the rest counted in one more line.
  const std::size_t named = std::min(history.problems.size(), history::kNamedProblems);
  Check(report.errors.size() == named + (history.problems.size() > named ? 1 : 0));
  for (const std::string& error : report.errors) CheckShown(error, utf8, false);

  const std::vector<std::string_view> lines = Lines(report.out);
  std::vector<char32_t> codePoints;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    Check(DecodeUtf8(lines[i], codePoints));
    Check(codePoints.size() <= kWidth);
  }

  // The chart's rows end in " |" and its axis in " +" at one column, so the
  // bars stand on the axis.
  std::size_t barsColumn = 0;
  for (std::string_view line : lines) {
    const std::size_t bar = line.find(" |");
    const std::size_t axis = line.find(" +-");
    const std::size_t at = bar != std::string_view::npos ? bar : axis;
    if (at == std::string_view::npos || line.substr(0, 2) != "  ") continue;
    if (barsColumn == 0) barsColumn = at;
    Check(at == barsColumn);
  }
}

// What the reader promises about a record it takes.
void CheckRecord(const game::TestRecord& record) {
  Check(record.started.size() == 25 && record.started[10] == 'T');
  for (char c : record.started) Check(c >= 0x20 && c < 0x7F);
  Check(record.tasks >= 0 && record.tasks <= game::kTaskCount);
  Check(record.taskTime[0] == 0 && record.taskMoves[0] == 0);
  long long moves = 0;
  for (int k = 1; k <= game::kTaskCount; ++k) {
    const long double time = record.taskTime[k];
    Check(time >= 0 && time <= game::kMostTaskSeconds);
    // Whole tenths, as the table lists them.
    Check(std::fabs(time * 10 - std::nearbyint(time * 10)) < 1e-9L);
    Check(record.taskMoves[k] >= 0 && record.taskMoves[k] <= game::kMostMoves);
    // Only a completed task has a time, only a reached one moves.
    if (k > record.tasks) Check(time == 0);
    if (k > record.tasks + 1) Check(record.taskMoves[k] == 0);
    moves += record.taskMoves[k];
  }
  // The total's count stops where a float stops counting.
  Check(record.moves == std::min(moves, game::kMostMoves));
  Check(record.time >= 0 && record.time <= game::kMostTotalSeconds);
}

// Written out and read back, a record stays itself.
void CheckRoundTrip(const game::TestRecord& record) {
  const std::string line = game::HistoryLine(record);
  Check(std::count(line.begin(), line.end(), '\n') == 1 && line.back() == '\n');
  Check(game::HistoryLineFault(std::string_view(line).substr(0, line.size() - 1)).empty());
  const game::History again = game::ParseHistory(line);
  Check(again.problems.empty());
  Check(again.records.size() == 1);
  const game::TestRecord& read = again.records[0];
  Check(read.started == record.started);
  Check(read.tasks == record.tasks);
  Check(read.moves == record.moves);
  Check(read.taskTime == record.taskTime);
  Check(read.taskMoves == record.taskMoves);
  // The total is a float and goes out at its own seven digits, so the line
  // it gives is what must stay.
  Check(game::HistoryLine(read) == line);
}

void CheckProblems(const game::History& history, std::string_view content) {
  long long lineCount = std::count(content.begin(), content.end(), '\n');
  if (!content.empty() && content.back() != '\n') ++lineCount;
  Check(static_cast<long long>(history.records.size() + history.problems.size()) <= lineCount);
  long long previous = 0;
  for (const game::HistoryProblem& problem : history.problems) {
    Check(problem.line > previous && problem.line <= lineCount);
    previous = problem.line;
    Check(!problem.reason.empty());
    for (char c : problem.reason) Check(c >= 0x20 && c < 0x7F);
    for (char c : problem.kind) Check(c >= 0x20 && c < 0x7F);
  }
}

}  // namespace

// The content in pieces cut wherever the input's first byte says reads as
// the whole of it did.
void CheckPieces(const game::History& history, std::string_view content) {
  const std::size_t step = content.empty() ? 1 : 1 + static_cast<unsigned char>(content[0]) % 64;
  std::size_t records = 0;
  std::vector<game::HistoryProblem> problems;
  game::HistoryReader reader([&](const game::TestRecord&) { ++records; },
                             [&](const game::HistoryProblem& p) { problems.push_back(p); });
  for (std::size_t at = 0; at < content.size(); at += step) reader.Read(content.substr(at, step));
  reader.Finish();
  Check(records == history.records.size());
  Check(problems.size() == history.problems.size());
  for (std::size_t i = 0; i < problems.size(); ++i) {
    Check(problems[i].line == history.problems[i].line);
    Check(problems[i].reason == history.problems[i].reason);
  }
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view content(reinterpret_cast<const char*>(data), size);
  const game::History history = game::ParseHistory(content);
  CheckProblems(history, content);
  CheckPieces(history, content);
  for (const game::TestRecord& record : history.records) {
    CheckRecord(record);
    CheckRoundTrip(record);
  }
  for (bool utf8 : {false, true}) {
    CheckReport(history::ReportHistory(kPlace, content, history::ReportStyle{utf8}), history, utf8);
    CheckShown(game::PrintableText(content, utf8), utf8, false);
  }
  return 0;
}
