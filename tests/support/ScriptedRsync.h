#pragma once

#include <QString>
#include <QTemporaryDir>

namespace mv::test {

// A stand-in for rsync, for runs whose exit status or timing a test decides. It answers "--version" like
// rsync 3.5.0 and hands dry runs to the real rsync. Every other run is one attempt of a destination folder,
// named by the last component of rsync's target (the parent's when the target is a dated snapshot): the
// attempt is counted, the script's pid noted, the behaviour the test set for that folder is run as bash
// with $n = the attempt's number, and, unless the behaviour exited, the real rsync does the transfer.
class ScriptedRsync {
public:
    ScriptedRsync();

    // The executable to put in the settings' rsyncPath.
    QString path() const { return m_path; }

    // Bash run at each attempt for `folder`, e.g. "[ $n = 1 ] && exit 23" or holdUntilReleased().
    void setBehaviour(const QString& folder, const QString& bash) const;
    // A behaviour that waits until release(folder).
    static QString holdUntilReleased();
    void release(const QString& folder) const;
    // A behaviour step that notes the attempt got this far, for hasReached(folder, name).
    static QString markReached(const QString& name);
    bool hasReached(const QString& folder, const QString& name) const;

    int attempts(const QString& folder) const;
    // The pid of the latest attempt's script, or 0.
    qint64 pid(const QString& folder) const;

private:
    QString file(const QString& name) const;

    QTemporaryDir m_dir;
    QString m_path;
};

} // namespace mv::test
