// What the C++20 library of Debian's emscripten (libc++ 13) lacks and the code uses, filled
// from the compiler's builtins. Included ahead of every source of a browser build
// (web/web.cmake), so the sources stay plain C++20.
#pragma once

#if __cplusplus >= 202002L
#include <version>
#endif

#if __cplusplus >= 202002L && !defined(__cpp_lib_bit_cast)
#include <type_traits>

namespace std {

template <class To, class From>
  requires(sizeof(To) == sizeof(From) && is_trivially_copyable_v<To> && is_trivially_copyable_v<From>)
constexpr To bit_cast(const From& from) noexcept {
  return __builtin_bit_cast(To, from);
}

}  // namespace std
#endif
