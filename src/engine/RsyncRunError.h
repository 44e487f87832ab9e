#pragma once

#include "platform/DescribedError.h"

#include <QByteArray>
#include <QString>

namespace mv {

// Why an rsync run could not start. Once started, a run always ends in an RsyncOutcome.
class RsyncRunError : public DescribedError {
public:
    enum class Case { launchFailed, notExecutable };

    // The system's reason why the child could not be started.
    static RsyncRunError launchFailed(const QString& reason);
    // The path of an executable that is missing, not a file, or not executable.
    static RsyncRunError notExecutable(const QString& path);

    Case kind() const { return m_case; }
    const QString& payload() const { return m_payload; }
    QString description() const override;
    const char* what() const noexcept override { return m_what.constData(); }

    bool operator==(const RsyncRunError& other) const
    {
        return m_case == other.m_case && m_payload == other.m_payload;
    }

private:
    RsyncRunError(Case kind, QString payload);

    Case m_case;
    QString m_payload;
    QByteArray m_what;
};

} // namespace mv
