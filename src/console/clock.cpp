#include "console/clock.h"

#include "console/state.h"

namespace kippfeld::console {

long double SecondsSinceMidnight() {
  platform::TimeOfDay time = CurrentPlatform().LocalTime();
  std::int32_t milliseconds =
      time.hour * 3'600'000 + time.minute * 60'000 + time.second * 1000 + time.milliseconds;
  return static_cast<long double>(milliseconds) / 1000.0L;
}

namespace {

std::uint32_t Duration(std::int32_t milliseconds) {
  return milliseconds > 0 ? static_cast<std::uint32_t>(milliseconds) : 0u;
}

}  // namespace

void Pause(std::int32_t milliseconds) {
  CurrentPlatform().Sleep(Duration(milliseconds));
}

bool PauseUntilInput(std::int32_t milliseconds) {
  return CurrentPlatform().SleepUntilInput(Duration(milliseconds));
}

}  // namespace kippfeld::console
