#pragma once

#include <QHash>
#include <QScrollArea>
#include <QStringList>

#include <functional>

class QAbstractButton;

namespace mv {

// The custom exclusion patterns as chips in one row that scrolls sideways and never wraps. Each chip's small
// cross calls `remove` with its pattern.
class FlowChips : public QScrollArea {
    Q_OBJECT
public:
    FlowChips(
        const QStringList& patterns, std::function<void(const QString&)> remove, QWidget* parent = nullptr);

    // The remove button of the chip showing `pattern`; none when there is no such chip.
    QAbstractButton* removeButton(const QString& pattern) const { return m_removeButtons.value(pattern); }

private:
    QHash<QString, QAbstractButton*> m_removeButtons;
};

} // namespace mv
