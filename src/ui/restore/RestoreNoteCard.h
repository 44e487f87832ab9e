#pragma once

#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

namespace mv {

class MVButton;

// A card saying why a destination cannot be browsed here, in place of the backup browser: a symbol tile, a
// title, a wrapping message and, where there is somewhere else to go, one button.
class RestoreNoteCard : public QWidget {
    Q_OBJECT
public:
    struct Action {
        QString title;
        QString symbol;
        std::function<void()> run;
    };

    RestoreNoteCard(const QString& symbol, const QString& title, const QString& message,
        std::optional<Action> action, QWidget* parent = nullptr);

    // Google Drive: its folders are not on this computer; "Open Drive" opens Drive in the browser.
    static RestoreNoteCard* googleDrive(std::function<void()> openDrive, QWidget* parent = nullptr);
    // An SSH server: its path names a folder on the server, not on this computer.
    static RestoreNoteCard* ssh(QWidget* parent = nullptr);

    MVButton* actionButton() const { return m_button; }

private:
    MVButton* m_button = nullptr;
};

} // namespace mv
