#pragma once

#include <QMessageBox>
#include <QObject>
#include <QPointer>

namespace mv {

// "Check for Updates…": on Linux the distribution's package manager installs new versions, so the check
// says so instead of looking anywhere itself. One message at a time.
class UpdateController : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    static QString message();
    static QString informativeText();

    void checkForUpdates();

private:
    QPointer<QMessageBox> m_box;
};

} // namespace mv
