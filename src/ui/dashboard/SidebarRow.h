#pragma once

#include "ui/models/DashboardSection.h"

#include <QAbstractButton>

namespace mv {

// One section in the sidebar: its symbol and title, highlighted while it is the section shown.
class SidebarRow : public QAbstractButton {
    Q_OBJECT
public:
    explicit SidebarRow(DashboardSection section, QWidget* parent = nullptr);
    DashboardSection section() const { return m_section; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    DashboardSection m_section;
};

} // namespace mv
