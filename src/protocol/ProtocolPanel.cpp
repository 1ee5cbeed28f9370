#include "protocol/ProtocolPanel.h"

#include "grid/SortGrid.h"
#include "protocol/GridProtocolTable.h"
#include "protocol/ProtocolAutosaver.h"
#include "protocol/ProtocolColumns.h"
#include "protocol/ProtocolFileCommands.h"
#include "protocol/ProtocolGlyphs.h"
#include "protocol/ProtocolResults.h"
#include "protocol/ProtocolText.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QLatin1String KeptAsideText("Sie bleibt erhalten als: ");
const QString RestoreCaption = QStringLiteral("Protokoll wiederherstellen \u2026");
// Seven commands and the caption share the heading at the window's smallest width.
constexpr int ButtonSize = 28;
constexpr int HeadingHeight = 41;
// The number columns are never narrower than these.
constexpr int NumberColumnMinWidth = 40;
constexpr int StartNumberColumnMinWidth = 47;
// The grid keeps 2 pixels between a cell's text and each of its edges.
constexpr int CellTextMargins = 4;

// Moves a file (or whatever stands in its place) to a free name beside it, "<name>.unlesbar"
// or "<name>.unlesbar-2" and so on; the new name, or empty when it could not be moved.
QString moveAside(const QString &fileName)
{
    const QString base = fileName + QLatin1String(".unlesbar");
    QString aside = base;
    for (int n = 2; QFileInfo::exists(aside) || QFileInfo(aside).isSymLink(); ++n)
        aside = base + QLatin1Char('-') + QString::number(n);
    return QDir().rename(fileName, aside) ? aside : QString();
}

} // namespace

const QString ProtocolPanel::ClearQuestion = QStringLiteral("Zeitenprotokoll  l\u00f6schen?");

