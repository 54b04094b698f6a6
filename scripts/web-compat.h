// Forced into every C++ file built with Debian's Emscripten 3.1.6 (em++ -include
// scripts/web-compat.h): what its C++ library, libc++ 13, lacks of the C++20 that Vela's code
// uses. Nothing here changes a build that has it.
#pragma once

#if defined(__cplusplus) && defined(__EMSCRIPTEN__)
#include <version>

// std::bit_cast arrived in libc++ 14; clang 14's builtin does the same job.
#if defined(_LIBCPP_VERSION) && !defined(__cpp_lib_bit_cast)
#include <bit>
#include <type_traits>
namespace std {
template <class To, class From>
    requires(sizeof(To) == sizeof(From) && is_trivially_copyable_v<To> && is_trivially_copyable_v<From>)
constexpr To bit_cast(const From& from) noexcept
{
    return __builtin_bit_cast(To, from);
}
} // namespace std
#endif

#endif
