#pragma once

#include <QString>

#include <functional>

class QMessageBox;
class QWidget;

namespace mv {

// A question a person answers before something is done: its title, its text and the line under it, and
// the button that does it. A destructive one is never the default: Return and Escape both cancel.
struct Confirmation {
    QString title;
    QString text;
    QString informativeText;
    QString confirmText;
    bool destructive = true;
};

// Opens the question window-modal over `parent` with open(), never exec(); `confirmed` runs once the person
// chose the confirming button, and never otherwise. The box deletes itself when it closes; the pointer is
// for a caller that keeps one copy on screen.
QMessageBox* askConfirmation(
    QWidget* parent, const Confirmation& confirmation, std::function<void()> confirmed);

} // namespace mv
