#pragma once

#include "model/AggregateStatus.h"
#include "platform/Clock.h"

#include <QColor>
#include <QDateTime>
#include <QImage>

#include <functional>
#include <memory>
#include <optional>

namespace mv {

// Turns the overall status into the tray icon: one of eight small line-art glyphs, a spinning arc while a
// backup runs, and for a few seconds after a run ends a check mark or a warning triangle. It knows nothing
// of the tray: its owner asks for images and is told when to redraw.
class MenuBarIconController {
public:
    enum class Kind { idle, running, paused, error, offline, waiting, completed, disabled };

    static constexpr int side = 18; // the canvas, in device-independent pixels
    static constexpr std::chrono::milliseconds spinInterval { 220 };
    static constexpr double spinStep = 32; // degrees a tick, clockwise
    static constexpr std::chrono::milliseconds completedFor { 4000 };
    static constexpr std::chrono::milliseconds errorFor { 8000 };
    // The redraw after a transient comes this much later, so that it falls after the transient ended.
    static constexpr std::chrono::milliseconds redrawMargin { 100 };

    explicit MenuBarIconController(Clock& clock = Clock::system());

    // The glyph for `status`, drawn in `color` at `devicePixelRatio`, ringed in `ring` when given. Asking for
    // a running status starts the spin; asking for any other stops it, keeping its angle.
    QImage image(const AggregateStatus& status, const QColor& color, qreal devicePixelRatio = 1.0,
        std::optional<QColor> ring = std::nullopt);
    // The check mark (success) or the triangle (failure) for a while, unless a run is going on.
    void noteRunFinished(bool success);

    // Asks the owner to redraw: at each spin step and when a transient has run out.
    std::function<void()> onTick;

    double angle() const { return m_angle; }
    bool isSpinning() const { return m_spin != nullptr; }
    Kind kindFor(const AggregateStatus& status) const;

    // One glyph as the shell draws it, `angle` used by the running arc only. A ring of `ring`'s colour
    // around every line makes it read on a panel of any colour.
    static QImage draw(Kind kind, double angle, const QColor& color, qreal devicePixelRatio,
        std::optional<QColor> ring = std::nullopt);

private:
    void startSpin();
    void scheduleSpin();

    struct Transient {
        Kind kind;
        QDateTime until;
    };

    Clock& m_clock;
    double m_angle = 0;
    std::shared_ptr<ClockAlarm> m_spin;
    std::optional<Transient> m_transient;
    std::shared_ptr<ClockAlarm> m_transientRedraw;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace mv
