#include "protocol/SpreadsheetBridge.h"

#include "platform/AtomicFileWriter.h"
#include "platform/IsolatedCall.h"
#include "platform/MakerInfo.h"
#include "platform/RegularFile.h"
#include "platform/ScratchFolder.h"
#include "protocol/WorkbookCellText.h"
#include "protocol/WorkbookLibraryErrors.h"
#include "protocol/WorkbookReader.h"

#include <QDataStream>
#include <QFile>

#include <memory>
#include <xlsxwriter.h>

namespace {

// The library's own workbook, read back whole to be written in place; far beyond any
// protocol's, but bounded like every read.
constexpr qint64 WrittenWorkbookLimit = qint64(2) << 30;

struct WorkbookCloser
{
    void operator()(lxw_workbook *book) const
    {
        if (book)
            workbook_close(book);
    }
};

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

// The text length a column is fitted to, in characters.
double fittedWidth(qsizetype longest)
{
    return std::max<double>(static_cast<double>(longest) * 1.1 + 1.5, 3.0);
}

} // namespace

bool SpreadsheetBridge::exportToSpreadsheet(const ProtocolTable &table, const QString &fileName,
                                            const QString &title, QString *error)
{
    // The library writes the workbook and its parts as files of its own.
    ScratchFolder work;
    if (!work.isValid()) {
        setError(error, work.errorString());
        return false;
    }
    const QByteArray workFolder = QFile::encodeName(work.path());
    const QByteArray workFile = QFile::encodeName(work.filePath(QStringLiteral("book.xlsx")));
    lxw_workbook_options options = {};
    options.tmpdir = const_cast<char *>(workFolder.constData());
    std::unique_ptr<lxw_workbook, WorkbookCloser> book(workbook_new_opt(workFile.constData(), &options));
    if (!book) {
        setError(error, QStringLiteral("Die Arbeitsmappe kann nicht angelegt werden."));
        return false;
    }
    const QByteArray sheetName = title.left(31).toUtf8();
    lxw_worksheet *sheet = workbook_add_worksheet(book.get(), sheetName.constData());
    if (!sheet) {
        setError(error, QStringLiteral("Das Tabellenblatt kann nicht angelegt werden."));
        return false;
    }
    lxw_format *header = workbook_add_format(book.get());
    format_set_bold(header);
    format_set_border(header, LXW_BORDER_MEDIUM);
    lxw_format *body = workbook_add_format(book.get());
    format_set_border(body, LXW_BORDER_THIN);

    const int rows = table.rowCount();
    const int cols = table.colCount();
    std::vector<qsizetype> longest(cols, 0);
    for (int r = 0; r < rows; ++r) {
        lxw_format *format = r == 0 ? header : body;
        for (int c = 0; c < cols; ++c) {
            const QString text = table.cells(c, r);
            lxw_error rc;
            if (text.isEmpty()) {
                rc = worksheet_write_blank(sheet, r, c, format);
            } else {
                longest[c] = std::max(longest[c], text.size());
                rc = worksheet_write_string(
                    sheet, r, c, WorkbookCellText::encodeEscapes(text).toUtf8().constData(), format);
            }
            if (rc != LXW_NO_ERROR) {
                setError(error, WorkbookLibraryErrors::writerText(rc));
                return false;
            }
        }
    }
    for (int c = 0; c < cols; ++c)
        worksheet_set_column(sheet, c, c, fittedWidth(longest[c]), nullptr);

    const QByteArray titleUtf8 = title.toUtf8();
    lxw_doc_properties properties = {};
    properties.title = const_cast<char *>(titleUtf8.constData());
    properties.subject = const_cast<char *>(titleUtf8.constData());
    const QByteArray author = MakerInfo::name().toUtf8();
    properties.author = const_cast<char *>(author.constData());
    workbook_set_properties(book.get(), &properties);

    const lxw_error rc = workbook_close(book.release());
    if (rc != LXW_NO_ERROR) {
        setError(error, WorkbookLibraryErrors::writerText(rc));
        return false;
    }
    QString why;
    const std::optional<QByteArray> bytes
        = readRegularFile(work.filePath(QStringLiteral("book.xlsx")), WrittenWorkbookLimit, &why);
    if (!bytes) {
        setError(error, why);
        return false;
    }
    AtomicFileWriter writer;
    if (!writer.write(fileName, *bytes)) {
        setError(error, writer.errorString());
        return false;
    }
    return true;
}

