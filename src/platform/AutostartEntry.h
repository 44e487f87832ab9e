#pragma once

#include <QByteArray>
#include <QString>

namespace mv::AutostartEntry {

// The desktop's autostart entry that starts the program when the user logs in (XDG Autostart):
// "marrowvale.desktop" in the "autostart" folder of $XDG_CONFIG_HOME, by default ~/.config.

QString path();

// An entry that starts `program` (an absolute path), with no arguments.
QByteArray compose(const QString& program);

// Whether the entry `contents` starts `program`: its "Desktop Entry" group runs it by that path and is not
// hidden. Any text at all may be given, since people edit these files by hand; what cannot be read that
// way does not start the program.
bool startsProgram(const QByteArray& contents, const QString& program);

} // namespace mv::AutostartEntry