ProtocolPanel::ProtocolPanel(QWidget *parent)
    : QWidget(parent)
{

    // Heading bar with the caption and the six commands.
    auto *heading = new QWidget(this);
    heading->setObjectName(QStringLiteral("protocolHeading"));
    heading->setFixedHeight(HeadingHeight);
    heading->setAutoFillBackground(true);
    QPalette headingPalette = heading->palette();
    headingPalette.setColor(QPalette::Window, toQColor(Colors::clBtnShadow));
    heading->setPalette(headingPalette);

    headingLabel = new QLabel(QStringLiteral("Protokoll"), heading);
    QFont captionFont = headingLabel->font();
    captionFont.setPixelSize(19);
    headingLabel->setFont(captionFont);

    loadButton = makeButton(QStringLiteral("openButton"), QStringLiteral("Protokoll \u00f6ffnen"),
                            QStringLiteral("Protokoll \u00f6ffnen"), int(ProtocolGlyph::Open));
    saveButton = makeButton(QStringLiteral("saveButton"), QStringLiteral("Protokoll speichern unter"),
                            QStringLiteral("Protokoll speichern unter"), int(ProtocolGlyph::Save));
    printButton = makeButton(QStringLiteral("printButton"), QStringLiteral("Protokoll drucken"),
                             QStringLiteral("Protokoll drucken"), int(ProtocolGlyph::Print));
    pageButton = makeButton(QStringLiteral("webPageButton"), QStringLiteral("Als Webseite"),
                            QStringLiteral("Als Webseite"), int(ProtocolGlyph::WebPage));
    spreadsheetButton = makeButton(QStringLiteral("spreadsheetButton"), QStringLiteral("Datei in MS Excel"),
                                   QStringLiteral("Datei in MS Excel"), int(ProtocolGlyph::Spreadsheet));
    clearButton = makeButton(QStringLiteral("clearButton"), QStringLiteral("F8"),
                             QStringLiteral("Protokoll l\u00f6schen"), int(ProtocolGlyph::Clear));
    restoreButton = makeButton(QStringLiteral("restoreButton"), RestoreCaption, RestoreCaption,
                               int(ProtocolGlyph::Restore));
    for (QToolButton *button :
         {loadButton, saveButton, printButton, pageButton, spreadsheetButton, clearButton, restoreButton})
        button->setParent(heading);

    auto *bar = new QHBoxLayout(heading);
    bar->setContentsMargins(2, 2, 2, 2);
    bar->setSpacing(2);
    bar->addWidget(loadButton);
    bar->addWidget(saveButton);
    bar->addWidget(printButton);
    bar->addWidget(restoreButton);
    bar->addWidget(headingLabel);
    bar->addStretch(1);
    bar->addWidget(pageButton);
    bar->addWidget(spreadsheetButton);
    bar->addWidget(clearButton);

    connect(clearButton, &QToolButton::clicked, this, &ProtocolPanel::clearRequested);
    connect(restoreButton, &QToolButton::clicked, this, &ProtocolPanel::restoreRequested);

    // Shown while the latest autosave failed.
    autosaveWarningLabel = new QLabel(this);
    autosaveWarningLabel->setObjectName(QStringLiteral("autosaveWarningLabel"));
    autosaveWarningLabel->setWordWrap(true);
    autosaveWarningLabel->setAutoFillBackground(true);
    QPalette warningPalette = autosaveWarningLabel->palette();
    warningPalette.setColor(QPalette::Window, toQColor(Colors::clYellow));
    warningPalette.setColor(QPalette::WindowText, toQColor(Colors::clMaroon));
    autosaveWarningLabel->setPalette(warningPalette);
    autosaveWarningLabel->setContentsMargins(4, 2, 4, 2);
    autosaveWarningLabel->hide();

    grid = new ProtocolGrid(this);
    grid->setObjectName(QStringLiteral("protocolGrid"));
    // The grid's designed size is no change by the user: set inside the update
    // bracket, it leaves the protocol unmodified, so closing an untouched
    // program asks nothing.
    grid->beginUpdate();
    grid->setColCount(ProtocolColumns::Count);
    grid->setRowCount(2);
    grid->endUpdate();
    grid->setFixedCols(0);
    // A character height of 15 pixels includes the font's internal leading, which
    // leaves an em of 13 pixels: five digits then fit the 40-pixel "Nr." column.
    QFont gridFont(QStringLiteral("Courier New"));
    gridFont.setPixelSize(13);
    grid->setFont(gridFont);
    m_columnFit = NumberColumnFit(gridFont);
    grid->setDefaultRowHeight(20);
    grid->setDefaultColWidth(52);
    grid->setOptions(GridOption::FixedVertLine | GridOption::FixedHorzLine | GridOption::VertLine | GridOption::HorzLine | GridOption::DrawFocusSelected
                     | GridOption::ColSizing | GridOption::Editing);
    grid->setScrollBars(GridBase::ScrollStyle::Vertical);
    grid->setAlignmentHorz(HorizontalAlignment::Right);
    grid->setAlignmentVert(VerticalAlignment::Top);
    grid->sortOptions()->setCanSort(false);
    // A typed character edits the cell under the cursor; it never searches "Nr.".
    grid->setTypeAheadSearch(false);
    grid->setMultiSelect(false);
    grid->setFiltered(false);
    contextMenu = new QMenu(this);
    selectAllAction = contextMenu->addAction(QStringLiteral("Alles markieren"));
    copyAction = contextMenu->addAction(QStringLiteral("Kopieren"));
    connect(selectAllAction, &QAction::triggered, this, [this] { selectAllResults(); });
    connect(copyAction, &QAction::triggered, this, [this] { copySelection(); });
    contextMenu->addSeparator();
    insertRowAction = contextMenu->addAction(QStringLiteral("Zeile einf\u00fcgen"));
    deleteRowAction = contextMenu->addAction(QStringLiteral("Zeile l\u00f6schen"));
    connect(insertRowAction, &QAction::triggered, this, [this] { Q_EMIT rowInsertRequested(grid->popupRow()); });
    connect(deleteRowAction, &QAction::triggered, this, [this] { Q_EMIT rowDeleteRequested(grid->popupRow()); });
    // Rows are put in and taken out among the results only.
    connect(contextMenu, &QMenu::aboutToShow, this, [this] {
        const bool onResult = grid->popupRow() >= 1 && grid->popupRow() <= m_lastResultRow;
        insertRowAction->setEnabled(onResult);
        deleteRowAction->setEnabled(onResult);
    });
    contextMenu->addSeparator();
    restoreAction = contextMenu->addAction(RestoreCaption);
    connect(restoreAction, &QAction::triggered, this, &ProtocolPanel::restoreRequested);
    grid->setPopupMenu(contextMenu);
    connect(grid, &SortGrid::messageRaised, this, &ProtocolPanel::report);
    connect(grid, &GridBase::cellEdited, this, &ProtocolPanel::cellEdited);
    connect(grid, &GridBase::cellEdited, this, [this](int col, int, const QString &, const QString &text) {
        if (col == ProtocolColumns::ColStartNumber) {
            m_columnFit.widenStartNumber(text);
            layoutProtocolColumns();
        }
    });
    // The grid fits its last column to a new width itself; the protocol's layout follows
    // once that is done.
    grid->installEventFilter(this);
    m_table = std::make_unique<GridProtocolTable>(grid);
    m_autosaver = new ProtocolAutosaver(*m_table, *grid, this);
    connect(m_autosaver, &ProtocolAutosaver::errorChanged, this, &ProtocolPanel::showWarnings);
    m_files = new ProtocolFileCommands(*this);
    connect(loadButton, &QToolButton::clicked, m_files, &ProtocolFileCommands::openFile);
    connect(saveButton, &QToolButton::clicked, m_files, &ProtocolFileCommands::saveAs);
    connect(printButton, &QToolButton::clicked, m_files, &ProtocolFileCommands::printPage);
    connect(pageButton, &QToolButton::clicked, m_files, &ProtocolFileCommands::publishPage);
    connect(spreadsheetButton, &QToolButton::clicked, m_files, &ProtocolFileCommands::openInSpreadsheet);
    connect(m_files, &ProtocolFileCommands::errorOccurred, this, &ProtocolPanel::errorOccurred);
    // The spreadsheet command is enabled exactly when the web-page command is and an
    // application is there.
    connect(m_files, &ProtocolFileCommands::spreadsheetApplicationFound, this,
            [this](bool found) { spreadsheetButton->setEnabled(found && pageButton->isEnabled()); });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(heading);
    layout->addWidget(autosaveWarningLabel);
    layout->addWidget(grid, 1);
    setFocusProxy(grid);
    m_headingWidth = bar->sizeHint().width();

    m_files->buildProtocolFileFilters(loadFileTypeNames());
    updateProtocolCommands();
    m_files->findSpreadsheetApplication();
}

