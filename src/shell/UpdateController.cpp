#include "shell/UpdateController.h"

namespace mv {

QString UpdateController::message()
{
    return QStringLiteral("Marrowvale is updated by your package manager.");
}

QString UpdateController::informativeText()
{
    return QStringLiteral("New versions arrive with your system's updates. Use your distribution's software "
                          "updater or package manager to install them.");
}

void UpdateController::checkForUpdates()
{
    if (!m_box) {
        m_box = new QMessageBox(
            QMessageBox::Information, QStringLiteral("Marrowvale"), message(), QMessageBox::Ok);
        m_box->setInformativeText(informativeText());
        m_box->setAttribute(Qt::WA_DeleteOnClose);
        m_box->open();
    }
    m_box->raise();
    m_box->activateWindow();
}

} // namespace mv
