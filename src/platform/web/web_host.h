// The host of the page the program runs in: the functions of
// web_library.js, which show rows in the page's DOM, read the browser's
// clock, and suspend the program (Asyncify) until the page wakes it.
#pragma once

#include <functional>
#include <utility>

#include "platform/web/web_platform.h"

namespace kippfeld::platform {

class BrowserHost : public WebHost {
 public:
  // runJobs does the page's history jobs queued so far and says whether
  // there were any. They run on the program's own stack, in its waits,
  // because the browser's storage answers later: only the program's own
  // stack can be suspended until it does, and it can be suspended only
  // once at a time.
  explicit BrowserHost(std::function<bool()> runJobs) : runJobs_(std::move(runJobs)) {}

  void ShowRow(int y, const Cell* cells, int width) override;
  void ShowCursor(int x, int y) override;
  TimeOfDay LocalTime() override;
  bool Wait(std::int64_t milliseconds, bool untilInput) override;
  [[noreturn]] void End(int exitCode) override;

 private:
  std::function<bool()> runJobs_;
};

}  // namespace kippfeld::platform
