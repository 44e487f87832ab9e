#pragma once

#include "model/AppSettings.h"

#include <QObject>

namespace mv {

struct ViewContext;

// Asks for permission to notify each time one of the four notification settings turns on while the settings
// page is shown: one request per setting that turns on, none for one that turns off, none for the values
// present when the watch begins.
class NotificationPermissionWatch : public QObject {
    Q_OBJECT
public:
    explicit NotificationPermissionWatch(ViewContext& context, QObject* parent = nullptr);

private:
    void compare();

    ViewContext& m_context;
    AppSettings m_seen;
};

} // namespace mv
