// What the program prints on standard output once a game has ended by its
// final input and the console is given back: the results table as it stood,
// which a terminal's alternate screen takes away, and for a recorded test a
// line saying it was kept, with the personal bests it set.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "game/catalogue.h"
#include "game/history.h"
#include "game/history_store.h"
#include "history/source.h"

namespace kippfeld::history {

// The rows (code page 850) as plain text, each with its line end: in UTF-8,
// or with the ASCII stand-ins where the output takes ASCII only.
std::string ResultsTableText(const std::vector<std::string>& rows, bool utf8);

// The bests of a history: the shortest total time of a complete test, and
// per task the shortest time and the fewest moves it was completed in.
struct PersonalBests {
  bool anyComplete = false;
  float total = 0;
  std::array<bool, game::kEntryCount> anyTask{};
  std::array<long double, game::kEntryCount> taskTime{};
  std::array<long long, game::kEntryCount> taskMoves{};
};

void AddToBests(PersonalBests& bests, const game::TestRecord& record);

// The bests of every test the source holds but the kept one (the first line
// that is exactly keptRecord). Lines that are no sound record are passed
// over; only one line is held at a time.
PersonalBests BestsBefore(HistorySource& source, std::string_view keptRecord);

// "Test kept in <place>.", then the bests the kept test beat, if any. A
// first time is no new best: there was nothing to beat.
std::string KeptLine(std::string_view place, const game::TestRecord& kept,
                     const PersonalBests& before, bool utf8);

// Everything for standard output after the game the report is of: nothing
// when it ended other than by its final input. After a drill, its table and
// how many rounds were kept. The source is the history
// the test was kept in, read for the bests before it.
std::string AfterGameText(const game::GameReport& report, HistorySource* source, bool utf8);

}  // namespace kippfeld::history
