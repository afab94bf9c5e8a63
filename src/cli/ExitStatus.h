#pragma once

namespace sortana {

inline constexpr int exitSuccess = 0;
inline constexpr int exitFailed = 1;   // refused, failed or cancelled
inline constexpr int exitUsage = 2;

} // namespace sortana
