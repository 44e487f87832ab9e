#pragma once

#include <QString>

namespace mv::test {

// The absolute path of a program built in src/app of the build under test (MV_BUILD_DIR), such as
// "marrowvale" or "marrowvale-askpass". A test using it must depend on that target in its CMakeLists.
QString builtProgram(const QString& name);

// Points MARROWVALE_ASKPASS_EXECUTABLE at the built marrowvale-askpass, so that askpassExecutablePath() finds
// it from a test executable, which does not live beside the program.
void useBuiltAskpass();

} // namespace mv::test
