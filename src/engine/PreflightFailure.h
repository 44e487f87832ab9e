#pragma once

#include "platform/DescribedError.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace mv {

// Why a run cannot start, for the person who asked for it: a headline, what is wrong, what they can do
// (often saying what was not done), whether it may pass by itself, and the name of the symbol shown with
// it. Returned by the pre-run checks and the planners; may also be thrown.
class PreflightFailure : public DescribedError {
public:
    // The symbol of a failure that names none of its own.
    static constexpr char warningSymbol[] = "exclamationmark.triangle.fill";

    PreflightFailure(QString title, QString message, std::optional<QString> recovery = std::nullopt,
        bool isTemporary = false, QString symbol = QString::fromLatin1(warningSymbol));

    QString title;
    QString message;
    std::optional<QString> recovery;
    bool isTemporary = false;
    QString symbol;

    // The message and, when there is one, the recovery, joined by one blank.
    QString combined() const;
    QString description() const override { return combined(); }
    const char* what() const noexcept override;

    bool operator==(const PreflightFailure& other) const
    {
        return title == other.title && message == other.message && recovery == other.recovery
            && isTemporary == other.isTemporary && symbol == other.symbol;
    }

private:
    QByteArray m_what;
};

} // namespace mv
