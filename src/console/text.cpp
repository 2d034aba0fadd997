#include "console/text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <new>

#include "console/errors.h"

namespace kippfeld::console {

namespace {

// Every operation that builds a string goes through here: running out of
// memory is run-time error 7 with an empty result, never an exception that
// would tear through the game's statement-by-statement error checks.
template <typename Build>
std::string BuildText(Build build) {
  try {
    return build();
  } catch (const std::bad_alloc&) {
    RaiseError(7);
    return std::string();
  }
}

struct CasePair {
  unsigned char capital;
  unsigned char small;
};

// The capitals of code page 850 (and 437) that have a small letter in the
// same page; the other accented capitals of 850 stay as they are.
constexpr std::array<CasePair, 7> kOemCasePairs{{
    {0x80, 0x87},  // C cedilla
    {0x8E, 0x84},  // A umlaut
    {0x8F, 0x86},  // A ring
    {0x90, 0x82},  // E acute
    {0x99, 0x94},  // O umlaut
    {0x9A, 0x81},  // U umlaut
    {0xA5, 0xA4},  // N tilde
}};

constexpr std::array<unsigned char, 256> MakeLowerTable() {
  std::array<unsigned char, 256> table{};
  for (int code = 0; code < 256; ++code) table[code] = static_cast<unsigned char>(code);
  for (int code = 'A'; code <= 'Z'; ++code) table[code] = static_cast<unsigned char>(code + 32);
  for (const CasePair& pair : kOemCasePairs) table[pair.capital] = pair.small;
  return table;
}

constexpr std::array<unsigned char, 256> kLower = MakeLowerTable();

// 0-based offset of a 1-based position that may count from the end (-1 is
// the last byte); -1 when it names no byte of a string of this size.
long long OffsetOf(long long position, std::size_t size) {
  long long length = static_cast<long long>(size);
  if (position > 0) return position <= length ? position - 1 : -1;
  if (position < 0) return -position <= length ? length + position : -1;
  return -1;
}

}  // namespace

std::string ItemText(std::string_view list, long long n) {
  // The count is read only if both of its bytes are there, and the walk
  // stops at the view's end: a list shorter than its count claims (a damaged
  // or truncated table) yields empty items instead of reading past it.
  if (list.size() < 2 || n < 1) return std::string();
  long long count =
      static_cast<unsigned char>(list[0]) | (static_cast<unsigned char>(list[1]) << 8);
  if (n > count) return std::string();
  std::size_t at = 2;
  for (long long skip = 1; skip < n; ++skip) {
    std::size_t end = list.find('\0', at);
    if (end == std::string_view::npos) return std::string();
    at = end + 1;
  }
  if (at >= list.size()) return std::string();
  std::size_t end = list.find('\0', at);
  // An unterminated last item ends with the list.
  std::string_view item = list.substr(at, end == std::string_view::npos ? end : end - at);
  return BuildText([&] { return std::string(item); });
}

long long Length(std::string_view s) {
  return static_cast<long long>(s.size());
}

int CodeAt(std::string_view s, long long n) {
  long long offset = OffsetOf(n, s.size());
  if (offset < 0) return -1;
  return static_cast<unsigned char>(s[static_cast<std::size_t>(offset)]);
}

std::string Mid(std::string_view s, long long start, long long count) {
  long long offset = OffsetOf(start, s.size());
  if (offset < 0 || count <= 0) return std::string();
  long long rest = static_cast<long long>(s.size()) - offset;
  std::string_view part =
      s.substr(static_cast<std::size_t>(offset), static_cast<std::size_t>(std::min(count, rest)));
  return BuildText([&] { return std::string(part); });
}

std::string Right(std::string_view s, long long n) {
  if (n <= 0) return std::string();
  auto keep = static_cast<std::size_t>(std::min(n, Length(s)));
  std::string_view part = s.substr(s.size() - keep);
  return BuildText([&] { return std::string(part); });
}

std::string LowerCase(std::string_view s) {
  return BuildText([&] {
    std::string result(s);
    for (char& byte : result) {
      byte = static_cast<char>(kLower[static_cast<unsigned char>(byte)]);
    }
    return result;
  });
}

std::string CharText(long long code) {
  return BuildText([&] { return std::string(1, static_cast<char>(code & 0xFF)); });
}

int Compare(std::string_view a, std::string_view b) {
  std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    int left = static_cast<unsigned char>(a[i]);
    int right = static_cast<unsigned char>(b[i]);
    if (left != right) return left < right ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

}  // namespace kippfeld::console
