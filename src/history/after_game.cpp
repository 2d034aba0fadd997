#include "history/after_game.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/cp850.h"
#include "words/words.h"

namespace kippfeld::history {

namespace {

void AppendUtf8(std::string& text, char32_t c) {
  if (c < 0x80) {
    text.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    text.push_back(static_cast<char>(0xC0 | (c >> 6)));
    text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    // Code page 850's glyphs all lie in the Basic Multilingual Plane.
    text.push_back(static_cast<char>(0xE0 | (c >> 12)));
    text.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// "1", "1 and 3", "1, 3 and 7".
std::string Enumeration(const std::vector<int>& numbers) {
  std::string text;
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    // TRANSLATORS: what stands between the last two numbers of a list, as
    // in "tasks 1, 3 and 7"; the others stand apart by ", ".
    if (i > 0) text.append(i + 1 == numbers.size() ? _(" and ") : ", ");
    text.append(std::to_string(numbers[i]));
  }
  return text;
}

}  // namespace

std::string ResultsTableText(const std::vector<std::string>& rows, bool utf8) {
  std::string text;
  for (const std::string& row : rows) {
    for (char byte : row) {
      auto b = static_cast<std::uint8_t>(byte);
      if (utf8) {
        AppendUtf8(text, platform::Cp850ToUnicode(b));
      } else {
        text.push_back(platform::Cp850AsciiStandIn(b));
      }
    }
    text.push_back('\n');
  }
  return text;
}

void AddToBests(PersonalBests& bests, const game::TestRecord& record) {
  if (record.tasks == game::kTaskCount && (!bests.anyComplete || record.time < bests.total)) {
    bests.anyComplete = true;
    bests.total = record.time;
  }
  for (int k = 1; k <= record.tasks && k <= game::kTaskCount; ++k) {
    if (!bests.anyTask[k]) {
      bests.anyTask[k] = true;
      bests.taskTime[k] = record.taskTime[k];
      bests.taskMoves[k] = record.taskMoves[k];
      continue;
    }
    if (record.taskTime[k] < bests.taskTime[k]) bests.taskTime[k] = record.taskTime[k];
    if (record.taskMoves[k] < bests.taskMoves[k]) bests.taskMoves[k] = record.taskMoves[k];
  }
}

PersonalBests BestsBefore(HistorySource& source, std::string_view keptRecord) {
  PersonalBests bests;
  bool keptPassed = false;
  // The file is read by the report's own rules, so that a line the report
  // skips never sets a best. The test just kept is in it by now: the first
  // record that writes back as its line is that test, not an earlier one.
  game::HistoryReader reader(
      [&](const game::TestRecord& record) {
        if (!keptPassed && game::HistoryLine(record) == keptRecord) {
          keptPassed = true;
          return;
        }
        AddToBests(bests, record);
      },
      [](const game::HistoryProblem&) {});
  std::string reason;
  ReadInto(source, reader, reason);
  reader.Finish();
  return bests;
}

std::string KeptLine(std::string_view place, const game::TestRecord& kept,
                     const PersonalBests& before, bool utf8) {
  std::string line = place.empty()
                         ? std::string(_("Test kept."))
                         : words::Fill(_("Test kept in {1}."), {game::PrintableText(place, utf8)});
  std::vector<std::string> bests;
  if (kept.tasks == game::kTaskCount && before.anyComplete && kept.time < before.total) {
    // The total as the table shows it: in tenths, in the words' own form.
    long long tenths = std::llround(static_cast<double>(kept.time) * 10);
    // TRANSLATORS: {1} is a number of seconds, 61.5.
    bests.push_back(words::Fill(_("total time {1} s"), {words::TenthsText(tenths)}));
  }
  std::vector<int> times;
  std::vector<int> moves;
  for (int k = 1; k <= kept.tasks && k <= game::kTaskCount; ++k) {
    if (!before.anyTask[k]) continue;
    if (kept.taskTime[k] < before.taskTime[k]) times.push_back(k);
    if (kept.taskMoves[k] < before.taskMoves[k]) moves.push_back(k);
  }
  if (!times.empty()) {
    // TRANSLATORS: {1} is a task's number or a list of them: "1, 3 and 7".
    bests.push_back(
        words::Fill(words::NGettext("time of task {1}", "time of tasks {1}", times.size()),
                    {Enumeration(times)}));
  }
  if (!moves.empty()) {
    bests.push_back(
        words::Fill(words::NGettext("moves of task {1}", "moves of tasks {1}", moves.size()),
                    {Enumeration(moves)}));
  }
  if (bests.empty()) return words::ForOutput(line, utf8) + "\n";
  std::size_t count = bests.size() + (times.size() > 1) + (moves.size() > 1);
  std::string list;
  for (std::size_t i = 0; i < bests.size(); ++i) {
    if (i > 0) list.append("; ");
    list.append(bests[i]);
  }
  // TRANSLATORS: {1} is the list of bests, parted by semicolons: "total
  // time 61.5 s; time of tasks 1 and 3".
  line.append(" ").append(words::Fill(
      words::NGettext("New personal best: {1}.", "New personal bests: {1}.", count), {list}));
  return words::ForOutput(line, utf8) + "\n";
}

std::string AfterGameText(const game::GameReport& report, HistorySource* source, bool utf8) {
  if (report.table.empty()) return {};
  std::string text = ResultsTableText(report.table, utf8);
  if (report.drillRoundsKept > 0) {
    const auto rounds = static_cast<unsigned long>(report.drillRoundsKept);
    std::string count = std::to_string(report.drillRoundsKept);
    // TRANSLATORS: {1} is the number of drill rounds, {2} the drill file's name.
    std::string line = report.drillPlace.empty()
                           ? words::Fill(words::NGettext("{1} drill round kept.",
                                                         "{1} drill rounds kept.", rounds),
                                         {count})
                           : words::Fill(words::NGettext("{1} drill round kept in {2}.",
                                                         "{1} drill rounds kept in {2}.", rounds),
                                         {count, game::PrintableText(report.drillPlace, utf8)});
    text += words::ForOutput(line, utf8) + "\n";
  }
  if (report.keptRecord.empty() || source == nullptr) return text;
  std::vector<game::TestRecord> kept = game::ParseHistory(report.keptRecord).records;
  if (kept.size() != 1) return text;
  return text + KeptLine(source->Place(), kept[0], BestsBefore(*source, report.keptRecord), utf8);
}

}  // namespace kippfeld::history
