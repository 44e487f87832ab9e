#pragma once

#include <QProcess>

namespace mv::test {

// A helper process that is ended with the test, however the test ends.
struct StartedProcess {
    QProcess process;
    ~StartedProcess()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
        }
    }
};

} // namespace mv::test
