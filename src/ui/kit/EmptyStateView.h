#pragma once

#include <QWidget>

#include <functional>
#include <optional>

namespace mv {

class MVButton;

// What a list shows when it has nothing to list: a large symbol on a round well, a title, a message that
// wraps within 280 px, and a primary "+" button only when both a button title and an action are given.
class EmptyStateView : public QWidget {
    Q_OBJECT
public:
    EmptyStateView(const QString& symbol, const QString& title, const QString& message,
        std::optional<QString> actionTitle, std::function<void()> action, QWidget* parent = nullptr);

    MVButton* actionButton() const { return m_button; }

private:
    MVButton* m_button = nullptr;
};

} // namespace mv
