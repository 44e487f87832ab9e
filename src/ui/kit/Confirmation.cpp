#include "ui/kit/Confirmation.h"

#include <QMessageBox>
#include <QPushButton>

namespace mv {

QMessageBox* askConfirmation(
    QWidget* parent, const Confirmation& confirmation, std::function<void()> confirmed)
{
    auto* box = new QMessageBox(
        QMessageBox::Warning, confirmation.title, confirmation.text, QMessageBox::NoButton, parent);
    box->setInformativeText(confirmation.informativeText);
    QPushButton* confirm = box->addButton(confirmation.confirmText,
        confirmation.destructive ? QMessageBox::DestructiveRole : QMessageBox::AcceptRole);
    QPushButton* cancel = box->addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    if (confirmation.destructive) {
        // Return must not delete: the default and the escape button are both Cancel.
        confirm->setAutoDefault(false);
        box->setDefaultButton(cancel);
    } else {
        box->setDefaultButton(confirm);
    }
    box->setEscapeButton(cancel);
    box->setAttribute(Qt::WA_DeleteOnClose);
    // The box ends before a button's own handlers run, so the answer is read when it has ended.
    QObject::connect(box, &QMessageBox::finished, box, [box, confirm, confirmed = std::move(confirmed)] {
        if (box->clickedButton() == confirm)
            confirmed();
    });
    box->open();
    return box;
}

} // namespace mv
