#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QSet>
#include <QString>

namespace mv {

// A list model whose rows have identities (a job id, a run key, a record id). A new list is applied row by
// row, so a view keeps the widgets of rows that stayed: rows whose identity is gone are removed, new ones
// inserted where they stand, rows that moved are moved, and rows that changed announce dataChanged.
template <typename Row> class IdentityListModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_rows.size());
    }
    const QList<Row>& rows() const { return m_rows; }

protected:
    // A row whose identity repeats an earlier row of `given` is left out (the first one is shown): two rows
    // of one identity would be one thing shown twice, and the rows are matched by identity.
    void apply(const QList<Row>& given)
    {
        m_applying = true;
        const QList<Row> next = withoutRepeats(given);
        QSet<QString> kept;
        kept.reserve(next.size());
        for (const Row& row : next)
            kept.insert(identity(row));
        for (qsizetype i = m_rows.size() - 1; i >= 0; --i) {
            if (!kept.contains(identity(m_rows[i]))) {
                beginRemoveRows({}, int(i), int(i));
                m_rows.removeAt(i);
                endRemoveRows();
            }
        }
        // The rows before i already match next's, and identities are unique, so a row found is at i or later.
        for (qsizetype i = 0; i < next.size(); ++i) {
            const QString id = identity(next[i]);
            // Rows mostly stay where they were: look there first.
            const qsizetype at = i < m_rows.size() && identity(m_rows[i]) == id ? i : indexOf(m_rows, id, i);
            if (at < 0) {
                beginInsertRows({}, int(i), int(i));
                m_rows.insert(i, next[i]);
                endInsertRows();
                continue;
            }
            if (at != i) {
                beginMoveRows({}, int(at), int(at), {}, int(i));
                m_rows.move(at, i);
                endMoveRows();
            }
            if (!(m_rows[i] == next[i])) {
                m_rows[i] = next[i];
                Q_EMIT dataChanged(index(int(i)), index(int(i)));
            }
        }
        m_applying = false;
    }
    // While a new list is being applied: a view reacting to one of its signals must not change the rows.
    bool isApplying() const { return m_applying; }

    // The identity of a row; two rows with the same identity are the same thing shown twice in time.
    virtual QString identity(const Row& row) const = 0;

private:
    qsizetype indexOf(const QList<Row>& rows, const QString& id, qsizetype from) const
    {
        for (qsizetype i = from; i < rows.size(); ++i) {
            if (identity(rows[i]) == id)
                return i;
        }
        return -1;
    }

    QList<Row> withoutRepeats(const QList<Row>& rows) const
    {
        QList<Row> unique;
        unique.reserve(rows.size());
        QSet<QString> seen;
        seen.reserve(rows.size());
        for (const Row& row : rows) {
            const QString id = identity(row);
            if (seen.contains(id)) {
                qWarning("A list row repeats the identity %s and is left out.", qPrintable(id));
                continue;
            }
            seen.insert(id);
            unique.append(row);
        }
        return unique;
    }

    QList<Row> m_rows;
    bool m_applying = false;
};

} // namespace mv
