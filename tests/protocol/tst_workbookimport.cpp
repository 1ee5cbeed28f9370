// The workbook import keeps every value: one table of rules, each rule one row of a
// workbook written by libxlsxwriter (shared and, as a streaming writer, inline strings),
// by hand as OpenDocument, and by LibreOffice Calc; every imported cell is compared
// with its rule. Then the cells that cannot be converted, the structures workbooks use,
// a round trip of 10,000 rows, and the spreadsheet command with the desktop's shell.
#include "DesktopShell.h"
#include "MemoryProtocolTable.h"
#include "ProtocolColumns.h"
#include "ProtocolFileDialogs.h"
#include "ProtocolPanel.h"
#include "SortGrid.h"
#include "SpreadsheetBridge.h"
#include "WorkbookPackages.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QUrl>

#include <xlsxwriter.h>

#include <memory>

using Rows = QList<QStringList>;

namespace {

enum class TValue {
    vText, vNumber, vPercent, vCurrency, vBoolean, vTime, vDate,
    vFormulaNumber, vFormulaText, vFormulaError, vFormulaTime
};

// Who can store a rule's value: libxlsxwriter, the hand-made OpenDocument file, and
// LibreOffice Calc, which reads the latter and writes both formats.
enum TMakers { mkXlsxWriter = 1, mkOds = 2, mkLibreOffice = 4, mkAll = 7 };

struct TRule
{
    const char *Name;
    TValue Kind;
    QString Expected;
    QString Text = {};      // a text, or a formula's text result
    double Number = 0;      // a number, or a boolean as 0 and 1
    qint64 Hundredths = 0;  // a time, or the time of day of a date
    QDate Date = {};
    int Makers = mkAll;
    QString XlsxText = {};  // the text as .xlsx stores it, where that differs
};

const QDate Day(2025, 5, 7);

// Row 1 holds the titles; rule i is row i + 2: its name in column A, its value in B.
const QList<TRule> &Rules()
{
    static const QList<TRule> rules{
        {"Blanks", TValue::vText, "  zwei  Blanks  ", "  zwei  Blanks  "},
        {"Zeilenumbruch", TValue::vText, "Zeile 1\nZeile 2", "Zeile 1\nZeile 2"},
        // LibreOffice Calc drops a tab in a cell when it reads one.
        {"Tabulator", TValue::vText, "a\tb", "a\tb", 0, 0, {}, mkXlsxWriter | mkOds},
        // XML cannot carry control characters; .xlsx escapes them as _x0001_.
        {"Steuerzeichen", TValue::vText, "a\x01" "b\x1f", "a\x01" "b\x1f", 0, 0, {}, mkXlsxWriter},
        {"Escape-Muster als Text", TValue::vText, "_x0041_ bleibt", "_x0041_ bleibt", 0, 0, {}, mkAll,
         "_x005F_x0041_ bleibt"},
        {"Zeichen", TValue::vText, QStringLiteral("Gr\u00fc\u00dfe, \u20ac <&> \"'"),
         QStringLiteral("Gr\u00fc\u00dfe, \u20ac <&> \"'")},
        {"Zahlentext", TValue::vText, "00042", "00042"},
        {"Leer", TValue::vText, "", ""},
        {"Zahl", TValue::vNumber, "1234,5", {}, 1234.5},
        {"Ganze Zahl", TValue::vNumber, "7", {}, 7},
        {"Bruch", TValue::vNumber, "0,125", {}, 0.125},
        {"Negativ", TValue::vNumber, "-3,75", {}, -3.75},
        {"Gro\u00dfe ganze Zahl", TValue::vNumber, "100000000000000000000", {}, 1e20},
        {"Ohne Tausenderpunkt", TValue::vNumber, "1234567", {}, 1234567},
        {"Gleitkommarest", TValue::vNumber, "0,3", {}, 0.1 + 0.2},
        {"Prozent", TValue::vPercent, "0,5", {}, 0.5},
        {"W\u00e4hrung", TValue::vCurrency, "12,5", {}, 12.5},
        {"Wahr", TValue::vBoolean, "True", {}, 1},
        {"Falsch", TValue::vBoolean, "False", {}, 0},
        {"Zeit mit Hundertsteln", TValue::vTime, "00:25:13,45", {}, 0, 151345},
        {"Zeit ohne Hundertstel", TValue::vTime, "09:05:00", {}, 0, 3270000},
        {"Dauer 25 h", TValue::vTime, "25:13:07", {}, 0, 9078700},
        {"Dauer 36 h", TValue::vTime, "36:00:00,50", {}, 0, 12960050},
        {"Datum", TValue::vDate, "07.05.2025", {}, 0, 0, Day},
        {"Datum mit Zeit", TValue::vDate, "07.05.2025 09:05:30,45", {}, 0, 3273045, Day},
        {"Datum mit Sekunden", TValue::vDate, "31.12.2024 23:59:59", {}, 0, 8639900, QDate(2024, 12, 31)},
        {"Formel Zahl", TValue::vFormulaNumber, "3", {}, 3},
        {"Formel Text", TValue::vFormulaText, "ab", "ab"},
        // libxlsxwriter stores an error result as text.
        {"Formel Fehler", TValue::vFormulaError, "#FEHLER", {}, 0, 0, {}, mkOds | mkLibreOffice},
        {"Formel Zeit", TValue::vFormulaTime, "00:25:13", {}, 0, 151300},
    };
    return rules;
}

const QStringList Titles{"Nr.", "Wert", "LKZ", "StNr.", "Stat"};

double SerialOf(const QDate &date, qint64 hundredths)
{
    return double(QDate(1899, 12, 30).daysTo(date)) + double(hundredths) / 8640000.0;
}

struct BookCloser
{
    void operator()(lxw_workbook *book) const { workbook_close(book); }
};

// The rules as libxlsxwriter writes them; `streaming` writes inline strings.
bool WriteWithXlsxWriter(const QString &fileName, bool streaming)
{
    lxw_workbook_options options = {};
    options.constant_memory = streaming ? LXW_TRUE : LXW_FALSE;
    std::unique_ptr<lxw_workbook, BookCloser> book(
        workbook_new_opt(QFile::encodeName(fileName).constData(), &options));
    if (!book)
        return false;
    lxw_worksheet *sheet = workbook_add_worksheet(book.get(), "Tivano");
    auto format = [&](const char *code) {
        lxw_format *f = workbook_add_format(book.get());
        format_set_num_format(f, code);
        return f;
    };
    lxw_format *time = format("[hh]:mm:ss.00");
    lxw_format *date = format("dd.mm.yyyy");
    lxw_format *dateTime = format("dd.mm.yyyy hh:mm:ss.00");
    lxw_format *percent = format("0%");
    lxw_format *currency = format("#,##0.00 \"\u20ac\"");
    for (int c = 0; c < Titles.size(); ++c)
        worksheet_write_string(sheet, 0, lxw_col_t(c), Titles[c].toUtf8().constData(), nullptr);
    lxw_row_t row = 1;
    for (const TRule &rule : Rules()) {
        worksheet_write_string(sheet, row, 0, rule.Name, nullptr);
        if (rule.Makers & mkXlsxWriter) {
            const QByteArray text = (rule.XlsxText.isEmpty() ? rule.Text : rule.XlsxText).toUtf8();
            switch (rule.Kind) {
            case TValue::vText:
                if (!text.isEmpty())
                    worksheet_write_string(sheet, row, 1, text.constData(), nullptr);
                break;
            case TValue::vNumber: worksheet_write_number(sheet, row, 1, rule.Number, nullptr); break;
            case TValue::vPercent: worksheet_write_number(sheet, row, 1, rule.Number, percent); break;
            case TValue::vCurrency: worksheet_write_number(sheet, row, 1, rule.Number, currency); break;
            case TValue::vBoolean: worksheet_write_boolean(sheet, row, 1, int(rule.Number), nullptr); break;
            case TValue::vTime:
                worksheet_write_number(sheet, row, 1, double(rule.Hundredths) / 8640000.0, time);
                break;
            case TValue::vDate:
                worksheet_write_number(sheet, row, 1, SerialOf(rule.Date, rule.Hundredths),
                                       rule.Hundredths ? dateTime : date);
                break;
            case TValue::vFormulaNumber:
                worksheet_write_formula_num(sheet, row, 1, "=1+2", nullptr, rule.Number);
                break;
            case TValue::vFormulaText:
                worksheet_write_formula_str(sheet, row, 1, "=\"a\"&\"b\"", nullptr, text.constData());
                break;
            case TValue::vFormulaTime:
                worksheet_write_formula_num(sheet, row, 1, "=TIME(0,25,13)", time,
                                            double(rule.Hundredths) / 8640000.0);
                break;
            case TValue::vFormulaError:
                break;
            }
        }
        ++row;
    }
    return workbook_close(book.release()) == LXW_NO_ERROR;
}

QByteArray Escaped(const QString &text)
{
    return text.toHtmlEscaped().toUtf8();
}

// A text as LibreOffice Calc stores it in a cell: one paragraph a line, a run of blanks
// as one blank and <text:s/>, a tab as <text:tab/>.
QByteArray OdsParagraphs(const QString &text)
{
    QByteArray out;
    for (const QString &line : text.split(u'\n')) {
        out += "<text:p>";
        for (qsizetype i = 0; i < line.size(); ++i) {
            if (line[i] == u'\t')
                out += "<text:tab/>";
            else if (line[i] == u' ' && (i == 0 || line[i - 1] == u' '))
                out += "<text:s/>";
            else
                out += Escaped(QString(line[i]));
        }
        out += "</text:p>";
    }
    return out;
}

QByteArray Duration(qint64 hundredths)
{
    return QStringLiteral("PT%1H%2M%3.%4S")
        .arg(hundredths / 360000, 2, 10, QLatin1Char('0'))
        .arg(hundredths / 6000 % 60, 2, 10, QLatin1Char('0'))
        .arg(hundredths / 100 % 60, 2, 10, QLatin1Char('0'))
        .arg(hundredths % 100, 2, 10, QLatin1Char('0'))
        .toLatin1();
}

// The data styles Calc needs to keep the number formats when it converts the file.
const QByteArray OdsStyles =
    "<number:time-style style:name=\"Ntime\" number:truncate-on-overflow=\"false\">"
    "<number:hours number:style=\"long\"/><number:text>:</number:text>"
    "<number:minutes number:style=\"long\"/><number:text>:</number:text>"
    "<number:seconds number:style=\"long\" number:decimal-places=\"2\"/></number:time-style>"
    "<number:date-style style:name=\"Ndate\"><number:day number:style=\"long\"/><number:text>.</number:text>"
    "<number:month number:style=\"long\"/><number:text>.</number:text><number:year number:style=\"long\"/>"
    "</number:date-style>"
    "<number:date-style style:name=\"Ndatetime\"><number:day number:style=\"long\"/><number:text>.</number:text>"
    "<number:month number:style=\"long\"/><number:text>.</number:text><number:year number:style=\"long\"/>"
    "<number:text> </number:text><number:hours number:style=\"long\"/><number:text>:</number:text>"
    "<number:minutes number:style=\"long\"/><number:text>:</number:text>"
    "<number:seconds number:style=\"long\" number:decimal-places=\"2\"/></number:date-style>"
    "<number:percentage-style style:name=\"Npercent\"><number:number number:decimal-places=\"0\" "
    "number:min-integer-digits=\"1\"/><number:text>%</number:text></number:percentage-style>"
    "<number:currency-style style:name=\"Ncurrency\"><number:number number:decimal-places=\"2\" "
    "number:min-integer-digits=\"1\" number:grouping=\"true\"/><number:text> </number:text>"
    "<number:currency-symbol>\xe2\x82\xac</number:currency-symbol></number:currency-style>"
    "<number:boolean-style style:name=\"Nboolean\"><number:boolean/></number:boolean-style>"
    "<style:style style:name=\"ceTime\" style:family=\"table-cell\" style:data-style-name=\"Ntime\"/>"
    "<style:style style:name=\"ceDate\" style:family=\"table-cell\" style:data-style-name=\"Ndate\"/>"
    "<style:style style:name=\"ceDateTime\" style:family=\"table-cell\" style:data-style-name=\"Ndatetime\"/>"
    "<style:style style:name=\"cePercent\" style:family=\"table-cell\" style:data-style-name=\"Npercent\"/>"
    "<style:style style:name=\"ceCurrency\" style:family=\"table-cell\" style:data-style-name=\"Ncurrency\"/>"
    "<style:style style:name=\"ceBoolean\" style:family=\"table-cell\" style:data-style-name=\"Nboolean\"/>";

QByteArray OdsStringCell(const QString &text)
{
    return "<table:table-cell office:value-type=\"string\" calcext:value-type=\"string\">"
           + OdsParagraphs(text) + "</table:table-cell>";
}

QByteArray OdsValueCell(const TRule &rule)
{
    const QByteArray number = QByteArray::number(rule.Number, 'g', 17);
    switch (rule.Kind) {
    case TValue::vText:
        return rule.Text.isEmpty() ? QByteArray("<table:table-cell/>") : OdsStringCell(rule.Text);
    case TValue::vNumber:
        return "<table:table-cell office:value-type=\"float\" office:value=\"" + number
               + "\"><text:p>x</text:p></table:table-cell>";
    case TValue::vPercent:
        return "<table:table-cell table:style-name=\"cePercent\" office:value-type=\"percentage\" "
               "office:value=\"" + number + "\"><text:p>50%</text:p></table:table-cell>";
    case TValue::vCurrency:
        return "<table:table-cell table:style-name=\"ceCurrency\" office:value-type=\"currency\" "
               "office:currency=\"EUR\" office:value=\"" + number + "\"><text:p>x</text:p></table:table-cell>";
    case TValue::vBoolean:
        return QByteArray("<table:table-cell table:style-name=\"ceBoolean\" office:value-type=\"boolean\" "
                          "office:boolean-value=\"")
               + (rule.Number != 0 ? "true" : "false") + "\"><text:p>x</text:p></table:table-cell>";
    case TValue::vTime:
        return "<table:table-cell table:style-name=\"ceTime\" office:value-type=\"time\" office:time-value=\""
               + Duration(rule.Hundredths) + "\"><text:p>x</text:p></table:table-cell>";
    case TValue::vDate: {
        QByteArray value = rule.Date.toString(Qt::ISODate).toLatin1();
        if (rule.Hundredths)
            value += QStringLiteral("T%1:%2:%3.%4")
                         .arg(rule.Hundredths / 360000, 2, 10, QLatin1Char('0'))
                         .arg(rule.Hundredths / 6000 % 60, 2, 10, QLatin1Char('0'))
                         .arg(rule.Hundredths / 100 % 60, 2, 10, QLatin1Char('0'))
                         .arg(rule.Hundredths % 100, 2, 10, QLatin1Char('0'))
                         .toLatin1();
        return QByteArray("<table:table-cell table:style-name=\"") + (rule.Hundredths ? "ceDateTime" : "ceDate")
               + "\" office:value-type=\"date\" office:date-value=\"" + value
               + "\"><text:p>x</text:p></table:table-cell>";
    }
    case TValue::vFormulaNumber:
        return "<table:table-cell table:formula=\"of:=1+2\" office:value-type=\"float\" office:value=\"" + number
               + "\"><text:p>3</text:p></table:table-cell>";
    case TValue::vFormulaText:
        return "<table:table-cell table:formula=\"of:=&quot;a&quot;&amp;&quot;b&quot;\" "
               "office:value-type=\"string\" office:string-value=\"" + Escaped(rule.Text)
               + "\" calcext:value-type=\"string\"><text:p>ab</text:p></table:table-cell>";
    case TValue::vFormulaError:
        return "<table:table-cell table:formula=\"of:=1/0\" office:value-type=\"string\" "
               "office:string-value=\"\" calcext:value-type=\"error\"><text:p>#DIV/0!</text:p></table:table-cell>";
    case TValue::vFormulaTime:
        return "<table:table-cell table:formula=\"of:=TIME(0;25;13)\" table:style-name=\"ceTime\" "
               "office:value-type=\"time\" office:time-value=\"" + Duration(rule.Hundredths)
               + "\"><text:p>x</text:p></table:table-cell>";
    }
    return {};
}

// The rules as an OpenDocument spreadsheet, ending like Calc's files in one row that
// repeats to the sheet's end.
QByteArray RulesAsOds()
{
    QByteArray rows = "<table:table-row>";
    for (const QString &title : Titles)
        rows += OdsStringCell(title);
    rows += "</table:table-row>";
    for (const TRule &rule : Rules()) {
        rows += "<table:table-row>" + OdsStringCell(QString::fromUtf8(rule.Name));
        if (rule.Makers & mkOds)
            rows += OdsValueCell(rule);
        rows += "</table:table-row>";
    }
    rows += "<table:table-row table:number-rows-repeated=\"1048500\">"
            "<table:table-cell table:number-columns-repeated=\"1024\"/></table:table-row>";
    return WorkbookPackages::Ods(WorkbookPackages::OdsContent(rows, OdsStyles));
}

bool WriteFile(const QString &fileName, const QByteArray &bytes)
{
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// `source` converted by LibreOffice Calc into `extension`; empty without an office suite.
QString ConvertWithCalc(const QString &source, const QString &extension, const QString &folder)
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty())
        return QString();
    const QString outFolder = QDir(folder).filePath(extension);
    QDir().mkpath(outFolder);
    QProcess calc;
    calc.setProgram(soffice);
    calc.setArguments({QStringLiteral("-env:UserInstallation=")
                           + QUrl::fromLocalFile(QDir(folder).filePath(QStringLiteral("profile"))).toString(),
                       QStringLiteral("--headless"), QStringLiteral("--convert-to"), extension,
                       QStringLiteral("--outdir"), outFolder, source});
    calc.start();
    if (!calc.waitForFinished(240000) || calc.exitCode() != 0) {
        qWarning("LibreOffice Calc did not convert %s to %s", qPrintable(source), qPrintable(extension));
        return QString();
    }
    const QString converted =
        QDir(outFolder).filePath(QFileInfo(source).completeBaseName() + QLatin1Char('.') + extension);
    return QFileInfo::exists(converted) ? converted : QString();
}

