#pragma once

#include <QByteArray>
#include <QString>

namespace mv::test {

// One trusted host key in the known_hosts file that ssh really reads: the one in the home folder of the
// password database (ssh ignores $HOME). The entry is added when made and removed when destroyed, leaving
// the file byte-identical to what it was (removing the file and ~/.ssh when tests created them). Every edit
// holds a lock so tests running side by side never lose each other's lines.
class KnownHostsEntry {
public:
    // `hostPattern` as ssh writes it ("[127.0.0.1]:2222"), `publicKey` the "type base64" of the host key.
    KnownHostsEntry(const QString& hostPattern, const QByteArray& publicKey);
    ~KnownHostsEntry();
    KnownHostsEntry(const KnownHostsEntry&) = delete;
    KnownHostsEntry& operator=(const KnownHostsEntry&) = delete;

    // The file ssh reads for the current user.
    static QString filePath();

private:
    QByteArray m_line; // the exact line added, found and removed again at the end
};

} // namespace mv::test
