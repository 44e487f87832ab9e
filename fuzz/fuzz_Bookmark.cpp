// Bookmark bytes come from a file a person can edit: any of them either lead to an existing absolute path
// without a NUL character, or to nothing.

#include "FuzzCheck.h"
#include "platform/Bookmark.h"

#include <QDir>
#include <QFileInfo>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (const std::optional<QString> path = mv::Bookmark::resolve(bytes)) {
        FUZZ_CHECK(QDir::isAbsolutePath(*path));
        FUZZ_CHECK(!path->contains(QChar(0)));
        FUZZ_CHECK(QFileInfo::exists(*path));
    }
    return 0;
}
