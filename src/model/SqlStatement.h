#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <cstddef>
#include <optional>
#include <variant>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace mv {

// One statement parameter: text, a 64-bit integer, a double or NULL.
using SqlValue = std::variant<QString, qint64, double, std::nullptr_t>;

// A statement's text and the values of its parameters, in order.
struct SqlQuery {
    QByteArray sql;
    std::vector<SqlValue> parameters;
};

// A prepared SQLite statement, finalized when it goes out of scope. A statement that failed to prepare is
// not valid, and stepping it yields no rows.
class SqlStatement {
public:
    // Prepares `query` and binds its parameters.
    SqlStatement(sqlite3* database, const SqlQuery& query);
    ~SqlStatement();
    SqlStatement(const SqlStatement&) = delete;
    SqlStatement& operator=(const SqlStatement&) = delete;

    // Moves to the next row; false once the rows are exhausted or a step failed.
    bool next();
    // Steps a statement that returns no rows; answers whether it ran to its end.
    bool run();
    // Whether the statement ran to its end without an error.
    bool succeeded() const;
    // SQLite's words for the result of preparing or of the last step.
    QString resultText() const;
    // Whether preparing or a step found the file damaged or not a database at all.
    bool foundDamage() const;

    bool isNull(int column) const;
    qint64 int64(int column) const;
    double real(int column) const;
    // The column's UTF-8 text; empty for NULL. Valid until the next step.
    QByteArrayView utf8(int column) const;
    QString text(int column) const;
    std::optional<QString> optionalText(int column) const;

private:
    sqlite3_stmt* m_statement = nullptr;
    int m_status = 0; // SQLite's result of preparing or of the last step
};

// Dates are stored as seconds since 1970 in UTC, with the fraction kept.
double toEpochSeconds(const QDateTime& date);
QDateTime fromEpochSeconds(double seconds);

} // namespace mv
