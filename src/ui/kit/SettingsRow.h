#pragma once

#include <QWidget>

#include <optional>

namespace mv {

class TextLabel;

// One line of a settings group: the title, an optional detail that wraps, and the caller's control at the
// trailing edge, never closer than 12 px to the text. A hairline under every row, indented 12 px.
class SettingsRow : public QWidget {
    Q_OBJECT
public:
    SettingsRow(
        const QString& title, std::optional<QString> detail, QWidget* accessory, QWidget* parent = nullptr);

    QWidget* accessory() const { return m_accessory; }
    TextLabel* detailLabel() const { return m_detail; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TextLabel* m_detail = nullptr;
    QWidget* m_accessory;
};

} // namespace mv
