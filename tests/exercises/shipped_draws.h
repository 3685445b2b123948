#pragma once
// Draws per shipped exercise. The native build draws in full. The sanitizer build runs
// some fifty times slower, and the Windows build under Wine runs the same pure code
// that the native build checked already, some five times slower: both draw a tenth as
// often.
namespace pendrix {
#if defined(__SANITIZE_ADDRESS__) || defined(_WIN32)
inline constexpr int kShippedDraws = 20;
#else
inline constexpr int kShippedDraws = 200;
#endif
}  // namespace pendrix
