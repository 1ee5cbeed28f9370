#include "GridTestHelpers.h"

#include <QListWidget>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

// Check-box, drop-down and ellipsis cells, validation of edited text and
// type-ahead, driven through the real widget.
class TestSortGridEditing : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void comboListHighlight_data();
    void comboListHighlight();
    void comboListSize_data();
    void comboListSize();
    void comboListChosenWithEnter();
    void comboListChosenByClick();
    void emptyComboListDoesNotOpen();
    void spaceOpensComboList();
    void editorRefusedOnSpecialCells();
    void tabWhileEditingSkipsDropDownCell();
    void checkBoxes();
    void checkBoxToggledByClickAndSpace();
    void ellipsisOnlyInRightmostPixels_data();
    void ellipsisOnlyInRightmostPixels();
    void typeAheadFindsAndWraps();
    void validation_data();
    void validation();

private:
    void click(const QPoint &p, Qt::MouseButton button = Qt::LeftButton);

    QWidget *m_host = nullptr;
    TestGrid *m_grid = nullptr;
    QList<QPair<QPoint, QString>> m_chosen;
};

void TestSortGridEditing::init()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    m_host = new QWidget;
    m_host->resize(500, 320);
    auto *layout = new QVBoxLayout(m_host);
    layout->setContentsMargins(40, 30, 10, 10);
    m_grid = new TestGrid(m_host);
    layout->addWidget(m_grid);
    m_grid->setOptions(GridOption::FixedVertLine | GridOption::FixedHorzLine | GridOption::VertLine
                       | GridOption::HorzLine | GridOption::DrawFocusSelected | GridOption::Editing);
    m_grid->sortOptions()->setCanSort(false);
    fillGrid(*m_grid,
             {{"Nr.", "Name", "LKZ", "Ok", "Mehr"},
              {"1", "anna", "GER", "V", ""},
              {"2", "berta", "XYZ", "1", ""},
              {"3", "bernd", "aut", "v", ""},
              {"4", "carl", "", "", ""}});
    m_grid->setModified(false);
    m_grid->choices.items = QStringList{"SUI", "AUT", "GER"};
    m_chosen.clear();
    m_grid->comboBoxColumns = {2};
    m_grid->checkBoxColumns = {3};
    m_grid->ellipsisColumns = {4};
    connect(m_grid, &SortGrid::comboEntryChosen, this,
            [this](int col, int row, const QString &text) { m_chosen << qMakePair(QPoint(col, row), text); });
    m_host->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_host));
    m_grid->setFocus();
}

void TestSortGridEditing::cleanup()
{
    delete m_host;
    m_host = nullptr;
    m_grid = nullptr;
}

void TestSortGridEditing::click(const QPoint &p, Qt::MouseButton button)
{
    QTest::mouseClick(m_grid->viewport(), button, {}, p);
}

void TestSortGridEditing::comboListHighlight_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("highlighted");
    QTest::newRow("text among the entries") << 1 << "GER";
    QTest::newRow("text not among them") << 2 << "AUT";
    QTest::newRow("case ignored") << 3 << "AUT";
    QTest::newRow("empty text") << 4 << "AUT";
}

void TestSortGridEditing::comboListHighlight()
{
    QFETCH(int, row);
    QFETCH(QString, highlighted);
    const QRect cell = m_grid->cellRect(2, row);
    click(cell.center());
    QListWidget *list = m_grid->comboList();
    QTRY_VERIFY(list->isVisible());
    QCOMPARE(list->currentItem()->text(), highlighted);
    // Sorted by default, and placed under the cell on the window.
    QCOMPARE(list->item(0)->text(), QStringLiteral("AUT"));
    QCOMPARE(list->parentWidget(), m_host);
    QCOMPARE(list->geometry().topLeft(), m_grid->viewport()->mapTo(m_host, cell.topLeft()));
}

void TestSortGridEditing::comboListSize_data()
{
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("items");
    QTest::newRow("eleven entries") << 11 << 0 << 0 << 10;
    QTest::newRow("three entries") << 3 << 0 << 0 << 3;
    QTest::newRow("height given") << 3 << 0 << 1 << 10;
    QTest::newRow("width given") << 3 << 120 << 0 << 3;
}

