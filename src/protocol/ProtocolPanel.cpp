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
    createHeading();
    createWarningLine();
    createGrid();
    createContextMenu();
    m_table = std::make_unique<GridProtocolTable>(m_grid);
    m_autosaver = new ProtocolAutosaver(*m_table, *m_grid, this);
    connect(m_autosaver, &ProtocolAutosaver::errorChanged, this, &ProtocolPanel::showWarnings);
    m_files = new ProtocolFileCommands(*this);
    connect(m_openButton, &QToolButton::clicked, m_files, &ProtocolFileCommands::openFile);
    connect(m_saveButton, &QToolButton::clicked, m_files, &ProtocolFileCommands::saveAs);
    connect(m_printButton, &QToolButton::clicked, m_files, &ProtocolFileCommands::printPage);
    connect(m_webPageButton, &QToolButton::clicked, m_files, &ProtocolFileCommands::publishPage);
    connect(m_spreadsheetButton, &QToolButton::clicked, m_files, &ProtocolFileCommands::openInSpreadsheet);
    connect(m_clearButton, &QToolButton::clicked, this, &ProtocolPanel::clearRequested);
    connect(m_restoreButton, &QToolButton::clicked, this, &ProtocolPanel::restoreRequested);
    connect(m_files, &ProtocolFileCommands::errorOccurred, this, &ProtocolPanel::errorOccurred);
    // The spreadsheet command is enabled exactly when the web-page command is and an
    // application is there.
    connect(m_files, &ProtocolFileCommands::spreadsheetApplicationFound, this,
            [this](bool found) { m_spreadsheetButton->setEnabled(found && m_webPageButton->isEnabled()); });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_heading);
    layout->addWidget(m_autosaveWarningLabel);
    layout->addWidget(m_grid, 1);
    setFocusProxy(m_grid);

    m_files->buildProtocolFileFilters(loadFileTypeNames());
    updateProtocolCommands();
    m_files->findSpreadsheetApplication();
}

// The heading bar: the caption between the commands.
void ProtocolPanel::createHeading()
{
    m_heading = new QWidget(this);
    m_heading->setObjectName(QStringLiteral("protocolHeading"));
    m_heading->setFixedHeight(HeadingHeight);
    m_heading->setAutoFillBackground(true);
    QPalette headingPalette = m_heading->palette();
    headingPalette.setColor(QPalette::Window, toQColor(Colors::clBtnShadow));
    m_heading->setPalette(headingPalette);

    m_headingLabel = new QLabel(QStringLiteral("Protokoll"), m_heading);
    QFont captionFont = m_headingLabel->font();
    captionFont.setPixelSize(19);
    m_headingLabel->setFont(captionFont);

    m_openButton = makeButton(QStringLiteral("openButton"), QStringLiteral("Protokoll \u00f6ffnen"),
                              QStringLiteral("Protokoll \u00f6ffnen"), int(ProtocolGlyph::Open));
    m_saveButton = makeButton(QStringLiteral("saveButton"), QStringLiteral("Protokoll speichern unter"),
                              QStringLiteral("Protokoll speichern unter"), int(ProtocolGlyph::Save));
    m_printButton = makeButton(QStringLiteral("printButton"), QStringLiteral("Protokoll drucken"),
                               QStringLiteral("Protokoll drucken"), int(ProtocolGlyph::Print));
    m_webPageButton = makeButton(QStringLiteral("webPageButton"), QStringLiteral("Als Webseite"),
                                 QStringLiteral("Als Webseite"), int(ProtocolGlyph::WebPage));
    m_spreadsheetButton = makeButton(QStringLiteral("spreadsheetButton"), QStringLiteral("Datei in MS Excel"),
                                     QStringLiteral("Datei in MS Excel"), int(ProtocolGlyph::Spreadsheet));
    m_clearButton = makeButton(QStringLiteral("clearButton"), QStringLiteral("F8"),
                               QStringLiteral("Protokoll l\u00f6schen"), int(ProtocolGlyph::Clear));
    m_restoreButton = makeButton(QStringLiteral("restoreButton"), RestoreCaption, RestoreCaption,
                                 int(ProtocolGlyph::Restore));
    for (QToolButton *button : {m_openButton, m_saveButton, m_printButton, m_webPageButton,
                                m_spreadsheetButton, m_clearButton, m_restoreButton})
        button->setParent(m_heading);

    auto *bar = new QHBoxLayout(m_heading);
    bar->setContentsMargins(2, 2, 2, 2);
    bar->setSpacing(2);
    bar->addWidget(m_openButton);
    bar->addWidget(m_saveButton);
    bar->addWidget(m_printButton);
    bar->addWidget(m_restoreButton);
    bar->addWidget(m_headingLabel);
    bar->addStretch(1);
    bar->addWidget(m_webPageButton);
    bar->addWidget(m_spreadsheetButton);
    bar->addWidget(m_clearButton);
    m_headingWidth = bar->sizeHint().width();
}

