// Time of day and pauses, taken from the current platform so that tests run
// on a virtual clock.
#pragma once

#include <cstdint>

namespace kippfeld::console {

// Local time of day in seconds since midnight, with milliseconds (0..86399.999).
long double SecondsSinceMidnight();

// Sleeps the calling thread; input stays queued meanwhile.
void Pause(std::int32_t milliseconds);

// Like Pause, but ends as soon as an input record is waiting; true then.
bool PauseUntilInput(std::int32_t milliseconds);

}  // namespace kippfeld::console
