#pragma once

namespace mv::AskpassMode {

// Called first thing by the program's entry. Returns false at once unless an argument is exactly
// "--askpass"; then it prints the passphrase of the destination in MARROWVALE_ASKPASS_DESTINATION followed by
// a line feed and ends the process with status 0, or ends it with status 1 and prints nothing.
bool handleIfRequested(int argc, const char* const* argv);

} // namespace mv::AskpassMode
