#include "ui/dashboard/DashboardSidebar.h"

#include "platform/Clock.h"
#include "ui/dashboard/SidebarRow.h"
#include "ui/kit/AppMark.h"
#include "ui/kit/Hairline.h"
#include "ui/kit/Palette.h"
#include "ui/kit/StatusDot.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"
#include "ui/kit/VisualEffectView.h"
#include "ui/models/dashboard/DashboardModel.h"
#include "ui/models/dashboard/DashboardTexts.h"
#include "ui/models/shared/StatusBoard.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace mv {

DashboardSidebar::DashboardSidebar(StatusBoard& status, DashboardModel& ui, Clock& clock, QWidget* parent)
    : QWidget(parent)
    , m_board(status)
    , m_clock(clock)
    , m_dot(new StatusDot(Palette::idle, false, 6))
    , m_status(new TextLabel({}, kitFont(12, QFont::Medium), Palette::labelSecondary))
    , m_lastBackup(new TextLabel({}, kitFont(12), Palette::labelTertiary))
{
    setFixedWidth(width);
    auto* material = new VisualEffectView(VisualEffectMaterial::sidebar,
        VisualEffectBlendingMode::behindWindow, VisualEffectState::followsWindowActiveState, this);
    auto* fill = new QVBoxLayout(this);
    fill->setContentsMargins(0, 0, 0, 0);
    fill->addWidget(material);

    auto* brand = new QHBoxLayout;
    brand->setContentsMargins(14, 12, 14, 14);
    brand->setSpacing(8);
    brand->addWidget(new AppMark(22));
    brand->addWidget(
        new TextLabel(QStringLiteral("Marrowvale"), kitFont(16, QFont::DemiBold), Palette::label));
    brand->addStretch(1);

    auto* sections = new QVBoxLayout;
    sections->setSpacing(0);
    for (const SidebarGroup& group : sidebarGroups()) {
        if (group.header) {
            auto* header = new TextLabel(*group.header, kitFont(12, QFont::DemiBold), Palette::labelTertiary);
            header->setContentsMargins(16, 10, 14, 4);
            sections->addWidget(header);
        } else {
            sections->addSpacing(14);
        }
        for (DashboardSection section : group.sections) {
            auto* row = new SidebarRow(section);
            // Toggled, not clicked: a screen reader's activate checks the row without clicking it.
            connect(row, &QAbstractButton::toggled, this, [&ui, section](bool checked) {
                if (checked)
                    ui.setSection(section);
            });
            sections->addWidget(row);
            m_rows.insert(section, row);
        }
    }

    auto* statusLine = new QHBoxLayout;
    statusLine->setSpacing(6);
    statusLine->addWidget(m_dot);
    statusLine->addWidget(m_status, 1);
    auto* footer = new QVBoxLayout;
    footer->setContentsMargins(14, 12, 14, 12);
    footer->setSpacing(3);
    footer->addLayout(statusLine);
    footer->addWidget(m_lastBackup);

    auto* column = new QVBoxLayout(material);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addLayout(brand);
    column->addLayout(sections);
    column->addStretch(1);
    column->addWidget(new Hairline(Qt::Horizontal, HairlineWeight::full));
    column->addLayout(footer);

    connect(&ui, &DashboardModel::sectionChanged, this, &DashboardSidebar::select);
    connect(&status, &StatusBoard::aggregateChanged, this, &DashboardSidebar::refresh);
    connect(&status, &StatusBoard::summaryChanged, this, &DashboardSidebar::refresh);
    select(ui.section());
    refresh();
}

void DashboardSidebar::refresh()
{
    const SidebarStatus status = sidebarStatus(m_board.aggregate());
    m_dot->setColor(status.color);
    m_dot->setPulsing(status.pulsing);
    m_status->setText(status.text);
    m_lastBackup->setText(lastBackupLine(m_board.summary().lastSuccessfulBackup, m_clock.now()));
}

QString DashboardSidebar::statusText() const
{
    return m_status->text();
}

QString DashboardSidebar::lastBackupText() const
{
    return m_lastBackup->text();
}

void DashboardSidebar::select(DashboardSection section)
{
    if (SidebarRow* row = m_rows.value(section))
        row->setChecked(true);
}

} // namespace mv
