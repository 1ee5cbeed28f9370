#include "ProtocolPanel.h"

#include "DesktopShell.h"
#include "ProtocolColumns.h"
#include "ProtocolGlyphs.h"
#include "ProtocolPage.h"
#include "ProtocolText.h"
#include "QtFileDialogs.h"
#include "SortGrid.h"
#include "SortGridTable.h"
#include "SpreadsheetBridge.h"
#include "TextCodec.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontInfo>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPrinter>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QLatin1String WriteErrorText("Der Schreibfehler der Datei: ");
const QLatin1String ReadErrorText("Die Datei kann nicht gelesen werden: ");
const QLatin1String KeptAsideText("Sie bleibt erhalten als: ");
const QLatin1String ClearQuestion("Zeitenprotokoll  l\xf6schen?");
const QLatin1String XlsxMimeType("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet");
constexpr int ButtonSize = 36;
constexpr int HeadingHeight = 41;
// The "Nr." column is never narrower than this.
constexpr int NumberColumnMinWidth = 40;
// The grid keeps 2 pixels between a cell's text and each of its edges.
constexpr int CellTextMargins = 4;

// Moves a file (or whatever stands in its place) to a free name beside it, "<name>.unlesbar"
// or "<name>.unlesbar-2" and so on; the new name, or empty when it could not be moved.
QString MoveAside(const QString &fileName)
{
    const QString base = fileName + QLatin1String(".unlesbar");
    QString aside = base;
    for (int n = 2; QFileInfo::exists(aside) || QFileInfo(aside).isSymLink(); ++n)
        aside = base + QLatin1Char('-') + QString::number(n);
    return QDir().rename(fileName, aside) ? aside : QString();
}

} // namespace

