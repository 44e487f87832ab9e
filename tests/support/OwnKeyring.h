#pragma once

#include <QObject>

namespace mv::test {

// Who holds the Secret Service's name on the test's own session bus when the tests begin.
enum class KeyringAtStart {
    unlocked, // an unlocked gnome-keyring
    none, // nobody, and the bus starts no service by itself: the tests decide who takes the name, and when
};

// Runs the Qt Test object `test` on a session bus of its own (the process starts itself again inside
// dbus-run-session), with an unlocked gnome-keyring or none, for tests that lock the keyring or take over
// its name, which would disturb tests sharing the runner's keyring. Use as the body of main() after creating
// the application object.
int execWithOwnKeyring(
    QObject& test, int argc, char** argv, KeyringAtStart keyring = KeyringAtStart::unlocked);

// Starts gnome-keyring-daemon, unlocked with the password the helpers here know, and waits until it holds
// the Secret Service's name. True when it does.
bool startOwnKeyring();
// Waits until the Secret Service's name is held (or, with false, free) on the session bus. True when it is.
bool waitForSecretService(bool held);

// Locks the default collection of the keyring on the session bus; unlocks it again with the password that
// startOwnKeyring gave it. True when the keyring agreed.
bool lockDefaultKeyring();
bool unlockDefaultKeyring();

} // namespace mv::test