ProtocolPanel::~ProtocolPanel()
{
    // The grid watches its drop-down list and would be asked about it while the list is
    // being destroyed together with the grid; stop the watching first.
    if (QListWidget *list = grid->comboList()) {
        list->removeEventFilter(grid);
        list->viewport()->removeEventFilter(grid);
    }
}

QToolButton *ProtocolPanel::makeButton(const QString &name, const QString &hint, const QString &accessible,
                                       int glyph)
{
    auto *button = new QToolButton(this);
    button->setObjectName(name);
    button->setToolTip(hint);
    button->setAccessibleName(accessible);
    button->setFixedSize(ButtonSize, ButtonSize);
    button->setIcon(protocolGlyph(static_cast<ProtocolGlyph>(glyph)));
    button->setIconSize(QSize(24, 24));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}




void ProtocolPanel::report(const QString &message)
{
    Q_EMIT errorOccurred(message);
}

// ---- the table

const ProtocolTable &ProtocolPanel::table() const
{
    return *m_table;
}

void ProtocolPanel::initProtocolTable()
{
    const QStringList &titles = ProtocolColumns::columnTitles();
    for (int c = 0; c < grid->colCount() && c < titles.size(); ++c)
        grid->setCells(c, 0, titles.at(c));
    layoutProtocolColumns();
}