TProtocolPanel::TProtocolPanel(QWidget *parent)
    : QWidget(parent)
    , FDefaultShell(std::make_unique<TDesktopShell>())
    , FDefaultDialogs(std::make_unique<TQtFileDialogs>())
{
    FShell = FDefaultShell.get();
    FDialogs = FDefaultDialogs.get();
    FAutosaveFolder = TProtocolFiles::DefaultAutosaveFolder();
    FDialogFolder = FAutosaveFolder;
    FWorkbookFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    ShowError = [this](const QString &message) {
        QMessageBox::critical(this, ProtocolColumns::ApplicationTitle(), message, QMessageBox::Ok);
    };

    // Heading bar with the caption and the six commands.
    auto *heading = new QWidget(this);
    heading->setObjectName(QStringLiteral("PanelProtokoll"));
    heading->setFixedHeight(HeadingHeight);
    heading->setAutoFillBackground(true);
    QPalette headingPalette = heading->palette();
    headingPalette.setColor(QPalette::Window, ToQColor(Colors::clBtnShadow));
    heading->setPalette(headingPalette);

    LabelProtokoll = new QLabel(QStringLiteral("Protokoll"), heading);
    QFont captionFont = LabelProtokoll->font();
    captionFont.setPixelSize(19);
    LabelProtokoll->setFont(captionFont);

    sbLoad = MakeButton(QStringLiteral("sbLoad"), QStringLiteral("Protokoll \u00f6ffnen"),
                        QStringLiteral("Protokoll \u00f6ffnen"), int(TProtocolGlyph::pgOpen));
    sbSave = MakeButton(QStringLiteral("sbSave"), QStringLiteral("Protokoll speichern unter"),
                        QStringLiteral("Protokoll speichern unter"), int(TProtocolGlyph::pgSave));
    sbPrint = MakeButton(QStringLiteral("sbPrint"), QStringLiteral("Protokoll drucken"),
                         QStringLiteral("Protokoll drucken"), int(TProtocolGlyph::pgPrint));
    sbHTML = MakeButton(QStringLiteral("sbHTML"), QStringLiteral("Als Webseite"),
                        QStringLiteral("Als Webseite"), int(TProtocolGlyph::pgWebPage));
    sbExcel = MakeButton(QStringLiteral("sbExcel"), QStringLiteral("Datei in MS Excel"),
                         QStringLiteral("Datei in MS Excel"), int(TProtocolGlyph::pgSpreadsheet));
    sbCLS = MakeButton(QStringLiteral("sbCLS"), QStringLiteral("F8"),
                       QStringLiteral("Protokoll l\u00f6schen"), int(TProtocolGlyph::pgClear));
    for (QToolButton *button : {sbLoad, sbSave, sbPrint, sbHTML, sbExcel, sbCLS})
        button->setParent(heading);

    auto *bar = new QHBoxLayout(heading);
    bar->setContentsMargins(2, 2, 2, 2);
    bar->setSpacing(2);
    bar->addWidget(sbLoad);
    bar->addWidget(sbSave);
    bar->addWidget(sbPrint);
    bar->addSpacing(8);
    bar->addWidget(LabelProtokoll);
    bar->addStretch(1);
    bar->addWidget(sbHTML);
    bar->addWidget(sbExcel);
    bar->addWidget(sbCLS);

    connect(sbLoad, &QToolButton::clicked, this, [this] { sbLoadClick(); });
    connect(sbSave, &QToolButton::clicked, this, [this] { sbSaveClick(); });
    connect(sbPrint, &QToolButton::clicked, this, [this] { sbPrintClick(); });
    connect(sbHTML, &QToolButton::clicked, this, [this] { sbHTMLClick(); });
    connect(sbExcel, &QToolButton::clicked, this, [this] { sbExcelClick(); });
    connect(sbCLS, &QToolButton::clicked, this, [this] { sbCLSClick(); });

    // Shown while the latest autosave failed.
    LabelAutosave = new QLabel(this);
    LabelAutosave->setObjectName(QStringLiteral("LabelAutosave"));
    LabelAutosave->setWordWrap(true);
    LabelAutosave->setAutoFillBackground(true);
    QPalette warningPalette = LabelAutosave->palette();
    warningPalette.setColor(QPalette::Window, ToQColor(Colors::clYellow));
    warningPalette.setColor(QPalette::WindowText, ToQColor(Colors::clMaroon));
    LabelAutosave->setPalette(warningPalette);
    LabelAutosave->setContentsMargins(4, 2, 4, 2);
    LabelAutosave->hide();

    SortGrid1 = new TSortGrid(this);
    SortGrid1->setObjectName(QStringLiteral("SortGrid1"));
    // The grid's designed size is no change by the user: set inside the update
    // bracket, it leaves the protocol unmodified, so closing an untouched
    // program asks nothing.
    SortGrid1->BeginUpdate();
    SortGrid1->setColCount(ProtocolColumns::Count);
    SortGrid1->setRowCount(2);
    SortGrid1->EndUpdate();
    SortGrid1->setFixedCols(0);
    // A character height of 15 pixels includes the font's internal leading, which
    // leaves an em of 13 pixels: five digits then fit the 40-pixel "Nr." column.
    QFont gridFont(QStringLiteral("Courier New"));
    gridFont.setPixelSize(13);
    SortGrid1->setFont(gridFont);
    FFixedPitch = QFontInfo(gridFont).fixedPitch();
    SortGrid1->setDefaultRowHeight(20);
    SortGrid1->setDefaultColWidth(52);
    SortGrid1->setOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine
                          | goDrawFocusSelected | goColSizing | goEditing);
    SortGrid1->setScrollBars(TMyCustomGrid::ssVertical);
    SortGrid1->setAlignmentHorz(taRightJustify);
    SortGrid1->setAlignmentVert(taTopJustify);
    SortGrid1->SortOptions()->setCanSort(false);
    // A typed character edits the cell under the cursor; it never searches "Nr.".
    SortGrid1->setTypeAheadSearch(false);
    SortGrid1->setMultiSelect(false);
    SortGrid1->setFiltered(false);
    SortGrid1->OnGetCellFormat = [this](TSortGrid *Sender, int Col, int Row, TGridDrawState State,
                                        TFormatOptions &FormatOptions, bool &CheckBox,
                                        bool &Combobox, bool &Ellipsis) {
        SortGrid1GetCellFormat(Sender, Col, Row, State, FormatOptions, CheckBox, Combobox, Ellipsis);
    };
    SortGrid1->OnGetComboBox = [this](TSortGrid *Sender, int ACol, int ARow, QStringList &Strs,
                                      int &Width, int &Height, bool &Sorted) {
        SortGrid1GetComboBox(Sender, ACol, ARow, Strs, Width, Height, Sorted);
    };
    SortGrid1->OnSetComboBox = [this](TSortGrid *Sender, int ACol, int ARow, const QString &Str) {
        SortGrid1SetComboBox(Sender, ACol, ARow, Str);
    };
    SortGrid1->OnSelectCell = [this](TMyCustomGrid *Sender, int ACol, int ARow, bool &CanSelect) {
        SortGrid1SelectCell(Sender, ACol, ARow, CanSelect);
    };
    PopupMenu1 = new QMenu(this);
    mSelectAll = PopupMenu1->addAction(QStringLiteral("Alles markieren"));
    mCopy = PopupMenu1->addAction(QStringLiteral("Kopieren"));
    connect(mSelectAll, &QAction::triggered, this, [this] { mSelectAllClick(); });
    connect(mCopy, &QAction::triggered, this, [this] { mCopyClick(); });
    SortGrid1->setPopupMenu(PopupMenu1);
    SortGrid1->ShowMessage = [this](const QString &message) { Report(message); };
    // The grid fits its last column to a new width itself; the protocol's layout follows
    // once that is done.
    SortGrid1->installEventFilter(this);
    FTable = std::make_unique<TSortGridTable>(SortGrid1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(heading);
    layout->addWidget(LabelAutosave);
    layout->addWidget(SortGrid1, 1);
    setFocusProxy(SortGrid1);

    BuildProtocolFileFilters(LoadFileTypeNames());
    UpdateProtocolCommands();
    FindSpreadsheetApplication();
}

