#include "platform/SystemLog.h"

#include <syslog.h>

namespace mv {

namespace {

class Syslog final : public SystemLog {
public:
    void write(const QString& line) override
    {
        openlog("marrowvale", LOG_PID, LOG_USER);
        syslog(LOG_NOTICE, "%s", line.toUtf8().constData());
    }
};

} // namespace

SystemLog& SystemLog::system()
{
    static Syslog log;
    return log;
}

} // namespace mv
