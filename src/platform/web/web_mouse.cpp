#include "platform/web/web_mouse.h"

#include "platform/input_records.h"

namespace kippfeld::platform {

namespace {

// MouseEvent.button to the console's button bit: left 1, right 2, middle 4.
std::uint32_t ButtonBit(int button) {
  switch (button) {
    case 0:
      return kLeftButton;
    case 1:
      return kMiddleButton;
    case 2:
      return kRightButton;
    default:
      return 0;
  }
}

}  // namespace

std::vector<InputRecord> MouseRecords::On(const PointerEvent& event) {
  std::vector<InputRecord> records;
  const bool moved = event.x != lastX_ || event.y != lastY_;
  lastX_ = event.x;
  lastY_ = event.y;
  const std::uint32_t bit = ButtonBit(event.button);
  switch (event.action) {
    case PointerAction::kMove:
      // The console reports a move only when the pointer reaches another cell.
      if (moved) records.push_back(MouseRecord(event.x, event.y, buttons_, kMouseMoved));
      break;
    case PointerAction::kWheel:
      records.push_back(MouseRecord(event.x, event.y, buttons_, kMouseWheeled));
      break;
    case PointerAction::kDown: {
      if (bit == 0 || (buttons_ & bit) != 0) break;
      buttons_ |= bit;
      const bool twice = pressPending_ && pressButton_ == bit && pressX_ == event.x &&
                         pressY_ == event.y && event.timeMs - pressTime_ >= 0 &&
                         event.timeMs - pressTime_ <= kDoubleClickMs;
      records.push_back(
          MouseRecord(event.x, event.y, buttons_, twice ? std::uint32_t{kDoubleClick} : 0u));
      pressPending_ = !twice;
      pressButton_ = bit;
      pressX_ = event.x;
      pressY_ = event.y;
      pressTime_ = event.timeMs;
      break;
    }
    case PointerAction::kUp:
      if (bit == 0 || (buttons_ & bit) == 0) break;
      buttons_ &= ~bit;
      records.push_back(MouseRecord(event.x, event.y, buttons_, 0));
      break;
  }
  return records;
}

}  // namespace kippfeld::platform