TProtocolPanel::~TProtocolPanel()
{
    // The grid watches its drop-down list and would be asked about it while the list is
    // being destroyed together with the grid; stop the watching first.
    if (QListWidget *list = SortGrid1->ComboList()) {
        list->removeEventFilter(SortGrid1);
        list->viewport()->removeEventFilter(SortGrid1);
    }
}

QToolButton *TProtocolPanel::MakeButton(const QString &name, const QString &hint,
                                        const QString &accessible, int glyph)
{
    auto *button = new QToolButton(this);
    button->setObjectName(name);
    button->setToolTip(hint);
    button->setAccessibleName(accessible);
    button->setFixedSize(ButtonSize, ButtonSize);
    button->setIcon(ProtocolGlyph(static_cast<TProtocolGlyph>(glyph)));
    button->setIconSize(QSize(24, 24));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

void TProtocolPanel::setShell(TProtocolShell *value)
{
    FShell = value ? value : FDefaultShell.get();
    FindSpreadsheetApplication();
}

void TProtocolPanel::FindSpreadsheetApplication()
{
    const int query = ++FApplicationQuery;
    FShell->FindApplication(XlsxMimeType, [this, guard = QPointer<TProtocolPanel>(this),
                                           query](bool found) {
        if (!guard || query != FApplicationQuery)
            return;
        FSpreadsheetApplication = found;
        // The spreadsheet command is enabled exactly when the web-page command is and an
        // application is there.
        sbExcel->setEnabled(found && sbHTML->isEnabled());
    });
}

void TProtocolPanel::setFileDialogs(TProtocolFileDialogs *value)
{
    FDialogs = value ? value : FDefaultDialogs.get();
}

void TProtocolPanel::Report(const QString &message)
{
    if (ShowError)
        ShowError(message);
}

// ---- the table

void TProtocolPanel::InitProtocolTable()
{
    const QStringList &titles = ProtocolColumns::ColumnTitles();
    for (int c = 0; c < SortGrid1->ColCount() && c < titles.size(); ++c)
        SortGrid1->setCells(c, 0, titles.at(c));
    LayoutProtocolColumns();
}

void TProtocolPanel::AddResultRow(const QString &TimeText, const QString &CountryCode)
{
    // An edit or pick list still open ends in its own row before the new result arrives.
    SortGrid1->CommitEditing();
    const QString startNumber = TakeNextStartNumber ? TakeNextStartNumber() : QString();
    QString number = QString::number(FResultCount);
    while (number.size() < 5)
        number.prepend(QLatin1Char('0'));
    // The status starts empty: a new result owns its whole row.
    const QStringList items{number, TimeText, CountryCode, startNumber, QString()};
    if (SortGrid1->RowCount() <= FResultCount)
        SortGrid1->setRowCount(FResultCount + 1);
    SortGrid1->Rows(FResultCount).Assign(items);
    WidenNumberColumn(number);
    UpdateProtocolCommands();
    LayoutProtocolColumns();
}

void TProtocolPanel::WidenNumberColumn(const QString &number)
{
    // Measuring shapes the text, which adds up over 100,000 rows; in a fixed-pitch font a
    // text no longer than one measured before cannot be wider.
    if (FFixedPitch && number.size() <= FNumberLength)
        return;
    FNumberLength = std::max(FNumberLength, number.size());
    FNumberWidth = std::max(FNumberWidth, QFontMetrics(SortGrid1->font()).horizontalAdvance(number));
}

void TProtocolPanel::MeasureNumberColumn()
{
    FNumberWidth = 0;
    FNumberLength = 0;
    for (int r = 1; r < SortGrid1->RowCount(); ++r)
        WidenNumberColumn(SortGrid1->Cells(0, r));
}

void TProtocolPanel::LayoutProtocolColumns()
{
    // The result numbers stay readable: column 0 widens to the widest of them.
    SortGrid1->setColWidths(0, std::max(NumberColumnMinWidth, FNumberWidth + CellTextMargins));
    SortGrid1->setColWidths(2, 80);
    SortGrid1->setColWidths(3, 47);
    SortGrid1->setColWidths(4, 47);
    const int rest = SortGrid1->viewport()->width() - SortGrid1->ColWidths(0)
                     - SortGrid1->ColWidths(4) - SortGrid1->ColWidths(2) - SortGrid1->ColWidths(3)
                     - SortGrid1->ColCount();
    SortGrid1->setColWidths(1, rest);
}

void TProtocolPanel::UpdateProtocolCommands()
{
    const bool enabled = SortGrid1->RowCount() > 2;
    sbPrint->setEnabled(enabled);
    sbSave->setEnabled(enabled);
    sbCLS->setEnabled(enabled);
    sbHTML->setEnabled(enabled);
    mSelectAll->setEnabled(enabled);
    sbExcel->setEnabled(enabled && IsAutomationServerInstalled(QStringLiteral("Excel.Application")));
    sbLoad->setEnabled(true);
}

void TProtocolPanel::EnableExportCommands(bool Disable)
{
    sbHTML->setEnabled(!Disable);
    sbExcel->setEnabled(!Disable && IsAutomationServerInstalled(QStringLiteral("Excel.Application")));
}

bool TProtocolPanel::IsAutomationServerInstalled(const QString &ProgId) const
{
    return FSpreadsheetApplication && ProgId == QLatin1String("Excel.Application");
}

void TProtocolPanel::SelectResultRow(int row)
{
    SortGrid1->setSelection(TGridRect{1, row, SortGrid1->ColCount() - 1, row});
}

void TProtocolPanel::mSelectAllClick()
{
    SortGrid1->setSelection(TGridRect{1, 1, SortGrid1->ColCount() - 1, SortGrid1->RowCount() - 1});
}

QString TProtocolPanel::SelectionText() const
{
    const TGridRect rect = SortGrid1->Selection();
    QString text;
    for (int r = rect.Top; r <= rect.Bottom; ++r) {
        for (int c = rect.Left; c <= rect.Right; ++c) {
            if (c > rect.Left)
                text += QLatin1Char('\t');
            text += SortGrid1->Cells(c, r);
        }
        text += QLatin1String("\r\n");
    }
    return text;
}

void TProtocolPanel::mCopyClick()
{
    QGuiApplication::clipboard()->setText(SelectionText());
}

void TProtocolPanel::sbCLSClick()
{
    if (!AskYesNo || AskYesNo(ClearQuestion) != 6)
        return;
    try {
        SortGrid1->setRowCount(2);
    } catch (...) {
        SortGrid1->setRowCount(2);
    }
    SortGrid1->DiscardRowsFrom(1);
    MeasureNumberColumn();
    LayoutProtocolColumns();
    UpdateProtocolCommands();
    FResultCount = 0;
}

void TProtocolPanel::ClearTable()
{
    SortGrid1->Clear();
    SortGrid1->DiscardRowsFrom(1);
    MeasureNumberColumn();
}

void TProtocolPanel::ResetProtocol()
{
    ClearTable();
    FResultCount = 0;
    LayoutProtocolColumns();
    UpdateProtocolCommands();
}

void TProtocolPanel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    LayoutProtocolColumns();
}

