#include "ui/models/support/HelpItem.h"

namespace mv {

const QList<HelpItem>& HelpItem::all()
{
    static const QList<HelpItem> items {
        { QStringLiteral("menu-bar"), QStringLiteral("The menu bar icon is not visible"),
            QStringLiteral(
                "Your desktop decides where tray icons appear. On a crowded panel a new icon can be "
                "placed in a hidden overflow area, and some desktops show no tray at all; Marrowvale "
                "then opens its dashboard at launch. Start Marrowvale again from your applications "
                "menu and it opens. If you would rather have a taskbar icon, turn off Show menu bar "
                "icon in Settings.") },
        { QStringLiteral("offline"), QStringLiteral("A destination is offline"),
            QStringLiteral(
                "Reconnect the drive or mount the share in your file manager. Check the path under "
                "Destinations. Marrowvale never creates a replacement folder when a volume is "
                "missing. Press Check Now after reconnecting, then Run Now.") },
        { QStringLiteral("different-volume"), QStringLiteral("Marrowvale says a different volume is mounted"),
            QStringLiteral(
                "The destination was set up on another disk. Reconnect the original volume, or edit "
                "the destination and choose the new folder. Nothing is written while the volume "
                "identity differs.") },
        { QStringLiteral("rsync"), QStringLiteral("rsync was not found or is too old"),
            QStringLiteral(
                "Install a current rsync with your package manager. Marrowvale looks for it in "
                "/usr/local/bin, /usr/bin and /bin; to use another one, open Settings → Advanced and "
                "choose it. An rsync older than 3.1 cannot provide live progress.") },
        { QStringLiteral("ssh"), QStringLiteral("The SSH connection fails"),
            QStringLiteral("Check the host, user, port, remote folder and key. The server needs rsync 3.1 or "
                           "later. Its host key must already be in known_hosts; connect once with ssh in a "
                           "terminal to add it. Password login is not used. Press Test Connection after "
                           "correcting the fields.") },
        { QStringLiteral("mirror"), QStringLiteral("Mirror stopped because the source is empty"),
            QStringLiteral(
                "Mirror is blocked when no source items survive the exclusion rules. Check that the "
                "drive is mounted and review the exclusions. Nothing was deleted. Incremental copy is "
                "the safer default.") },
        { QStringLiteral("paused"), QStringLiteral("A backup is slow or paused"),
            QStringLiteral(
                "The run may be limited by the bandwidth setting. A paused run keeps its process and "
                "partial files. Resume or cancel it from the panel. Closing the panel never pauses or "
                "stops a run.") },
        { QStringLiteral("restore"), QStringLiteral("Restore says files already exist"),
            QStringLiteral(
                "The conflict sheet lists files that would be replaced. Choose Keep Existing to add "
                "only missing files, or Replace to overwrite. Marrowvale checks with a real dry run "
                "and never replaces anything before you choose.") },
        { QStringLiteral("logs"), QStringLiteral("Where are the logs and history?"),
            QStringLiteral("Open Activity to search run records, export CSV, and copy or export a run log. "
                           "Settings → Advanced can reveal the data folder. History retention is set in "
                           "Settings → Backup.") },
    };
    return items;
}

} // namespace mv
