// Run-time errors: a failing operation records a number and returns
// normally; the running procedure checks after each statement and, with a
// handler installed, leaves for it.
#pragma once

#include <cstddef>

#include "console/state.h"

namespace kippfeld::console {

// Thrown only by CheckError, caught only by the main routine, which then runs
// its handler.
struct ErrorTransfer {};

void SetErrorHandler(ErrorHandler handler);
// Numbers outside 1..255 become 5.
void RaiseError(int number);
// With a pending error and a handler: sets the in-handler flag and throws
// ErrorTransfer. Without a handler the error is dropped and the number stays.
void CheckError();
int ErrorNumber();

// Before an array is set up: false, with error 9 raised, when upper is below
// lower or the array's size in bytes does not fit in 32 bits.
bool CheckArrayBounds(long long lower, long long upper, std::size_t elementSize);

// Runs body; a transfer from CheckError runs the installed handler instead.
void RunWithErrorHandler(void (*body)());

// The main routine's handler: " fehler  ..." and the number, a new line,
// two seconds' pause, then the end of the program with exit code 0.
[[noreturn]] void ReportRunTimeError();

}  // namespace kippfeld::console