void TestSortGridEditing::comboListSize()
{
    QFETCH(int, entries);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, items);
    m_grid->choices.items.clear();
    for (int i = 0; i < entries; ++i)
        m_grid->choices.items << QStringLiteral("E%1").arg(i, 2, 10, QLatin1Char('0'));
    m_grid->choices.width = width;
    m_grid->choices.height = height;
    QVERIFY(m_grid->showComboList(2, 1));
    QListWidget *list = m_grid->comboList();
    QCOMPARE(list->count(), entries);
    const int itemHeight = list->sizeHintForRow(0);
    QCOMPARE(list->height(), items * itemHeight + 5);
    QCOMPARE(list->width(), width != 0 ? width : m_grid->cellRect(2, 1).width() + 1);
}

void TestSortGridEditing::comboListChosenWithEnter()
{
    QVERIFY(m_grid->showComboList(2, 2));
    QListWidget *list = m_grid->comboList();
    QTRY_VERIFY(list->hasFocus());
    QTest::keyClick(list, Qt::Key_Down); // AUT -> GER
    QTest::keyClick(list, Qt::Key_Return);
    QVERIFY(!list->isVisible());
    QCOMPARE(m_grid->cells(2, 2), QStringLiteral("GER"));
    QVERIFY(!m_chosen.isEmpty());
    QCOMPARE(m_chosen.first(), qMakePair(QPoint(2, 2), QStringLiteral("GER")));
    QTRY_VERIFY(m_grid->hasFocus());
}

void TestSortGridEditing::comboListChosenByClick()
{
    click(m_grid->cellRect(2, 4).center());
    QListWidget *list = m_grid->comboList();
    QTRY_VERIFY(list->isVisible());
    const QRect item = list->visualItemRect(list->item(2));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
    QVERIFY(!list->isVisible());
    QCOMPARE(m_grid->cells(2, 4), QStringLiteral("SUI"));
    QCOMPARE(m_chosen.first().second, QStringLiteral("SUI"));
}

void TestSortGridEditing::emptyComboListDoesNotOpen()
{
    m_grid->choices.items.clear();
    QVERIFY(!m_grid->showComboList(2, 1));
    click(m_grid->cellRect(2, 1).center());
    QVERIFY(!m_grid->comboList()->isVisible());
    QCOMPARE(m_grid->cells(2, 1), QStringLiteral("GER"));
    // Not a drop-down cell: no list either.
    m_grid->choices.items = QStringList{"X"};
    QVERIFY(!m_grid->showComboList(1, 1));
}

void TestSortGridEditing::spaceOpensComboList()
{
    m_grid->gotoCell(2, 3, false);
    QTest::keyClick(m_grid, Qt::Key_Space);
    QTRY_VERIFY(m_grid->comboList()->isVisible());
    QCOMPARE(m_grid->comboList()->currentItem()->text(), QStringLiteral("AUT"));
}

void TestSortGridEditing::editorRefusedOnSpecialCells()
{
    for (int col : {2, 3}) {
        m_grid->gotoCell(col, 1, false);
        QTest::keyClick(m_grid, Qt::Key_F2);
        QVERIFY(!m_grid->editorShowing());
    }
    m_grid->gotoCell(1, 1, false);
    QTest::keyClick(m_grid, Qt::Key_F2);
    QVERIFY(m_grid->editorShowing());
}

void TestSortGridEditing::tabWhileEditingSkipsDropDownCell()
{
    m_grid->setOptions(m_grid->options() | GridOption::Tabs);
    m_grid->checkBoxColumns.clear();
    m_grid->ellipsisColumns.clear();
    m_grid->gotoCell(1, 1, false);
    QTest::keyClick(m_grid, Qt::Key_F2);
    QTRY_VERIFY(m_grid->editorShowing());
    QTest::keyPress(m_grid->inplaceEditor(), Qt::Key_Tab);
    // The drop-down cell refuses the cursor but opens its list; the cursor goes on.
    QVERIFY(m_grid->comboList()->isVisible());
    QCOMPARE(m_grid->currentCol(), 3);
    QCOMPARE(m_grid->currentRow(), 1);
}

void TestSortGridEditing::checkBoxes()
{
    QSignalSpy set(m_grid, &SortGrid::checkedSet);
    QVERIFY(m_grid->isChecked(3, 1));
    QVERIFY(m_grid->isChecked(3, 2)); // "1"
    QVERIFY(!m_grid->isChecked(3, 3)); // "v"
    m_grid->setChecked(3, 4, true);
    QCOMPARE(m_grid->cells(3, 4), QStringLiteral("V"));
    m_grid->setChecked(3, 2, !m_grid->isChecked(3, 2));
    QCOMPARE(m_grid->cells(3, 2), QString());
    QCOMPARE(set, (QList<QList<QVariant>>{{3, 4, true}, {3, 2, false}}));
    // Not a check-box cell: never checked, never set.
    m_grid->setCells(1, 1, QStringLiteral("V"));
    QVERIFY(!m_grid->isChecked(1, 1));
    m_grid->setChecked(1, 1, false);
    QCOMPARE(m_grid->cells(1, 1), QStringLiteral("V"));
    QCOMPARE(set.count(), 2);
}

