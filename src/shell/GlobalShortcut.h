#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

#include <cstdint>

namespace mv {

// Ctrl+Alt+Super+B from anywhere on an X11 desktop, by a key grab on the root window (with and without
// NumLock; Shift or CapsLock held means another key). Every press is reported, whichever program is active:
// what it does then is its owner's to decide. Wayland, or no display, leaves no shortcut.
class GlobalShortcut : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    explicit GlobalShortcut(QObject* parent = nullptr);
    ~GlobalShortcut() override;

    // Grabs the key; false when there is no X11 display or another program holds the combination.
    bool install();
    void remove();
    bool isInstalled() const { return m_keycode != 0; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

Q_SIGNALS:
    void activated();

private:
    std::uint8_t m_keycode = 0;
    std::uint32_t m_root = 0;
};

} // namespace mv
