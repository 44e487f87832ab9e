#pragma once

#include <QString>

namespace mv {

// Where the program's few diagnostic lines go (syslog with ident "marrowvale"), behind a seam so tests can
// read what was written.
class SystemLog {
public:
    virtual ~SystemLog() = default;
    virtual void write(const QString& line) = 0;

    static SystemLog& system();
};

} // namespace mv
