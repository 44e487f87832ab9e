#pragma once

#include <QList>
#include <QWidget>

#include <optional>

class QVBoxLayout;

namespace mv {

class CardSurface;

// A titled settings group: a 16 px title, an optional wrapping subtitle, and the content (usually
// SettingsRows) stacked without gaps on a card of radius 10.
class SettingsSection : public QWidget {
    Q_OBJECT
public:
    SettingsSection(const QString& title, std::optional<QString> subtitle, const QList<QWidget*>& content,
        QWidget* parent = nullptr);

    void addContent(QWidget* widget);
    CardSurface* card() const { return m_card; }

private:
    CardSurface* m_card;
    QVBoxLayout* m_body;
};

} // namespace mv