int ProtocolPanel::addFinish(const QString &timeText, const QString &countryCode,
                                const QString &startNumber)
{
    // An edit still open ends before the autosave's text is looked at.
    grid->commitEditing();
    const bool textCurrent = m_autosaver->textCurrent();
    ++m_lastResultRow;
    addResultRow(timeText, countryCode, startNumber);
    m_autosaver->appendResultLine(m_lastResultRow, textCurrent);
    grid->setFixedCols(1);
    selectResultRow(m_lastResultRow);
    // The new result is the last visible row.
    if (grid->visibleRowCount() < m_lastResultRow)
        grid->setTopRow(m_lastResultRow - grid->visibleRowCount() + 1);
    Q_EMIT resultCountChanged(m_lastResultRow);
    return m_lastResultRow;
}

void ProtocolPanel::addResultRow(const QString &timeText, const QString &countryCode,
                                 const QString &startNumber)
{
    // An edit or pick list still open ends in its own row before the new result arrives.
    grid->commitEditing();
    const QStringList items
        = ProtocolResults::resultCells(m_lastResultRow, timeText, countryCode, startNumber);
    if (grid->rowCount() <= m_lastResultRow)
        grid->setRowCount(m_lastResultRow + 1);
    grid->rowStrings(m_lastResultRow).assign(items);
    m_columnFit.widenNumber(items.first());
    m_columnFit.widenStartNumber(startNumber);
    updateProtocolCommands();
    layoutProtocolColumns();
}

void ProtocolPanel::measureColumns()
{
    m_columnFit.measure(*m_table);
}

void ProtocolPanel::layoutProtocolColumns()
{
    // Result and start numbers are never cut: their columns widen to the widest of them.
    grid->setColumnWidth(0, std::max(NumberColumnMinWidth, m_columnFit.numberWidth() + CellTextMargins));
    grid->setColumnWidth(2, 80);
    grid->setColumnWidth(3, std::max(StartNumberColumnMinWidth, m_columnFit.startNumberWidth() + CellTextMargins));
    grid->setColumnWidth(4, 47);
    const int rest = grid->viewport()->width() - grid->columnWidth(0) - grid->columnWidth(4) - grid->columnWidth(2)
        - grid->columnWidth(3) - grid->colCount();
    grid->setColumnWidth(1, rest);
}

void ProtocolPanel::updateProtocolCommands()
{
    const bool enabled = grid->rowCount() > 2;
    printButton->setEnabled(enabled);
    saveButton->setEnabled(enabled);
    clearButton->setEnabled(enabled);
    pageButton->setEnabled(enabled);
    selectAllAction->setEnabled(enabled);
    spreadsheetButton->setEnabled(enabled
                                  && m_files->isAutomationServerInstalled(QStringLiteral("Excel.Application")));
    loadButton->setEnabled(true);
}

void ProtocolPanel::setExportEnabled(bool enabled)
{
    pageButton->setEnabled(enabled);
    spreadsheetButton->setEnabled(enabled
                                  && m_files->isAutomationServerInstalled(QStringLiteral("Excel.Application")));
}


void ProtocolPanel::selectResultRow(int row)
{
    grid->setSelection(GridRect{1, row, grid->colCount() - 1, row});
}

void ProtocolPanel::selectAllResults()
{
    grid->setSelection(GridRect{1, 1, grid->colCount() - 1, grid->rowCount() - 1});
}