bool TProtocolPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == SortGrid1 && event->type() == QEvent::Resize)
        QTimer::singleShot(0, this, [this] { LayoutProtocolColumns(); });
    return QWidget::eventFilter(watched, event);
}

// ---- files

QString TProtocolPanel::AutosaveFileName() const
{
    return TProtocolFiles::AutosaveFileName(FAutosaveFolder, ProtocolColumns::ApplicationTitle());
}

void TProtocolPanel::SetAutosaveError(const QString &error)
{
    if (error == FAutosaveError)
        return;
    const bool changed = error.isEmpty() != FAutosaveError.isEmpty();
    FAutosaveError = error;
    if (error.isEmpty()) {
        LabelAutosave->hide();
        LabelAutosave->clear();
    } else {
        LabelAutosave->setText(QStringLiteral("Automatische Sicherung fehlgeschlagen: ")
                               + QDir::toNativeSeparators(AutosaveFileName())
                               + QStringLiteral(" (") + error + QLatin1Char(')'));
        LabelAutosave->show();
    }
    if (changed && OnAutosaveStateChanged)
        OnAutosaveStateChanged(this);
}

bool TProtocolPanel::Autosave()
{
    QString error;
    if (TProtocolText::SaveProtocolText(*FTable, AutosaveFileName(), &error)) {
        SetAutosaveError(QString());
        return true;
    }
    SetAutosaveError(error.isEmpty() ? QStringLiteral("Schreibfehler") : error);
    return false;
}

