#include "console/numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <utility>
#include <vector>

namespace kippfeld::console {

namespace {

constexpr int kScaleDigits = 18;
constexpr std::uint64_t kTenTo17 = 100'000'000'000'000'000ull;
constexpr std::uint64_t kTenTo18 = 1'000'000'000'000'000'000ull;

// Largest power of ten a long double holds exactly (5^27 < 2^64); beyond it
// the power itself is rounded, which RoundScaled allows for.
constexpr int kExactTenPower = 27;

// The reader's decimal exponent limit (about the extended type's range) and
// the cap on a written exponent, which keeps its digits from overflowing.
constexpr int kDecimalExponentLimit = 4933;
constexpr int kExponentCap = 9999;

std::uint64_t IntegerTenTo(int n) {
  std::uint64_t power = 1;
  for (int i = 0; i < n; ++i) power *= 10;
  return power;
}

// 10^n for 0 <= n. Beyond the exact powers, some C libraries (musl, which
// the browser build links) compute an IEEE quad pow in double: infinity past
// 1E+308 and only 53 good bits below it. With 113 bits the power comes from
// squaring instead: its few units of 2^-113 stay far inside the 1/4 that
// RoundScaled allows. On the x87's 64 bits squaring's error would come close
// to that, and there the C library's powl is exact to a unit.
long double TenTo(int n) {
  if (n >= 0 && n <= kExactTenPower) {
    long double power = 1.0L;
    for (int i = 0; i < n; ++i) power *= 10.0L;
    return power;
  }
  if constexpr (std::numeric_limits<long double>::digits > 64) {
    long double power = 1.0L;
    long double square = 10.0L;
    for (int left = n;;) {
      if (left % 2 == 1) power *= square;
      left /= 2;
      if (left == 0) return power;
      square *= square;
    }
  }
  return std::pow(10.0L, static_cast<long double>(n));
}

// v times 10^s in extended precision. A negative s divides by the exact
// power where one exists, so that values like 1E+20 scale without a rounded
// reciprocal getting in the way; a large positive s is split so that the
// scaling of the smallest subnormals does not overflow the power itself.
long double ScaleByTen(long double v, int s) {
  if (s < 0) {
    if (-s > 4900) return v / TenTo(-s - 4900) / TenTo(4900);
    return v / TenTo(-s);
  }
  if (s > 4900) return v * TenTo(s - 4900) * TenTo(4900);
  return v * TenTo(s);
}

// Just enough of an unsigned big integer (32-bit limbs, least significant
// first) to compare two exact products of powers of two and ten.
using BigInteger = std::vector<std::uint32_t>;

void MultiplySmall(BigInteger& a, std::uint32_t factor) {
  std::uint64_t carry = 0;
  for (std::uint32_t& limb : a) {
    std::uint64_t product = static_cast<std::uint64_t>(limb) * factor + carry;
    limb = static_cast<std::uint32_t>(product);
    carry = product >> 32;
  }
  if (carry != 0) a.push_back(static_cast<std::uint32_t>(carry));
}

void MultiplyByTenTo(BigInteger& a, int n) {
  for (; n >= 9; n -= 9) MultiplySmall(a, 1'000'000'000u);
  if (n > 0) MultiplySmall(a, static_cast<std::uint32_t>(IntegerTenTo(n)));
}

void MultiplyByTwoTo(BigInteger& a, int n) {
  a.insert(a.begin(), static_cast<std::size_t>(n / 32), 0u);
  int bits = n % 32;
  if (bits == 0) return;
  std::uint32_t carry = 0;
  for (std::uint32_t& limb : a) {
    std::uint32_t next = limb >> (32 - bits);
    limb = (limb << bits) | carry;
    carry = next;
  }
  if (carry != 0) a.push_back(carry);
}

BigInteger FromWord(std::uint64_t value) {
  return {static_cast<std::uint32_t>(value), static_cast<std::uint32_t>(value >> 32)};
}

int CompareBig(BigInteger a, BigInteger b) {
  while (!a.empty() && a.back() == 0) a.pop_back();
  while (!b.empty() && b.back() == 0) b.pop_back();
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  for (std::size_t i = a.size(); i-- > 0;) {
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  }
  return 0;
}

// v > 0 as m * 2^exponent with m an integer of whole 32-bit limbs: all of
// the significand, 64 bits of the x86 extended type, 113 of IEEE quad.
BigInteger Significand(long double v, int& exponent) {
  constexpr int kLimbs = (std::numeric_limits<long double>::digits + 31) / 32;
  int binaryExponent = 0;
  long double fraction = std::frexp(v, &binaryExponent);
  BigInteger m(kLimbs, 0u);
  for (int i = kLimbs; i-- > 0;) {
    fraction = std::ldexp(fraction, 32);
    long double limb = std::floor(fraction);
    m[static_cast<std::size_t>(i)] = static_cast<std::uint32_t>(limb);
    fraction -= limb;
  }
  exponent = binaryExponent - 32 * kLimbs;
  return m;
}

// Where the exact v * 10^s lies against q + 1/2: negative below, 0 on it,
// positive above. v = m * 2^E, so the question is whether
// m * 2^(E+1) * 10^s exceeds 2q + 1; each factor goes to the side where its
// exponent is positive.
int SideOfHalf(long double v, int s, std::uint64_t q) {
  int binaryExponent = 0;
  BigInteger left = Significand(v, binaryExponent);
  int twos = binaryExponent + 1;
  BigInteger right = FromWord(2 * q + 1);
  MultiplyByTenTo(s >= 0 ? left : right, s >= 0 ? s : -s);
  MultiplyByTwoTo(twos >= 0 ? left : right, twos >= 0 ? twos : -twos);
  return CompareBig(std::move(left), std::move(right));
}

// v * 10^s rounded to an integer, ties to even, as if the product were
// exact. The extended product alone rounds twice (first to 64 bits, then to
// an integer) and, past 10^27, also carries the power's own error; either
// can turn a ...499.49 into ...500 and so flip digit N+1 from 4 to 5. Only
// products close to a half are settled exactly; 1/4 is far beyond the few
// units in the last place the extended product can be off.
std::uint64_t RoundScaled(long double v, int s, long double scaled) {
  long double below = std::floor(scaled);
  auto q = static_cast<std::uint64_t>(below);
  if (std::fabs(scaled - below - 0.5L) >= 0.25L)
    return static_cast<std::uint64_t>(std::nearbyint(scaled));
  int side = SideOfHalf(v, s, q);
  return side > 0 || (side == 0 && q % 2 == 1) ? q + 1 : q;
}

struct Digits18 {
  std::uint64_t digits;  // 10^17 <= digits < 10^18
  int exponent;          // k: 10^k <= v < 10^(k+1), after rounding
};

// v > 0 and finite: its first 18 significant digits. The binary exponent
// only guesses k (to within one; a C library's log10 of a quad may be
// double's, infinite past 1E+308), and the scaled value corrects it, since
// near a power of ten the rounding decides which side the value falls on.
Digits18 EighteenDigits(long double v) {
  int binaryExponent = 0;
  std::frexp(v, &binaryExponent);  // 2^(e-1) <= v < 2^e
  constexpr long double kLog10Of2 = 0.301029995663981195214L;
  int k = static_cast<int>(std::floor((binaryExponent - 1) * kLog10Of2));
  constexpr long double kLow = static_cast<long double>(kTenTo17) - 1.0L;
  constexpr long double kHigh = static_cast<long double>(kTenTo18) + 1.0L;
  for (int attempt = 0; attempt < 8; ++attempt) {
    int s = kScaleDigits - 1 - k;
    long double scaled = ScaleByTen(v, s);
    if (scaled >= kHigh) {
      ++k;
      continue;
    }
    if (scaled < kLow) {
      --k;
      continue;
    }
    std::uint64_t digits = RoundScaled(v, s, scaled);
    if (digits == kTenTo18) return {kTenTo17, k + 1};
    if (digits > kTenTo18) {
      ++k;
    } else if (digits < kTenTo17) {
      --k;
    } else {
      return {digits, k};
    }
  }
  return {kTenTo17, k};  // unreachable for finite v > 0
}

}  // namespace

std::string FormatNumber(long double value, int digits) {
  if (value == 0.0L || std::isnan(value)) return " 0 ";
  // The look at digit N+1 needs one of the 18 scaled digits beyond the kept
  // ones; the game asks for 7 or 15.
  int n = std::clamp(digits, 1, kScaleDigits - 1);

  std::string text(1, std::signbit(value) ? '-' : ' ');
  long double v = std::fabs(value);

  std::uint64_t kept = 0;
  int e = 0;  // v = 0.d1d2d3... * 10^e
  if (std::isinf(v)) {
    kept = IntegerTenTo(n) - 1;
    e = 999;
  } else {
    Digits18 all = EighteenDigits(v);
    e = all.exponent + 1;
    std::uint64_t below = IntegerTenTo(kScaleDigits - n);
    kept = all.digits / below;
    // Digit N+1 alone decides; what follows it is deliberately not looked at,
    // so x.xxxxxx5000001 still goes to the even side.
    int next = static_cast<int>(all.digits / (below / 10) % 10);
    if (next > 5 || (next == 5 && kept % 2 == 1)) ++kept;
    if (kept == IntegerTenTo(n)) {
      kept = IntegerTenTo(n - 1);
      ++e;
    }
  }

  std::string figures = std::to_string(kept);
  figures.erase(figures.find_last_not_of('0') + 1);
  int count = static_cast<int>(figures.size());
  int p = e - count;  // power of ten of the last figure

  if (p == 0) {
    text += figures;
  } else if (p > 0 && count + p <= n) {
    text += figures;
    text.append(static_cast<std::size_t>(p), '0');
  } else if (p < 0 && -p <= n) {
    if (count > -p) {
      text += figures.substr(0, static_cast<std::size_t>(count + p));
      text += '.';
      text += figures.substr(static_cast<std::size_t>(count + p));
    } else {
      text += '.';
      text.append(static_cast<std::size_t>(-p - count), '0');
      text += figures;
    }
  } else {
    text += figures[0];
    if (count > 1) {
      text += '.';
      text += figures.substr(1);
    }
    text += 'E';
    text += e - 1 >= 0 ? '+' : '-';
    text += std::to_string(e - 1 >= 0 ? e - 1 : 1 - e);
  }
  text += ' ';
  return text;
}

long double ParseNumber(std::string_view text) {
  std::size_t at = 0;
  auto more = [&] { return at < text.size(); };
  auto isDigit = [&] { return more() && text[at] >= '0' && text[at] <= '9'; };

  while (more() && (text[at] == ' ' || text[at] == '\t' || text[at] == '\n')) ++at;
  // A leading "&" starts a separate whole-number form (hexadecimal, octal,
  // binary) whose width and sign rules nothing in this program defines; the
  // game never reads one, so it is read as no number rather than guessed at.
  if (more() && text[at] == '&') return 0.0L;

  bool negative = false;
  if (more() && (text[at] == '+' || text[at] == '-')) {
    negative = text[at] == '-';
    ++at;
  }

  // The value is mantissa * 10^scale; the mantissa holds at most 18 digits,
  // which fit a 64-bit integer and the extended type's significand exactly.
  std::uint64_t mantissa = 0;
  int used = 0;
  long long scale = 0;
  bool point = false;
  for (; more(); ++at) {
    char c = text[at];
    if (c == '.') {
      if (point) break;
      point = true;
      continue;
    }
    if (c < '0' || c > '9') break;
    int digit = c - '0';
    if (mantissa == 0 && digit == 0) {
      if (point) --scale;  // a leading zero after the point shifts the value
    } else if (used < kScaleDigits) {
      mantissa = mantissa * 10 + static_cast<std::uint64_t>(digit);
      ++used;
      if (point) --scale;
    } else if (!point) {
      ++scale;  // cut, not rounded, but still counted for the magnitude
    }
  }

  if (more() && (text[at] == 'E' || text[at] == 'e' || text[at] == 'D' || text[at] == 'd')) {
    ++at;
    bool exponentNegative = false;
    if (more() && (text[at] == '+' || text[at] == '-')) {
      exponentNegative = text[at] == '-';
      ++at;
    }
    long long exponent = 0;
    for (; isDigit(); ++at) {
      exponent = std::min<long long>(exponent * 10 + (text[at] - '0'), kExponentCap);
    }
    scale += exponentNegative ? -exponent : exponent;
  }

  if (mantissa == 0) return 0.0L;
  long long decimalExponent = used + scale;
  long double magnitude = 0.0L;
  if (decimalExponent >= kDecimalExponentLimit) {
    // Too large for the extended type: the text reads as 2^127, a value a
    // single-precision variable can still hold, rather than as an infinity.
    magnitude = 0x1p127L;
  } else if (decimalExponent <= -kDecimalExponentLimit) {
    return 0.0L;
  } else {
    // The C library's reader rounds the exact decimal value once; scaling by
    // powers of ten in steps would round at every step.
    // The text is built in place: reading a number must not allocate.
    char exact[48];
    char* end = std::to_chars(exact, exact + 24, mantissa).ptr;
    *end++ = 'e';
    end = std::to_chars(end, exact + sizeof exact - 1, scale).ptr;
    *end = '\0';
    magnitude = std::strtold(exact, nullptr);
  }
  return negative ? -magnitude : magnitude;
}

long double Floor(long double x) {
  return std::floor(x);
}

long double RoundTo(long double x, int places) {
  // Negative places are not given a meaning (rounding to tens, hundreds...):
  // they count as 0, the one case the game uses.
  int clamped = std::clamp(places, 0, kScaleDigits);
  long double power = TenTo(clamped);
  return std::nearbyint(x * power) / power;
}

long double Complement(long double x) {
  // Outside the 64-bit range (and for a NaN) the conversion gives the
  // integer indefinite value, the most negative 64-bit integer, as the
  // 80-bit unit's store does; its complement is the most positive one.
  // llrint leaves that case to the machine (arm64 saturates instead), so it
  // is decided here.
  constexpr long double kTwoTo63 = 9223372036854775808.0L;
  long double rounded = std::nearbyint(x);
  long long whole = std::numeric_limits<long long>::min();
  if (rounded >= -kTwoTo63 && rounded < kTwoTo63) whole = static_cast<long long>(rounded);
  return static_cast<long double>(~whole);
}

}  // namespace kippfeld::console
