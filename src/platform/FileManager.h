#pragma once

#include <QDBusConnection>
#include <QString>

namespace mv {

// Shows a file in the desktop's file manager.
class FileManager {
public:
    virtual ~FileManager() = default;
    virtual void reveal(const QString& path) = 0;
};

// The freedesktop file manager interface (org.freedesktop.FileManager1) on the session bus, which selects
// the file in its folder; where no file manager answers, the containing folder is opened instead.
class DesktopFileManager final : public FileManager {
public:
    explicit DesktopFileManager(QDBusConnection bus);
    void reveal(const QString& path) override;

private:
    QDBusConnection m_bus;
};

} // namespace mv
