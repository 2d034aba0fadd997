// The host of the page the program runs in: the functions of
// web_library.js, which show rows in the page's DOM, read the browser's
// clock, and suspend the program (Asyncify) until the page wakes it.
#pragma once

#include "platform/web/web_platform.h"

namespace kippfeld::platform {

class BrowserHost : public WebHost {
 public:
  void ShowRow(int y, const Cell* cells, int width) override;
  TimeOfDay LocalTime() override;
  bool Wait(std::int64_t milliseconds, bool untilInput) override;
  [[noreturn]] void End(int exitCode) override;
};

}  // namespace kippfeld::platform
