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

namespace kippfeld::game {

namespace {

constexpr int kStoredDigits = 7;     // a float's own value, as the table writes counts
constexpr int kComputedDigits = 15;  // the listed times, as the table writes them

// A task is timed from two readings of a clock that starts again at
// midnight, so its time is always under a day; at one input per 100 ms poll,
// a day's moves are fewer than this.
constexpr long double kSecondsPerDay = 86400;
constexpr long long kMostMovesPerTask = 864'000;
// Longer number texts are absurd for any column; shorter ones cannot
// overflow while they are read.
constexpr std::size_t kLongestNumber = 12;

constexpr std::string_view kDateExample = "2025-03-14T09:26:53+01:00";
constexpr std::size_t kShownFieldLength = 30;

// The table's number text form without its sign place and trailing blank.
std::string NumberText(long double value, int digits) {
  std::string text = console::FormatNumber(value, digits);
  text.erase(0, 1);
  text.pop_back();
  if (text.front() == '.') text.insert(0, 1, '0');
  return text;
}

// Built by appending: GCC 12 warns falsely (-Wrestrict) on "literal" + string.
std::string TimeColumn(int task) {
  return std::string(1, 't').append(std::to_string(task)).append("_s");
}

std::string MovesColumn(int task) {
  return std::string(1, 't').append(std::to_string(task)).append("_moves");
}

std::vector<std::string> ColumnNames() {
  std::vector<std::string> names = {"started", "tasks", "time_s", "moves"};
  for (int k = 1; k <= kTaskCount; ++k) {
    names.push_back(TimeColumn(k));
    names.push_back(MovesColumn(k));
  }
  return names;
}

// The length of the well-formed UTF-8 sequence at `at`, 0 when there is none
// (a stray continuation byte, a cut sequence, an overlong form, a surrogate
// or a value past U+10FFFF); the code point goes to `codePoint`.
std::size_t Utf8Length(std::string_view text, std::size_t at, char32_t& codePoint) {
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  unsigned char lead = byte(at);
  std::size_t length = 0;
  char32_t lowest = 0;
  if (lead < 0x80) {
    codePoint = lead;
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    lowest = 0x80;
    codePoint = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    lowest = 0x800;
    codePoint = lead & 0x0Fu;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    lowest = 0x10000;
    codePoint = lead & 0x07u;
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
    codePoint = (codePoint << 6) | (byte(at + i) & 0x3Fu);
  }
  if (codePoint < lowest || codePoint > 0x10FFFF) return 0;
  if (codePoint >= 0xD800 && codePoint <= 0xDFFF) return 0;
  return length;
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

// Why the line cannot be read as text at all, or empty when it can: a
// control character (the tab between columns aside) or a byte that is not
// UTF-8. Positions count bytes from 1.
std::string TextFault(std::string_view line) {
  for (std::size_t at = 0; at < line.size();) {
    char32_t codePoint = 0;
    std::size_t length = Utf8Length(line, at, codePoint);
    std::string position = " at byte " + std::to_string(at + 1);
    if (length == 0) {
      return "not UTF-8 (byte " + Hex(static_cast<unsigned char>(line[at])) + position + ")";
    }
    if (codePoint == 0) return "a NUL byte" + position;
    if (codePoint != '\t' && IsControl(codePoint)) {
      return "a control character (" + Hex(static_cast<unsigned char>(codePoint & 0xFF)) +
             position + ")";
    }
    at += length;
  }
  return {};
}

std::vector<std::string_view> SplitColumns(std::string_view line) {
  std::vector<std::string_view> columns;
  for (;;) {
    std::size_t tab = line.find('\t');
    columns.push_back(line.substr(0, tab));
    if (tab == std::string_view::npos) return columns;
    line.remove_prefix(tab + 1);
  }
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

// YYYY-MM-DDTHH:MM:SS+HH:MM (or -HH:MM), each part in its range. The offset
// stays within the -12:00 .. +14:00 the world's time zones use.
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
  int offsetHours = TwoDigits(text, 20);
  return year >= 1970 && month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(year, month) &&
         TwoDigits(text, 11) <= 23 && TwoDigits(text, 14) <= 59 && TwoDigits(text, 17) <= 60 &&
         offsetHours <= 14 && TwoDigits(text, 23) <= 59;
}

// Reads the columns of one line into a record; the reason when a column is
// not sound.
class LineReader {
 public:
  explicit LineReader(const std::vector<std::string_view>& columns) : columns_(columns) {}

  std::string Read(TestRecord& record) {
    if (!IsDateTime(columns_[0])) {
      return "started: " + Shown(columns_[0]) + " is not a date and time like " +
             std::string(kDateExample);
    }
    record.started = std::string(columns_[0]);
    long long tasks = 0;
    long long moves = 0;
    long double time = 0;
    if (!Count(1, "tasks", kTaskCount, "is more than the 12 tasks there are", tasks)) {
      return reason_;
    }
    record.tasks = static_cast<int>(tasks);
    // A total is a float sum of tenths, so it need not be whole tenths itself.
    if (!Seconds(2, "time_s", kTaskCount * kSecondsPerDay, "twelve tasks can take", false, time)) {
      return reason_;
    }
    if (!Count(3, "moves", kTaskCount * kMostMovesPerTask,
               "is more moves than twelve days of input allow", moves)) {
      return reason_;
    }
    record.time = static_cast<float>(time);
    record.moves = moves;
    for (int k = 1; k <= kTaskCount; ++k) {
      std::size_t at = 2 + 2 * static_cast<std::size_t>(k);
      if (!Seconds(at, TimeColumn(k), kSecondsPerDay, "a task can take", true,
                   record.taskTime[k])) {
        return reason_;
      }
      if (!Count(at + 1, MovesColumn(k), kMostMovesPerTask,
                 "is more moves than a day of input allows", record.taskMoves[k])) {
        return reason_;
      }
    }
    return Consistency(record);
  }

 private:
  bool Fail(std::string reason) {
    reason_ = std::move(reason);
    return false;
  }

  bool Count(std::size_t at, const std::string& name, long long most, std::string_view tooMany,
             long long& value) {
    std::string_view text = columns_[at];
    if (!text.empty() && text[0] == '-' && AllDigits(text.substr(1))) {
      return Fail(name + ": " + Shown(text) + " is negative");
    }
    if (!AllDigits(text)) return Fail(name + ": " + Shown(text) + " is not a whole number");
    if (text.size() > kLongestNumber) {
      return Fail(name + ": " + Shown(text) + " " + std::string(tooMany));
    }
    value = std::stoll(std::string(text));
    if (value > most) return Fail(name + ": " + std::string(text) + " " + std::string(tooMany));
    return true;
  }

  // Seconds: digits with at most one point, as the table lists them.
  bool Seconds(std::size_t at, const std::string& name, long double most, std::string_view why,
               bool wholeTenths, long double& value) {
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
    if (!number) return Fail(name + ": " + Shown(text) + " is not a number of seconds");
    if (negative) return Fail(name + ": " + Shown(text) + " is negative");
    if (text.size() > kLongestNumber) return Fail(name + ": " + Shown(text) + " is too long");
    value = console::ParseNumber(text);
    if (value > most) {
      return Fail(name + ": " + std::string(text) + " seconds is more than " + std::string(why));
    }
    std::string_view fractionDigits = fraction.substr(0, fraction.find_last_not_of('0') + 1);
    if (wholeTenths && fractionDigits.size() > 1) {
      return Fail(name + ": " + std::string(text) + " is not a whole number of tenths");
    }
    return true;
  }

  // The columns must fit together the way one results table's do.
  static std::string Consistency(const TestRecord& record) {
    long long moves = 0;
    std::array<float, kEntryCount> times{};
    for (int k = 1; k <= kTaskCount; ++k) {
      if (k > record.tasks && record.taskTime[k] != 0) {
        return TimeColumn(k) + ": a time for a task that was not completed (tasks is " +
               std::to_string(record.tasks) + ")";
      }
      if (k > record.tasks + 1 && record.taskMoves[k] != 0) {
        return MovesColumn(k) + ": moves for a task that was never reached (tasks is " +
               std::to_string(record.tasks) + ")";
      }
      moves += record.taskMoves[k];
      times[static_cast<std::size_t>(k)] = static_cast<float>(record.taskTime[k]);
    }
    if (moves != record.moves) {
      return "moves: " + std::to_string(record.moves) + " is not the sum of the task moves (" +
             std::to_string(moves) + ")";
    }
    // Compared at the float's own seven digits, the way the file writes a
    // total: a spreadsheet that saved it back with more or fewer trailing
    // zeros has not changed it.
    std::string total = NumberText(TotalTime(times), kStoredDigits);
    if (NumberText(record.time, kStoredDigits) != total) {
      return "time_s: " + NumberText(record.time, kStoredDigits) +
             " is not the sum of the task times (" + total + ")";
    }
    return {};
  }

  const std::vector<std::string_view>& columns_;
  std::string reason_;
};

std::string ReadLine(std::string_view line, TestRecord& record) {
  if (line.empty()) return "an empty line";
  if (std::string fault = TextFault(line); !fault.empty()) return fault;
  std::vector<std::string_view> columns = SplitColumns(line);
  if (columns.size() != static_cast<std::size_t>(kHistoryColumns)) {
    return std::to_string(columns.size()) + " columns instead of " +
           std::to_string(kHistoryColumns);
  }
  return LineReader(columns).Read(record);
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

History ParseHistory(std::string_view content) {
  History history;
  std::string header = HistoryHeader();
  header.pop_back();
  long long number = 0;
  while (!content.empty()) {
    ++number;
    std::size_t end = content.find('\n');
    if (end == std::string_view::npos) {
      // Whatever a write cut short may still look like a record with its
      // last number cut, so it is never taken.
      history.problems.push_back({number, "the last line has no line end (a write was cut short)"});
      break;
    }
    std::string_view line = content.substr(0, end);
    content.remove_prefix(end + 1);
    // A file saved by a Windows program may end its lines with CR LF.
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    // Two games creating the file at once on a file system without locks may
    // both write the header; a file put together from two keeps both.
    if (line == header) continue;
    TestRecord record;
    std::string reason = ReadLine(line, record);
    if (reason.empty()) {
      history.records.push_back(std::move(record));
    } else {
      history.problems.push_back({number, std::move(reason)});
    }
  }
  return history;
}

std::string PrintableText(std::string_view text, bool utf8) {
  std::string printable;
  for (std::size_t at = 0; at < text.size();) {
    char32_t codePoint = 0;
    std::size_t length = Utf8Length(text, at, codePoint);
    if (length == 0 || IsControl(codePoint) || (length > 1 && !utf8)) {
      std::size_t count = std::max<std::size_t>(length, 1);
      for (std::size_t i = 0; i < count; ++i) {
        printable += "\\x" + Hex(static_cast<unsigned char>(text[at + i])).substr(2);
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
