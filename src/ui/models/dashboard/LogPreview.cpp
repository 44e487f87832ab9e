#include "ui/models/dashboard/LogPreview.h"

#include "model/Redactor.h"

#include <QFile>
#include <QStringList>

namespace mv::LogPreview {

QString tail(const std::optional<QString>& logPath)
{
    if (!logPath)
        return {};
    QFile file(*logPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const qint64 size = file.size();
    if (!file.seek(size >= windowBytes ? size - windowBytes : 0))
        return {};
    const QByteArray window = file.read(windowBytes);
    if (window.isEmpty())
        return {};
    // Redacted whole before it is cut, so what is masked does not depend on where the cut falls.
    const QStringList pieces = Redactor::redact(QString::fromUtf8(window)).split(QLatin1Char('\n'));
    return pieces.mid(std::max<qsizetype>(0, pieces.size() - lineLimit)).join(QLatin1Char('\n'));
}

} // namespace mv::LogPreview
