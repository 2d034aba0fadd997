#include "history/drill.h"

#include <algorithm>
#include <numeric>

#include "game/solver.h"

namespace kippfeld::history {

void DrillPicker::Add(const game::TestRecord& record) {
  for (int k = 1; k <= record.tasks && k <= game::kTaskCount; ++k) {
    const auto entry = static_cast<std::size_t>(k);
    if (!anyBest_[entry] || record.taskTime[entry] < bestTime_[entry]) {
      bestTime_[entry] = record.taskTime[entry];
      anyBest_[entry] = true;
    }
  }
  if (record.tasks != game::kTaskCount) return;
  recent_.push_back(record);
  if (recent_.size() > kRecentTests) recent_.pop_front();
}

DrillPick DrillPicker::Pick() const {
  DrillPick pick;
  pick.tests = recent_.size();
  if (recent_.empty()) {
    for (int k = 1; k <= game::kTaskCount; ++k) pick.tasks.push_back(k);
    return pick;
  }
  game::TaskCatalogue catalogue;
  game::LoadTaskCatalogue(catalogue);
  const std::array<int, game::kEntryCount> optima = game::TaskOptima(catalogue);
  const auto tests = static_cast<long double>(recent_.size());
  for (std::size_t k = 1; k <= game::kTaskCount; ++k) {
    long double slower = 0;
    long double extra = 0;
    for (const game::TestRecord& test : recent_) {
      slower += test.taskTime[k] - bestTime_[k];
      // A count below the fewest possible would be no sound record; none
      // gains a task anything.
      extra += static_cast<long double>(std::max<long long>(test.taskMoves[k] - optima[k], 0));
    }
    pick.slower[k] = slower / tests;
    pick.extraMoves[k] = extra / tests;
    pick.loss[k] = pick.slower[k] + kSecondsPerExtraMove * pick.extraMoves[k];
  }
  std::vector<int> order(game::kTaskCount);
  std::iota(order.begin(), order.end(), 1);
  std::stable_sort(order.begin(), order.end(), [&pick](int a, int b) {
    return pick.loss[static_cast<std::size_t>(a)] > pick.loss[static_cast<std::size_t>(b)];
  });
  pick.tasks.assign(order.begin(), order.begin() + kDrilledTasks);
  return pick;
}

void AddRound(DrillFigures& figures, const game::DrillRecord& round) {
  const auto entry = static_cast<std::size_t>(round.task);
  ++figures.rounds;
  ++figures.taskRounds[entry];
  std::deque<long double>& times = figures.lastTimes[entry];
  times.push_back(round.time);
  if (times.size() > kRecentRounds) times.pop_front();
}

void AddBestTime(game::DrillPlan& plan, int task, long double time) {
  const auto entry = static_cast<std::size_t>(task);
  if (!plan.anyBest[entry] || time < plan.bestTime[entry]) {
    plan.bestTime[entry] = time;
    plan.anyBest[entry] = true;
  }
}

game::DrillPlan PlanDrill(HistorySource& tests, HistorySource* drills,
                          const std::vector<int>& named) {
  game::DrillPlan plan;
  DrillPicker picker;
  auto ignore = [](const game::HistoryProblem&) {};
  game::HistoryReader testReader(
      [&](const game::TestRecord& record) {
        picker.Add(record);
        for (int k = 1; k <= record.tasks && k <= game::kTaskCount; ++k) {
          AddBestTime(plan, k, record.taskTime[static_cast<std::size_t>(k)]);
        }
      },
      ignore);
  std::string reason;
  ReadInto(tests, testReader, reason);
  testReader.Finish();
  if (drills != nullptr) {
    game::HistoryReader drillReader(
        [&](const game::DrillRecord& round) { AddBestTime(plan, round.task, round.time); }, ignore);
    ReadInto(*drills, drillReader, reason);
    drillReader.Finish();
  }
  plan.tasks = named.empty() ? picker.Pick().tasks : named;
  return plan;
}

std::string DrillFilePath(const std::string& historyPath) {
  // Either separator: Windows takes both.
  std::size_t slash = historyPath.find_last_of("/\\");
  std::string folder =
      slash == std::string::npos ? std::string() : historyPath.substr(0, slash + 1);
  return folder + "drills.tsv";
}

}  // namespace kippfeld::history