void TProtocolPanel::LoadAutosave()
{
    const QString name = AutosaveFileName();
    if (!QFileInfo::exists(name))
        return; // the first start
    QString error;
    if (!TProtocolText::LoadProtocolText(*FTable, name, &error)) {
        // The next autosave would replace a protocol that may still be recovered by hand.
        const QString aside = MoveAside(name);
        Report(ReadErrorText + name + QLatin1Char('\n') + error
               + (aside.isEmpty() ? QString() : QLatin1Char('\n') + KeptAsideText + aside));
        return;
    }
    FinishLoad();
    // Results of an earlier run are not to be dropped by a close without a question.
    SortGrid1->setModified(FResultCount > 0);
}

void TProtocolPanel::ReportWriteError(const QString &FileName, const QString &error)
{
    Report(WriteErrorText + FileName + QLatin1Char('\n') + error);
}

bool TProtocolPanel::SaveProtocolText(const QString &FileName)
{
    QString error;
    if (TProtocolText::SaveProtocolText(*FTable, FileName, &error))
        return true;
    ReportWriteError(FileName, error);
    return false;
}

void TProtocolPanel::FinishLoad()
{
    FResultCount = FTable->ResultCountFromTable();
    MeasureNumberColumn();
    SortGrid1->setFixedCols(1);
    SelectResultRow(SortGrid1->RowCount() - 1);
    LayoutProtocolColumns();
    EnableExportCommands(false);
    UpdateProtocolCommands();
    // The table is no longer what the autosave holds: closing asks first.
    SortGrid1->setModified(true);
}

