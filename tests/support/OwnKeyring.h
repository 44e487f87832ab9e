#pragma once

#include <QObject>

namespace mv::test {

// Runs the Qt Test object `test` on a session bus and an unlocked gnome-keyring of its own (the process
// starts itself again inside dbus-run-session), for tests that lock the keyring, which would disturb tests
// sharing the runner's keyring. Use as the body of main() after creating the application object.
int execWithOwnKeyring(QObject& test, int argc, char** argv);

// Locks the default collection of the keyring on the session bus; unlocks it again with the password that
// execWithOwnKeyring gave it. True when the keyring agreed.
bool lockDefaultKeyring();
bool unlockDefaultKeyring();

} // namespace mv::test
