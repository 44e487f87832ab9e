#pragma once

#include "ui/models/dashboard/DashboardPresenter.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QMenuBar;
class QPropertyAnimation;
class QWidget;

namespace mv {

class Clock;
class ClockAlarm;
class DashboardModel;
class DashboardView;
class Prompts;
struct ViewContext;

// The dashboard window: made on its first opening and kept until the program ends (closing only hides it).
// It restores its frame from the settings within sane limits, holds it fixed for 6 s after every opening so
// that neither the window manager nor the content moves or resizes it while it comes up, and saves it when
// it closes and when the program quits.
class DashboardWindow : public QObject, public DashboardPresenter {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds holdPeriod { 6000 };
    static constexpr std::chrono::milliseconds fadeInDelay { 420 };

    // `hidePanel` is called first thing on every opening. `clock` gives "now" for the hold and the texts,
    // and the delays; `prompts` the sections' panels, clipboard and file manager.
    DashboardWindow(ViewContext& context, DashboardModel& ui, Clock& clock, Prompts& prompts,
        std::function<void()> hidePanel, QObject* parent = nullptr);
    ~DashboardWindow() override;

    // Shows the dashboard on `section`, making the window the first time.
    void openDashboard(DashboardSection section) override;
    // Stores the window's frame (a maximised one as the centred default); nothing before the window exists.
    void saveDashboardFrame();
    // The window's own menu bar, for when no tray icon leads to the program: one "Marrowvale" menu with
    // `actions`, which stay their owner's. An empty list takes the menu bar away. A window made later gets
    // the menu bar then.
    void setProgramMenu(const QList<QAction*>& actions);

    // None until the first opening.
    QWidget* window() const { return m_window; }
    DashboardView* view() const { return m_view; }
    // None while there is no program menu or no window.
    QMenuBar* menuBar() const;
    // The frame a fade-in opening restores.
    std::optional<QRect> desiredFrame() const { return m_desiredFrame; }
    bool isPresenting() const { return m_presenting; }
    // Whether the frame is held now.
    bool isEnforcing() const;

Q_SIGNALS:
    // The window was made, at the first opening.
    void windowMade();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void makeDashboardWindow();
    void present();
    void putBack();
    void applyProgramMenu();

    ViewContext& m_context;
    DashboardModel& m_ui;
    Clock& m_clock;
    Prompts& m_prompts;
    std::function<void()> m_hidePanel;
    QPointer<QWidget> m_window;
    DashboardView* m_view = nullptr;
    QList<QAction*> m_programMenu;
    QPointer<QMenuBar> m_menuBar;
    std::optional<QRect> m_desiredFrame;
    bool m_presenting = false;
    std::optional<QDateTime> m_enforceUntil;
    bool m_enforcingFrame = false;
    std::shared_ptr<ClockAlarm> m_fadeIn;
    std::shared_ptr<ClockAlarm> m_holdEnd;
    QPointer<QPropertyAnimation> m_fade;
};

} // namespace mv