bool TProtocolPanel::LoadProtocolText(const QString &FileName)
{
    QString error;
    if (!TProtocolText::LoadProtocolText(*FTable, FileName, &error)) {
        Report(ReadErrorText + FileName + QLatin1Char('\n') + error);
        return false;
    }
    FinishLoad();
    return true;
}

bool TProtocolPanel::WriteProtocolPage(const QString &FileName)
{
    QString error;
    if (TProtocolPage::WriteProtocolPage(*FTable, ProtocolColumns::ApplicationTitle(), FileName,
                                         &error))
        return true;
    ReportWriteError(FileName, error);
    return false;
}

QString TProtocolPanel::NewWorkbookName() const
{
    QDir().mkpath(FWorkbookFolder);
    const QString base = QDir(FWorkbookFolder).filePath(
        TProtocolFiles::TimestampFileName(QDateTime::currentDateTime()));
    QString name = base + QLatin1String(".xlsx");
    for (int i = 2; QFileInfo::exists(name); ++i)
        name = base + QLatin1Char('-') + QString::number(i) + QLatin1String(".xlsx");
    return name;
}

bool TProtocolPanel::ExportToSpreadsheet(const QString &FileName, bool Show)
{
    const QString name = Show ? NewWorkbookName() : FileName;
    QString error;
    if (!TSpreadsheetBridge::ExportToSpreadsheet(*FTable, name, ProtocolColumns::ApplicationTitle(),
                                                 &error)) {
        ReportWriteError(name, error);
        return false;
    }
    if (Show) {
        FShell->OpenDocumentOrReport(name, [this, guard = QPointer<TProtocolPanel>(this),
                                            name](const QString &reason) {
            if (guard)
                Report(QStringLiteral("Die Arbeitsmappe wurde gespeichert, l\u00e4sst sich aber "
                                      "nicht \u00f6ffnen (%1):\n%2")
                           .arg(reason, name));
        });
    }
    return true;
}

bool TProtocolPanel::ImportFromSpreadsheet(const QString &FileName)
{
    QList<QStringList> rows;
    QString error;
    if (!TSpreadsheetBridge::ReadWorkbook(FileName, SortGrid1->ColCount(), rows, &error)) {
        Report(QStringLiteral("Die Arbeitsmappe kann nicht gelesen werden: ") + FileName
               + QStringLiteral("\n") + error);
        return false;
    }
    TSpreadsheetBridge::ApplyWorkbookRows(*FTable, rows);
    FinishLoad();
    return true;
}

bool TProtocolPanel::PrintProtocolPage(const QString &FileName, QPrinter &printer)
{
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // The page's header widths are percentages that a browser widens to fit a cell's
    // longest word; the text document would break the words instead, so it sizes the
    // columns from their content.
    QString html = TextCodec::Decode(file.readAll());
    html.replace(QRegularExpression(QStringLiteral("<th width=\\d+%>")), QStringLiteral("<th>"));
    QTextDocument document;
    document.setHtml(html);
    document.print(&printer);
    return true;
}

void TProtocolPanel::BuildProtocolFileFilters(const FileTypeNames &names)
{
    FFilters = TProtocolFiles::BuildProtocolFileFilters(names);
}

