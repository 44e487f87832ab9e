#pragma once

#include "ui/models/dashboard/DashboardSection.h"

#include <QAbstractButton>

namespace mv {

// One section in the sidebar: its symbol and title, highlighted while it is the section shown. Space and
// Return choose it; the arrow keys move to the row above or below and choose that.
class SidebarRow : public QAbstractButton {
    Q_OBJECT
public:
    explicit SidebarRow(DashboardSection section, QWidget* parent = nullptr);
    DashboardSection section() const { return m_section; }
    QSize sizeHint() const override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    DashboardSection m_section;
};

} // namespace mv