struct TImported
{
    Rows Cells;
    QString Error;
    int Makers = 0;
};

class FakeShell : public TProtocolShell
{
public:
    QStringList Opened;
    bool AnswerAtOnce = true;
    bool Application = true;
    std::function<void(bool)> PendingAnswer;
    QString FailureReason; // reported for every opened workbook when set

    void OpenDocument(const QString &fileName) override { Opened.append(fileName); }
    bool ChoosePrinter(QPrinter &, QWidget *) override { return false; }
    void FindApplication(const QString &mimeType, std::function<void(bool)> answer) override
    {
        QCOMPARE(mimeType, QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"));
        if (AnswerAtOnce)
            answer(Application);
        else
            PendingAnswer = answer;
    }
    void OpenDocumentOrReport(const QString &fileName,
                              std::function<void(const QString &)> failed) override
    {
        Opened.append(fileName);
        if (!FailureReason.isEmpty())
            failed(FailureReason);
    }
};

class FakeOpenDialog : public TProtocolFileDialogs
{
public:
    QString Answer;
    int ChosenIndex = 1;
    QList<TProtocolFileType> OfferedTypes;

    bool GetOpenFileName(QWidget *, const QString &, const QList<TProtocolFileType> &types,
                         int &filterIndex, QString &fileName) override
    {
        OfferedTypes = types;
        filterIndex = ChosenIndex;
        fileName = Answer;
        return true;
    }
    bool GetSaveFileName(QWidget *, const QString &, const QList<TProtocolFileType> &, int &,
                         QString &) override
    {
        return false;
    }
};

// Points the freedesktop.org tools at a folder of the test's own; restores on destruction.
class XdgEnvironment
{
public:
    static bool ToolsInstalled()
    {
        return !QStandardPaths::findExecutable(QStringLiteral("xdg-mime")).isEmpty()
               && !QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty();
    }