// Shown while the latest autosave or journal write failed.
void ProtocolPanel::createWarningLine()
{
    m_autosaveWarningLabel = new QLabel(this);
    m_autosaveWarningLabel->setObjectName(QStringLiteral("autosaveWarningLabel"));
    m_autosaveWarningLabel->setWordWrap(true);
    m_autosaveWarningLabel->setAutoFillBackground(true);
    QPalette warningPalette = m_autosaveWarningLabel->palette();
    warningPalette.setColor(QPalette::Window, toQColor(Colors::clYellow));
    warningPalette.setColor(QPalette::WindowText, toQColor(Colors::clMaroon));
    m_autosaveWarningLabel->setPalette(warningPalette);
    m_autosaveWarningLabel->setContentsMargins(4, 2, 4, 2);
    m_autosaveWarningLabel->hide();
}

void ProtocolPanel::createGrid()
{
    m_grid = new ProtocolGrid(this);
    m_grid->setObjectName(QStringLiteral("protocolGrid"));
    // The grid's designed size is no change by the user: set inside the update
    // bracket, it leaves the protocol unmodified, so closing an untouched
    // program asks nothing.
    m_grid->beginUpdate();
    m_grid->setColCount(ProtocolColumns::Count);
    m_grid->setRowCount(2);
    m_grid->endUpdate();
    m_grid->setFixedCols(0);
    // A character height of 15 pixels includes the font's internal leading, which
    // leaves an em of 13 pixels: five digits then fit the 40-pixel "Nr." column.
    QFont gridFont(QStringLiteral("Courier New"));
    gridFont.setPixelSize(13);
    m_grid->setFont(gridFont);
    m_columnFit = NumberColumnFit(gridFont);
    m_grid->setDefaultRowHeight(20);
    m_grid->setDefaultColWidth(52);
    m_grid->setOptions(GridOption::FixedVertLine | GridOption::FixedHorzLine | GridOption::VertLine
                       | GridOption::HorzLine | GridOption::DrawFocusSelected | GridOption::ColSizing
                       | GridOption::Editing);
    m_grid->setScrollBars(GridBase::ScrollStyle::Vertical);
    m_grid->setAlignmentHorz(HorizontalAlignment::Right);
    m_grid->setAlignmentVert(VerticalAlignment::Top);
    m_grid->sortOptions()->setCanSort(false);
    // A typed character edits the cell under the cursor; it never searches "Nr.".
    m_grid->setTypeAheadSearch(false);
    m_grid->setMultiSelect(false);
    m_grid->setFiltered(false);
    connect(m_grid, &SortGrid::messageRaised, this, &ProtocolPanel::report);
    connect(m_grid, &GridBase::cellEdited, this, &ProtocolPanel::cellEdited);
    connect(m_grid, &GridBase::cellEdited, this, [this](int col, int, const QString &, const QString &text) {
        if (col == ProtocolColumns::ColStartNumber) {
            m_columnFit.widenStartNumber(text);
            layoutProtocolColumns();
        }
    });
    // The grid fits its last column to a new width itself; the protocol's layout follows
    // once that is done.
    m_grid->installEventFilter(this);
}