// ---- commands

void TProtocolPanel::sbSaveClick()
{
    QString name = TProtocolFiles::TimestampFileName(QDateTime::currentDateTime());
    int index = std::clamp(FFilterInd, 1, std::max<int>(FFilters.SaveTypes.size(), 1));
    if (!FDialogs->GetSaveFileName(this, FDialogFolder, FFilters.SaveTypes, index, name))
        return;
    if (index < 1 || index > FFilters.SaveTypes.size())
        return;
    FFilterInd = index;
    const TProtocolFileType &type = FFilters.SaveTypes.at(index - 1);
    if (QFileInfo(name).suffix().isEmpty())
        name += type.Extension();
    switch (type.Kind) {
    case TProtocolFileKind::pkText: SaveProtocolText(name); break;
    case TProtocolFileKind::pkSpreadsheet: ExportToSpreadsheet(name, false); break;
    case TProtocolFileKind::pkWebPage: WriteProtocolPage(name); break;
    }
}

void TProtocolPanel::sbLoadClick()
{
    QString name;
    int index = 1;
    if (!FDialogs->GetOpenFileName(this, FDialogFolder, FFilters.OpenTypes, index, name))
        return;
    if (index < 1 || index > FFilters.OpenTypes.size())
        return;
    switch (FFilters.OpenTypes.at(index - 1).Kind) {
    case TProtocolFileKind::pkText: LoadProtocolText(name); break;
    case TProtocolFileKind::pkSpreadsheet: ImportFromSpreadsheet(name); break;
    case TProtocolFileKind::pkWebPage: break;
    }
}

// After a failed write, a page of that name is an older protocol's: it is neither
// opened nor printed.
void TProtocolPanel::sbHTMLClick()
{
    const QString name = TProtocolFiles::ProtocolPageFileName();
    if (WriteProtocolPage(name))
        FShell->OpenDocument(QFileInfo(name).absoluteFilePath());
}

void TProtocolPanel::sbPrintClick()
{
    const QString name = TProtocolFiles::ProtocolPageFileName();
    if (!WriteProtocolPage(name))
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Zeitenprotokoll ") + ProtocolColumns::ApplicationTitle());
    if (FShell->ChoosePrinter(printer, this))
        PrintProtocolPage(name, printer);
}

void TProtocolPanel::sbExcelClick()
{
    ExportToSpreadsheet(QString(), true);
}

// ---- the grid's questions

void TProtocolPanel::SortGrid1GetCellFormat(TSortGrid *, int Col, int Row, TGridDrawState,
                                            TFormatOptions &FormatOptions, bool &, bool &Combobox,
                                            bool &)
{
    Combobox = Col == ProtocolColumns::ColCountry;
    if (Col == ProtocolColumns::ColStatus)
        FormatOptions.AlignmentHorz = taCenter;
    else if (Row == 0 || Col == ProtocolColumns::ColCountry)
        FormatOptions.AlignmentHorz = taLeftJustify;
}

void TProtocolPanel::SortGrid1GetComboBox(TSortGrid *Sender, int, int, QStringList &Strs, int &,
                                          int &, bool &Sorted)
{
    if (!Sender->Options().testFlag(goEditing))
        return;
    Strs = FCountryCodes;
    Sorted = false;
}

void TProtocolPanel::SortGrid1SetComboBox(TSortGrid *Sender, int ACol, int ARow, const QString &Str)
{
    if (ACol == ProtocolColumns::ColCountry)
        Sender->setCells(ACol, ARow, Str);
}

void TProtocolPanel::SortGrid1SelectCell(TMyCustomGrid *Sender, int ACol, int ARow, bool &CanSelect)
{
    if (ACol < 2) {
        // The row shows as selected; the cell cursor stays where it was.
        Sender->HighlightCells(TGridRect{1, ARow, Sender->ColCount() - 1, ARow});
        CanSelect = false;
    }
}
