#pragma once

#include <QObject>

namespace mv {

// Whether the person asked for reduced motion. Every animated widget reads it at the moment it animates and
// follows reduceMotionChanged: a repeating animation stops at once when it turns on.
//
// On when MARROWVALE_REDUCE_MOTION is exactly "1", else when GNOME's enable-animations is false, else when
// KDE's AnimationDurationFactor is 0.
class MotionSettings : public QObject {
    Q_OBJECT
public:
    static MotionSettings& instance();
    ~MotionSettings() override;

    bool reduceMotion() const { return m_reduceMotion; }

    // Reads the three sources again; called when GNOME's setting changes, and by tests.
    void refresh();

Q_SIGNALS:
    void reduceMotionChanged(bool reduceMotion);

private:
    MotionSettings();
    static bool read();

    bool m_reduceMotion = false;
    struct Gnome;
    Gnome* m_gnome = nullptr;
};

} // namespace mv
