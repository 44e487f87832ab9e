#include "google/GoogleDriveList.h"

#include "google/DriveJson.h"
#include "google/GoogleAuthError.h"

namespace mv {

GoogleDriveList GoogleDriveList::decode(const QByteArray& json)
{
    const QJsonObject object = DriveJson::document(json);
    GoogleDriveList page;
    for (const QJsonValue& file : DriveJson::requiredArray(object, QStringLiteral("files"))) {
        if (!file.isObject())
            throw GoogleDecodingError(
                QStringLiteral("Google Drive's answer could not be read: \"files\" holds a value that is not "
                               "an object."));
        page.files << GoogleDriveItem::decode(file.toObject());
    }
    page.nextPageToken = DriveJson::optionalText(object, QStringLiteral("nextPageToken"));
    return page;
}

} // namespace mv
