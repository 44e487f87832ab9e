#pragma once

#include <QString>

namespace mv::AppPaths {

// The folder holding every file the program keeps for itself: MARROWVALE_SUPPORT_DIR when it is set and not
// empty (taken as it stands), otherwise "Marrowvale" inside the user's data folder ($XDG_DATA_HOME, by
// default ~/.local/share). Read afresh on every call; nothing is created.
QString supportDirectory();

// The folder of run, restore and preview logs inside the support directory.
QString logsDirectory();

// Creates the support directory, then its Logs folder (each owner-only when it is made here). Folders that
// already exist are fine. Throws FileSystemError for the first failure and then stops.
void ensureDirectories();
// The same for a support folder its owner chose.
void ensureDirectories(const QString& supportFolder);

} // namespace mv::AppPaths
