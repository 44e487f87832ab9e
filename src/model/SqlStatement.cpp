#include "model/SqlStatement.h"

#include <cmath>
#include <sqlite3.h>

namespace mv {

namespace {

void bind(sqlite3_stmt* statement, int index, const SqlValue& value)
{
    if (const auto* text = std::get_if<QString>(&value)) {
        // The byte length, not -1, so a text holding a NUL character is stored whole.
        const QByteArray utf8 = text->toUtf8();
        sqlite3_bind_text(statement, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    } else if (const auto* integer = std::get_if<qint64>(&value)) {
        sqlite3_bind_int64(statement, index, *integer);
    } else if (const auto* real = std::get_if<double>(&value)) {
        sqlite3_bind_double(statement, index, *real);
    } else {
        sqlite3_bind_null(statement, index);
    }
}

} // namespace

SqlStatement::SqlStatement(sqlite3* database, const SqlQuery& query)
{
    if (!database)
        return;
    m_status
        = sqlite3_prepare_v2(database, query.sql.constData(), int(query.sql.size()), &m_statement, nullptr);
    if (m_status != SQLITE_OK) {
        sqlite3_finalize(m_statement);
        m_statement = nullptr;
        return;
    }
    for (std::size_t i = 0; i < query.parameters.size(); ++i)
        bind(m_statement, int(i + 1), query.parameters[i]);
}

SqlStatement::~SqlStatement()
{
    sqlite3_finalize(m_statement);
}

bool SqlStatement::next()
{
    if (!m_statement)
        return false;
    m_status = sqlite3_step(m_statement);
    return m_status == SQLITE_ROW;
}

bool SqlStatement::run()
{
    while (next()) { }
    return succeeded();
}

QString SqlStatement::resultText() const
{
    return QString::fromUtf8(sqlite3_errstr(m_status));
}

bool SqlStatement::succeeded() const
{
    return m_statement && m_status == SQLITE_DONE;
}

bool SqlStatement::foundDamage() const
{
    const int primary = m_status & 0xff;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

bool SqlStatement::isNull(int column) const
{
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}

qint64 SqlStatement::int64(int column) const
{
    return sqlite3_column_int64(m_statement, column);
}

double SqlStatement::real(int column) const
{
    return sqlite3_column_double(m_statement, column);
}

QByteArrayView SqlStatement::utf8(int column) const
{
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
    return bytes ? QByteArrayView(bytes, sqlite3_column_bytes(m_statement, column)) : QByteArrayView();
}

QString SqlStatement::text(int column) const
{
    return QString::fromUtf8(utf8(column));
}

std::optional<QString> SqlStatement::optionalText(int column) const
{
    // Only NULL reads as no text at all; an empty text reads as an empty, non-null pointer.
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
    if (!bytes)
        return std::nullopt;
    return QString::fromUtf8(bytes, sqlite3_column_bytes(m_statement, column));
}

double toEpochSeconds(const QDateTime& date)
{
    return double(date.toMSecsSinceEpoch()) / 1000.0;
}

QDateTime fromEpochSeconds(double seconds)
{
    return QDateTime::fromMSecsSinceEpoch(std::llround(seconds * 1000.0), Qt::UTC);
}

} // namespace mv
