#pragma once
// The running program's own version; the version resource and the About lines say the same.
namespace modMain {
inline constexpr int kVersionMajor = 1;
inline constexpr int kVersionMinor = 1;
inline constexpr int kVersionRevision = 5;
} // namespace modMain
