#include "history/report.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "game/catalogue.h"
#include "game/solver.h"
#include "history/chart.h"
#include "history/layout.h"
#include "words/words.h"

namespace kippfeld::history {

using namespace game;

namespace {

struct TableColumn {
  std::string title;
  bool right = false;   // numbers stand right-aligned
  std::size_t gap = 2;  // blanks before the column
};

using TableRow = std::vector<std::string>;

// A table with each column as wide as its widest cell. When extreme values
// would run past the width, the gaps between columns close to one blank.
// The titles are laid out as the output will show them: an ASCII output's
// "Zuege" is wider than "Züge".
std::string TableText(std::vector<TableColumn> columns, const std::vector<TableRow>& rows,
                      bool utf8) {
  for (TableColumn& column : columns) column.title = words::ForOutput(column.title, utf8);
  std::vector<std::size_t> widths;
  // Widths in columns: a translation's letters may take more than a byte.
  for (const TableColumn& column : columns) widths.push_back(words::Columns(column.title));
  for (const TableRow& row : rows) {
    for (std::size_t i = 0; i < row.size(); ++i) {
      widths[i] = std::max(widths[i], words::Columns(row[i]));
    }
  }
  std::size_t total = 0;
  for (std::size_t i = 0; i < columns.size(); ++i) total += columns[i].gap + widths[i];
  const bool narrow = total > kReportWidth;
  auto line = [&](const std::vector<std::string>& cells) {
    std::string text;
    for (std::size_t i = 0; i < columns.size(); ++i) {
      text.append(narrow ? std::min<std::size_t>(columns[i].gap, 1) : columns[i].gap, ' ');
      std::string padding(widths[i] - words::Columns(cells[i]), ' ');
      text += columns[i].right ? padding + cells[i] : cells[i] + padding;
    }
    TrimRight(text);
    return text + "\n";
  };
  std::vector<std::string> titles;
  for (const TableColumn& column : columns) titles.push_back(column.title);
  std::string text = line(titles);
  for (const TableRow& row : rows) text += line(row);
  return text;
}

// The text on the stream as its style takes it.
void Put(const std::string& text, const ReportStyle& style, std::FILE* stream) {
  const std::string out = words::ForOutput(text, style.utf8);
  if (style.put != nullptr) {
    style.put(stream, out);
  } else {
    std::fwrite(out.data(), 1, out.size(), stream);
  }
}

// 2025-03-14T09:26:53+01:00 as 2025-03-14 09:26: the local time the player
// saw on the clock; the offset only tells the zone it was in.
std::string StartedText(const std::string& started) {
  return started.substr(0, 10) + " " + started.substr(11, 5);
}

// Seconds with their tenth, always: 12.2 s, 30.0 s.
std::string SecondsText(long long tenths) {
  // TRANSLATORS: {1} is a number of seconds, 12.2.
  return words::Fill(_("{1} s"), {words::TenthsText(tenths)});
}

std::string TestsText(const HistoryFigures& figures, int optimum, bool utf8) {
  std::string out;
  long long earlier = figures.tests - static_cast<long long>(figures.recent.size());
  if (earlier > 0) {
    // TRANSLATORS: {1} tests are listed of {2}; {3} earlier ones are not.
    out = words::Fill(_("Tests: the last {1} of {2} ({3} earlier ones are not listed)"),
                      {std::to_string(figures.recent.size()), std::to_string(figures.tests),
                       std::to_string(earlier)});
  } else {
    out = _("Tests");
  }
  out += "\n" +
         words::Fill(_("Extra: the moves of a complete test above the fewest possible, {1}"),
                     {std::to_string(optimum)}) +
         "\n";
  std::vector<TableRow> rows;
  for (const ListedTest& test : figures.recent) {
    const TestRecord& r = test.record;
    bool complete = r.tasks == kTaskCount;
    rows.push_back({std::to_string(test.number), StartedText(r.started),
                    std::to_string(r.tasks) + "/" + std::to_string(kTaskCount),
                    ClockText(Tenths(r.time)), std::to_string(r.moves),
                    complete ? std::to_string(r.moves - optimum) : ""});
  }
  return out + TableText({{"#", true, 3},
                          // TRANSLATORS: the titles of the list of tests' columns.
                          {_("Started"), false},
                          {_("Tasks"), true},
                          {_("Time"), true},
                          {_("Moves"), true},
                          {_("Extra"), true}},
                         rows, utf8);
}

std::string BestsText(const HistoryFigures& figures, const TaskCatalogue& catalogue, bool utf8) {
  std::array<int, kEntryCount> optima = TaskOptima(catalogue);
  std::vector<TableRow> rows;
  for (std::size_t k = 1; k <= kTaskCount; ++k) {
    std::string name = catalogue.names[k];
    TrimRight(name);
    const TaskBest& best = figures.bests[k];
    std::string optimum = std::to_string(optima[k]);
    if (best.reached) {
      rows.push_back({name, SecondsText(best.timeTenths), best.timeDay, std::to_string(best.moves),
                      best.movesDay, optimum});
    } else {
      rows.push_back({name, "-", "-", "-", "-", optimum});
    }
  }
  return std::string(_("Best time and fewest moves per task, and the fewest possible (Optimum)")) +
         "\n" +
         TableText({{_("Task"), false},
                    {_("Time"), true},
                    // TRANSLATORS: the title of the column of days a best was set on.
                    {_("on"), false, 1},
                    {_("Moves"), true},
                    {_("on"), false, 1},
                    {_("Optimum"), true}},
                   rows, utf8);
}

std::string BestTestText(const HistoryFigures& figures) {
  const BestTest& best = figures.bestTest;
  if (best.number == 0) {
    return std::string(_("Best complete test: none yet (all twelve tasks in one test)")) + "\n";
  }
  // TRANSLATORS: {1} is the test's number (#27), {2} its date and time, {3}
  // its total time, {4} its moves.
  return words::Fill(_("Best complete test: {1} on {2}, {3} with {4} moves"),
                     {TestNumber(best.number), StartedText(best.started), ClockText(best.tenths),
                      std::to_string(best.moves)}) +
         "\n";
}

std::string AveragesText(const HistoryFigures& figures, bool utf8) {
  std::string out =
      std::string(
          _("Averages of the latest complete tests, each without its best and worst time")) +
      "\n";
  std::size_t fewest = figures.averages.front().size;
  if (figures.completeTests < static_cast<long long>(fewest)) {
    // TRANSLATORS: averages are shown from {1} complete tests on; there are {2}.
    return out + "  " +
           words::Fill(_("(from {1} complete tests on; {2} so far)"),
                       {std::to_string(fewest), std::to_string(figures.completeTests)}) +
           "\n";
  }
  std::vector<TableRow> rows;
  for (const RunningAverage& average : figures.averages) {
    if (!average.last) continue;
    long long kept = static_cast<long long>(average.size) - 2;
    rows.push_back({words::Fill(_("of the last {1}"), {std::to_string(average.size)}),
                    ClockText(MeanTenths(*average.last, kept)),
                    ClockText(MeanTenths(*average.best, kept)), TestNumber(average.bestEndsAt)});
  }
  // TRANSLATORS: the columns of the averages: the one now, the best one,
  // and the test the best one ended with.
  return out +
         TableText({{"", false}, {_("Now"), true}, {_("Best"), true}, {_("best up to"), false}},
                   rows, utf8);
}

// A paragraph broken between words into lines that keep within the report's
// width, each with its line end.
std::string WrapText(std::string_view text) {
  std::string out;
  std::string line;
  while (!text.empty()) {
    std::size_t blank = text.find(' ');
    std::string word(text.substr(0, blank));
    text.remove_prefix(blank == std::string_view::npos ? text.size() : blank + 1);
    if (!line.empty() && words::Columns(line) + 1 + words::Columns(word) > kReportWidth) {
      out += line + "\n";
      line.clear();
    }
    line += line.empty() ? word : " " + word;
  }
  return out + line + "\n";
}

}  // namespace

SkippedLines::SkippedLines(std::string_view place, const ReportStyle& style)
    : place_(PrintableText(place, style.utf8)), style_(style) {}

void SkippedLines::Add(const HistoryProblem& problem) {
  if (named_.size() < kNamedProblems) {
    // TRANSLATORS: {1} is why the line was skipped.
    named_.push_back("kippfeld: " + place_ + ":" + std::to_string(problem.line) + ": " +
                     words::Fill(_("skipped: {1}"), {problem.reason}));
  } else {
    ++unnamed_[problem.kind];
  }
}

std::vector<std::string> SkippedLines::Finish() {
  std::vector<std::string> lines = std::move(named_);
  named_.clear();
  if (!unnamed_.empty()) {
    std::vector<std::pair<std::string, long long>> kinds(unnamed_.begin(), unnamed_.end());
    std::stable_sort(kinds.begin(), kinds.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    long long count = 0;
    std::string list;
    for (const auto& [kind, number] : kinds) {
      count += number;
      list.append(list.empty() ? "" : ", ").append(std::to_string(number) + " " + kind);
    }
    // TRANSLATORS: {1} lines more were skipped; {2} counts them by kind:
    // "3 not UTF-8, 2 an empty line".
    lines.push_back(
        "kippfeld: " + place_ + ": " +
        words::Fill(words::NGettext("skipped {1} more line: {2}", "skipped {1} more lines: {2}",
                                    static_cast<unsigned long>(count)),
                    {std::to_string(count), list}));
    unnamed_.clear();
  }
  // A translation's letters as the output takes them; the file's own text
  // was made printable for it already.
  for (std::string& line : lines) line = words::ForOutput(line, style_.utf8);
  return lines;
}

HistoryReportReader::HistoryReportReader(std::string_view place, const ReportStyle& style)
    : place_(PrintableText(place, style.utf8)),
      style_(style),
      skipped_(place, style),
      reader_(
          [this](const TestRecord& record) {
            AddRecord(figures_, record);
            picker_.Add(record);
          },
          [this](const HistoryProblem& problem) { skipped_.Add(problem); }) {}

HistoryReport HistoryReportReader::Finish() {
  reader_.Finish();
  HistoryReport report;
  report.errors = skipped_.Finish();
  if (figures_.tests == 0) {
    report.out = words::ForOutput(words::Fill(_("No tests recorded yet in {1}."), {place_}) + "\n",
                                  style_.utf8);
    return report;
  }
  // The tasks by the names the game's screens give them: English ones for
  // English words, the German ones for every other language.
  TaskCatalogue catalogue;
  LoadTaskCatalogue(catalogue, words::CurrentLanguage() == Language::English ? Language::English
                                                                             : Language::German);
  std::string& out = report.out;
  out += words::Fill(_("Tests recorded in {1}"), {place_}) + "\n\n";
  out += TestsText(figures_, OptimumTotal(catalogue), style_.utf8) + "\n";
  out += BestsText(figures_, catalogue, style_.utf8) + "\n";
  out += BestTestText(figures_) + "\n";
  out += AveragesText(figures_, style_.utf8) + "\n";
  out += ChartText(figures_, style_.utf8);
  out = words::ForOutput(out, style_.utf8);
  return report;
}

std::string DrillSectionText(std::string_view place, const DrillFigures& figures,
                             const DrillPick& pick, const ReportStyle& style) {
  const std::string shown = PrintableText(place, style.utf8);
  // The tasks' names in the report's own language.
  TaskCatalogue catalogue;
  LoadTaskCatalogue(catalogue, words::CurrentLanguage());
  auto name = [&catalogue](int k) {
    std::string text = catalogue.names[static_cast<std::size_t>(k)];
    TrimRight(text);
    return text;
  };
  std::string out;
  if (figures.rounds == 0) {
    out += words::Fill(_("No drill rounds recorded yet in {1}."), {shown}) + "\n";
  } else {
    // TRANSLATORS: {1} is the drill file's name.
    out += words::Fill(_("Drill rounds recorded in {1}"), {shown}) + "\n";
    std::vector<TableRow> rows;
    for (int k = 1; k <= kTaskCount; ++k) {
      const auto entry = static_cast<std::size_t>(k);
      if (figures.taskRounds[entry] == 0) continue;
      const std::deque<long double>& times = figures.lastTimes[entry];
      long double best = *std::min_element(times.begin(), times.end());
      long double sum = 0;
      for (long double time : times) sum += time;
      long double mean = sum / static_cast<long double>(times.size());
      rows.push_back({std::to_string(k), name(k), std::to_string(figures.taskRounds[entry]),
                      SecondsText(std::llround(static_cast<double>(best) * 10)),
                      SecondsText(std::llround(static_cast<double>(mean) * 10))});
    }
    out += TableText({{"#", true, 3},
                      // TRANSLATORS: the titles of the drill table's columns; the
                      // last two are of each task's last five rounds.
                      {_("Task"), false},
                      {_("Rounds"), true},
                      {_("Best of last 5"), true},
                      {_("Mean of last 5"), true}},
                     rows, style.utf8);
  }
  out += "\n";
  if (pick.tests == 0) {
    out += WrapText(style.drillButton
                        ? _("The Drill button drills all twelve tasks in order: no test was "
                            "completed yet.")
                        : _("The next --drill drills all twelve tasks in order: no test was "
                            "completed yet."));
    return words::ForOutput(out, style.utf8);
  }
  const char* rule =
      style.drillButton
          // TRANSLATORS: {1} is how many of the last complete tests were
          // looked at; the page starts a drill with its Drill button.
          ? _("Complete tests looked at: {1}. The Drill button picks the tasks that lost the "
              "most in them, on average: the time above your best for the task, plus 1 s for "
              "each move above the fewest.")
          // TRANSLATORS: {1} is how many of the last complete tests were
          // looked at.
          : _("Complete tests looked at: {1}. The next --drill picks the tasks that lost the "
              "most in them, on average: the time above your best for the task, plus 1 s for "
              "each move above the fewest.");
  out += WrapText(words::Fill(rule, {std::to_string(pick.tests)}));
  std::vector<TableRow> rows;
  for (int k : pick.tasks) {
    const auto entry = static_cast<std::size_t>(k);
    rows.push_back(
        {std::to_string(k), name(k),
         SecondsText(std::llround(static_cast<double>(pick.loss[entry]) * 10)),
         SecondsText(std::llround(static_cast<double>(pick.slower[entry]) * 10)),
         words::TenthsText(std::llround(static_cast<double>(pick.extraMoves[entry]) * 10))});
  }
  out += TableText({{"#", true, 3},
                    // TRANSLATORS: the titles of the pick's columns: the loss,
                    // the time above the best and the moves above the fewest.
                    {_("Task"), false},
                    {_("Loss"), true},
                    {_("Slower"), true},
                    {_("Extra moves"), true}},
                   rows, style.utf8);
  return words::ForOutput(out, style.utf8);
}

DrillReportReader::DrillReportReader(std::string_view place, const ReportStyle& style)
    : place_(place),
      style_(style),
      skipped_(place, style),
      reader_([this](const DrillRecord& round) { AddRound(figures_, round); },
              [this](const HistoryProblem& problem) { skipped_.Add(problem); }) {}

HistoryReport DrillReportReader::Finish(const DrillPick& pick) {
  reader_.Finish();
  HistoryReport report;
  report.errors = skipped_.Finish();
  report.out = "\n" + DrillSectionText(place_, figures_, pick, style_);
  return report;
}

HistoryReport ReportHistory(std::string_view place, std::string_view content,
                            const ReportStyle& style) {
  HistoryReportReader reader(place, style);
  reader.Read(content);
  return reader.Finish();
}

int RunHistoryCommand(HistorySource& source, const ReportStyle& style, std::FILE* out,
                      std::FILE* err, HistorySource* drills) {
  std::string place = source.Place();
  HistoryReportReader reader(place, style);
  std::string reason;
  platform::HistoryRead read = ReadInto(source, reader, reason);
  if (read == platform::HistoryRead::kFailed) {
    std::string line = place.empty()
                           ? words::Fill(_("cannot read the history: {1}"), {reason})
                           : words::Fill(_("cannot read the history {1}: {2}"), {place, reason});
    Put("kippfeld: " + PrintableText(line, true) + "\n", style, err);
    return 1;
  }
  HistoryReport report = reader.Finish();
  for (const std::string& line : report.errors) Put(line + "\n", style, err);
  Put(report.out, style, out);
  if (drills != nullptr) {
    std::string drillPlace = drills->Place();
    DrillReportReader drillReader(drillPlace, style);
    read = ReadInto(*drills, drillReader, reason);
    if (read == platform::HistoryRead::kFailed) {
      // TRANSLATORS: {1} is the drill file's name, {2} why it cannot be read.
      Put("kippfeld: " +
              PrintableText(words::Fill(_("cannot read the drills {1}: {2}"), {drillPlace, reason}),
                            true) +
              "\n",
          style, err);
      return 1;
    }
    // No drill yet: the report stays as it was before drills.
    if (read != platform::HistoryRead::kMissing) {
      HistoryReport section = drillReader.Finish(reader.NextDrill());
      for (const std::string& line : section.errors) Put(line + "\n", style, err);
      Put(section.out, style, out);
    }
  }
  if (std::fflush(out) != 0 || std::ferror(out)) {
    int error = errno;
    Put("kippfeld: " +
            words::Fill(_("cannot write the report: {1}"), {words::ErrorNumberText(error)}) + "\n",
        style, err);
    return 1;
  }
  return 0;
}

}  // namespace kippfeld::history
