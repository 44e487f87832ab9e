// Answers read by the upload transport, once in one read and once cut into reads at sizes the input chooses:
// the parser judges both alike however the bytes arrived, and a body it keeps never passes its limit.

#include "FuzzCheck.h"
#include "google/HttpResponseParser.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

// Above this a head that arrives in pieces fails by the parser's size limit, and one that arrives whole
// may not.
constexpr qsizetype headLimit = 64 * 1024;

void checkAlike(const mv::HttpResponseParser& whole, const mv::HttpResponseParser& pieces, qint64 bodyLimit)
{
    FUZZ_CHECK(whole.state() == pieces.state());
    FUZZ_CHECK(whole.status() == pieces.status());
    FUZZ_CHECK(whole.receivedAny() == pieces.receivedAny());
    FUZZ_CHECK(whole.keepAlive() == pieces.keepAlive());
    // An answer over the limit is dropped wherever a read crossed it.
    if (whole.state() != mv::HttpResponseParser::State::tooLarge)
        FUZZ_CHECK(whole.body() == pieces.body());
    for (const mv::HttpResponseParser* parser : { &whole, &pieces }) {
        FUZZ_CHECK(parser->body().size() <= bodyLimit);
        if (parser->finished())
            FUZZ_CHECK(parser->status() >= 200 && parser->status() <= 999);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2 || size - 2 > std::size_t(headLimit))
        return 0;
    const qsizetype readSize = 1 + data[0] % 64;
    const qint64 bodyLimit = qint64(data[1]) * 4;
    const QByteArrayView answer(reinterpret_cast<const char*>(data + 2), qsizetype(size - 2));

    mv::HttpResponseParser whole(bodyLimit);
    mv::HttpResponseParser pieces(bodyLimit);
    whole.feed(answer);
    for (qsizetype at = 0; at < answer.size(); at += readSize)
        pieces.feed(answer.sliced(at, std::min(readSize, answer.size() - at)));
    checkAlike(whole, pieces, bodyLimit);
    whole.connectionClosed();
    pieces.connectionClosed();
    checkAlike(whole, pieces, bodyLimit);
    return 0;
}
