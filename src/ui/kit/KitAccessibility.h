#pragma once

namespace mv {

// Makes the kit's painted controls known to accessibility with real roles: buttons that can be pressed, a
// progress bar with its value, chips and labels that read as their whole text, and decorative pieces that
// readers pass over. Every kit control calls it when it is made; only the first call installs anything.
void installKitAccessibility();

} // namespace mv