IsolatedTask SpreadsheetBridge::workbookParseTask()
{
    return {"workbook", [](const QByteArray &request) {
                qint32 colCount = 0;
                QByteArray bytes;
                QDataStream(request) >> colCount >> bytes;
                QList<QStringList> parsed;
                QString parseError;
                const bool ok = WorkbookReader::parse(bytes, colCount, parsed, &parseError);
                QByteArray out;
                QDataStream stream(&out, QIODevice::WriteOnly);
                stream.setByteOrder(QDataStream::LittleEndian); // texts go over as they are held
                stream << ok << parseError << parsed;
                return out;
            }};
}

bool SpreadsheetBridge::readWorkbook(const QString &fileName, int colCount, QList<QStringList> &rows,
                                     QString *error, const WorkbookParseLimits &limits,
                                     const std::atomic<bool> *cancelled)
{
    rows.clear();
    QString why;
    const std::optional<QByteArray> bytes = readRegularFile(fileName, limits.fileSize, &why);
    if (!bytes) {
        setError(error, why);
        return false;
    }

    // A damaged or hostile file that crashes the parse, runs it out of memory or keeps it
    // busy ends only the import, in a process of its own.
    QByteArray request;
    QDataStream(&request, QIODevice::WriteOnly) << qint32(colCount) << *bytes;
    const IsolatedResult run
        = runIsolated(workbookParseTask(), request, limits.timeoutMs, limits.memory, cancelled);
    switch (run.status) {
    case IsolatedResult::Status::Done:
        break;
    case IsolatedResult::Status::Cancelled:
        setError(error, QString());
        return false;
    case IsolatedResult::Status::Crashed:
        setError(error,
                 QStringLiteral("Die Arbeitsmappe ist besch\u00e4digt; das Lesen brach ab (") + run.detail
                     + QStringLiteral(")."));
        return false;
    case IsolatedResult::Status::TimedOut:
        setError(error,
                 QStringLiteral("Das Lesen der Arbeitsmappe dauerte zu lange und wurde "
                                "abgebrochen."));
        return false;
    case IsolatedResult::Status::NotRun:
        setError(error, run.detail);
        return false;
    }
    bool ok = false;
    QString parseError;
    QDataStream stream(run.output);
    stream.setByteOrder(QDataStream::LittleEndian);
    stream >> ok >> parseError >> rows;
    if (stream.status() != QDataStream::Ok) {
        rows.clear();
        setError(error, QStringLiteral("Die Arbeitsmappe kann nicht gelesen werden."));
        return false;
    }
    if (!ok) {
        rows.clear();
        setError(error, parseError);
    }
    return ok;
}

void SpreadsheetBridge::applyWorkbookRows(ProtocolTable &table, const QList<QStringList> &rows)
{
    // The row count is set outside the update bracket so the grid runs its size handling
    // (and warns about a table without data rows).
    const int count = std::max<int>(rows.size(), 1);
    table.setRowCount(count);
    table.beginUpdate();
    const int cols = table.colCount();
    for (int r = 0; r < rows.size(); ++r) {
        const QStringList &row = rows.at(r);
        for (int c = 0; c < cols; ++c)
            table.setCells(c, r, c < row.size() ? row.at(c) : QString());
    }
    // The workbook replaces the whole table: no row of the table before stays behind.
    table.discardRowsFrom(int(rows.size()));
    table.endUpdate();
}
