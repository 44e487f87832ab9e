#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>

namespace mv {

// One file or folder as the Drive files API describes it, decoded and never encoded. Sizes and times stay
// text as the API sends them.
struct GoogleDriveItem {
    static constexpr char folderMimeType[] = "application/vnd.google-apps.folder";

    QString id;
    QString name; // one path component
    QString mimeType;
    std::optional<QString> size; // decimal text; absent for folders and other items without content
    std::optional<QString> md5Checksum;
    std::optional<QString> modifiedTime;
    std::optional<QStringList> parents;
    std::optional<bool> trashed;

    // `size` as a signed 64-bit count; 0 when it is absent or not a plain decimal that fits.
    qint64 sizeBytes() const;

    // Throw GoogleDecodingError for a missing required key or a value of another JSON type.
    static GoogleDriveItem decode(const QJsonObject& object);
    static GoogleDriveItem decode(const QByteArray& json);

    bool operator==(const GoogleDriveItem&) const = default;
};

size_t qHash(const GoogleDriveItem& item, size_t seed = 0);

} // namespace mv
