#pragma once

#include <QString>

namespace mv::test {

// Moves this process into a mount namespace of its own, with nothing propagating back to the machine's, so
// a test can mount volumes where it likes and the kernel drops them when the process ends, even after a
// crash. Must run before any thread starts: threads that already exist stay in the old namespace. False
// when not permitted (not root); the test then skips what needs mounts.
bool enterPrivateMountNamespace();
bool inPrivateMountNamespace();

// One mount made by a test, unmounted when destroyed.
class Mount {
public:
    // A fresh tmpfs at the existing folder `target`; `options` as for mount(8), such as "size=10485760".
    static Mount tmpfs(const QString& target, const QString& options = {});
    // Shows the file or folder `source` at `target` as well.
    static Mount bind(const QString& source, const QString& target);

    Mount(Mount&& other) noexcept;
    Mount& operator=(Mount&&) = delete;
    ~Mount();

    const QString& target() const { return m_target; }
    // Makes the mount read only; every write then fails with EROFS, even for root.
    void remountReadOnly();
    // Writes a file ".filler" at the top of the mount until no byte more fits: later writes there fail with
    // ENOSPC, while files can still be made and removed.
    void fill();

private:
    Mount(QString target, unsigned long flags);
    QString m_target;
    unsigned long m_flags = 0;
};

} // namespace mv::test
