#include "console/errors.h"

namespace kippfeld::console {

void SetErrorHandler(ErrorHandler handler) {
  Console().error.handler = handler;
  Console().error.pending = false;
}

void RaiseError(int number) {
  ErrorState& error = Console().error;
  error.number = static_cast<std::uint8_t>(number >= 1 && number <= 255 ? number : 5);
  error.pending = true;
}

void CheckError() {
  ErrorState& error = Console().error;
  if (!error.pending) return;
  error.pending = false;
  if (error.handler == nullptr) return;
  error.inHandler = true;
  throw ErrorTransfer{};
}

int ErrorNumber() {
  return Console().error.number;
}

bool CheckArrayBounds(long long lower, long long upper, std::size_t elementSize) {
  constexpr unsigned long long kLimit = 0xFFFFFFFFull;
  bool valid = upper >= lower;
  if (valid) {
    // The span is taken unsigned so that bounds far apart cannot overflow.
    unsigned long long span =
        static_cast<unsigned long long>(upper) - static_cast<unsigned long long>(lower);
    valid = span < kLimit && (elementSize == 0 || span + 1 <= kLimit / elementSize);
  }
  if (!valid) RaiseError(9);
  return valid;
}

void RunWithErrorHandler(void (*body)()) {
  try {
    body();
  } catch (const ErrorTransfer&) {
    // The handler does not resume the procedure: it reports and ends.
    if (Console().error.handler != nullptr) Console().error.handler();
  }
}

}  // namespace kippfeld::console
