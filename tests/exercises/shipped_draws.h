#pragma once
// Draws per shipped exercise. The sanitizer build runs some fifty times slower,
// so it draws a tenth as often; the plain builds draw in full.
namespace pendrix {
#ifdef __SANITIZE_ADDRESS__
inline constexpr int kShippedDraws = 20;
#else
inline constexpr int kShippedDraws = 200;
#endif
}  // namespace pendrix
