// A configuration document as a person or another version may have left it: whatever the reader accepts,
// the writer writes so that it reads back the same. Dates are stored in whole seconds, so a fraction read
// from a hand-edited file is the one thing a first save drops; the written text is then a fixed point.

#include "FuzzCheck.h"
#include "model/ConfigurationCoding.h"

#include <cstddef>
#include <cstdint>

namespace {

const QDateTime readingTime(QDate(2026, 12, 10), QTime(12, 0), Qt::UTC);

void dropFraction(QDateTime& date)
{
    if (date.isValid())
        date = QDateTime::fromSecsSinceEpoch(
            date.toMSecsSinceEpoch() / 1000 - (date.toMSecsSinceEpoch() % 1000 < 0 ? 1 : 0), Qt::UTC);
}

void dropFraction(std::optional<QDateTime>& date)
{
    if (date)
        dropFraction(*date);
}

mv::AppConfiguration inWholeSeconds(mv::AppConfiguration configuration)
{
    dropFraction(configuration.updatedAt);
    for (mv::BackupJob& job : configuration.jobs) {
        dropFraction(job.createdAt);
        for (mv::BackupDestination& destination : job.destinations) {
            dropFraction(destination.createdAt);
            dropFraction(destination.lastAttempt);
            dropFraction(destination.lastSuccess);
            dropFraction(destination.nextRun);
        }
    }
    return configuration;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto first = mv::ConfigurationCoding::decode(bytes, readingTime);
    if (!first)
        return 0;
    const QByteArray written = mv::ConfigurationCoding::encode(*first);
    const auto second = mv::ConfigurationCoding::decode(written, readingTime);
    FUZZ_CHECK(second.has_value());
    FUZZ_CHECK(*second == inWholeSeconds(*first));
    FUZZ_CHECK(mv::ConfigurationCoding::encode(*second) == written);
    return 0;
}
