#include "game/history.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "console/numbers.h"
#include "game/results.h"
#include "platform/utf8.h"
#include "words/words.h"

namespace kippfeld::game {

namespace {

// A total and the counts are a float's own value, the listed times
// computed, as the table writes them.
using console::kComputedDigits;
using console::kStoredDigits;

// Longer number texts are absurd for any column; shorter ones cannot
// overflow while they are read.
constexpr std::size_t kLongestNumber = 12;
// A record's line is at most some 370 bytes: the date, 27 numbers of at
// most kLongestNumber digits, the tabs and a CR. A longer line is skipped
// as it comes, without being kept.
constexpr std::size_t kLongestLine = 1024;

constexpr std::string_view kDateExample = "2025-03-14T09:26:53+01:00";
constexpr const char* kTooManyMoves = N_("{1} is more moves than the game counts");
constexpr std::size_t kShownFieldLength = 30;

// The table's number text form without its sign place and trailing blank.
std::string NumberText(long double value, int digits) {
  std::string text = console::FormatNumber(value, digits);
  text.erase(0, 1);
  text.pop_back();
  if (text.front() == '.') text.insert(0, 1, '0');
  return text;
}

// Built once: the reader names a column in every reason it gives.
const std::array<std::string, kHistoryColumns>& ColumnNames() {
  static const std::array<std::string, kHistoryColumns> names = [] {
    std::array<std::string, kHistoryColumns> list = {"started", "tasks", "time_s", "moves"};
    for (int k = 1; k <= kTaskCount; ++k) {
      // Built by appending: GCC 12 warns falsely (-Wrestrict) on "literal" + string.
      std::string task = std::string(1, 't').append(std::to_string(k));
      list[static_cast<std::size_t>(2 + 2 * k)] = std::string(task).append("_s");
      list[static_cast<std::size_t>(3 + 2 * k)] = std::string(task).append("_moves");
    }
    return list;
  }();
  return names;
}

std::size_t TimeColumn(int task) {
  return 2 + 2 * static_cast<std::size_t>(task);
}

std::size_t MovesColumn(int task) {
  return TimeColumn(task) + 1;
}

bool IsControl(char32_t codePoint) {
  return codePoint < 0x20 || (codePoint >= 0x7F && codePoint <= 0x9F);
}

std::string Hex(unsigned char byte) {
  constexpr std::string_view kDigits = "0123456789ABCDEF";
  std::string text = "0x";
  text += kDigits[byte >> 4];
  text += kDigits[byte & 15];
  return text;
}

// A field as a reason shows it: printable ASCII only, and not too long.
std::string Shown(std::string_view field) {
  std::string text = PrintableText(field.substr(0, kShownFieldLength), false);
  if (field.size() > kShownFieldLength) text += "...";
  return "\"" + text + "\"";
}

// Why a line is skipped, and the same without what is particular to it.
struct Fault {
  std::string reason;
  std::string kind;
};

// Both the same: nothing in the reason is particular to the line.
Fault Plain(std::string text) {
  Fault fault{text, std::move(text)};
  return fault;
}

// Why the line cannot be read as text at all, or no reason when it can: a
// control character (the tab between columns aside) or a byte that is not
// UTF-8. Positions count bytes from 1.
Fault TextFault(std::string_view line) {
  for (std::size_t at = 0; at < line.size();) {
    unsigned char lead = static_cast<unsigned char>(line[at]);
    // Printable ASCII, nearly every byte of a sound line, needs no decoding.
    if (lead >= 0x20 && lead < 0x7F) {
      ++at;
      continue;
    }
    char32_t codePoint = 0;
    std::size_t length = platform::Utf8Length(line, at, codePoint);
    std::string position = std::to_string(at + 1);
    if (length == 0) {
      // TRANSLATORS: {1} is the byte in hex (0xFF), {2} its position.
      return {words::Fill(_("not UTF-8 (byte {1} at byte {2})"), {Hex(lead), position}),
              _("not UTF-8")};
    }
    if (codePoint == 0) {
      return {words::Fill(_("a NUL byte at byte {1}"), {position}), _("a NUL byte")};
    }
    if (codePoint != '\t' && IsControl(codePoint)) {
      std::string hex = Hex(static_cast<unsigned char>(codePoint & 0xFF));
      return {words::Fill(_("a control character ({1} at byte {2})"), {hex, position}),
              _("a control character")};
    }
    at += length;
  }
  return {};
}

bool AllDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int TwoDigits(std::string_view text, std::size_t at) {
  return (text[at] - '0') * 10 + (text[at + 1] - '0');
}

int DaysInMonth(int year, int month) {
  static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

// YYYY-MM-DDTHH:MM:SS+HH:MM (or -HH:MM), each part in its range: whatever
// the game's clock can give. A clock without a battery may start in 1970 in
// a zone west of UTC, that is in 1969, and the offset is whatever TZ says,
// within a day.
bool IsDateTime(std::string_view text) {
  if (text.size() != kDateExample.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char pattern = kDateExample[i];
    bool digit = text[i] >= '0' && text[i] <= '9';
    if (pattern >= '0' && pattern <= '9') {
      if (!digit) return false;
    } else if (pattern == '+') {
      if (text[i] != '+' && text[i] != '-') return false;
    } else if (text[i] != pattern) {
      return false;
    }
  }
  int year = TwoDigits(text, 0) * 100 + TwoDigits(text, 2);
  int month = TwoDigits(text, 5);
  int day = TwoDigits(text, 8);
  return month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(year, month) &&
         TwoDigits(text, 11) <= 23 && TwoDigits(text, 14) <= 59 && TwoDigits(text, 17) <= 60 &&
         TwoDigits(text, 20) <= 23 && TwoDigits(text, 23) <= 59;
}

// The drill file's columns; its reasons name them as the history's do.
const std::array<std::string, kHistoryColumns>& DrillColumnNames() {
  static const std::array<std::string, kHistoryColumns> names = {"started", "task", "time_s",
                                                                 "moves"};
  return names;
}

using Columns = std::array<std::string_view, kHistoryColumns>;

// Reads the columns of one line into a record; the fault when a column is
// not sound.
class LineReader {
 public:
  explicit LineReader(const Columns& columns,
                      const std::array<std::string, kHistoryColumns>& names = ColumnNames())
      : columns_(columns), names_(names) {}

  // A drill round: one task, its time and its moves, by the same rules as a
  // test's columns.
  Fault ReadDrill(DrillRecord& record) {
    if (!IsDateTime(columns_[0])) {
      return {words::Fill(_("started: {1} is not a date and time like {2}"),
                          {Shown(columns_[0]), kDateExample}),
              _("started: not a date and time")};
    }
    record.started = std::string(columns_[0]);
    long long task = 0;
    if (!Count(1, kTaskCount, N_("{1} is more than the 12 tasks there are"), task)) return fault_;
    if (task == 0) {
      Fail(1, _("0 is no task's number"), _("0 is no task's number"));
      return fault_;
    }
    record.task = static_cast<int>(task);
    if (!Seconds(2, kMostTaskSeconds, N_("{1} seconds is more than a task can take ({2})"), true,
                 record.time)) {
      return fault_;
    }
    if (!Count(3, kMostMoves, kTooManyMoves, record.moves)) return fault_;
    return {};
  }

  Fault Read(TestRecord& record) {
    if (!IsDateTime(columns_[0])) {
      // TRANSLATORS: "started" is the column's name in the file; {1} is
      // what the column holds, {2} an example of a date and time.
      return {words::Fill(_("started: {1} is not a date and time like {2}"),
                          {Shown(columns_[0]), kDateExample}),
              _("started: not a date and time")};
    }
    record.started = std::string(columns_[0]);
    long long tasks = 0;
    long long moves = 0;
    long double time = 0;
    if (!Count(1, kTaskCount, N_("{1} is more than the 12 tasks there are"), tasks)) return fault_;
    record.tasks = static_cast<int>(tasks);
    // A total is a float sum of tenths, so it need not be whole tenths itself.
    if (!Seconds(2, kMostTotalSeconds, N_("{1} seconds is more than twelve tasks can take ({2})"),
                 false, time)) {
      return fault_;
    }
    if (!Count(3, kMostMoves, kTooManyMoves, moves)) return fault_;
    record.time = static_cast<float>(time);
    record.moves = moves;
    for (int k = 1; k <= kTaskCount; ++k) {
      if (!Seconds(TimeColumn(k), kMostTaskSeconds,
                   N_("{1} seconds is more than a task can take ({2})"), true,
                   record.taskTime[k])) {
        return fault_;
      }
      if (!Count(MovesColumn(k), kMostMoves, kTooManyMoves, record.taskMoves[k])) return fault_;
    }
    return Consistency(record);
  }

 private:
  // The column's name (as the file's header has it) before what is wrong.
  bool Fail(std::size_t at, std::string_view detail, std::string_view kind) {
    const std::string& name = names_[at];
    // TRANSLATORS: {1} is a column's name in the file (t3_s), {2} what is
    // wrong with it.
    const char* form = _("{1}: {2}");
    fault_ = {words::Fill(form, {name, detail}), words::Fill(form, {name, kind})};
    return false;
  }

  // tooMany is a marked text: {1} the number, and where a {2} follows, the
  // most there can be.
  bool Count(std::size_t at, long long most, const char* tooMany, long long& value) {
    std::string_view text = columns_[at];
    if (!text.empty() && text[0] == '-' && AllDigits(text.substr(1))) {
      return Fail(at, words::Fill(_("{1} is negative"), {Shown(text)}), _("negative"));
    }
    if (!AllDigits(text)) {
      return Fail(at, words::Fill(_("{1} is not a whole number"), {Shown(text)}),
                  _("not a whole number"));
    }
    if (text.size() > kLongestNumber) {
      return Fail(at, words::Fill(_(tooMany), {Shown(text)}), _("too large"));
    }
    value = 0;
    for (char digit : text) value = value * 10 + (digit - '0');
    if (value > most) {
      return Fail(at, words::Fill(_(tooMany), {text}) + " (" + std::to_string(most) + ")",
                  _("too large"));
    }
    return true;
  }

  // Seconds: digits with at most one point, as the table lists them.
  // tooMuch is a marked text: {1} the number, {2} the most there can be.
  bool Seconds(std::size_t at, long double most, const char* tooMuch, bool wholeTenths,
               long double& value) {
    std::string_view text = columns_[at];
    std::string_view digits = text;
    bool negative = !digits.empty() && digits[0] == '-';
    if (negative) digits.remove_prefix(1);
    std::size_t point = digits.find('.');
    std::string_view whole = digits.substr(0, point);
    std::string_view fraction =
        point == std::string_view::npos ? std::string_view{} : digits.substr(point + 1);
    bool number = (whole.empty() || AllDigits(whole)) &&
                  (point == std::string_view::npos ? !whole.empty() : AllDigits(fraction));
    if (!number) {
      return Fail(at, words::Fill(_("{1} is not a number of seconds"), {Shown(text)}),
                  _("not a number of seconds"));
    }
    if (negative) return Fail(at, words::Fill(_("{1} is negative"), {Shown(text)}), _("negative"));
    if (text.size() > kLongestNumber) {
      return Fail(at, words::Fill(_("{1} is too long"), {Shown(text)}), _("too long"));
    }
    value = console::ParseNumber(text);
    if (value > most) {
      // The bound in the words' own number form; the column's text as the
      // file has it.
      std::string bound = NumberText(most, kComputedDigits);
      if (std::size_t point = bound.find('.'); point != std::string::npos) {
        bound.replace(point, 1, words::DecimalSeparator());
      }
      return Fail(at, words::Fill(_(tooMuch), {text, bound}), _("too large"));
    }
    std::string_view fractionDigits = fraction.substr(0, fraction.find_last_not_of('0') + 1);
    if (wholeTenths && fractionDigits.size() > 1) {
      return Fail(at, words::Fill(_("{1} is not a whole number of tenths"), {text}),
                  _("not a whole number of tenths"));
    }
    return true;
  }

  // The columns must fit together the way one results table's do.
  Fault Consistency(const TestRecord& record) {
    long long moves = 0;
    std::array<float, kEntryCount> times{};
    for (int k = 1; k <= kTaskCount; ++k) {
      std::string tasks = std::to_string(record.tasks);
      if (k > record.tasks && record.taskTime[k] != 0) {
        // TRANSLATORS: "tasks" is the column's name in the file.
        Fail(TimeColumn(k),
             words::Fill(_("a time for a task that was not completed (tasks is {1})"), {tasks}),
             _("a time for a task not completed"));
        return fault_;
      }
      if (k > record.tasks + 1 && record.taskMoves[k] != 0) {
        Fail(MovesColumn(k),
             words::Fill(_("moves for a task that was never reached (tasks is {1})"), {tasks}),
             _("moves for a task never reached"));
        return fault_;
      }
      moves += record.taskMoves[k];
      times[static_cast<std::size_t>(k)] = static_cast<float>(record.taskTime[k]);
    }
    // The total's count stops at the bound, as the tasks' own counts do.
    if (record.moves != std::min(moves, kMostMoves)) {
      std::string sum = std::to_string(moves);
      if (moves > kMostMoves) {
        sum =
            words::Fill(_("{1}, where the count stops at {2}"), {sum, std::to_string(kMostMoves)});
      }
      Fail(3,
           words::Fill(_("{1} is not the sum of the task moves ({2})"),
                       {std::to_string(record.moves), sum}),
           _("not the sum of the task moves"));
      return fault_;
    }
    // Compared at the float's own seven digits, the way the file writes a
    // total: a spreadsheet that saved it back with more or fewer trailing
    // zeros has not changed it. The same float has the same digits.
    float sum = TotalTime(times);
    if (sum == record.time) return {};
    std::string total = NumberText(sum, kStoredDigits);
    std::string written = NumberText(record.time, kStoredDigits);
    if (written != total) {
      // The numbers as the file writes them, to be found there.
      Fail(2, words::Fill(_("{1} is not the sum of the task times ({2})"), {written, total}),
           _("not the sum of the task times"));
      return fault_;
    }
    return {};
  }

  const Columns& columns_;
  const std::array<std::string, kHistoryColumns>& names_;
  Fault fault_;
};

// The line's columns, or the fault when it is no text or has not `expected`
// of them.
Fault SplitLine(std::string_view line, std::size_t expected, Columns& columns) {
  if (line.empty()) return Plain(_("an empty line"));
  if (Fault fault = TextFault(line); !fault.reason.empty()) return fault;
  std::size_t count = 0;
  for (;;) {
    std::size_t tab = line.find('\t');
    if (count < columns.size()) columns[count] = line.substr(0, tab);
    ++count;
    if (tab == std::string_view::npos) break;
    line.remove_prefix(tab + 1);
  }
  if (count != expected) {
    return {words::Fill(words::NGettext("{1} column instead of {2}", "{1} columns instead of {2}",
                                        static_cast<unsigned long>(count)),
                        {std::to_string(count), std::to_string(expected)}),
            _("the wrong number of columns")};
  }
  return {};
}

Fault ReadLine(std::string_view line, TestRecord& record) {
  Columns columns;
  if (Fault fault = SplitLine(line, kHistoryColumns, columns); !fault.reason.empty()) return fault;
  return LineReader(columns).Read(record);
}

Fault ReadDrillLine(std::string_view line, DrillRecord& record) {
  Columns columns;
  if (Fault fault = SplitLine(line, kDrillColumns, columns); !fault.reason.empty()) return fault;
  return LineReader(columns, DrillColumnNames()).ReadDrill(record);
}

}  // namespace

TestRecord RecordOfTest(const GameSession& session, std::string started) {
  TestRecord record;
  record.started = std::move(started);
  // currentTask is the task being worked on, 13 once the twelfth is done.
  record.tasks = std::clamp(static_cast<int>(session.currentTask) - 1, 0, kTaskCount);
  record.time = TotalTime(session.taskTimes);
  record.moves = static_cast<long long>(session.moveTotal);
  for (int k = 1; k <= kTaskCount; ++k) {
    record.taskTime[k] = ListedTime(session.taskTimes[k]);
    record.taskMoves[k] = static_cast<long long>(session.taskMoves[k]);
  }
  return record;
}

std::string HistoryHeader() {
  std::string line;
  for (const std::string& name : ColumnNames()) {
    if (!line.empty()) line += '\t';
    line += name;
  }
  return line + '\n';
}

std::string HistoryLine(const TestRecord& record) {
  std::string line = record.started;
  line.append("\t").append(std::to_string(record.tasks));
  line.append("\t").append(NumberText(record.time, kStoredDigits));
  line.append("\t").append(std::to_string(record.moves));
  for (int k = 1; k <= kTaskCount; ++k) {
    line.append("\t").append(NumberText(record.taskTime[k], kComputedDigits));
    line.append("\t").append(std::to_string(record.taskMoves[k]));
  }
  return line + '\n';
}

std::string HistoryLineFault(std::string_view line) {
  TestRecord record;
  return ReadLine(line, record).reason;
}

HistoryReader::HistoryReader(RecordSink record, ProblemSink problem)
    : record_(std::move(record)), problem_(std::move(problem)), header_(HistoryHeader()) {
  header_.pop_back();
}

HistoryReader::HistoryReader(DrillSink drill, ProblemSink problem)
    : drill_(std::move(drill)), problem_(std::move(problem)), header_(DrillHeader()) {
  header_.pop_back();
}

std::string DrillHeader() {
  std::string line;
  for (int i = 0; i < kDrillColumns; ++i) {
    if (!line.empty()) line += '\t';
    line += DrillColumnNames()[static_cast<std::size_t>(i)];
  }
  return line + '\n';
}

std::string DrillLine(const DrillRecord& record) {
  std::string line = record.started;
  line.append("\t").append(std::to_string(record.task));
  line.append("\t").append(NumberText(record.time, kComputedDigits));
  line.append("\t").append(std::to_string(record.moves));
  return line + '\n';
}

std::string DrillLineFault(std::string_view line) {
  DrillRecord record;
  return ReadDrillLine(line, record).reason;
}

Drills ParseDrills(std::string_view content) {
  Drills drills;
  HistoryReader reader([&](const DrillRecord& record) { drills.records.push_back(record); },
                       [&](const HistoryProblem& problem) { drills.problems.push_back(problem); });
  reader.Read(content);
  reader.Finish();
  return drills;
}

void HistoryReader::Read(std::string_view piece) {
  while (!piece.empty()) {
    std::size_t end = piece.find('\n');
    std::string_view part = piece.substr(0, end);
    if (!overlong_ && pending_.size() + part.size() > kLongestLine) {
      overlong_ = true;
      pending_.clear();
      pending_.shrink_to_fit();
    }
    if (end == std::string_view::npos) {
      if (!overlong_) pending_.append(part);
      return;
    }
    piece.remove_prefix(end + 1);
    ++number_;
    if (overlong_) {
      overlong_ = false;
      Fault fault = Plain(_("a line longer than any record"));
      fault.reason = words::Fill(_("a line longer than any record (more than {1} bytes)"),
                                 {std::to_string(kLongestLine)});
      problem_({number_, std::move(fault.reason), std::move(fault.kind)});
    } else if (pending_.empty()) {
      TakeLine(part);
    } else {
      pending_.append(part);
      TakeLine(pending_);
      pending_.clear();
    }
  }
}

void HistoryReader::Finish() {
  if (pending_.empty() && !overlong_) return;
  // Whatever a write cut short may still look like a record with its last
  // number cut, so it is never taken.
  Fault fault = Plain(_("the last line has no line end"));
  fault.reason = _("the last line has no line end (a write was cut short)");
  problem_({number_ + 1, std::move(fault.reason), std::move(fault.kind)});
  pending_.clear();
  overlong_ = false;
}

void HistoryReader::TakeLine(std::string_view line) {
  // A file saved by a Windows program may end its lines with CR LF.
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  // Two games creating the file at once on a file system without locks may
  // both write the header; a file put together from two keeps both.
  if (line == header_) return;
  if (drill_) {
    DrillRecord round;
    Fault fault = ReadDrillLine(line, round);
    if (fault.reason.empty()) {
      drill_(round);
    } else {
      problem_({number_, std::move(fault.reason), std::move(fault.kind)});
    }
    return;
  }
  TestRecord record;
  Fault fault = ReadLine(line, record);
  if (fault.reason.empty()) {
    record_(record);
  } else {
    problem_({number_, std::move(fault.reason), std::move(fault.kind)});
  }
}

History ParseHistory(std::string_view content) {
  History history;
  HistoryReader reader([&](const TestRecord& record) { history.records.push_back(record); },
                       [&](const HistoryProblem& problem) { history.problems.push_back(problem); });
  reader.Read(content);
  reader.Finish();
  return history;
}

std::string PrintableText(std::string_view text, bool utf8) {
  std::string printable;
  for (std::size_t at = 0; at < text.size();) {
    char32_t codePoint = 0;
    std::size_t length = platform::Utf8Length(text, at, codePoint);
    if (length == 0 || IsControl(codePoint) || (length > 1 && !utf8)) {
      std::size_t count = std::max<std::size_t>(length, 1);
      for (std::size_t i = 0; i < count; ++i) {
        printable += platform::HexEscape(static_cast<unsigned char>(text[at + i]));
      }
      at += count;
      continue;
    }
    printable.append(text.substr(at, length));
    at += length;
  }
  return printable;
}

}  // namespace kippfeld::game
