#include "ui/kit/DestructiveConfirmation.h"

#include <QMessageBox>
#include <QPushButton>

namespace mv {

DestructiveConfirmation DestructiveConfirmation::make(
    QWidget* parent, const QString& question, const QString& detail, const QString& confirmTitle)
{
    auto* box = new QMessageBox(QMessageBox::Warning, question, question, QMessageBox::NoButton, parent);
    if (!detail.isEmpty())
        box->setInformativeText(detail);
    QPushButton* confirm = box->addButton(confirmTitle, QMessageBox::DestructiveRole);
    QPushButton* cancel = box->addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);
    box->setAttribute(Qt::WA_DeleteOnClose);
    return { box, confirm };
}

} // namespace mv
