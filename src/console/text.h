// Byte-string operations on code page 850 texts and key strings. Positions
// count from 1. An operation that builds a new string raises run-time error 7
// and yields the empty string when no memory can be had.
#pragma once

#include <string>
#include <string_view>

namespace kippfeld::console {

// Item n (from 1) of an item list: a 16-bit little-endian count followed by
// that many zero-ended texts. Empty outside 1..count or past the list's end.
std::string ItemText(std::string_view list, long long n);

long long Length(std::string_view s);

// Code 0..255 of byte n (negative n counts from the end), -1 outside.
int CodeAt(std::string_view s, long long n = 1);

std::string Mid(std::string_view s, long long start, long long count);
std::string Right(std::string_view s, long long n);

// A..Z and the seven code page 850 capitals made small; all else unchanged.
std::string LowerCase(std::string_view s);

// The one-byte string of the code's low 8 bits.
std::string CharText(long long code);

// Byte-wise comparison as unsigned values: negative, 0 or positive.
int Compare(std::string_view a, std::string_view b);

}  // namespace kippfeld::console