void ProtocolPanel::createContextMenu()
{
    m_contextMenu = new QMenu(this);
    m_selectAllAction = m_contextMenu->addAction(QStringLiteral("Alles markieren"));
    m_copyAction = m_contextMenu->addAction(QStringLiteral("Kopieren"));
    connect(m_selectAllAction, &QAction::triggered, this, [this] { selectAllResults(); });
    connect(m_copyAction, &QAction::triggered, this, [this] { copySelection(); });
    m_contextMenu->addSeparator();
    m_insertRowAction = m_contextMenu->addAction(QStringLiteral("Zeile einf\u00fcgen"));
    m_deleteRowAction = m_contextMenu->addAction(QStringLiteral("Zeile l\u00f6schen"));
    connect(m_insertRowAction, &QAction::triggered, this,
            [this] { Q_EMIT rowInsertRequested(m_grid->popupRow()); });
    connect(m_deleteRowAction, &QAction::triggered, this,
            [this] { Q_EMIT rowDeleteRequested(m_grid->popupRow()); });
    // Rows are put in and taken out among the results only.
    connect(m_contextMenu, &QMenu::aboutToShow, this, [this] {
        const bool onResult = m_grid->popupRow() >= 1 && m_grid->popupRow() <= m_lastResultRow;
        m_insertRowAction->setEnabled(onResult);
        m_deleteRowAction->setEnabled(onResult);
    });
    m_contextMenu->addSeparator();
    m_restoreAction = m_contextMenu->addAction(RestoreCaption);
    connect(m_restoreAction, &QAction::triggered, this, &ProtocolPanel::restoreRequested);
    m_grid->setPopupMenu(m_contextMenu);
}

ProtocolPanel::~ProtocolPanel()
{
    // The grid watches its drop-down list and would be asked about it while the list is
    // being destroyed together with the grid; stop the watching first.
    if (QListWidget *list = m_grid->comboList()) {
        list->removeEventFilter(m_grid);
        list->viewport()->removeEventFilter(m_grid);
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
    for (int c = 0; c < m_grid->colCount() && c < titles.size(); ++c)
        m_grid->setCells(c, 0, titles.at(c));
    layoutProtocolColumns();
}

int ProtocolPanel::addFinish(const QString &timeText, const QString &countryCode, const QString &startNumber)
{
    // An edit still open ends before the autosave's text is looked at.
    m_grid->commitEditing();
    const bool textCurrent = m_autosaver->textCurrent();
    ++m_lastResultRow;
    addResultRow(timeText, countryCode, startNumber);
    m_autosaver->appendResultLine(m_lastResultRow, textCurrent);
    m_grid->setFixedCols(1);
    selectResultRow(m_lastResultRow);
    // The new result is the last visible row.
    if (m_grid->visibleRowCount() < m_lastResultRow)
        m_grid->setTopRow(m_lastResultRow - m_grid->visibleRowCount() + 1);
    Q_EMIT resultCountChanged(m_lastResultRow);
    return m_lastResultRow;
}

void ProtocolPanel::addResultRow(const QString &timeText, const QString &countryCode,
                                 const QString &startNumber)
{
    // An edit or pick list still open ends in its own row before the new result arrives.
    m_grid->commitEditing();
    const QStringList items
        = ProtocolResults::resultCells(m_lastResultRow, timeText, countryCode, startNumber);
    if (m_grid->rowCount() <= m_lastResultRow)
        m_grid->setRowCount(m_lastResultRow + 1);
    m_grid->rowStrings(m_lastResultRow).assign(items);
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
    m_grid->setColumnWidth(0, std::max(NumberColumnMinWidth, m_columnFit.numberWidth() + CellTextMargins));
    m_grid->setColumnWidth(2, 80);
    m_grid->setColumnWidth(
        3, std::max(StartNumberColumnMinWidth, m_columnFit.startNumberWidth() + CellTextMargins));
    m_grid->setColumnWidth(4, 47);
    const int rest = m_grid->viewport()->width() - m_grid->columnWidth(0) - m_grid->columnWidth(4)
        - m_grid->columnWidth(2) - m_grid->columnWidth(3) - m_grid->colCount();
    m_grid->setColumnWidth(1, rest);
}

void ProtocolPanel::updateProtocolCommands()
{
    const bool enabled = m_grid->rowCount() > 2;
    m_printButton->setEnabled(enabled);
    m_saveButton->setEnabled(enabled);
    m_clearButton->setEnabled(enabled);
    m_webPageButton->setEnabled(enabled);
    m_selectAllAction->setEnabled(enabled);
    m_spreadsheetButton->setEnabled(
        enabled && m_files->isAutomationServerInstalled(QStringLiteral("Excel.Application")));
    m_openButton->setEnabled(true);
}

void ProtocolPanel::setExportEnabled(bool enabled)
{
    m_webPageButton->setEnabled(enabled);
    m_spreadsheetButton->setEnabled(
        enabled && m_files->isAutomationServerInstalled(QStringLiteral("Excel.Application")));
}

void ProtocolPanel::selectResultRow(int row)
{
    m_grid->setSelection(GridRect{1, row, m_grid->colCount() - 1, row});
}

void ProtocolPanel::selectAllResults()
{
    m_grid->setSelection(GridRect{1, 1, m_grid->colCount() - 1, m_grid->rowCount() - 1});
}

QString ProtocolPanel::selectionText() const
{
    const GridRect rect = m_grid->selection();
    QString text;
    for (int r = rect.top; r <= rect.bottom; ++r) {
        for (int c = rect.left; c <= rect.right; ++c) {
            if (c > rect.left)
                text += QLatin1Char('\t');
            text += m_grid->cells(c, r);
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
        m_grid->setRowCount(2);
    } catch (...) {
        m_grid->setRowCount(2);
    }
    m_grid->discardRowsFrom(1);
    measureColumns();
    layoutProtocolColumns();
    updateProtocolCommands();
    m_lastResultRow = 0;
    Q_EMIT resultCountChanged(0);
}

void ProtocolPanel::clearTable()
{
    m_grid->clear();
    m_grid->discardRowsFrom(1);
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
    m_headingLabel->setVisible(width() >= m_headingWidth);
    layoutProtocolColumns();
}

bool ProtocolPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_grid && event->type() == QEvent::Resize)
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
                + QDir::toNativeSeparators(m_autosaver->fileName()) + QStringLiteral(" (")
                + m_autosaver->errorString() + QLatin1Char(')');
    if (!m_journalError.isEmpty())
        lines << QStringLiteral("Journal kann nicht geschrieben werden: ")
                + QDir::toNativeSeparators(m_journalFileName) + QStringLiteral(" (") + m_journalError
                + QLatin1Char(')');
    m_autosaveWarningLabel->setText(lines.join(QLatin1Char('\n')));
    m_autosaveWarningLabel->setVisible(!lines.isEmpty());
}