    XdgEnvironment()
    {
        const QString root = FRoot.path();
        for (const char *name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_DATA_DIRS", "XDG_CONFIG_DIRS",
                                 "XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION",
                                 "GNOME_DESKTOP_SESSION_ID", "DISPLAY", "BROWSER"})
            FSaved.append({name, qgetenv(name), qEnvironmentVariableIsSet(name)});
        for (const char *name : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION",
                                 "GNOME_DESKTOP_SESSION_ID", "BROWSER"})
            qunsetenv(name);
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(root + QStringLiteral("/config")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(root + QStringLiteral("/data")));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(root + QStringLiteral("/config")));
        // The system's MIME database stays readable: xdg-open asks it for a file's type.
        qputenv("XDG_DATA_DIRS", QFile::encodeName(root + QStringLiteral("/data")) + ":/usr/share");
        qputenv("DISPLAY", ":99"); // xdg-open asks desktop entries only for a display
        QDir().mkpath(root + QStringLiteral("/config"));
        QDir().mkpath(root + QStringLiteral("/data/applications"));
    }

    QString FilePath(const QString &name) const { return FRoot.filePath(name); }

    // Makes a desktop entry with the command line `exec` the default for `mimeType`.
    bool Associate(const QByteArray &mimeType, const QByteArray &exec) const
    {
        return WriteFile(FilePath(QStringLiteral("data/applications/tivano-opener.desktop")),
                         "[Desktop Entry]\nType=Application\nName=Opener\nExec=" + exec + "\nMimeType="
                             + mimeType + ";\n")
               && WriteFile(FilePath(QStringLiteral("config/mimeapps.list")),
                            "[Default Applications]\n" + mimeType + "=tivano-opener.desktop\n");
    }
    ~XdgEnvironment()
    {
        for (const auto &[name, value, set] : FSaved) {
            if (set)
                qputenv(name, value);
            else
                qunsetenv(name);
        }
    }

