#include "app/StandInViews.h"

#include "coordination/AppState.h"

#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>

namespace mv {

StandInPanel::StandInPanel(AppState& state)
    : m_state(state)
{
    m_window.setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    m_window.setWindowTitle(QStringLiteral("Marrowvale Panel"));
    m_window.setAlignment(Qt::AlignCenter);
    m_window.setFixedSize(420, 160);
}

StandInPanel::~StandInPanel() = default;

bool StandInPanel::isPanelVisible() const
{
    return m_window.isVisible();
}

void StandInPanel::showPanel(std::optional<QPoint> anchor)
{
    m_window.setText(m_state.aggregateStatus().headline());
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QPoint at = anchor.value_or(QPoint(screen.right() - 60, screen.top()));
    m_window.move(
        qBound(screen.left() + 8, at.x() - m_window.width() / 2, screen.right() - 8 - m_window.width()),
        qBound(screen.top(), at.y() + 8, screen.bottom() - m_window.height()));
    m_window.show();
    m_window.raise();
    m_window.activateWindow();
}

void StandInPanel::hidePanel()
{
    m_window.hide();
}

StandInDashboard::StandInDashboard(
    AppState& state, std::function<void()> hidePanel, std::function<void()> quit)
    : m_state(state)
    , m_hidePanel(std::move(hidePanel))
{
    m_window.setWindowTitle(QStringLiteral("Marrowvale"));
    m_window.resize(880, 600);
    m_content.setAlignment(Qt::AlignCenter);
    m_window.setCentralWidget(&m_content);
    QMenu* menu = m_window.menuBar()->addMenu(QStringLiteral("Marrowvale"));
    menu->addAction(QStringLiteral("Open Dashboard"), [this] { openDashboard(DashboardSection::overview); });
    menu->addAction(QStringLiteral("Settings\u2026"), [this] { openDashboard(DashboardSection::settings); });
    menu->addSeparator();
    menu->addAction(QStringLiteral("Quit Marrowvale"), std::move(quit));
}

StandInDashboard::~StandInDashboard() = default;

void StandInDashboard::openDashboard(DashboardSection section)
{
    m_hidePanel();
    m_content.setText(sectionName(section) + QStringLiteral("\n\n") + m_state.aggregateStatus().headline());
    m_window.show();
    m_window.raise();
    m_window.activateWindow();
}

} // namespace mv
