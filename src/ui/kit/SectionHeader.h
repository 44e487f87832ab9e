#pragma once

#include <QWidget>

#include <functional>
#include <optional>

namespace mv {

class CountCapsule;
class IconButton;
class TextLabel;

// The title row above a group of cards: the caption in upper case, an optional count on a capsule and, when
// both a symbol and an action are given, a trailing icon button whose tooltip falls back to the title.
class SectionHeader : public QWidget {
    Q_OBJECT
public:
    SectionHeader(const QString& title, std::optional<qint64> count, std::optional<QString> actionSymbol,
        std::optional<QString> actionHelp, std::function<void()> action, QWidget* parent = nullptr);

    QString caption() const;
    void setCount(std::optional<qint64> count);
    CountCapsule* countCapsule() const { return m_count; }
    // The trailing button; none without both a symbol and an action.
    IconButton* actionButton() const { return m_button; }

private:
    TextLabel* m_caption;
    CountCapsule* m_count;
    IconButton* m_button = nullptr;
};

} // namespace mv
