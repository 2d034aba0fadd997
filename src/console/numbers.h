// Numbers and their text form. Arithmetic runs in long double (the x86-64
// extended type, 64-bit significand); values the game stores are float.
#pragma once

#include <string>
#include <string_view>

namespace kippfeld::console {

// The number text form: sign place (blank or "-"), the digits with `digits`
// (7 or 15) significant digits in fixed, fractional or exponent form, and one
// trailing blank.
std::string FormatNumber(long double value, int digits);

// Reads a decimal number from the start of text; never fails (no number: 0).
long double ParseNumber(std::string_view text);

// Greatest integer not above x.
long double Floor(long double x);

// x rounded to `places` decimal places (0..18, more counts as 18), ties to even.
long double RoundTo(long double x, int places);

// Bitwise complement of x rounded to an integer: -1 - round(x).
long double Complement(long double x);

}  // namespace kippfeld::console