void TestSortGridEditing::checkBoxToggledByClickAndSpace()
{
    const QPoint cell = m_grid->cellRect(3, 3).center();
    click(cell);
    QCOMPARE(m_grid->cells(3, 3), QStringLiteral("V"));
    QTest::keyClick(m_grid, Qt::Key_Space);
    QCOMPARE(m_grid->cells(3, 3), QString());
    // Press and release on different cells: no toggle.
    QTest::mousePress(m_grid->viewport(), Qt::LeftButton, {}, cell);
    QTest::mouseRelease(m_grid->viewport(), Qt::LeftButton, {}, m_grid->cellRect(3, 4).center());
    QCOMPARE(m_grid->cells(3, 3), QString());
    QCOMPARE(m_grid->cells(3, 4), QString());
}

void TestSortGridEditing::ellipsisOnlyInRightmostPixels_data()
{
    QTest::addColumn<int>("fromRight");
    QTest::addColumn<int>("fired");
    QTest::newRow("at the glyph") << 5 << 1;
    QTest::newRow("last glyph pixel") << 16 << 1;
    QTest::newRow("left of the glyph") << 20 << 0;
}

void TestSortGridEditing::ellipsisOnlyInRightmostPixels()
{
    QFETCH(int, fromRight);
    QFETCH(int, fired);
    QSignalSpy clicked(m_grid, &SortGrid::ellipsisClicked);
    const QRect cell = m_grid->cellRect(4, 2);
    click(QPoint(cell.left() + cell.width() - fromRight, cell.center().y()));
    QCOMPARE(clicked.count(), fired);
    QTest::keyClick(m_grid, Qt::Key_Space);
    QCOMPARE(clicked.count(), fired + 1);
    for (const QList<QVariant> &arguments : std::as_const(clicked))
        QCOMPARE(arguments, (QList<QVariant>{4, 2}));
}

void TestSortGridEditing::typeAheadFindsAndWraps()
{
    m_grid->setOptions(m_grid->options() & ~GridOptions(GridOption::Editing));
    m_grid->sortOptions()->setSortCol(1);
    m_grid->gotoCell(1, 2, false); // the first b row
    QTest::keyClicks(m_grid, QStringLiteral("b"));
    QCOMPARE(m_grid->currentRow(), 3);
    QTest::keyClicks(m_grid, QStringLiteral("b"));
    QCOMPARE(m_grid->currentRow(), 2);
    QTest::keyClicks(m_grid, QStringLiteral("C"));
    QCOMPARE(m_grid->currentRow(), 4);
    QTest::keyClicks(m_grid, QStringLiteral("z"));
    QCOMPARE(m_grid->currentRow(), 4);
}

void TestSortGridEditing::validation_data()
{
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<QString>("result");
    QTest::addColumn<bool>("modified");
    QTest::newRow("accepted") << true << QString() << "Xa" << true;
    QTest::newRow("accepted with a new value") << true << "XA!"
                                               << "XA!" << true;
    QTest::newRow("refused restores") << false << QString() << "anna" << false;
    QTest::newRow("refused with a new value") << false << "fixed"
                                              << "fixed" << false;
}

void TestSortGridEditing::validation()
{
    QFETCH(bool, valid);
    QFETCH(QString, replacement);
    QFETCH(QString, result);
    QFETCH(bool, modified);
    m_grid->acceptEdits = valid;
    m_grid->replacement = replacement;
    click(m_grid->cellRect(1, 1).center());
    QTest::keyClick(m_grid, Qt::Key_F2);
    QTRY_VERIFY(m_grid->editorShowing());
    QTest::keyClicks(m_grid->inplaceEditor(), QStringLiteral("Xa"));
    QVERIFY(m_grid->modified());
    QTest::keyClick(m_grid->inplaceEditor(), Qt::Key_Return);
    QCOMPARE(m_grid->cells(1, 1), result);
    QCOMPARE(m_grid->modified(), modified);
    using Validation = std::tuple<int, int, QString, QString>;
    QCOMPARE(m_grid->validations, (QList<Validation>{Validation(1, 1, "anna", "Xa")}));
    QVERIFY(!m_grid->editorShowing());
}

QTEST_MAIN(TestSortGridEditing)
#include "tst_sortgridediting.moc"