void ProtocolPanel::loadAutosave()
{
    const QString name = m_autosaver->fileName();
    if (!QFileInfo::exists(name))
        return; // the first start
    QString error;
    if (!ProtocolText::loadProtocolText(*m_table, name, &error)) {
        keepAutosaveAside(error);
        return;
    }
    finishLoad();
    // Results of an earlier run are not to be dropped by a close without a question.
    m_grid->setModified(m_lastResultRow > 0);
    Q_EMIT resultCountChanged(m_lastResultRow);
}

void ProtocolPanel::showReadAutosave(std::optional<MemoryProtocolTable> table, Prepared prepared,
                                     const QString &error)
{
    if (!table) {
        keepAutosaveAside(error);
        return;
    }
    replaceTable(std::move(*table), std::nullopt, std::move(prepared));
    m_grid->setModified(m_lastResultRow > 0);
}

void ProtocolPanel::keepAutosaveAside(const QString &error)
{
    // The next autosave would replace a protocol that may still be recovered by hand.
    const QString name = m_autosaver->fileName();
    const QString aside = moveAside(name);
    m_files->reportReadError(name,
                             aside.isEmpty() ? error : error + QLatin1Char('\n') + KeptAsideText + aside);
}

void ProtocolPanel::finishLoad(std::optional<NumberColumnFit> columnFit)
{
    m_lastResultRow = m_table->lastResultRowFromTable();
    if (columnFit)
        m_columnFit = std::move(*columnFit);
    else
        measureColumns();
    m_grid->setFixedCols(1);
    selectResultRow(m_grid->rowCount() - 1);
    layoutProtocolColumns();
    setExportEnabled(true);
    updateProtocolCommands();
    // The table is no longer what the autosave holds: closing asks first.
    m_grid->setModified(true);
}

// ---- commands
