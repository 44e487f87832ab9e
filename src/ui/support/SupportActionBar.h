#pragma once

#include <QList>
#include <QWidget>

#include <functional>

namespace mv {

class MVButton;

// What the support page's action buttons do.
struct SupportActions {
    std::function<void()> copyReport;
    std::function<void()> saveReport;
    std::function<void()> checkRsync;
    std::function<void()> revealLogs;
};

// The row at the top of the support page: "Copy Report", "Save Report…", "Check rsync" and "Reveal Logs",
// always enabled, then "Read-only diagnostics" at the far end.
class SupportActionBar : public QWidget {
    Q_OBJECT
public:
    explicit SupportActionBar(SupportActions actions, QWidget* parent = nullptr);

    // The four buttons from left to right.
    const QList<MVButton*>& buttons() const { return m_buttons; }

private:
    QList<MVButton*> m_buttons;
};

} // namespace mv
