// Put in front of every file of the browser build (-include, from
// cmake/emscripten.cmake): what C++20 has and the C++ library of Debian's
// emscripten 3.1.6 does not yet, so that the portable sources compile as
// they are. Each piece steps aside where the library has its own.
#pragma once

#ifdef __cplusplus
#include <version>

#if !defined(__cpp_lib_bit_cast)
#include <type_traits>

namespace std {

// The library's own is this same builtin of clang's.
template <class To, class From>
requires(sizeof(To) == sizeof(From) && is_trivially_copyable_v<To> &&
         is_trivially_copyable_v<From>) constexpr To bit_cast(const From& from) noexcept {
  return __builtin_bit_cast(To, from);
}

}  // namespace std
#endif
#endif
