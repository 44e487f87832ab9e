// Lines of /proc/self/mountinfo and the escaped names in it and in /dev/disk: a decoded field is never
// longer than its text, and text without escapes decodes to itself.

#include "FuzzCheck.h"
#include "platform/VolumeFacts.h"

#include <QList>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const QByteArray& line : bytes.split('\n')) {
        if (const auto parsed = mv::detail::parseMountInfoLine(line))
            FUZZ_CHECK(parsed->mountPoint.size() <= line.size());
    }
    const QByteArray field = mv::detail::unescapeMountField(bytes);
    FUZZ_CHECK(field.size() <= bytes.size());
    if (!bytes.contains('\\'))
        FUZZ_CHECK(field == bytes && mv::detail::unescapeDiskLinkName(bytes) == bytes);
    FUZZ_CHECK(mv::detail::unescapeDiskLinkName(bytes).size() <= bytes.size());
    return 0;
}
