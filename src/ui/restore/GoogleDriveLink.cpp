#include "ui/restore/GoogleDriveLink.h"

#include "ui/kit/Prompts.h"

#include <QUrl>

namespace mv {

void openGoogleDrive(Prompts& prompts)
{
    const QUrl drive(QStringLiteral("https://drive.google.com/drive/my-drive"));
    if (drive.isValid())
        prompts.openUrl(drive);
}

} // namespace mv
