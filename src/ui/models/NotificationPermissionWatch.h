#pragma once

#include "model/AppSettings.h"

#include <QObject>

namespace mv {

class AppState;

// Asks for permission to notify each time one of the four notification settings turns on while the settings
// page is shown: one request per setting that turns on, none for one that turns off, none for the values
// present when the watch begins.
class NotificationPermissionWatch : public QObject {
    Q_OBJECT
public:
    explicit NotificationPermissionWatch(AppState& app, QObject* parent = nullptr);

private:
    void compare();

    AppState& m_app;
    AppSettings m_seen;
};

} // namespace mv
