// Numbers and their text form. Arithmetic runs in long double (the x86-64
// extended type, 64-bit significand; IEEE quad on arm64 and WebAssembly);
// values the game stores are float.
#pragma once

#include <limits>
#include <string>
#include <string_view>

namespace kippfeld::console {

// Times and totals are summed and rounded in long double and shown with 15
// significant digits, and a tie at digit 16 is settled exactly from the
// value's top 64 bits. Where long double is only a double (53 bits: MSVC,
// 32-bit ARM) sums drift in the last shown digits and some ties round the
// other way, so such a build would show other numbers than every other one.
static_assert(std::numeric_limits<long double>::digits >= 64,
              "kippfeld needs a long double with a significand of 64 bits or more "
              "(x86 extended or IEEE quad); with a 53-bit one its numbers differ");
// The text forms read and write exponents up to about 4932, as the extended
// type holds them.
static_assert(std::numeric_limits<long double>::max_exponent10 >= 4932,
              "kippfeld needs a long double with the extended exponent range");

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