QString ProtocolPanel::selectionText() const
{
    const GridRect rect = grid->selection();
    QString text;
    for (int r = rect.top; r <= rect.bottom; ++r) {
        for (int c = rect.left; c <= rect.right; ++c) {
            if (c > rect.left)
                text += QLatin1Char('\t');
            text += grid->cells(c, r);
        }
        text += QLatin1String("\r\n");
    }
    return text;
}

void ProtocolPanel::copySelection()
{
    QGuiApplication::clipboard()->setText(selectionText());
}

void ProtocolPanel::clearProtocol()
{
    try {
        grid->setRowCount(2);
    } catch (...) {
        grid->setRowCount(2);
    }
    grid->discardRowsFrom(1);
    measureColumns();
    layoutProtocolColumns();
    updateProtocolCommands();
    m_lastResultRow = 0;
    Q_EMIT resultCountChanged(0);
}

void ProtocolPanel::clearTable()
{
    grid->clear();
    grid->discardRowsFrom(1);
    measureColumns();
}

void ProtocolPanel::resetProtocol()
{
    clearTable();
    m_lastResultRow = 0;
    layoutProtocolColumns();
    updateProtocolCommands();
    Q_EMIT resultCountChanged(0);
}

void ProtocolPanel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // The caption gives way to the commands where the panel is too narrow for both.
    headingLabel->setVisible(width() >= m_headingWidth);
    layoutProtocolColumns();
}

bool ProtocolPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == grid && event->type() == QEvent::Resize)
        QTimer::singleShot(0, this, [this] { layoutProtocolColumns(); });
    return QWidget::eventFilter(watched, event);
}

// ---- files

void ProtocolPanel::setJournalError(const QString &fileName, const QString &error)
{
    if (error == m_journalError && fileName == m_journalFileName)
        return;
    m_journalError = error;
    m_journalFileName = fileName;
    showWarnings();
}

void ProtocolPanel::showWarnings()
{
    QStringList lines;
    if (m_autosaver->failed())
        lines << QStringLiteral("Automatische Sicherung fehlgeschlagen: ")
                + QDir::toNativeSeparators(m_autosaver->fileName()) + QStringLiteral(" (") + m_autosaver->errorString()
                + QLatin1Char(')');
    if (!m_journalError.isEmpty())
        lines << QStringLiteral("Journal kann nicht geschrieben werden: ")
                + QDir::toNativeSeparators(m_journalFileName) + QStringLiteral(" (") + m_journalError
                + QLatin1Char(')');
    autosaveWarningLabel->setText(lines.join(QLatin1Char('\n')));
    autosaveWarningLabel->setVisible(!lines.isEmpty());
}

void ProtocolPanel::loadAutosave()
{
    const QString name = m_autosaver->fileName();
    if (!QFileInfo::exists(name))
        return; // the first start
    QString error;
    if (!ProtocolText::loadProtocolText(*m_table, name, &error)) {
        // The next autosave would replace a protocol that may still be recovered by hand.
        const QString aside = moveAside(name);
        m_files->reportReadError(name, aside.isEmpty() ? error : error + QLatin1Char('\n') + KeptAsideText + aside);
        return;
    }
    finishLoad();
    // Results of an earlier run are not to be dropped by a close without a question.
    grid->setModified(m_lastResultRow > 0);
    Q_EMIT resultCountChanged(m_lastResultRow);
}




void ProtocolPanel::finishLoad(std::optional<NumberColumnFit> columnFit)
{
    m_lastResultRow = m_table->lastResultRowFromTable();
    if (columnFit)
        m_columnFit = std::move(*columnFit);
    else
        measureColumns();
    grid->setFixedCols(1);
    selectResultRow(grid->rowCount() - 1);
    layoutProtocolColumns();
    setExportEnabled(true);
    updateProtocolCommands();
    // The table is no longer what the autosave holds: closing asks first.
    grid->setModified(true);
}






// ---- commands





