#include "GridTestHelpers.h"
#include "grid/GridImages.h"

#include <QPainter>
#include <QScrollBar>
#include <QTest>

Q_DECLARE_METATYPE(HorizontalAlignment)
Q_DECLARE_METATYPE(VerticalAlignment)
Q_DECLARE_METATYPE(CellBevelStyle)

// Painting checks: every cell is rendered into an image and compared with the
// same cell drawn by hand from the placement rules.
class TestSortGridPaint : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void textOffsets_data();
    void textOffsets();
    void titleShortening_data();
    void titleShortening();
    void checkBoxImage_data();
    void checkBoxImage();
    void sortMarker_data();
    void sortMarker();
    void hideRowsPaintsBlankRows();
    void bevelEdges_data();
    void bevelEdges();
    void rowAndColumnFormats();
    void formatStateFlags();
    void proportionalScrollBars();
    void comboGlyphOnCurrentCell();

private:
    std::unique_ptr<TestGrid> makeGrid();
    QImage render(SortGrid &grid);
    QImage expectedImage(SortGrid &grid, const QRect &cell, ColorValue brush, const QString &text, int dx,
                         int dy);
};

void TestSortGridPaint::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
}

std::unique_ptr<TestGrid> TestSortGridPaint::makeGrid()
{
    auto grid = std::make_unique<TestGrid>();
    grid->setOptions(GridOption::FixedVertLine | GridOption::FixedHorzLine | GridOption::VertLine
                     | GridOption::HorzLine);
    grid->sortOptions()->setCanSort(false);
    grid->resize(420, 200);
    grid->setColumnWidth(1, 100);
    grid->setColumnWidth(2, 100);
    grid->gotoCell(0, 1, false);
    return grid;
}

