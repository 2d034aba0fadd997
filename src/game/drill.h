// The drill: rounds of chosen test tasks, each played as the test plays it
// (the field as the previous task leaves it, the same timing and move
// counting, the same OK signal), in turn until the player ends it; then a
// table of the rounds. Every finished round is kept in the drill file, never
// in the test history.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "game/catalogue.h"

namespace kippfeld::game {

// What the program decides before a drill: the tasks, and what the player
// has done so far, for the line between rounds.
struct DrillPlan {
  std::vector<int> tasks;  // 1..12, in the order they are drilled
  // The player's best time per task from the history and earlier drills.
  std::array<bool, kEntryCount> anyBest{};
  std::array<long double, kEntryCount> bestTime{};
};

// One task's rounds in this drill.
struct DrillTally {
  int rounds = 0;
  long double bestTime = 0;
  long double timeSum = 0;
  long long fewestMoves = 0;  // the player's fewest in a round
};

// The drill's progress in a session.
struct DrillProgress {
  const DrillPlan* plan = nullptr;  // none: the practice and the test run
  std::size_t round = 0;            // rounds finished, which picks the next task
  std::string roundStarted;         // local date and time, for the record
  std::array<DrillTally, kEntryCount> tally{};
  std::array<int, kEntryCount> optima{};
  std::string lastRound;  // the line under the field, code page 850; empty before
};

struct GameSession;

// Sets the field and the clock for the next round.
void StartDrillRound(GameSession& session);
// The round is solved: the OK signal, the record, the line, the next round.
void CompleteDrillRound(GameSession& session);
// The line about the last round, under the field.
void WriteDrillLine(const GameSession& session);
// The drill table; ends the program as the results table does.
[[noreturn]] void ShowDrillTable(GameSession& session);

}  // namespace kippfeld::game
