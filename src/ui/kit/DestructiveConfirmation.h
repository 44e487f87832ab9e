#pragma once

#include <QString>

class QMessageBox;
class QPushButton;
class QWidget;

namespace mv {

// The question asked before an action that cannot be undone, window-modal over `parent` and deleted once
// closed. Cancel is its default and its escape button, so Return and Escape both keep everything as it is;
// only choosing `confirm` itself goes ahead. The caller connects QMessageBox::finished, compares the clicked
// button with `confirm`, and opens the box.
struct DestructiveConfirmation {
    QMessageBox* box;
    QPushButton* confirm;

    // `detail` is left out when empty.
    static DestructiveConfirmation make(
        QWidget* parent, const QString& question, const QString& detail, const QString& confirmTitle);
};

} // namespace mv
