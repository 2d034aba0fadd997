// Numbers and their text form. Arithmetic runs in long double (the x86-64
// extended type, 64-bit significand; IEEE quad on arm64 and WebAssembly);
// values the game stores are float.
#pragma once

#include <limits>
#include <string>
#include <string_view>

namespace kippfeld::console {

// Times and totals are summed and rounded in long double, and the text form
// works out 18 significant digits of a value to show 15 (digit 16 decides
// the rounding): that takes a significand of 64 bits or more, some 19
// digits. Where long double is only a double (53 bits, not quite 16 digits:
// MSVC, 32-bit ARM) sums drift into the shown digits and ties round the
// other way, so such a build would show other numbers than every other one.
static_assert(std::numeric_limits<long double>::digits >= 64,
              "kippfeld needs a long double with a significand of 64 bits or more "
              "(x86 extended or IEEE quad); with a 53-bit one its numbers differ");
// The text forms read and write exponents up to about 4932, as the extended
// type holds them.
static_assert(std::numeric_limits<long double>::max_exponent10 >= 4932,
              "kippfeld needs a long double with the extended exponent range");

// The significant digits a number is written with: a value held in a
// single-precision variable (a float) shows its 7, a value computed on the
// spot in long double its 15. The screens, the results table and the
// history file all write with these two.
inline constexpr int kStoredDigits = 7;
inline constexpr int kComputedDigits = 15;

// The number text form: sign place (blank or "-"), the digits with `digits`
// (kStoredDigits or kComputedDigits) significant digits in fixed, fractional
// or exponent form, and one trailing blank.
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
