#include "SpreadsheetBridge.h"

#include "MakerInfo.h"

#include "AtomicFileWriter.h"
#include "IsolatedCall.h"

#include <QDataStream>
#include <QDate>
#include <QFile>
#include <QTemporaryDir>
#include <QTime>

#include <ixion/model_context.hpp>
#include <ixion/cell_access.hpp>
#include <orcus/format_detection.hpp>
#include <orcus/orcus_ods.hpp>
#include <orcus/orcus_xlsx.hpp>
#include <orcus/spreadsheet/document.hpp>
#include <orcus/spreadsheet/factory.hpp>
#include <orcus/spreadsheet/sheet.hpp>
#include <orcus/spreadsheet/styles.hpp>
#include <xlsxwriter.h>

#include <cmath>
#include <exception>
#include <map>
#include <memory>

namespace {

bool WorkbookSupport = true;


struct WorkbookCloser
{
    void operator()(lxw_workbook *book) const
    {
        if (book)
            workbook_close(book);
    }
};

void SetError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

// The text length a column is fitted to, in characters.
double FittedWidth(qsizetype longest)
{
    return std::max<double>(static_cast<double>(longest) * 1.1 + 1.5, 3.0);
}

enum class TNumberKind { nkNumber, nkDate, nkTime, nkDateTime };

// Classifies a number format string by its date and time codes, skipping quoted text,
// escaped characters and bracketed sections such as colours.
TNumberKind KindOfFormat(std::string_view format)
{
    bool date = false;
    bool time = false;
    bool quoted = false;
    bool bracket = false;
    for (size_t i = 0; i < format.size(); ++i) {
        const char ch = format[i];
        if (quoted) {
            quoted = ch != '"';
            continue;
        }
        if (bracket) {
            if (ch == ']')
                bracket = false;
            else if (ch == 'h' || ch == 'H' || ch == 's' || ch == 'S')
                time = true; // elapsed time such as [h]:mm
            continue;
        }
        switch (ch) {
        case '"': quoted = true; break;
        case '[': bracket = true; break;
        case '\\': ++i; break;
        case 'd': case 'D': case 'y': case 'Y': case 'j': case 'J': case 't': case 'T':
            date = true; break;
        case 'h': case 'H': case 's': case 'S':
            time = true; break;
        default: break;
        }
    }
    if (date && time)
        return TNumberKind::nkDateTime;
    if (date)
        return TNumberKind::nkDate;
    if (time)
        return TNumberKind::nkTime;
    return TNumberKind::nkNumber;
}

// The number-format kinds of the built-in format identifiers that workbooks leave out of
// their style part.
TNumberKind KindOfBuiltinFormat(size_t id)
{
    if ((id >= 14 && id <= 17) || (id >= 27 && id <= 31) || (id >= 34 && id <= 36)
        || (id >= 50 && id <= 58))
        return TNumberKind::nkDate;
    if (id == 22)
        return TNumberKind::nkDateTime;
    if ((id >= 18 && id <= 21) || (id >= 45 && id <= 47) || id == 32 || id == 33)
        return TNumberKind::nkTime;
    return TNumberKind::nkNumber;
}

QString DateTimeText(double serial, TNumberKind kind, const QDate &origin)
{
    double days = std::floor(serial);
    double fraction = serial - days;
    qint64 msecs = std::llround(fraction * 86400000.0);
    if (msecs >= 86400000) {
        msecs -= 86400000;
        days += 1;
    }
    const QDate date = origin.addDays(static_cast<qint64>(days));
    const QTime time = QTime::fromMSecsSinceStartOfDay(static_cast<int>(msecs));
    const QString dateText = date.toString(QStringLiteral("dd.MM.yyyy"));
    const QString timeText = time.toString(QStringLiteral("HH:mm:ss"));
    // As a date-time value prints: the date alone at midnight, the time alone on day zero.
    if (kind == TNumberKind::nkTime || (kind == TNumberKind::nkDateTime && days == 0.0))
        return timeText;
    if (kind == TNumberKind::nkDate || msecs == 0)
        return dateText;
    return dateText + QLatin1Char(' ') + timeText;
}

QString Utf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

bool TSpreadsheetBridge::IsAutomationServerInstalled(const QString &progId)
{
    return WorkbookSupport && progId == QLatin1String("Excel.Application");
}

void TSpreadsheetBridge::setWorkbookSupport(bool available)
{
    WorkbookSupport = available;
}

QString TSpreadsheetBridge::NumberText(double value)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    QString text = QString::number(value, 'g', 15);
    const qsizetype e = text.indexOf(QLatin1Char('e'));
    if (e >= 0) {
        QString mantissa = text.left(e);
        QString exponent = text.mid(e + 1);
        const bool negative = exponent.startsWith(QLatin1Char('-'));
        if (exponent.startsWith(QLatin1Char('+')) || negative)
            exponent.remove(0, 1);
        while (exponent.size() > 1 && exponent.startsWith(QLatin1Char('0')))
            exponent.remove(0, 1);
        text = mantissa + QLatin1Char('E') + (negative ? QLatin1String("-") : QLatin1String(""))
               + exponent;
    }
    text.replace(QLatin1Char('.'), QLatin1Char(','));
    return text;
}

