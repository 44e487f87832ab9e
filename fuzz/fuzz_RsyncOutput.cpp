// rsync's output through the line splitter, cut into pipe reads at sizes the input chooses, then read line
// by line and as batches: both readings must agree on the run's figures and kept messages.

#include "FuzzCheck.h"
#include "engine/LineSplitter.h"
#include "engine/RsyncOutputParser.h"

#include <QByteArrayView>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const qsizetype readSize = 1 + data[0] % 64;
    const QByteArrayView output(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));

    mv::LineSplitter splitter;
    mv::RsyncOutputParser oneByOne;
    mv::RsyncOutputParser batched;
    for (qsizetype at = 0; at < output.size(); at += readSize) {
        const QStringList lines = splitter.append(output.sliced(at, std::min(readSize, output.size() - at)));
        for (const QString& line : lines)
            oneByOne.consume(line);
        batched.consumeLines(lines);
    }
    if (const auto rest = splitter.flush()) {
        oneByOne.consume(*rest);
        batched.consumeLines({ *rest });
    }
    FUZZ_CHECK(batched.errors() == oneByOne.errors());
    FUZZ_CHECK(batched.warnings() == oneByOne.warnings());
    FUZZ_CHECK(batched.sawStatistics() == oneByOne.sawStatistics());
    const mv::RsyncStats& a = batched.stats();
    const mv::RsyncStats& b = oneByOne.stats();
    FUZZ_CHECK(a.filesTransferred == b.filesTransferred && a.filesCreated == b.filesCreated
        && a.filesUpdated == b.filesUpdated && a.filesDeleted == b.filesDeleted
        && a.totalFiles == b.totalFiles && a.bytesSent == b.bytesSent);
    FUZZ_CHECK(b.filesUpdated >= 0);
    return 0;
}
