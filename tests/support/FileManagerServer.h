#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QStringList>

namespace mv::test {

class PrivateBus;

// A file manager on the test's private bus that records what it was asked to show.
class FileManagerServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    explicit FileManagerServer(const PrivateBus& bus);
    ~FileManagerServer() override;

    // The URLs of every ShowItems call, in order.
    const QStringList& shown() const { return m_shown; }

public Q_SLOTS:
    void ShowItems(const QStringList& uris, const QString& startupId);

private:
    QString m_connectionName;
    QDBusConnection m_bus;
    QStringList m_shown;
};

} // namespace mv::test
