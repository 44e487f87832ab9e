#include "model/SqlStatement.h"

#include <cmath>
#include <sqlite3.h>

namespace mv {

SqlStatement::SqlStatement(sqlite3* database, const QByteArray& sql)
{
    if (database
        && sqlite3_prepare_v2(database, sql.constData(), int(sql.size()), &m_statement, nullptr)
            != SQLITE_OK) {
        sqlite3_finalize(m_statement);
        m_statement = nullptr;
    }
}

SqlStatement::~SqlStatement()
{
    sqlite3_finalize(m_statement);
}

void SqlStatement::bind(std::initializer_list<SqlValue> values)
{
    int index = 1;
    for (const SqlValue& value : values)
        bind(index++, value);
}

void SqlStatement::bind(int index, const SqlValue& value)
{
    if (!m_statement)
        return;
    if (const auto* text = std::get_if<QString>(&value)) {
        // The byte length, not -1, so a text holding a NUL character is stored whole.
        const QByteArray utf8 = text->toUtf8();
        sqlite3_bind_text(m_statement, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    } else if (const auto* integer = std::get_if<qint64>(&value)) {
        sqlite3_bind_int64(m_statement, index, *integer);
    } else if (const auto* real = std::get_if<double>(&value)) {
        sqlite3_bind_double(m_statement, index, *real);
    } else {
        sqlite3_bind_null(m_statement, index);
    }
}

bool SqlStatement::next()
{
    return m_statement && sqlite3_step(m_statement) == SQLITE_ROW;
}

void SqlStatement::run()
{
    while (next()) { }
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
    if (isNull(column))
        return std::nullopt;
    return text(column);
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