bool TSpreadsheetBridge::ExportToSpreadsheet(const TProtocolTable &table, const QString &fileName,
                                             const QString &title, QString *error)
{
    QTemporaryDir work;
    if (!work.isValid()) {
        SetError(error, work.errorString());
        return false;
    }
    const QByteArray workFolder = QFile::encodeName(work.path());
    const QByteArray workFile = QFile::encodeName(work.filePath(QStringLiteral("book.xlsx")));
    lxw_workbook_options options = {};
    options.tmpdir = const_cast<char *>(workFolder.constData());
    std::unique_ptr<lxw_workbook, WorkbookCloser> book(
        workbook_new_opt(workFile.constData(), &options));
    if (!book) {
        SetError(error, QStringLiteral("Die Arbeitsmappe kann nicht angelegt werden."));
        return false;
    }
    const QByteArray sheetName = title.left(31).toUtf8();
    lxw_worksheet *sheet = workbook_add_worksheet(book.get(), sheetName.constData());
    if (!sheet) {
        SetError(error, QStringLiteral("Das Tabellenblatt kann nicht angelegt werden."));
        return false;
    }
    lxw_format *header = workbook_add_format(book.get());
    format_set_bold(header);
    format_set_border(header, LXW_BORDER_MEDIUM);
    lxw_format *body = workbook_add_format(book.get());
    format_set_border(body, LXW_BORDER_THIN);

    const int rows = table.RowCount();
    const int cols = table.ColCount();
    std::vector<qsizetype> longest(cols, 0);
    for (int r = 0; r < rows; ++r) {
        lxw_format *format = r == 0 ? header : body;
        for (int c = 0; c < cols; ++c) {
            const QString text = table.Cells(c, r);
            lxw_error rc;
            if (text.isEmpty()) {
                rc = worksheet_write_blank(sheet, r, c, format);
            } else {
                longest[c] = std::max(longest[c], text.size());
                rc = worksheet_write_string(sheet, r, c, text.toUtf8().constData(), format);
            }
            if (rc != LXW_NO_ERROR) {
                SetError(error, QString::fromUtf8(lxw_strerror(rc)));
                return false;
            }
        }
    }
    for (int c = 0; c < cols; ++c)
        worksheet_set_column(sheet, c, c, FittedWidth(longest[c]), nullptr);

    const QByteArray titleUtf8 = title.toUtf8();
    lxw_doc_properties properties = {};
    properties.title = const_cast<char *>(titleUtf8.constData());
    properties.subject = const_cast<char *>(titleUtf8.constData());
    const QByteArray author = MakerInfo::Name().toUtf8();
    properties.author = const_cast<char *>(author.constData());
    workbook_set_properties(book.get(), &properties);

    const lxw_error rc = workbook_close(book.release());
    if (rc != LXW_NO_ERROR) {
        SetError(error, QString::fromUtf8(lxw_strerror(rc)));
        return false;
    }
    QFile written(work.filePath(QStringLiteral("book.xlsx")));
    if (!written.open(QIODevice::ReadOnly)) {
        SetError(error, written.errorString());
        return false;
    }
    const QByteArray bytes = written.readAll();
    written.close();
    AtomicFileWriter writer;
    if (!writer.Write(fileName, bytes)) {
        SetError(error, writer.ErrorString());
        return false;
    }
    return true;
}

