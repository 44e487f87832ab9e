#pragma once

#include <QString>

#include <optional>

namespace mv {

struct BackupDestination;

// The identity of the folder a destination writes to, for the rule that only one run writes to a folder at
// a time. Two destinations write to the same folder exactly when their keys are equal:
// - a drive or share: its path, normalised ("~" expanded, trailing "/" dropped, symbolic links resolved);
// - an SSH server: the user, the host in lower case without brackets, the port and the normalised remote
//   path;
// - Google Drive: `driveAccount`, the account a run would use now, and the folder's name below the
//   application's folder. Neither depends on what an earlier run wrote into the destination, so a
//   destination that has run and one that has not yet name the same folder alike.
QString folderKey(const BackupDestination& destination, const std::optional<QString>& driveAccount);

} // namespace mv