private:
    struct Saved
    {
        const char *Name;
        QByteArray Value;
        bool Set;
    };
    QTemporaryDir FRoot;
    QList<Saved> FSaved;
};

} // namespace

class TestWorkbookImport : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir FDir;
    QMap<QString, TImported> FImported;

    void Import(const QString &variant, const QString &fileName, int makers)
    {
        TImported imported;
        imported.Makers = makers;
        if (!TSpreadsheetBridge::ReadWorkbook(fileName, ProtocolColumns::Count, imported.Cells, &imported.Error)
            && imported.Error.isEmpty())
            imported.Error = QStringLiteral("failed without a reason");
        FImported.insert(variant, imported);
    }

    QString Path(const QString &name) const { return FDir.filePath(name); }

    static QByteArray InlineRow(int row, const QStringList &cells)
    {
        QByteArray out = "<row r=\"" + QByteArray::number(row) + "\">";
        for (int c = 0; c < cells.size(); ++c)
            out += QByteArray("<c r=\"") + char('A' + c) + QByteArray::number(row)
                   + "\" t=\"inlineStr\"><is><t>" + Escaped(cells[c]) + "</t></is></c>";
        return out + "</row>";
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(FDir.isValid());
        QVERIFY(WriteWithXlsxWriter(Path(QStringLiteral("shared.xlsx")), false));
        QVERIFY(WriteWithXlsxWriter(Path(QStringLiteral("inline.xlsx")), true));
        const QString ods = Path(QStringLiteral("rules.ods"));
        QVERIFY(WriteFile(ods, RulesAsOds()));
        Import(QStringLiteral("xlsx, gemeinsame Texte"), Path(QStringLiteral("shared.xlsx")), mkXlsxWriter);
        Import(QStringLiteral("xlsx, Inline-Texte"), Path(QStringLiteral("inline.xlsx")), mkXlsxWriter);
        Import(QStringLiteral("ods"), ods, mkOds);
        // Made by LibreOffice Calc from rules.ods and kept, so that no office suite is needed.
        Import(QStringLiteral("xlsx von LibreOffice"),
               QStringLiteral(TIVANO_WORKBOOK_FIXTURES "/libreoffice-rules.xlsx"), mkLibreOffice);
        Import(QStringLiteral("ods von LibreOffice"),
               QStringLiteral(TIVANO_WORKBOOK_FIXTURES "/libreoffice-rules.ods"), mkLibreOffice);
        // Where Calc is installed, the same conversion once more, now. With
        // TIVANO_UPDATE_WORKBOOK_FIXTURES set it replaces the kept files (after the rules change).
        for (const QString &extension : {QStringLiteral("xlsx"), QStringLiteral("ods")}) {
            const QString converted = ConvertWithCalc(ods, extension, FDir.path());
            if (converted.isEmpty())
                continue;
            Import(extension + QStringLiteral(" von LibreOffice, jetzt umgewandelt"), converted, mkLibreOffice);
            if (qEnvironmentVariableIsSet("TIVANO_UPDATE_WORKBOOK_FIXTURES")) {
                const QString kept = QStringLiteral(TIVANO_WORKBOOK_FIXTURES "/libreoffice-rules.") + extension;
                QFile::remove(kept);
                QVERIFY(QFile::copy(converted, kept));
            }
        }
    }

    void everyCellFollowsItsRule_data()
    {
        QTest::addColumn<QString>("variant");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("expected");
        for (auto it = FImported.cbegin(); it != FImported.cend(); ++it) {
            QTest::addRow("%s: Titel", qPrintable(it.key())) << it.key() << 0 << QStringLiteral("Wert");
            for (int i = 0; i < Rules().size(); ++i) {
                const TRule &rule = Rules()[i];
                if (rule.Makers & it->Makers)
                    QTest::addRow("%s: %s", qPrintable(it.key()), rule.Name) << it.key() << i + 1 << rule.Expected;
            }
        }
    }

    void everyCellFollowsItsRule()
    {
        QFETCH(QString, variant);
        QFETCH(int, row);
        QFETCH(QString, expected);
        const TImported &imported = FImported[variant];
        QVERIFY2(imported.Error.isEmpty(), qPrintable(imported.Error));
        // Every rule's row arrives: column A always holds the rule's name.
        QCOMPARE(imported.Cells.size(), Rules().size() + 1);
        QCOMPARE(imported.Cells[row].size(), ProtocolColumns::Count);
        QCOMPARE(imported.Cells[row][0], row == 0 ? Titles[0] : QString::fromUtf8(Rules()[row - 1].Name));
        QCOMPARE(imported.Cells[row][1], expected);
    }

    void unconvertibleCellNamesIt_data()
    {
        using namespace WorkbookPackages;
        QTest::addColumn<QByteArray>("workbook");
        QTest::addColumn<QString>("cell");
        const QByteArray titles = InlineRow(1, Titles);
        const QByteArray a2 = "<c r=\"A2\" t=\"inlineStr\"><is><t>00001</t></is></c>";
        auto xlsxRow = [&](const QByteArray &cells) { return titles + "<row r=\"2\">" + a2 + cells + "</row>"; };
        QTest::newRow("xlsx: Zahl ist keine") << Xlsx(xlsxRow("<c r=\"B2\"><v>abc</v></c>")) << "B2";
        QTest::newRow("xlsx: gemeinsamer Text fehlt")
            << Xlsx(xlsxRow("<c r=\"C2\" t=\"s\"><v>7</v></c>"), "<si><t>x</t></si>") << "C2";
        QTest::newRow("xlsx: Datum au\u00dferhalb")
            << Xlsx(xlsxRow("<c r=\"D2\" s=\"1\"><v>1e12</v></c>"), {},
                    "<cellXfs count=\"2\"><xf numFmtId=\"0\"/><xf numFmtId=\"14\"/></cellXfs>")
            << "D2";
        QTest::newRow("xlsx: Zelltyp unbekannt") << Xlsx(xlsxRow("<c r=\"E2\" t=\"q\"><v>1</v></c>")) << "E2";
        QTest::newRow("xlsx: Wahrheitswert 2") << Xlsx(xlsxRow("<c r=\"B2\" t=\"b\"><v>2</v></c>")) << "B2";
        QTest::newRow("xlsx: Zahl ist unendlich") << Xlsx(xlsxRow("<c r=\"B2\"><v>inf</v></c>")) << "B2";

        const QByteArray odsTitles = "<table:table-row>" + OdsStringCell(QStringLiteral("Nr.")) + "</table:table-row>";
        auto odsRow = [&](const QByteArray &cell) {
            return Ods(OdsContent(odsTitles + "<table:table-row>" + OdsStringCell(QStringLiteral("00001"))
                                  + cell + "</table:table-row>"));
        };
        QTest::newRow("ods: Dauer")
            << odsRow("<table:table-cell office:value-type=\"time\" office:time-value=\"PT12X\"/>") << "B2";
        QTest::newRow("ods: Jahre in einer Dauer")
            << odsRow("<table:table-cell office:value-type=\"time\" office:time-value=\"P1Y\"/>") << "B2";
        QTest::newRow("ods: Datum")
            << odsRow("<table:table-cell office:value-type=\"date\" office:date-value=\"2025-13-45\"/>") << "B2";
        QTest::newRow("ods: Zahl")
            << odsRow("<table:table-cell office:value-type=\"float\" office:value=\"abc\"/>") << "B2";
        QTest::newRow("ods: Werttyp") << odsRow("<table:table-cell office:value-type=\"fancy\"/>") << "B2";
        QTest::newRow("ods: Wahrheitswert")
            << odsRow("<table:table-cell/><table:table-cell office:value-type=\"boolean\" "
                      "office:boolean-value=\"vielleicht\"/>")
            << "C2";
    }

    void unconvertibleCellNamesIt()
    {
        QFETCH(QByteArray, workbook);
        QFETCH(QString, cell);
        const QString name = Path(QStringLiteral("bad-cell"));
        QVERIFY(WriteFile(name, workbook));
        Rows rows{{"keep"}};
        QString error;
        QVERIFY(!TSpreadsheetBridge::ReadWorkbook(name, ProtocolColumns::Count, rows, &error));
        QVERIFY2(error.startsWith(QStringLiteral("Zelle ") + cell + QStringLiteral(": ")), qPrintable(error));
        QVERIFY(rows.isEmpty());
    }

    void workbookStructures_data()
    {
        using namespace WorkbookPackages;
        QTest::addColumn<QByteArray>("workbook");
        QTest::addColumn<Rows>("expected");
        const QStringList titles = Titles;
        auto row = [](const QStringList &cells) {
            QStringList out = cells;
            while (out.size() < ProtocolColumns::Count)
                out.append(QString());
            return out;
        };

        QTest::newRow("xlsx: Zellen ohne Adresse")
            << Xlsx("<row><c t=\"inlineStr\"><is><t>Nr.</t></is></c><c t=\"inlineStr\"><is><t>Zeit</t></is></c></row>"
                    "<row><c><v>1</v></c><c t=\"inlineStr\"><is><t>a</t></is></c><c><v>2.5</v></c></row>")
            << Rows{row({"Nr.", "Zeit"}), row({"1", "a", "2,5"})};
        QTest::newRow("xlsx: Rich Text und Lautschrift")
            << Xlsx(InlineRow(1, titles) + "<row r=\"2\"><c r=\"A2\" t=\"s\"><v>0</v></c></row>",
                    "<si><r><rPr><b/></rPr><t>fett</t></r><r><t xml:space=\"preserve\"> normal</t></r>"
                    "<rPh sb=\"0\" eb=\"1\"><t>x</t></rPh></si>")
            << Rows{titles, row({"fett normal"})};
        QTest::newRow("xlsx: Datumssystem 1904")
            << Xlsx(InlineRow(1, titles) + "<row r=\"2\"><c r=\"A2\" s=\"1\"><v>0</v></c><c r=\"B2\" s=\"1\"><v>1.5</v></c></row>",
                    {}, "<cellXfs count=\"2\"><xf numFmtId=\"0\"/><xf numFmtId=\"22\"/></cellXfs>",
                    "<workbookPr date1904=\"1\"/>")
            << Rows{titles, row({"01.01.1904", "02.01.1904 12:00:00"})};
        QTest::newRow("xlsx: Datum als ISO-Text und Fehler")
            << Xlsx(InlineRow(1, titles)
                    + "<row r=\"2\"><c r=\"A2\" t=\"d\"><v>2025-05-07T09:05:30.45</v></c><c r=\"B2\" t=\"e\"><v>#N/A</v></c></row>")
            << Rows{titles, row({"07.05.2025 09:05:30,45", "#FEHLER"})};
        QTest::newRow("xlsx: eigene Formate")
            << Xlsx(InlineRow(1, titles)
                        + "<row r=\"2\"><c r=\"A2\" s=\"1\"><v>0.5</v></c><c r=\"B2\" s=\"2\"><v>0.0000578703703703704</v></c>"
                          "<c r=\"C2\" s=\"3\"><v>4.5</v></c><c r=\"D2\" s=\"4\"><v>1.5</v></c></row>",
                    {},
                    "<numFmts count=\"4\"><numFmt numFmtId=\"164\" formatCode=\"[Red]0.00\"/>"
                    "<numFmt numFmtId=\"165\" formatCode=\"[mm]:ss.00\"/><numFmt numFmtId=\"166\" formatCode=\"&quot;Tag &quot;0\"/>"
                    "<numFmt numFmtId=\"167\" formatCode=\"[$-407]dd/mm/yyyy\\ hh:mm\"/></numFmts>"
                    "<cellXfs count=\"5\"><xf numFmtId=\"0\"/><xf numFmtId=\"164\"/><xf numFmtId=\"165\"/>"
                    "<xf numFmtId=\"166\"/><xf numFmtId=\"167\"/></cellXfs>")
            << Rows{titles, row({"0,5", "00:00:05", "4,5", "31.12.1899 12:00:00"})};
        QTest::newRow("xlsx: Escapes")
            << Xlsx(InlineRow(1, titles) + InlineRow(2, {"a_x000D_b", "_x005F_x0041_", "_x00e4_", "_x41_"}))
            << Rows{titles, row({"a\rb", "_x0041_", QStringLiteral("\u00e4"), "_x41_"})};
        QTest::newRow("xlsx: L\u00fccke beendet die Tabelle")
            << Xlsx(InlineRow(1, titles) + InlineRow(2, {"1"}) + InlineRow(4, {"3"}))
            << Rows{titles, row({"1"})};
        QTest::newRow("xlsx: Spalten nach E und A1 leer")
            << Xlsx("<row r=\"1\"><c r=\"B1\" t=\"inlineStr\"><is><t>Zeit</t></is></c>"
                    "<c r=\"F1\" t=\"q\"><v>x</v></c></row>" + InlineRow(2, {"1"}))
            << Rows{row({"", "Zeit"})};
        QTest::newRow("xlsx: leere Tabelle") << Xlsx({}) << Rows{row({})};

        const QByteArray odsTitles = "<table:table-row>" + OdsStringCell(QStringLiteral("Nr.")) + "</table:table-row>";
        QTest::newRow("ods: wiederholte Zellen und Zeilen")
            << Ods(OdsContent(odsTitles
                              + "<table:table-row table:number-rows-repeated=\"2\"><table:table-cell "
                                "table:number-columns-repeated=\"3\" office:value-type=\"float\" office:value=\"4\"/>"
                                "<table:covered-table-cell/><table:table-cell office:value-type=\"string\">"
                                "<text:p>e</text:p></table:table-cell></table:table-row>"
                                "<table:table-row table:number-rows-repeated=\"1048000\"><table:table-cell "
                                "table:number-columns-repeated=\"16384\"/></table:table-row>"))
            << Rows{row({"Nr."}), row({"4", "4", "4", "", "e"}), row({"4", "4", "4", "", "e"})};
        QTest::newRow("ods: Kopfzeilen und Zeilengruppen")
            << Ods(OdsContent("<table:table-column table:number-columns-repeated=\"5\"/><table:table-header-rows>"
                              + odsTitles + "</table:table-header-rows><table:table-row-group><table:table-rows>"
                              "<table:table-row>" + OdsStringCell(QStringLiteral("1"))
                              + "</table:table-row></table:table-rows></table:table-row-group>"))
            << Rows{row({"Nr."}), row({"1"})};
        QTest::newRow("ods: Absatzinhalt")
            << Ods(OdsContent(odsTitles
                              + "<table:table-row><table:table-cell office:value-type=\"string\">"
                                "<office:annotation><text:p>Notiz</text:p></office:annotation>"
                                "<text:p>a<text:s text:c=\"3\"/>b<text:span text:style-name=\"T1\">fett</text:span>"
                                "<text:line-break/><text:a xlink:href=\"x\" xmlns:xlink=\"http://www.w3.org/1999/xlink\">"
                                "Link</text:a><![CDATA[<&>]]>&#x20AC;&amp;</text:p><text:h>Kopf</text:h>"
                                "</table:table-cell></table:table-row>"))
            << Rows{row({"Nr."}), row({QStringLiteral("a   bfett\nLink<&>\u20ac&\nKopf")})};
        QTest::newRow("ods: Text ohne Werttyp und negative Dauer")
            << Ods(OdsContent(odsTitles
                              + "<table:table-row><table:table-cell><text:p>frei</text:p></table:table-cell>"
                                "<table:table-cell office:value-type=\"time\" office:time-value=\"-PT1H30M\"/>"
                                "<table:table-cell office:value-type=\"time\" office:time-value=\"P1DT2H0.999S\"/>"
                                "<table:table-cell office:value-type=\"date\" office:date-value=\"2025-05-07T24:00:00\"/>"
                                "</table:table-row>"))
            << Rows{row({"Nr."}), row({"frei", "-01:30:00", "26:00:01", "08.05.2025"})};
        QTest::newRow("ods: ohne Medientyp")
            << Zip({{QStringLiteral("content.xml"), OdsContent(odsTitles)}}) << Rows{row({"Nr."})};
        QTest::newRow("ods: A1 leer")
            << Ods(OdsContent("<table:table-row><table:table-cell/>" + OdsStringCell(QStringLiteral("Zeit"))
                              + "</table:table-row>" + odsTitles))
            << Rows{row({"", "Zeit"})};
    }

    void workbookStructures()
    {
        QFETCH(QByteArray, workbook);
        QFETCH(Rows, expected);
        QVERIFY(!workbook.isEmpty());
        const QString name = Path(QStringLiteral("structure"));
        QVERIFY(WriteFile(name, workbook));
        Rows rows;
        QString error;
        QVERIFY2(TSpreadsheetBridge::ReadWorkbook(name, ProtocolColumns::Count, rows, &error), qPrintable(error));
        QCOMPARE(rows, expected);
    }

    void roundTripOf10000Rows()
    {
        TMemoryProtocolTable table;
        table.setRowCount(10001);
        for (int c = 0; c < table.ColCount(); ++c)
            table.setCells(c, 0, ProtocolColumns::ColumnTitles().at(c));
        const QStringList oddTexts{QStringLiteral(" f\u00fchrend"), QStringLiteral("zwei  Blanks "),
                                   QStringLiteral("Zeile\r\nneu"), QStringLiteral("_x0041_"),
                                   QStringLiteral("=1+2"), QStringLiteral("a\tb\x01"), QStringLiteral("<&>"),
                                   QStringLiteral("\uFFFE"), QStringLiteral("DNF"), QString()};
        for (int r = 1; r <= 10000; ++r) {
            table.setCells(0, r, QStringLiteral("%1").arg(r, 5, 10, QLatin1Char('0')));
            table.setCells(1, r, QStringLiteral("%1:%2.%3,%4").arg(r / 3600).arg(r / 60 % 60)
                                     .arg(r % 60, 2, 10, QLatin1Char('0')).arg(r % 100, 2, 10, QLatin1Char('0')));
            table.setCells(2, r, r % 3 ? QStringLiteral("GER") : QStringLiteral("\u00d6ST"));
            table.setCells(3, r, QString::number(r * 7));
            table.setCells(4, r, oddTexts[r % oddTexts.size()]);
        }
        const QString name = Path(QStringLiteral("round.xlsx"));
        QString error;
        QVERIFY2(TSpreadsheetBridge::ExportToSpreadsheet(table, name, QStringLiteral("Tivano"), &error),
                 qPrintable(error));
        Rows rows;
        QVERIFY2(TSpreadsheetBridge::ReadWorkbook(name, ProtocolColumns::Count, rows, &error), qPrintable(error));
        const Rows expected = table.Rows();
        QCOMPARE(rows.size(), expected.size());
        for (int r = 0; r < rows.size(); ++r)
            QCOMPARE(rows[r], expected[r]);
    }

    // ---- through the protocol panel

    void importThroughTheOpenDialog_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<int>("typeIndex");
        QTest::addColumn<QStringList>("row");
        QTest::newRow("xlsx, nur Inline-Texte") << QStringLiteral("inline.xlsx") << 2
                                                 << QStringList{"Blanks", "  zwei  Blanks  ", "", "", ""};
        QTest::newRow("ods") << QStringLiteral("rules.ods") << 3
                             << QStringList{"Blanks", "  zwei  Blanks  ", "", "", ""};
    }

    void importThroughTheOpenDialog()
    {
        QFETCH(QString, fileName);
        QFETCH(int, typeIndex);
        QFETCH(QStringList, row);
        FakeShell shell;
        FakeOpenDialog dialogs;
        TProtocolPanel panel;
        panel.setShell(&shell);
        panel.setFileDialogs(&dialogs);
        panel.setAutosaveFolder(FDir.path());
        QStringList errors;
        panel.ShowError = [&](const QString &message) { errors.append(message); };
        panel.InitProtocolTable();
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        dialogs.Answer = Path(fileName);
        dialogs.ChosenIndex = typeIndex;
        QTest::mouseClick(panel.sbLoad, Qt::LeftButton);

        QStringList patterns;
        for (const TProtocolFileType &type : dialogs.OfferedTypes)
            patterns.append(type.Pattern);
        QCOMPARE(patterns, (QStringList{"*.txt", "*.xlsx", "*.ods"}));
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join(u'\n')));
        QCOMPARE(panel.SortGrid1->RowCount(), Rules().size() + 1);
        QCOMPARE(panel.ResultCount(), Rules().size());
        for (int c = 0; c < row.size(); ++c)
            QCOMPARE(panel.SortGrid1->Cells(c, 1), row[c]);
        QCOMPARE(panel.SortGrid1->Cells(1, 20), QStringLiteral("00:25:13,45"));
    }

    void unconvertibleCellKeepsTheProtocol()
    {
        FakeShell shell;
        FakeOpenDialog dialogs;
        TProtocolPanel panel;
        panel.setShell(&shell);
        panel.setFileDialogs(&dialogs);
        panel.setAutosaveFolder(FDir.path());
        QStringList errors;
        panel.ShowError = [&](const QString &message) { errors.append(message); };
        panel.InitProtocolTable();
        panel.TakeNextStartNumber = [] { return QStringLiteral("7"); };
        for (int i = 1; i <= 3; ++i) {
            panel.setResultCount(i);
            panel.AddResultRow(QStringLiteral("9:05.1%1,00").arg(i), QStringLiteral("GER"));
        }
        const QStringList before{"00003", "9:05.13,00", "GER", "7", ""};
        const QString name = Path(QStringLiteral("bad-time.ods"));
        QVERIFY(WriteFile(name, WorkbookPackages::Ods(WorkbookPackages::OdsContent(
                                    "<table:table-row>" + OdsStringCell(QStringLiteral("Nr.")) + "</table:table-row>"
                                    "<table:table-row>" + OdsStringCell(QStringLiteral("1"))
                                    + "<table:table-cell office:value-type=\"time\" office:time-value=\"soon\"/>"
                                      "</table:table-row>"))));
        dialogs.Answer = name;
        dialogs.ChosenIndex = 3;
        panel.sbLoadClick();
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors[0].contains(name) && errors[0].contains(QStringLiteral("Zelle B2")), qPrintable(errors[0]));
        QCOMPARE(panel.SortGrid1->RowCount(), 4);
        QCOMPARE(panel.ResultCount(), 3);
        for (int c = 0; c < before.size(); ++c)
            QCOMPARE(panel.SortGrid1->Cells(c, 3), before[c]);
    }

    void spreadsheetCommandNeedsAnApplication_data()
    {
        QTest::addColumn<bool>("atOnce");
        QTest::addColumn<bool>("application");
        QTest::newRow("an application") << true << true;
        QTest::newRow("none") << true << false;
        QTest::newRow("an application, answered later") << false << true;
        QTest::newRow("none, answered later") << false << false;
    }

    void spreadsheetCommandNeedsAnApplication()
    {
        QFETCH(bool, atOnce);
        QFETCH(bool, application);
        FakeShell shell;
        shell.AnswerAtOnce = atOnce;
        shell.Application = application;
        TProtocolPanel panel;
        panel.setShell(&shell);
        panel.InitProtocolTable();
        panel.TakeNextStartNumber = [] { return QString(); };
        for (int i = 1; i <= 2; ++i) {
            panel.setResultCount(i);
            panel.AddResultRow(QStringLiteral("1"), QString());
        }
        QVERIFY(panel.sbHTML->isEnabled());
        if (!atOnce) {
            QVERIFY(!panel.sbExcel->isEnabled()); // not offered before the desktop answered
            QVERIFY(shell.PendingAnswer);
            shell.PendingAnswer(application);
        }
        QCOMPARE(panel.sbExcel->isEnabled(), application);
        panel.EnableExportCommands(false);
        QCOMPARE(panel.sbExcel->isEnabled(), application);
        // The workbook types stay in the dialogs: the program reads and writes them itself.
        QCOMPARE(panel.FileFilters().OpenTypes.size(), 3);
        QCOMPARE(panel.FileFilters().SaveTypes.at(1).Pattern, QStringLiteral("*.xlsx"));
    }

    void failedOpeningSaysWhereTheWorkbookIs()
    {
        FakeShell shell;
        shell.FailureReason = QStringLiteral("xdg-open endete mit Code 3");
        TProtocolPanel panel;
        panel.setShell(&shell);
        panel.setWorkbookFolder(Path(QStringLiteral("books")));
        QStringList errors;
        panel.ShowError = [&](const QString &message) { errors.append(message); };
        panel.InitProtocolTable();
        panel.TakeNextStartNumber = [] { return QString(); };
        for (int i = 1; i <= 2; ++i) {
            panel.setResultCount(i);
            panel.AddResultRow(QStringLiteral("1"), QString());
        }
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QTest::mouseClick(panel.sbExcel, Qt::LeftButton);
        QCOMPARE(shell.Opened.size(), 1);
        QVERIFY(QFileInfo(shell.Opened[0]).isFile());
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors[0].contains(shell.Opened[0]) && errors[0].contains(shell.FailureReason),
                 qPrintable(errors[0]));
    }

    // ---- the desktop's shell, with desktop entries of the test's own

    void desktopShellFindsTheApplication_data()
    {
        QTest::addColumn<QString>("mimeType");
        QTest::addColumn<bool>("found");
        QTest::newRow("associated") << QStringLiteral("application/x-tivano-test") << true;
        QTest::newRow("not associated") << QStringLiteral("application/x-tivano-none") << false;
    }

    void desktopShellFindsTheApplication()
    {
        QFETCH(QString, mimeType);
        QFETCH(bool, found);
        if (!XdgEnvironment::ToolsInstalled())
            QSKIP("xdg-utils are not installed");
        XdgEnvironment environment;
        QVERIFY(environment.Associate("application/x-tivano-test", "true %f"));
        TDesktopShell shell;
        std::optional<bool> answer;
        shell.FindApplication(mimeType, [&](bool value) { answer = value; });
        QTRY_VERIFY_WITH_TIMEOUT(answer.has_value(), 10000);
        QCOMPARE(*answer, found);
    }

    void desktopShellReportsAFailedOpening_data()
    {
        QTest::addColumn<QByteArray>("opener");
        QTest::addColumn<bool>("fails");
        QTest::newRow("opened") << QByteArray("touch \"$1.opened\"") << false;
        QTest::newRow("the application fails") << QByteArray("exit 1") << true;
    }

    void desktopShellReportsAFailedOpening()
    {
        QFETCH(QByteArray, opener);
        QFETCH(bool, fails);
        if (!XdgEnvironment::ToolsInstalled())
            QSKIP("xdg-utils are not installed");
        XdgEnvironment environment;
        const QString script = environment.FilePath(QStringLiteral("opener.sh"));
        QVERIFY(WriteFile(script, "#!/bin/sh\n" + opener + "\n"));
        QVERIFY(QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QVERIFY(environment.Associate("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet",
                                      QFile::encodeName(script) + " %f"));
        const QString book = environment.FilePath(QStringLiteral("book.xlsx"));
        QVERIFY(QFile::copy(Path(QStringLiteral("shared.xlsx")), book));
        TDesktopShell shell;
        QString reason;
        bool failed = false;
        shell.OpenDocumentOrReport(book, [&](const QString &why) {
            failed = true;
            reason = why;
        });
        if (fails) {
            QTRY_VERIFY_WITH_TIMEOUT(failed, 20000);
            QVERIFY(!reason.isEmpty());
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(book + QStringLiteral(".opened")), 20000);
            QVERIFY(!failed);
        }
    }
};

QTEST_MAIN(TestWorkbookImport)
#include "tst_workbookimport.moc"