namespace {

// Longest a workbook may take to parse, and the memory the parse may take, before the
// import gives up on it. A protocol of 100,000 rows parses in about a second.
constexpr int WorkbookParseTimeoutMs = 60000;
constexpr qint64 WorkbookParseMemory = qint64(2) << 30;

// Parses the workbook bytes; runs in the isolated process.
bool ParseWorkbook(const QByteArray &bytes, int colCount, QList<QStringList> &rows, QString *error)
{
    try {
        const orcus::format_t format = orcus::detect(
            reinterpret_cast<const unsigned char *>(bytes.constData()), bytes.size());
        if (format != orcus::format_t::xlsx && format != orcus::format_t::ods) {
            SetError(error, QStringLiteral("Die Datei ist keine Arbeitsmappe (.xlsx oder .ods)."));
            return false;
        }
        orcus::spreadsheet::document doc(orcus::spreadsheet::range_size_t{1048576, 16384});
        orcus::spreadsheet::import_factory factory(doc);
        const std::string_view stream(bytes.constData(), bytes.size());
        if (format == orcus::format_t::xlsx) {
            orcus::orcus_xlsx loader(&factory);
            loader.read_stream(stream);
        } else {
            orcus::orcus_ods loader(&factory);
            loader.read_stream(stream);
        }
        if (doc.get_sheet_count() == 0) {
            SetError(error, QStringLiteral("Die Arbeitsmappe enth\u00e4lt kein Tabellenblatt."));
            return false;
        }
        const orcus::spreadsheet::sheet *sheet = doc.get_sheet(0);
        const ixion::model_context &cxt = doc.get_model_context();
        const orcus::spreadsheet::styles &styles = doc.get_styles();
        const orcus::date_time_t origin = doc.get_origin_date();
        const QDate originDate(origin.year, origin.month, origin.day);
        // Cell formats name their number format by its identifier; the built-in ones
        // are not listed in the workbook.
        std::map<size_t, TNumberKind> formatKinds;
        for (size_t i = 0; i < styles.get_number_format_count(); ++i) {
            const orcus::spreadsheet::number_format_t *nf = styles.get_number_format(i);
            if (nf && !nf->format_string.empty())
                formatKinds[nf->identifier] = KindOfFormat(nf->format_string);
        }
        const ixion::abs_range_t used = sheet->get_data_range();
        const int lastRow = used.valid() ? used.last.row : -1;

        auto cellText = [&](int row, int col) -> QString {
            if (row > lastRow || col > used.last.column)
                return QString();
            const ixion::abs_address_t address(0, row, col);
            const ixion::cell_access cell = cxt.get_cell_access(address);
            switch (cell.get_value_type()) {
            case ixion::cell_value_t::string:
                return Utf8(cell.get_string_value());
            case ixion::cell_value_t::boolean:
                return cell.get_boolean_value() ? QStringLiteral("True") : QStringLiteral("False");
            case ixion::cell_value_t::numeric: {
                const double value = cell.get_numeric_value();
                TNumberKind kind = TNumberKind::nkNumber;
                const orcus::spreadsheet::cell_format_t *xf =
                    styles.get_cell_format(sheet->get_cell_format(row, col));
                if (xf) {
                    const auto custom = formatKinds.find(xf->number_format);
                    kind = custom != formatKinds.end() ? custom->second
                                                       : KindOfBuiltinFormat(xf->number_format);
                }
                if (kind == TNumberKind::nkNumber)
                    return TSpreadsheetBridge::NumberText(value);
                return DateTimeText(value, kind, originDate);
            }
            case ixion::cell_value_t::error:
                return QStringLiteral("#FEHLER");
            default:
                return QString();
            }
        };

        int count = 0;
        while (count <= lastRow && !cellText(count, 0).isEmpty())
            ++count;
        count = std::max(count, 1);
        rows.reserve(count);
        for (int r = 0; r < count; ++r) {
            QStringList row;
            row.reserve(colCount);
            for (int c = 0; c < colCount; ++c)
                row.append(cellText(r, c));
            rows.append(row);
        }
    } catch (const std::exception &e) {
        rows.clear();
        SetError(error, QString::fromLocal8Bit(e.what()));
        return false;
    }
    return true;
}

} // namespace

bool TSpreadsheetBridge::ReadWorkbook(const QString &fileName, int colCount,
                                      QList<QStringList> &rows, QString *error)
{
    rows.clear();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        SetError(error, file.errorString());
        return false;
    }
    const QByteArray bytes = file.readAll();
    file.close();

    // The parsing library asserts or crashes on some damaged files; in its own process
    // that ends only the import.
    const IsolatedResult run = RunIsolated(
        [&] {
            QList<QStringList> parsed;
            QString parseError;
            const bool ok = ParseWorkbook(bytes, colCount, parsed, &parseError);
            QByteArray out;
            QDataStream stream(&out, QIODevice::WriteOnly);
            stream << ok << parseError << parsed;
            return out;
        },
        WorkbookParseTimeoutMs, WorkbookParseMemory);
    switch (run.status) {
    case IsolatedResult::Status::Done:
        break;
    case IsolatedResult::Status::Crashed:
        SetError(error, QStringLiteral("Die Arbeitsmappe ist besch\u00e4digt; das Lesen brach ab (")
                            + run.detail + QStringLiteral(")."));
        return false;
    case IsolatedResult::Status::TimedOut:
        SetError(error, QStringLiteral("Das Lesen der Arbeitsmappe dauerte zu lange und wurde "
                                       "abgebrochen."));
        return false;
    case IsolatedResult::Status::NotRun:
        SetError(error, run.detail);
        return false;
    }
    bool ok = false;
    QString parseError;
    QDataStream stream(run.output);
    stream >> ok >> parseError >> rows;
    if (stream.status() != QDataStream::Ok) {
        rows.clear();
        SetError(error, QStringLiteral("Die Arbeitsmappe kann nicht gelesen werden."));
        return false;
    }
    if (!ok) {
        rows.clear();
        SetError(error, parseError);
    }
    return ok;
}

void TSpreadsheetBridge::ApplyWorkbookRows(TProtocolTable &table, const QList<QStringList> &rows)
{
    // The row count is set outside the update bracket so the grid runs its size handling
    // (and warns about a table without data rows).
    const int count = std::max<int>(rows.size(), 1);
    table.setRowCount(count);
    table.BeginUpdate();
    const int cols = table.ColCount();
    for (int r = 0; r < rows.size(); ++r) {
        const QStringList &row = rows.at(r);
        for (int c = 0; c < cols; ++c)
            table.setCells(c, r, c < row.size() ? row.at(c) : QString());
    }
    // The workbook replaces the whole table: no row of the table before stays behind.
    table.DiscardRowsFrom(int(rows.size()));
    table.EndUpdate();
}
