#include "drive/FileDigest.h"

#include "platform/FileDescriptor.h"

#include <openssl/evp.h>

#include <array>
#include <cerrno>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mv::GoogleDriveEngine {

namespace {

constexpr size_t chunkSize = 1024 * 1024;

struct DigestContextDeleter {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

// Opens without following a link and without waiting for a writer on a FIFO; only a regular file is kept.
FileDescriptor openRegularFile(const QByteArray& path)
{
    FileDescriptor file(::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat status { };
    if (file.get() < 0 || ::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode))
        return {};
    ::posix_fadvise(file.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    return file;
}

} // namespace

std::optional<QString> md5(const QByteArray& path)
{
    const FileDescriptor file = openRegularFile(path);
    if (file.get() < 0)
        return std::nullopt;
    const std::unique_ptr<EVP_MD_CTX, DigestContextDeleter> context(EVP_MD_CTX_new());
    if (!context || EVP_DigestInit_ex(context.get(), EVP_md5(), nullptr) != 1)
        return std::nullopt;

    // Hashing many small files must not allocate a megabyte for each.
    thread_local const std::unique_ptr<char[]> buffer(new char[chunkSize]);
    for (;;) {
        const ssize_t count = ::read(file.get(), buffer.get(), chunkSize);
        if (count == 0)
            break;
        if (count < 0) {
            if (errno == EINTR)
                continue;
            return std::nullopt;
        }
        if (EVP_DigestUpdate(context.get(), buffer.get(), size_t(count)) != 1)
            return std::nullopt;
    }
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest {};
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(context.get(), digest.data(), &length) != 1)
        return std::nullopt;
    return QString::fromLatin1(
        QByteArray::fromRawData(reinterpret_cast<const char*>(digest.data()), int(length)).toHex());
}

} // namespace mv::GoogleDriveEngine
