#pragma once

#include "KnownHosts.h"

#include "model/BackupDestination.h"

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace mv::test {

// A private sshd on 127.0.0.1 for one test: its own host key, configuration, authorized_keys and free port,
// logging in as the current user with a key pair of its own. Unless told otherwise, its host key is
// trusted in the user's real known_hosts for the server's life (ssh reads no other file).
class SshServer {
public:
    struct Options {
        bool trustHostKey = true;
        QByteArray banner; // shown by ssh before it logs in; none when empty
    };

    SshServer();
    explicit SshServer(const Options& options);
    ~SshServer();
    SshServer(const SshServer&) = delete;
    SshServer& operator=(const SshServer&) = delete;

    QString host() const { return QStringLiteral("127.0.0.1"); }
    int port() const { return m_port; }
    // The login name, the current user's, and its home folder as sshd sees it (the password database's).
    static QString user();
    static QString home();
    // A private key without passphrase that the server accepts.
    QString identityFile() const { return m_identity; }
    // An SSH destination named "Server" for the folder `path` on this server, logging in with identityFile().
    BackupDestination destination(const QString& path) const;
    // Makes one more key pair protected by `passphrase`, accepted by the server; answers its private key.
    QString addProtectedKey(const QString& passphrase);
    // What sshd logged so far, for failure messages.
    QByteArray log() const;

private:
    bool start();
    QString generateKey(const QString& name, const QString& passphrase);
    QString file(const QString& name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
    QProcess m_sshd;
    int m_port = 0;
    int m_protectedKeys = 0;
    QString m_identity;
    std::unique_ptr<KnownHostsEntry> m_trust;
};

} // namespace mv::test
