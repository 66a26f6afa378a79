#pragma once

// The standard streams as a command-line program sees them.

namespace rinoza {

inline constexpr int kStandardInput = 0;
inline constexpr int kStandardOutput = 1;
inline constexpr int kStandardError = 2;

// Whether the descriptor is a terminal (a person may be reading and typing there).
bool isTerminal(int fd);

} // namespace rinoza