QImage TestSortGridPaint::render(SortGrid &grid)
{
    QImage image(grid.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    grid.viewport()->render(&image);
    return image;
}

QImage TestSortGridPaint::expectedImage(SortGrid &grid, const QRect &cell, ColorValue brush,
                                        const QString &text, int dx, int dy)
{
    QImage image(cell.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(toQColor(brush));
    QPainter p(&image);
    p.setFont(grid.font());
    p.setPen(toQColor(Colors::clWindowText));
    p.drawText(QPoint(dx, dy + QFontMetrics(grid.font()).ascent()), text);
    return image;
}

void TestSortGridPaint::textOffsets_data()
{
    QTest::addColumn<HorizontalAlignment>("horz");
    QTest::addColumn<VerticalAlignment>("vert");
    QTest::addColumn<QString>("text");
    QTest::newRow("left top") << HorizontalAlignment::Left << VerticalAlignment::Top << "abc";
    QTest::newRow("right") << HorizontalAlignment::Right << VerticalAlignment::Top << "12,5";
    QTest::newRow("centre") << HorizontalAlignment::Center << VerticalAlignment::Top << "DNF";
    QTest::newRow("centre odd") << HorizontalAlignment::Center << VerticalAlignment::Top << "W";
    QTest::newRow("bottom") << HorizontalAlignment::Left << VerticalAlignment::Bottom << "g";
    QTest::newRow("middle right") << HorizontalAlignment::Right << VerticalAlignment::Middle << "1:02";
}

void TestSortGridPaint::textOffsets()
{
    QFETCH(HorizontalAlignment, horz);
    QFETCH(VerticalAlignment, vert);
    QFETCH(QString, text);
    auto grid = makeGrid();
    grid->setAlignmentHorz(horz);
    grid->setAlignmentVert(vert);
    grid->setRowHeight(2, 30);
    grid->setCells(1, 2, text);
    const QImage image = render(*grid);
    const QRect cell = grid->cellRect(1, 2);
    const QFontMetrics fm(grid->font());
    const int w = cell.width();
    const int h = cell.height();
    const int tw = fm.horizontalAdvance(text);
    const int th = fm.height();
    const int dx = horz == HorizontalAlignment::Right ? w - tw - 2
        : horz == HorizontalAlignment::Center         ? (w - tw) / 2
                                                      : 2;
    const int dy = vert == VerticalAlignment::Bottom ? h - th - 3
        : vert == VerticalAlignment::Middle          ? (h - th) / 2
                                                     : 2;
    QCOMPARE(image.copy(cell), expectedImage(*grid, cell, Colors::clWindow, text, dx, dy));
    // Not the same picture as the plain left-top placement (unless that is the case).
    if (horz != HorizontalAlignment::Left || vert != VerticalAlignment::Top)
        QVERIFY(image.copy(cell) != expectedImage(*grid, cell, Colors::clWindow, text, 2, 2));
}

void TestSortGridPaint::titleShortening_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("width");
    QTest::addColumn<bool>("sortColumn");
    QTest::newRow("fits") << "Nr." << 60 << false;
    QTest::newRow("too wide") << "Stoppzeit" << 40 << false;
    QTest::newRow("much too wide") << "Startnummer" << 25 << false;
    QTest::newRow("sort column has less room") << "Stoppzeit" << 70 << true;
}

void TestSortGridPaint::titleShortening()
{
    QFETCH(QString, title);
    QFETCH(int, width);
    QFETCH(bool, sortColumn);
    auto grid = makeGrid();
    grid->setColumnWidth(1, width);
    grid->setCells(1, 0, title);
    if (sortColumn) {
        grid->sortOptions()->setCanSort(true);
        grid->sortOptions()->setSortCol(1);
    }
    const QImage image = render(*grid);
    const QRect cell = grid->cellRect(1, 0);
    const QFontMetrics fm(grid->font());
    const int avail = sortColumn ? width - 12 : width - 1;
    // The longest start of the title that fits with two periods after it.
    QString expected = title;
    if (fm.horizontalAdvance(title) > avail) {
        expected.clear();
        for (qsizetype keep = title.size() - 2; keep >= 1; --keep) {
            expected = title.left(keep) + QStringLiteral("..");
            if (fm.horizontalAdvance(expected) <= avail)
                break;
        }
        QVERIFY(expected.endsWith(QLatin1String("..")));
    }
    QImage reference = expectedImage(*grid, cell, Colors::clBtnFace, expected, sortColumn ? 12 : 2, 2);
    if (sortColumn) {
        QPainter p(&reference);
        p.drawPixmap(QPoint(3, grid->rowHeight(0) / 2 - 4), gridImage("UP"), QRect(0, 0, 8, 7));
    }
    QCOMPARE(image.copy(cell), reference);
}

void TestSortGridPaint::checkBoxImage_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("checked");
    QTest::newRow("V") << "V" << true;
    QTest::newRow("1") << "1" << true;
    QTest::newRow("true") << "true" << true;
    QTest::newRow("lower v") << "v" << false;
    QTest::newRow("True") << "True" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("other") << "ja" << false;
}

void TestSortGridPaint::checkBoxImage()
{
    QFETCH(QString, text);
    QFETCH(bool, checked);
    auto grid = makeGrid();
    grid->checkBoxColumns = {2};
    grid->setCells(2, 3, text);
    const QImage image = render(*grid);
    const QRect cell = grid->cellRect(2, 3);
    QImage reference(cell.size(), QImage::Format_ARGB32_Premultiplied);
    reference.fill(toQColor(Colors::clWindow));
    {
        QPainter p(&reference);
        p.drawPixmap(QPoint((cell.width() - 16) / 2, cell.height() / 2 - 8),
                     gridImage(checked ? "CHECKED" : "UNCHECKED"), QRect(0, 0, 16, 16));
    }
    QCOMPARE(image.copy(cell), reference);
    QCOMPARE(grid->isChecked(2, 3), checked);
}

void TestSortGridPaint::sortMarker_data()
{
    QTest::addColumn<SortDirection>("direction");
    QTest::addColumn<QString>("imageName");
    QTest::newRow("ascending") << SortDirection::Ascending << "UP";
    QTest::newRow("descending") << SortDirection::Descending << "DOWN";
}

