#include "ui/models/shared/IdentityListModel.h"

#include <QAbstractItemModelTester>
#include <QtTest>

using namespace mv;

namespace {

// A row is written "a1": identity "a", value 1.
struct Row {
    QString id;
    int value = 0;
    bool operator==(const Row&) const = default;
};

QList<Row> rowsOf(const QString& text)
{
    QList<Row> rows;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        rows.append({ word.left(1), word.mid(1).toInt() });
    return rows;
}

QString textOf(const QList<Row>& rows)
{
    QStringList words;
    for (const Row& row : rows)
        words.append(row.id + QString::number(row.value));
    return words.join(QLatin1Char(' '));
}

class LetterModel final : public IdentityListModel<Row> {
public:
    using IdentityListModel::apply;

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!checkIndex(index, CheckIndexOption::IndexIsValid) || role != Qt::DisplayRole)
            return {};
        const Row& row = rows().at(index.row());
        return row.id + QString::number(row.value);
    }

private:
    QString identity(const Row& row) const override { return row.id; }
};

} // namespace

class TestIdentityListModel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void anyListIsApplied_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("shown"); // the rows afterwards: each identity once, first one wins

        QTest::newRow("empty to empty") << ""
                                        << ""
                                        << "";
        QTest::newRow("fill") << ""
                              << "a1 b1 c1"
                              << "a1 b1 c1";
        QTest::newRow("empty out") << "a1 b1 c1"
                                   << ""
                                   << "";
        QTest::newRow("values change") << "a1 b1"
                                       << "a2 b1"
                                       << "a2 b1";
        QTest::newRow("reverse") << "a1 b1 c1 d1"
                                 << "d1 c1 b1 a1"
                                 << "d1 c1 b1 a1";
        QTest::newRow("last to first") << "a1 b1 c1"
                                       << "c1 a1 b1"
                                       << "c1 a1 b1";
        QTest::newRow("first to last") << "a1 b1 c1"
                                       << "b1 c1 a1"
                                       << "b1 c1 a1";
        QTest::newRow("remove middle and ends") << "a1 b1 c1 d1 e1"
                                                << "b1 d1"
                                                << "b1 d1";
        QTest::newRow("insert, remove and move together") << "a1 b1 c1 d1"
                                                          << "x1 d2 b1 y1 a1"
                                                          << "x1 d2 b1 y1 a1";
        QTest::newRow("replace everything") << "a1 b1"
                                            << "c1 d1"
                                            << "c1 d1";
        QTest::newRow("a row twice in a new list") << "a1"
                                                   << "a1 a2"
                                                   << "a1";
        QTest::newRow("repeat from empty") << ""
                                           << "a1 b1 a2 b2 a3"
                                           << "a1 b1";
        QTest::newRow("repeat after a move") << "a1 b1"
                                             << "b1 a1 b2"
                                             << "b1 a1";
        QTest::newRow("repeats only") << "a1 b1"
                                      << "c1 c2 c3"
                                      << "c1";
        QTest::newRow("old list had repeats") << "a1 a2 b1 b2"
                                              << "b3 a3 c1"
                                              << "b3 a3 c1";
        QTest::newRow("old list had repeats, new one too") << "a1 b1 a2"
                                                           << "b1 a1 b2 a2"
                                                           << "b1 a1";
    }

    void anyListIsApplied()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(QString, shown);

        LetterModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.apply(rowsOf(before));
        model.apply(rowsOf(after));
        QCOMPARE(textOf(model.rows()), shown);
        QStringList displayed;
        for (int row = 0; row < model.rowCount(); ++row)
            displayed.append(model.index(row).data().toString());
        QCOMPARE(displayed.join(QLatin1Char(' ')), shown);
    }

    // Views keep their widgets by identity: a row that stays is moved or updated, never removed and made
    // again.
    void keptRowsAreNeverRemoved()
    {
        LetterModel model;
        model.apply(rowsOf("a1 b1 c1 d1"));
        QStringList removed;
        connect(&model, &QAbstractItemModel::rowsAboutToBeRemoved, &model,
            [&](const QModelIndex&, int first, int last) {
                for (int row = first; row <= last; ++row)
                    removed.append(model.rows().at(row).id);
            });
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        model.apply(rowsOf("d1 b2 a1 b9"));
        QCOMPARE(removed, QStringList { QStringLiteral("c") });
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.first().at(0).toModelIndex().row(), 1);
    }
};

QTEST_GUILESS_MAIN(TestIdentityListModel)
#include "tst_IdentityListModel.moc"
