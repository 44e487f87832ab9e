#pragma once

#include <QString>

namespace mv {

inline constexpr char askpassExecutableName[] = "marrowvale-askpass";
// Overrides where askpassExecutablePath() looks, for tests whose executables live elsewhere.
inline constexpr char askpassExecutableVariable[] = "MARROWVALE_ASKPASS_EXECUTABLE";

// The folder of the running program's executable.
QString runningExecutableDirectory();

// The absolute path of the small askpass program that ssh runs (SSH_ASKPASS): MARROWVALE_ASKPASS_EXECUTABLE
// when set and not empty, else "marrowvale-askpass" beside the running executable.
QString askpassExecutablePath();

} // namespace mv
