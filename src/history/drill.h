// What the history says about drilling: which tasks the next `--drill`
// picks, and the figures of the drill rounds kept so far.
//
// The pick rule: of the player's recent complete tests (the last five, or
// as many as there are), each task's loss is the mean of its time above the
// player's best time for it (the shortest in any test that completed it)
// plus one second for each move above the fewest possible, per test. The
// three tasks with the largest loss are drilled, the lower number first on
// a tie; with no complete test, all twelve in order.
#pragma once

#include <array>
#include <deque>
#include <string>
#include <vector>

#include "game/catalogue.h"
#include "game/drill.h"
#include "game/history.h"
#include "history/source.h"

namespace kippfeld::history {

inline constexpr std::size_t kRecentTests = 5;
inline constexpr std::size_t kDrilledTasks = 3;
// What a move above the fewest possible costs in the loss, in seconds.
inline constexpr long double kSecondsPerExtraMove = 1;
// The drill report's figures are of each task's last rounds.
inline constexpr std::size_t kRecentRounds = 5;

struct DrillPick {
  std::vector<int> tasks;  // in the order drilled
  std::size_t tests = 0;   // the recent complete tests the loss is taken over
  // Per task, per test on average: seconds above the best, moves above the
  // fewest, and the loss they make together.
  std::array<long double, game::kEntryCount> slower{};
  std::array<long double, game::kEntryCount> extraMoves{};
  std::array<long double, game::kEntryCount> loss{};
};

// Takes the history's tests in the order of the file, keeping only what the
// rule needs: each task's best and the last complete tests.
class DrillPicker {
 public:
  void Add(const game::TestRecord& record);
  DrillPick Pick() const;

 private:
  std::array<bool, game::kEntryCount> anyBest_{};
  std::array<long double, game::kEntryCount> bestTime_{};
  std::deque<game::TestRecord> recent_;
};

// Each task's drill rounds: how many, and the times of the last few.
struct DrillFigures {
  long long rounds = 0;
  std::array<long long, game::kEntryCount> taskRounds{};
  std::array<std::deque<long double>, game::kEntryCount> lastTimes{};
};

void AddRound(DrillFigures& figures, const game::DrillRecord& round);

// The player's best time per task, from tests and drill rounds alike, for
// the line the game shows between rounds.
void AddBestTime(game::DrillPlan& plan, int task, long double time);

// The plan of a drill: the tasks named, or without any the ones the tests
// pick; and the player's best times from the tests and the drill rounds.
// Lines that are no sound record are passed over, and a history that
// cannot be read is taken as none.
game::DrillPlan PlanDrill(HistorySource& tests, HistorySource* drills,
                          const std::vector<int>& named);

// The drill file beside the history file: drills.tsv in the same folder.
std::string DrillFilePath(const std::string& historyPath);

}  // namespace kippfeld::history
