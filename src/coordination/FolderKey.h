#pragma once

#include <QString>

namespace mv {

struct BackupDestination;

// The identity of the folder a destination writes to, for the rule that only one run writes to a folder at
// a time. Two destinations write to the same folder exactly when their keys are equal:
// - a drive or share: its path, normalised ("~" expanded, trailing "/" dropped, symbolic links resolved);
// - an SSH server: the user, the host in lower case without brackets, the port and the normalised remote
//   path;
// - Google Drive: its display path, account and folder name included.
QString folderKey(const BackupDestination& destination);

} // namespace mv
