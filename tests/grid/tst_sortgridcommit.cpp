#include "GridTestHelpers.h"

#include <QListWidget>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <functional>

// Commands that move the current cell or change the counts end an open edit or
// pick list in its own cell first; typing searches the sort column unless switched off.
class TestSortGridCommit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void commandsCommitOpenEdit_data();
    void commandsCommitOpenEdit();
    void commandsCommitOpenPickList_data();
    void commandsCommitOpenPickList();
    void typeAheadSearchSwitch_data();
    void typeAheadSearchSwitch();

private:
    void addCommands();

    QWidget *m_host = nullptr;
    TestGrid *m_grid = nullptr;
};

using Command = std::function<void(SortGrid &)>;
Q_DECLARE_METATYPE(Command)

void TestSortGridCommit::init()
{
    m_host = new QWidget;
    m_host->resize(420, 300);
    auto *layout = new QVBoxLayout(m_host);
    m_grid = new TestGrid(m_host);
    layout->addWidget(m_grid);
    m_grid->setOptions(GridOption::FixedVertLine | GridOption::FixedHorzLine | GridOption::VertLine
                       | GridOption::HorzLine | GridOption::Editing);
    fillGrid(*m_grid,
             {{"Nr.", "Name", "LKZ"}, {"1", "anna", "GER"}, {"2", "berta", "AUT"}, {"3", "carl", "SUI"}});
    m_grid->comboBoxColumns = {2};
    m_grid->choices.items = QStringList{"AUT", "GER", "SUI"};
    m_host->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_host));
    m_grid->setFocus();
}

void TestSortGridCommit::cleanup()
{
    delete m_host;
}

void TestSortGridCommit::addCommands()
{
    QTest::addColumn<Command>("command");
    QTest::newRow("setSelection") << Command([](SortGrid &g) { g.setSelection(GridRect{1, 3, 2, 3}); });
    QTest::newRow("GotoCell") << Command([](SortGrid &g) { g.gotoCell(1, 3, true); });
    QTest::newRow("setRow") << Command([](SortGrid &g) { g.setCurrentRow(3); });
    QTest::newRow("RowCount grows") << Command([](SortGrid &g) { g.setRowCount(6); });
    QTest::newRow("load bracket") << Command([](SortGrid &g) {
        g.beginUpdate();
        g.setCells(1, 3, QStringLiteral("loaded"));
        g.endUpdate();
    });
    QTest::newRow("Clear") << Command([](SortGrid &g) { g.clear(); });
}

void TestSortGridCommit::commandsCommitOpenEdit_data()
{
    addCommands();
}

void TestSortGridCommit::commandsCommitOpenEdit()
{
    QFETCH(Command, command);
    m_grid->gotoCell(1, 1, false);
    QTest::keyClick(m_grid, Qt::Key_F2);
    QTRY_VERIFY(m_grid->editorShowing());
    QTest::keyClicks(m_grid->inplaceEditor(), QStringLiteral("77"));

    command(*m_grid);

    QVERIFY(!m_grid->editorShowing());
    using Validation = std::tuple<int, int, QString, QString>;
    QCOMPARE(m_grid->validations, (QList<Validation>{Validation(1, 1, "anna", "77")}));
    // Esc and further typing reach no cell any more.
    const QString current = m_grid->cells(m_grid->currentCol(), m_grid->currentRow());
    QTest::keyClick(m_grid->inplaceEditor(), Qt::Key_Escape);
    QCOMPARE(m_grid->cells(m_grid->currentCol(), m_grid->currentRow()), current);
    if (!m_grid->cells(0, 1).isEmpty()) // Clear empties the rows itself
        QCOMPARE(m_grid->cells(1, 1), QStringLiteral("77"));
}

void TestSortGridCommit::commandsCommitOpenPickList_data()
{
    addCommands();
}

void TestSortGridCommit::commandsCommitOpenPickList()
{
    QFETCH(Command, command);
    QSignalSpy chosen(m_grid, &SortGrid::comboEntryChosen);
    QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, {}, m_grid->cellRect(2, 1).center());
    QListWidget *list = m_grid->comboList();
    QTRY_VERIFY(list->isVisible());
    QTest::keyClick(list, Qt::Key_Up); // GER -> AUT

    command(*m_grid);

    QVERIFY(!list->isVisible());
    QCOMPARE(chosen, (QList<QList<QVariant>>{{2, 1, QStringLiteral("AUT")}}));
    if (!m_grid->cells(0, 1).isEmpty()) { // Clear empties the rows itself
        QCOMPARE(m_grid->cells(2, 1), QStringLiteral("AUT"));
        QCOMPARE(m_grid->cells(2, 3), QStringLiteral("SUI"));
    }
}

void TestSortGridCommit::typeAheadSearchSwitch_data()
{
    QTest::addColumn<bool>("search");
    QTest::addColumn<int>("row");
    QTest::newRow("searching the sort column") << true << 3;
    QTest::newRow("switched off") << false << 1;
}

void TestSortGridCommit::typeAheadSearchSwitch()
{
    QFETCH(bool, search);
    QFETCH(int, row);
    m_grid->sortOptions()->setSortCol(1);
    m_grid->setTypeAheadSearch(search);
    m_grid->gotoCell(1, 1, false);
    QTest::keyClicks(m_grid, QStringLiteral("c"));
    QCOMPARE(m_grid->currentRow(), row);
    // Either way the character starts the edit of the cell under the cursor.
    QTRY_VERIFY(m_grid->editorShowing());
    QCOMPARE(m_grid->cells(1, row), QStringLiteral("C"));
}

QTEST_MAIN(TestSortGridCommit)
#include "tst_sortgridcommit.moc"
