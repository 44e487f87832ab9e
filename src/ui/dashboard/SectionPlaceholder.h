#pragma once

#include "ui/models/dashboard/DashboardSection.h"

#include <QWidget>

namespace mv {

// What a section shows until its own view exists: its symbol and title on an empty page.
class SectionPlaceholder : public QWidget {
    Q_OBJECT
public:
    explicit SectionPlaceholder(DashboardSection section, QWidget* parent = nullptr);
};

} // namespace mv
