#pragma once

#include <QString>
#include <QWidget>

#include <optional>

namespace mv {

class SettingsRow;
class SettingsSection;
struct SettingsTab;

// The frame every settings tab shares: the tab's titled group of rows, 4 px from the top, and whatever the
// tab adds under it, 18 px apart.
class SettingsTabPage : public QWidget {
    Q_OBJECT
public:
    SettingsTabPage(const SettingsTab& tab, QWidget* parent = nullptr);

    SettingsSection* section() const { return m_section; }

protected:
    // Adds a row to the group; the row owns `accessory`.
    SettingsRow* addRow(const QString& title, std::optional<QString> detail, QWidget* accessory);
    // Adds a widget inside the group, under its rows.
    void addToGroup(QWidget* widget);
    // Adds a widget under the group.
    void addBelow(QWidget* widget);

private:
    SettingsSection* m_section;
};

} // namespace mv
