#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <cstddef>
#include <initializer_list>
#include <optional>
#include <variant>

struct sqlite3;
struct sqlite3_stmt;

namespace mv {

// One statement parameter: text, a 64-bit integer, a double or NULL.
using SqlValue = std::variant<QString, qint64, double, std::nullptr_t>;

// A prepared SQLite statement, finalized when it goes out of scope. A statement that failed to prepare is
// not valid, and stepping it yields no rows.
class SqlStatement {
public:
    SqlStatement(sqlite3* database, const QByteArray& sql);
    ~SqlStatement();
    SqlStatement(const SqlStatement&) = delete;
    SqlStatement& operator=(const SqlStatement&) = delete;

    bool isValid() const { return m_statement != nullptr; }

    // Binds `values` to the parameters in order, numbered from 1.
    void bind(std::initializer_list<SqlValue> values);
    void bind(int index, const SqlValue& value);

    // Moves to the next row; false once the rows are exhausted or a step failed.
    bool next();
    // Steps a statement that returns no rows; its result is not reported.
    void run();

    bool isNull(int column) const;
    qint64 int64(int column) const;
    double real(int column) const;
    // The column's UTF-8 text; empty for NULL. Valid until the next step.
    QByteArrayView utf8(int column) const;
    QString text(int column) const;
    std::optional<QString> optionalText(int column) const;

private:
    sqlite3_stmt* m_statement = nullptr;
};

// Dates are stored as seconds since 1970 in UTC, with the fraction kept.
double toEpochSeconds(const QDateTime& date);
QDateTime fromEpochSeconds(double seconds);

} // namespace mv
