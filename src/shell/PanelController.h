#pragma once

#include "platform/Clock.h"
#include "shell/ShellPresenters.h"

#include <QDateTime>
#include <QObject>
#include <QParallelAnimationGroup>
#include <QPointer>
#include <QRect>

#include <functional>
#include <optional>

namespace mv {

class PanelRootView;
struct ViewContext;

// Owns the floating panel that drops out of the tray icon: a frameless tool window that stays on top,
// slides and fades in under the icon (above it when the tray is at the bottom), and goes away on Escape, on
// a click in another of our windows, when the program loses focus, or on a second click of the icon.
class PanelController final : public QObject, public PanelPresenter {
    Q_OBJECT
public:
    enum class State { hidden, showing, shown, hiding };
    Q_ENUM(State)

    // A tray click this close in time and place to a hide caused by losing focus is the click that caused
    // it, and does not reopen the panel.
    static constexpr std::chrono::milliseconds reopenGuardTime { 300 };
    static constexpr int reopenGuardDistance = 70;

    // Builds the window (not shown).
    explicit PanelController(ViewContext& context, Clock& clock = Clock::system(), QObject* parent = nullptr);
    ~PanelController() override;

    bool isPanelVisible() const override { return m_visible; }
    void showPanel(std::optional<QPoint> anchor) override;
    void hidePanel() override;
    void dismissPanel() override;

    State state() const;
    bool isAnimating() const { return m_animating; }
    PanelRootView& root() { return *m_root; }
    // Whether the window has a transparent background (a compositor runs) rather than a rounded mask.
    bool isTranslucent() const { return m_translucent; }

    // The tray icon's rectangle on screen, used when showPanel has no anchor; set by the owner.
    std::function<std::optional<QRect>()> anchorProvider;
    // True while the tray icon is switched off: the panel then never shows.
    std::function<bool()> isStatusItemHidden;

Q_SIGNALS:
    void stateChanged(mv::PanelController::State state);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Placement {
        std::optional<QRect> frame;
        bool upward = false;
    };
    Placement place(std::optional<QPoint> anchor) const;
    void animate(QPoint from, QPoint to, qreal toOpacity, int durationMs, QEasingCurve curve);
    void finishAnimation();
    void installMonitors();
    void removeMonitors();
    bool belongsToPanel(const QObject* object) const;
    void applicationStateChanged(Qt::ApplicationState state);
    bool isReopenOfDismissal(std::optional<QPoint> anchor) const;

    Clock& m_clock;
    PanelRootView* m_root;
    bool m_translucent;
    bool m_visible = false;
    bool m_animating = false;
    bool m_monitoring = false;
    // The window's edge faces the tray: it slides in away from it and out towards it.
    bool m_upward = false;
    bool m_hideAfterShow = false;
    QParallelAnimationGroup m_animation;
    struct Dismissal {
        QDateTime at;
        QPoint where;
    };
    std::optional<Dismissal> m_lastFocusDismissal;
};

} // namespace mv