void TestSortGridPaint::sortMarker()
{
    QFETCH(SortDirection, direction);
    QFETCH(QString, imageName);
    auto grid = makeGrid();
    grid->sortOptions()->setCanSort(true);
    grid->sortOptions()->setSortCol(2);
    grid->sortOptions()->setSortDirection(direction);
    const QImage image = render(*grid);
    const QRect cell = grid->cellRect(2, 0);
    const QRect marker(cell.left() + 3, grid->rowHeight(0) / 2 - 4, 8, 7);
    QImage reference(marker.size(), QImage::Format_ARGB32_Premultiplied);
    reference.fill(toQColor(Colors::clBtnFace));
    {
        QPainter p(&reference);
        p.drawPixmap(0, 0, gridImage(imageName.toLatin1().constData()));
    }
    QCOMPARE(image.copy(marker), reference);
    // No marker in the other titles.
    const QRect other = grid->cellRect(1, 0);
    QImage blank(marker.size(), QImage::Format_ARGB32_Premultiplied);
    blank.fill(toQColor(Colors::clBtnFace));
    QCOMPARE(image.copy(QRect(other.left() + 3, marker.top(), 8, 7)), blank);
}

void TestSortGridPaint::hideRowsPaintsBlankRows()
{
    auto grid = makeGrid();
    fillGrid(*grid, {{"Nr.", "Name"}, {"1", "Anna"}, {"2", "Berta"}});
    grid->setHideRows(true);
    const QImage image = render(*grid);
    for (int row = 1; row <= 2; ++row) {
        for (int col = 0; col < 2; ++col) {
            const QRect cell = grid->cellRect(col, row);
            QImage blank(cell.size(), QImage::Format_ARGB32_Premultiplied);
            blank.fill(image.pixel(cell.topLeft()));
            QCOMPARE(image.copy(cell), blank);
        }
    }
    const QRect title = grid->cellRect(1, 0);
    QCOMPARE(image.copy(title), expectedImage(*grid, title, Colors::clBtnFace, QStringLiteral("Name"), 2, 2));
    grid->setHideRows(false);
    const QImage shown = render(*grid);
    const QRect cell = grid->cellRect(1, 2);
    QCOMPARE(shown.copy(cell), expectedImage(*grid, cell, Colors::clWindow, QStringLiteral("Berta"), 2, 2));
}

void TestSortGridPaint::bevelEdges_data()
{
    QTest::addColumn<CellBevelStyle>("style");
    QTest::addColumn<ColorValue>("leftTop");
    QTest::addColumn<ColorValue>("rightBottom");
    QTest::newRow("raised") << CellBevelStyle::Raised << Colors::clBtnHighlight << Colors::clBtnShadow;
    QTest::newRow("lowered") << CellBevelStyle::Lowered << Colors::clBtnShadow << Colors::clBtnHighlight;
}

void TestSortGridPaint::bevelEdges()
{
    QFETCH(CellBevelStyle, style);
    QFETCH(ColorValue, leftTop);
    QFETCH(ColorValue, rightBottom);
    auto grid = makeGrid();
    grid->setBevelStyle(style);
    const QImage image = render(*grid);
    const QRect cell = grid->cellRect(1, 2);
    const int midY = cell.top() + cell.height() / 2;
    const int midX = cell.left() + cell.width() / 2;
    QCOMPARE(image.pixel(cell.left() + cell.width() - 1, midY), toQColor(rightBottom).rgb());
    QCOMPARE(image.pixel(midX, cell.top() + cell.height() - 1), toQColor(rightBottom).rgb());
    QCOMPARE(image.pixel(cell.left(), midY), toQColor(leftTop).rgb());
    QCOMPARE(image.pixel(midX, cell.top()), toQColor(leftTop).rgb());
    // The title row has no bevel.
    const QRect title = grid->cellRect(1, 0);
    QCOMPARE(image.pixel(title.left(), title.top() + 2), toQColor(Colors::clBtnFace).rgb());
}

