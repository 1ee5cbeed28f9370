#include "GridTestHelpers.h"

#include <QListWidget>
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
    void AddCommands();

    QWidget *m_host = nullptr;
    TSortGrid *m_grid = nullptr;
};

using Command = std::function<void(TSortGrid &)>;
Q_DECLARE_METATYPE(Command)

void TestSortGridCommit::init()
{
    m_host = new QWidget;
    m_host->resize(420, 300);
    auto *layout = new QVBoxLayout(m_host);
    m_grid = new TSortGrid(m_host);
    layout->addWidget(m_grid);
    m_grid->ShowMessage = [](const QString &) {};
    m_grid->setOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goEditing);
    FillGrid(*m_grid, {{"Nr.", "Name", "LKZ"}, {"1", "anna", "GER"}, {"2", "berta", "AUT"}, {"3", "carl", "SUI"}});
    m_grid->OnGetCellFormat = [](TSortGrid *, int col, int, TGridDrawState, TFormatOptions &, bool &, bool &combobox,
                                 bool &) { combobox = col == 2; };
    m_grid->OnGetComboBox = [](TSortGrid *, int, int, QStringList &strs, int &, int &, bool &) {
        strs = QStringList{"AUT", "GER", "SUI"};
    };
    m_host->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_host));
    m_grid->setFocus();
}

void TestSortGridCommit::cleanup()
{
    delete m_host;
}

void TestSortGridCommit::AddCommands()
{
    QTest::addColumn<Command>("command");
    QTest::newRow("setSelection") << Command([](TSortGrid &g) { g.setSelection(TGridRect{1, 3, 2, 3}); });
    QTest::newRow("GotoCell") << Command([](TSortGrid &g) { g.GotoCell(1, 3, true); });
    QTest::newRow("setRow") << Command([](TSortGrid &g) { g.setRow(3); });
    QTest::newRow("RowCount grows") << Command([](TSortGrid &g) { g.setRowCount(6); });
    QTest::newRow("load bracket") << Command([](TSortGrid &g) {
        g.BeginUpdate();
        g.setCells(1, 3, QStringLiteral("loaded"));
        g.EndUpdate();
    });
    QTest::newRow("Clear") << Command([](TSortGrid &g) { g.Clear(); });
}

void TestSortGridCommit::commandsCommitOpenEdit_data()
{
    AddCommands();
}

void TestSortGridCommit::commandsCommitOpenEdit()
{
    QFETCH(Command, command);
    QList<std::tuple<int, QString, QString>> validated;
    m_grid->OnCellValidate = [&](TSortGrid *, int, int row, const QString &oldValue, QString &newValue, bool &) {
        validated << std::make_tuple(row, oldValue, newValue);
    };
    m_grid->GotoCell(1, 1, false);
    QTest::keyClick(m_grid, Qt::Key_F2);
    QTRY_VERIFY(m_grid->EditorShowing());
    QTest::keyClicks(m_grid->InplaceEditor(), QStringLiteral("77"));

    command(*m_grid);

    QVERIFY(!m_grid->EditorShowing());
    QCOMPARE(validated, (QList<std::tuple<int, QString, QString>>{{1, "anna", "77"}}));
    // Esc and further typing reach no cell any more.
    const QString current = m_grid->Cells(m_grid->Col(), m_grid->Row());
    QTest::keyClick(m_grid->InplaceEditor(), Qt::Key_Escape);
    QCOMPARE(m_grid->Cells(m_grid->Col(), m_grid->Row()), current);
    if (!m_grid->Cells(0, 1).isEmpty()) // Clear empties the rows itself
        QCOMPARE(m_grid->Cells(1, 1), QStringLiteral("77"));
}

void TestSortGridCommit::commandsCommitOpenPickList_data()
{
    AddCommands();
}

void TestSortGridCommit::commandsCommitOpenPickList()
{
    QFETCH(Command, command);
    QList<QPoint> chosen;
    m_grid->OnSetComboBox = [&](TSortGrid *, int col, int row, const QString &) { chosen << QPoint(col, row); };
    QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, {}, m_grid->CellRect(2, 1).center());
    QListWidget *list = m_grid->ComboList();
    QTRY_VERIFY(list->isVisible());
    QTest::keyClick(list, Qt::Key_Up); // GER -> AUT

    command(*m_grid);

    QVERIFY(!list->isVisible());
    QCOMPARE(chosen, QList<QPoint>{QPoint(2, 1)});
    if (!m_grid->Cells(0, 1).isEmpty()) { // Clear empties the rows itself
        QCOMPARE(m_grid->Cells(2, 1), QStringLiteral("AUT"));
        QCOMPARE(m_grid->Cells(2, 3), QStringLiteral("SUI"));
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
    m_grid->SortOptions()->setSortCol(1);
    m_grid->setTypeAheadSearch(search);
    m_grid->GotoCell(1, 1, false);
    QTest::keyClicks(m_grid, QStringLiteral("c"));
    QCOMPARE(m_grid->Row(), row);
    // Either way the character starts the edit of the cell under the cursor.
    QTRY_VERIFY(m_grid->EditorShowing());
    QCOMPARE(m_grid->Cells(1, row), QStringLiteral("C"));
}

QTEST_MAIN(TestSortGridCommit)
#include "tst_SortGridCommit.moc"
