#include "grid/SortGrid.h"

#include "grid/GridImages.h"

#include <QApplication>
#include <QListWidget>

#include <algorithm>

namespace {

void resizeBy(FontList &list, int delta)
{
    list.resize(size_t(std::max(0, int(list.size()) + delta)));
}

} // namespace

SortGrid::SortGrid(QWidget *parent)
    : StringGrid(parent)
    , m_sortOptions(std::make_unique<SortOptions>())
{
    setFixedCols(0);
    m_selectedRows << QStringLiteral("1");
    m_anchorRows << QStringLiteral("1");
    m_colFormats.resize(size_t(colCount()));
    m_rowFormats.resize(size_t(rowCount()));
    m_upImage = gridImage("UP");
    m_downImage = gridImage("DOWN");

    m_comboList = new QListWidget(this);
    m_comboList->setFocusPolicy(Qt::ClickFocus); // the Tab key skips it
    m_comboList->setSortingEnabled(true);
    m_comboList->hide();
    m_comboList->installEventFilter(this);
    m_comboList->viewport()->installEventFilter(this);

    m_focusConnection = connect(qApp, &QApplication::focusChanged, this, [this](QWidget *old, QWidget *now) {
        auto inside = [this](QWidget *w) {
            return w && (w == this || isAncestorOf(w))
                && !(m_comboList && (w == m_comboList || m_comboList->isAncestorOf(w)));
        };
        const bool had = inside(old);
        const bool has = inside(now);
        if (had && !has) {
            m_hasFocus = false;
            validateEdit();
        } else if (!had && has) {
            m_hasFocus = true;
            rememberEdit();
        }
    });
}

SortGrid::~SortGrid()
{
    disconnect(m_focusConnection);
    // The list may have been placed on the window; it belongs to the grid all the same.
    if (m_comboList) {
        m_comboList->removeEventFilter(this);
        m_comboList->viewport()->removeEventFilter(this);
        delete m_comboList.data();
    }
}

// ---- modified flag, user settings, update bracket ------------------------------

void SortGrid::setModified(bool value)
{
    m_modified = value;
    if (value)
        Q_EMIT markedModified();
}

void SortGrid::setUserSettings(const QStringList &value)
{
    m_userSettings = value;
    setModified(true);
}

void SortGrid::beginUpdate()
{
    // A bracket opened inside another keeps the value saved by the outer one.
    if (!nowUpdating()) {
        m_savedUpdateOnSizeChange = m_sortOptions->updateOnSizeChange();
        m_sortOptions->setUpdateOnSizeChange(false);
    }
    StringGrid::beginUpdate();
}

void SortGrid::endUpdate()
{
    // The format lists follow counts changed inside the bracket, without the
    // rest of the size handling.
    m_colFormats.resize(size_t(colCount()));
    m_rowFormats.resize(size_t(rowCount()));
    m_sortOptions->setUpdateOnSizeChange(m_savedUpdateOnSizeChange);
    StringGrid::endUpdate();
}

void SortGrid::clear()
{
    beginUpdate();
    m_colFormats.assign(size_t(colCount()), FontSetting());
    m_rowFormats.assign(size_t(rowCount()), FontSetting());
    setSelection(GridRect{currentCol(), 1, currentCol(), 1});
    m_selectedRows.clear();
    m_anchorRows = QStringList{QStringLiteral("1")};
    beginCellUpdate();
    for (int r = 1; r < rowCount(); ++r)
        rowStrings(r).clear();
    endCellUpdate();
    m_modified = false;
    setRowCount(2);
    m_rowFormats.resize(2);
    autoSizeAllColumns(true);
    endUpdate();
    Q_EMIT rowSelected();
}

// ---- size changes and the last column --------------------------------------------

void SortGrid::adjustToSize(int oldColCount, int oldRowCount)
{
    setModified(true);
    updateProportionalScrollBars();
    if (m_sortOptions->updateOnSizeChange())
        sortByColumn(m_sortOptions->sortCol());
    if (!nowUpdating())
        gotoCell(0, 1, true);
    resizeBy(m_colFormats, colCount() - oldColCount);
    resizeBy(m_rowFormats, rowCount() - oldRowCount);
    if (rowCount() < 2)
        Q_EMIT messageRaised(QStringLiteral("Rowsize too small"));
}

void SortGrid::resizeEvent(QResizeEvent *event)
{
    StringGrid::resizeEvent(event);
    fitLastColumn();
}

void SortGrid::fitLastColumn()
{
    // The last column counts as visible when any part of it is in view, so that
    // a narrower window narrows it again.
    const int last = colCount() - 1;
    if (last >= fixedCols() && cellRect(last, 0).isEmpty())
        return;
    int width = viewport()->width();
    int visible = 0;
    for (int c = 0; c < last; ++c) {
        if (c >= fixedCols() && c < leftCol())
            continue;
        if (columnWidth(c) >= 0) {
            width -= columnWidth(c);
            ++visible;
        }
    }
    width -= visible + 1 + 3;
    if (width > 0)
        setColumnWidth(last, width);
    viewport()->update();
    updateScrollRange();
    updateProportionalScrollBars();
}

void SortGrid::cellSizesChanged()
{
    updateProportionalScrollBars();
}
