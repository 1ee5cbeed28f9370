#include "grid/CellStore.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>

// Random runs of every cell store operation against a plain table of texts that does the
// same thing in the most obvious way; after each step every cell must read the same.
class TestCellStore : public QObject
{
    Q_OBJECT

    using Table = std::vector<std::vector<QString>>;

    static void reach(Table &table, int col, int row)
    {
        if (int(table.size()) <= row)
            table.resize(size_t(row) + 1);
        if (int(table[size_t(row)].size()) <= col)
            table[size_t(row)].resize(size_t(col) + 1);
    }

    static QString text(QRandomGenerator &rng)
    {
        static const QString pieces[] = {QString(), QStringLiteral("00017"), QStringLiteral("1:02.03,45"),
                                         QStringLiteral("\u00d6ST"), QStringLiteral("\U0001f3c1"),
                                         QStringLiteral("a longer text of a cell")};
        return pieces[rng.bounded(int(std::size(pieces)))];
    }

    template<typename T>
    static void moveElement(std::vector<T> &items, int from, int to)
    {
        if (from < to)
            std::rotate(items.begin() + from, items.begin() + from + 1, items.begin() + to + 1);
        else
            std::rotate(items.begin() + to, items.begin() + from, items.begin() + from + 1);
    }

private Q_SLOTS:
    void operationsMatchAPlainTable_data()
    {
        QTest::addColumn<quint32>("seed");
        for (quint32 seed = 1; seed <= 6; ++seed)
            QTest::addRow("seed %u", seed) << seed;
    }

    void operationsMatchAPlainTable()
    {
        QFETCH(quint32, seed);
        QRandomGenerator rng(seed);
        CellStore store;
        Table table;
        for (int step = 0; step < 600; ++step) {
            const int a = rng.bounded(10);
            const int b = rng.bounded(7);
            switch (rng.bounded(11)) {
            case 0:
            case 1:
            case 2: {
                const QString t = text(rng);
                store.put(b, a, t);
                reach(table, b, a);
                table[size_t(a)][size_t(b)] = t;
                break;
            }
            case 3: {
                const int to = rng.bounded(10);
                store.moveRow(a, to);
                reach(table, 0, std::max(a, to));
                moveElement(table, a, to);
                break;
            }
            case 4:
                store.insertRow(a);
                if (a < int(table.size()))
                    table.insert(table.begin() + a, std::vector<QString>());
                break;
            case 5:
                store.removeRow(a);
                if (a < int(table.size()))
                    table.erase(table.begin() + a);
                break;
            case 6:
                store.insertCol(b);
                for (auto &row : table)
                    if (b < int(row.size()))
                        row.insert(row.begin() + b, QString());
                break;
            case 7:
                store.removeCol(b);
                for (auto &row : table)
                    if (b < int(row.size()))
                        row.erase(row.begin() + b);
                break;
            case 8:
                store.clearRow(a);
                if (a < int(table.size()))
                    table[size_t(a)].clear();
                break;
            case 9: {
                // Sorting rows first .. first + 3 by a permutation; columns from b on stay.
                std::vector<int> sources{a, a + 1, a + 2, a + 3};
                std::shuffle(sources.begin(), sources.end(), rng);
                store.permuteRows(a, sources, b);
                reach(table, 0, a + 3);
                const Table before = table;
                for (int n = 0; n < 4; ++n) {
                    auto &row = table[size_t(a + n)];
                    const auto &from = before[size_t(sources[size_t(n)])];
                    for (int c = 0; c < b; ++c) {
                        reach(table, c, a + n);
                        row[size_t(c)] = c < int(from.size()) ? from[size_t(c)] : QString();
                    }
                }
                break;
            }
            default: {
                const std::vector<QString> cells{text(rng), text(rng), text(rng)};
                store.putRowCells(a, cells);
                reach(table, 2, a);
                std::copy(cells.begin(), cells.end(), table[size_t(a)].begin());
                break;
            }
            }
            if (int(table.size()) > 0 && step % 7 == 3) {
                const int to = rng.bounded(10);
                store.moveCol(b, to);
                for (auto &row : table) {
                    if (!row.empty()) {
                        row.resize(std::max(row.size(), size_t(std::max(b, to)) + 1));
                        moveElement(row, b, to);
                    }
                }
            }
            const CellStore copy = store;
            for (int r = 0; r < 16; ++r)
                for (int c = 0; c < 12; ++c) {
                    const bool held = r < int(table.size()) && c < int(table[size_t(r)].size());
                    const QString expected = held ? table[size_t(r)][size_t(c)] : QString();
                    if (store.get(c, r) != expected || copy.view(c, r) != expected)
                        QFAIL(qPrintable(QStringLiteral("step %1, cell %2/%3").arg(step).arg(c).arg(r)));
                }
        }
    }
};

QTEST_GUILESS_MAIN(TestCellStore)
#include "tst_cellstore.moc"
