#pragma once

#include <QString>

#include <optional>

namespace mv::LoginItemService {

// Starting the program when the user logs in, through the desktop's autostart entry. Called on the main
// thread; every call reads or writes one small file at once.

// Whether the entry exists, starts this program and is not hidden. A hand-edited entry that does not
// (another program, no Exec, Hidden=true) reads as not registered; it never fails.
bool isEnabled();

// Registers or unregisters the program. Answers nothing on success or when nothing had to be done, and the
// reason, for the user, when the entry could not be written or removed; nothing else is changed then.
std::optional<QString> setEnabled(bool enabled);

} // namespace mv::LoginItemService
