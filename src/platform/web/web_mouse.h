// The browser's pointer events as the console's mouse records. The page
// says where (the cell under the pointer), which button and when; this
// keeps the button state and decides double clicks by the console's own
// rule, so that the timing is the same on every browser and system and can
// be tested without one.
#pragma once

#include <cstdint>
#include <vector>

#include "console/platform.h"

namespace kippfeld::platform {

enum class PointerAction { kDown, kUp, kMove, kWheel };

struct PointerEvent {
  PointerAction action = PointerAction::kMove;
  int x = 0;  // 0-based cell, already inside the screen
  int y = 0;
  int button = 0;     // MouseEvent.button: 0 left (and touch), 1 middle, 2 right
  double timeMs = 0;  // the event's time stamp
};

class MouseRecords {
 public:
  // The console's double-click time and area: a second press of the same
  // button on the same cell within this many milliseconds of the first.
  static constexpr double kDoubleClickMs = 500;

  // The records the console delivers for the event, in order; none for an
  // event that changes nothing it reports (a move within the same cell, a
  // release of a button not held, a button it does not know).
  std::vector<InputRecord> On(const PointerEvent& event);

 private:
  std::uint32_t buttons_ = 0;
  int lastX_ = -1;
  int lastY_ = -1;
  // The press that may start a double click; cleared by a double click, so
  // that a third press is a press again.
  bool pressPending_ = false;
  std::uint32_t pressButton_ = 0;
  int pressX_ = 0;
  int pressY_ = 0;
  double pressTime_ = 0;
};

}  // namespace kippfeld::platform
