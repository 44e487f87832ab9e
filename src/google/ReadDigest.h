#pragma once

#include <QByteArrayView>
#include <QString>

#include <memory>
#include <optional>

struct evp_md_ctx_st;

namespace mv {

// The MD5 of a file's bytes as an upload reads them. Pieces come with their offset; a piece that repeats
// bytes already counted (Drive asked for them again) adds only what lies beyond them. The digest exists
// only once the bytes from 0 to the end were all counted, with no gap.
class ReadDigest {
public:
    ReadDigest();
    ~ReadDigest();
    ReadDigest(const ReadDigest&) = delete;
    ReadDigest& operator=(const ReadDigest&) = delete;

    // The offset up to which bytes were counted.
    qint64 counted() const { return m_counted; }
    // A piece starting beyond counted() leaves a gap: nothing is counted any more.
    void add(qint64 offset, QByteArrayView bytes);
    // 32 lower-case hexadecimal digits, when bytes 0 to `size` were counted and nothing more.
    std::optional<QString> hex(qint64 size) const;

private:
    struct ContextDeleter {
        void operator()(evp_md_ctx_st* context) const;
    };
    std::unique_ptr<evp_md_ctx_st, ContextDeleter> m_context;
    qint64 m_counted = 0;
    bool m_broken = false;
};

} // namespace mv
