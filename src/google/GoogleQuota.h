#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace mv {

// Byte counts of the Drive storage quota; each absent when Drive gives none or an unreadable one.
struct GoogleQuotaBytes {
    std::optional<qint64> limit; // absent for unlimited storage among others
    std::optional<qint64> usage;

    bool operator==(const GoogleQuotaBytes&) const = default;
};

// The answer of the Drive about request.
struct GoogleQuota {
    struct StorageQuota {
        std::optional<QString> limit; // decimal text
        std::optional<QString> usage;
    };
    std::optional<StorageQuota> storageQuota;

    // The texts read as signed 64-bit decimals, with no default for what is absent or unreadable.
    GoogleQuotaBytes bytes() const;

    // Throws GoogleDecodingError.
    static GoogleQuota decode(const QByteArray& json);
};

} // namespace mv
