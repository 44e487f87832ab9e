#pragma once

#include <QByteArrayView>
#include <QString>
#include <QUuid>

#include <optional>

namespace mv {

// Identifiers as stored files and keyring items write them: the canonical form in upper case.
QString uuidText(const QUuid& id);

// Reads the canonical form (36 characters, either letter case) and nothing else: QUuid alone would also
// take braces and ignore whatever follows the identifier. The nil identifier reads as itself.
std::optional<QUuid> readUuid(QByteArrayView text);

// The same, with the nil identifier read as none.
std::optional<QUuid> parseUuid(QByteArrayView text);

} // namespace mv