void TestSortGridPaint::rowAndColumnFormats()
{
    auto grid = makeGrid();
    grid->colFormats()[1].active = true;
    grid->colFormats()[1].brushColor = Colors::clYellow;
    grid->rowFormats()[3].active = true;
    grid->setCells(grid->colCount(), 3, QStringLiteral("255,1,0,0,65280"));
    const QImage image = render(*grid);
    QCOMPARE(image.pixel(grid->cellRect(1, 2).topLeft() + QPoint(1, 1)), toQColor(Colors::clYellow).rgb());
    // The row format wins over the column format.
    QCOMPARE(image.pixel(grid->cellRect(1, 3).topLeft() + QPoint(1, 1)), toQColor(Colors::clLime).rgb());
    QCOMPARE(image.pixel(grid->cellRect(3, 3).topLeft() + QPoint(1, 1)), toQColor(Colors::clLime).rgb());
    QCOMPARE(image.pixel(grid->cellRect(3, 2).topLeft() + QPoint(1, 1)), toQColor(Colors::clWindow).rgb());
}

void TestSortGridPaint::formatStateFlags()
{
    auto grid = makeGrid();
    grid->show();
    QVERIFY(QTest::qWaitForWindowExposed(grid.get()));
    grid->setFocus();
    QTRY_VERIFY(grid->hasFocus());
    grid->gotoCell(1, 2, false);
    grid->setSelection(GridRect{1, 2, 2, 3});
    grid->formatStates.clear();
    render(*grid);
    const auto &states = grid->formatStates;
    QCOMPARE(states.value(qMakePair(2, 3)),
             GridDrawState(GridDrawStateFlag::Selected | GridDrawStateFlag::Focused));
    QCOMPARE(states.value(qMakePair(1, 2)), GridDrawState(GridDrawStateFlag::Selected));
    QCOMPARE(states.value(qMakePair(0, 2)), GridDrawState());
    QCOMPARE(states.value(qMakePair(1, 0)), GridDrawState());
    const CellFormat format
        = grid->SortGrid::cellFormat(2, 3, GridDrawStateFlag::Selected | GridDrawStateFlag::Focused);
    QCOMPARE(format.bevelStyle, CellBevelStyle::None);
    QCOMPARE(format.highlightColor, Colors::clWindow);
}

void TestSortGridPaint::proportionalScrollBars()
{
    auto grid = makeGrid();
    grid->setScrollBars(GridBase::ScrollStyle::Vertical);
    const int line = grid->defaultRowHeight() + grid->gridLineWidth();
    grid->beginUpdate();
    grid->setRowCount(100);
    grid->endUpdate();
    grid->show();
    QVERIFY(QTest::qWaitForWindowExposed(grid.get()));
    grid->resize(420, 20 * line + 2 * grid->frameWidth() + 5);
    QTRY_COMPARE(grid->visibleRowCount(), 19);
    QScrollBar *bar = grid->verticalScrollBar();
    const int plainPage = bar->pageStep();
    grid->setProportionalScrollBars(true);
    const int range = bar->maximum() - bar->minimum() + 1;
    QCOMPARE(bar->pageStep(), qRound(range / 5.0));
    QVERIFY(bar->pageStep() != plainPage);
}

void TestSortGridPaint::comboGlyphOnCurrentCell()
{
    auto grid = makeGrid();
    grid->comboBoxColumns = {2};
    grid->gotoCell(2, 2, false);
    const QImage image = render(*grid);
    const QRect cell = grid->cellRect(2, 2);
    const QImage glyph = gridImage("COMBOBOX").toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    // The glyph is stretched to the cell's height at its right end.
    QImage reference(16, cell.height(), QImage::Format_ARGB32_Premultiplied);
    reference.fill(Qt::transparent);
    {
        QPainter p(&reference);
        p.drawImage(QRect(0, 0, 16, cell.height()), glyph);
    }
    QCOMPARE(image.copy(QRect(cell.left() + cell.width() - 16, cell.top(), 16, cell.height())), reference);
    // Another row of the column shows no glyph.
    const QRect other = grid->cellRect(2, 3);
    QImage blank(16, other.height(), QImage::Format_ARGB32_Premultiplied);
    blank.fill(toQColor(Colors::clWindow));
    QCOMPARE(image.copy(QRect(other.left() + other.width() - 16, other.top(), 16, other.height())), blank);
}

QTEST_MAIN(TestSortGridPaint)
#include "tst_sortgridpaint.moc"
