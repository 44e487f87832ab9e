#pragma once

#include <QObject>

#include <functional>

class QWidget;

namespace mv {

// When a widget's looping motion may run: while the widget is on screen, Reduce Motion is off and the
// widget wants it. `apply` hears the verdict when Reduce Motion changes and whenever the widget calls
// reconsider(): from its showEvent() and hideEvent(), and when what it wants has changed. (Not from an
// event filter: a window being destroyed is hidden after its own members are gone.)
class MotionGate : public QObject {
    Q_OBJECT
public:
    MotionGate(QWidget* widget, std::function<bool()> wanted, std::function<void(bool run)> apply);

    bool isOpen() const;
    void reconsider();

private:
    QWidget* m_widget;
    std::function<bool()> m_wanted;
    std::function<void(bool)> m_apply;
};

} // namespace mv
