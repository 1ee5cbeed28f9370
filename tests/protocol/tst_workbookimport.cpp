// The workbook import keeps every value: one table of rules, each rule one row of a
// workbook written by libxlsxwriter (shared and, as a streaming writer, inline strings),
// by hand as OpenDocument, and by LibreOffice Calc; every imported cell is compared
// with its rule. Then the cells that cannot be converted, the structures workbooks use,
// a round trip of 10,000 rows, and the spreadsheet command with the desktop's shell.
#include "ProtocolFakes.h"
#include "TestMainServing.h"
#include "WorkbookPackages.h"
#include "grid/SortGrid.h"
#include "protocol/DesktopShell.h"
#include "protocol/MemoryProtocolTable.h"
#include "protocol/ProtocolAutosaver.h"
#include "protocol/ProtocolColumns.h"
#include "protocol/ProtocolFileCommands.h"
#include "protocol/ProtocolPanel.h"
#include "protocol/SpreadsheetBridge.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QUrl>

#include <memory>
#include <xlsxwriter.h>

using Rows = QList<QStringList>;

namespace {

enum class Value {
    vText,
    vNumber,
    vPercent,
    vCurrency,
    vBoolean,
    vTime,
    vDate,
    vFormulaNumber,
    vFormulaText,
    vFormulaError,
    vFormulaTime
};

// Who can store a rule's value: libxlsxwriter, the hand-made OpenDocument file, and
// LibreOffice Calc, which reads the latter and writes both formats.
enum Makers { mkXlsxWriter = 1, mkOds = 2, mkLibreOffice = 4, mkAll = 7 };

struct Rule
{
    const char *name;
    Value kind;
    QString expected;
    QString text = {}; // a text, or a formula's text result
    double number = 0; // a number, or a boolean as 0 and 1
    qint64 hundredths = 0; // a time, or the time of day of a date
    QDate date = {};
    int makers = mkAll;
    QString xlsxText = {}; // the text as .xlsx stores it, where that differs
};

const QDate Day(2025, 5, 7);

// Row 1 holds the titles; rule i is row i + 2: its name in column A, its value in B.
const QList<Rule> &rules()
{
    static const QList<Rule> rules{
        {"Blanks", Value::vText, "  zwei  Blanks  ", "  zwei  Blanks  "},
        {"Zeilenumbruch", Value::vText, "Zeile 1\nZeile 2", "Zeile 1\nZeile 2"},
        // LibreOffice Calc drops a tab in a cell when it reads one.
        {"Tabulator", Value::vText, "a\tb", "a\tb", 0, 0, {}, mkXlsxWriter | mkOds},
        // XML cannot carry control characters; .xlsx escapes them as _x0001_.
        {"Steuerzeichen",
         Value::vText,
         "a\x01"
         "b\x1f",
         "a\x01"
         "b\x1f",
         0,
         0,
         {},
         mkXlsxWriter},
        {"Escape-Muster als Text",
         Value::vText,
         "_x0041_ bleibt",
         "_x0041_ bleibt",
         0,
         0,
         {},
         mkAll,
         "_x005F_x0041_ bleibt"},
        {"Zeichen", Value::vText, QStringLiteral("Gr\u00fc\u00dfe, \u20ac <&> \"'"),
         QStringLiteral("Gr\u00fc\u00dfe, \u20ac <&> \"'")},
        {"Zahlentext", Value::vText, "00042", "00042"},
        {"Leer", Value::vText, "", ""},
        {"Zahl", Value::vNumber, "1234,5", {}, 1234.5},
        {"Ganze Zahl", Value::vNumber, "7", {}, 7},
        {"Bruch", Value::vNumber, "0,125", {}, 0.125},
        {"Negativ", Value::vNumber, "-3,75", {}, -3.75},
        {"Gro\u00dfe ganze Zahl", Value::vNumber, "100000000000000000000", {}, 1e20},
        {"Ohne Tausenderpunkt", Value::vNumber, "1234567", {}, 1234567},
        {"Gleitkommarest", Value::vNumber, "0,3", {}, 0.1 + 0.2},
        {"Prozent", Value::vPercent, "0,5", {}, 0.5},
        {"W\u00e4hrung", Value::vCurrency, "12,5", {}, 12.5},
        {"Wahr", Value::vBoolean, "True", {}, 1},
        {"Falsch", Value::vBoolean, "False", {}, 0},
        {"Zeit mit Hundertsteln", Value::vTime, "00:25:13,45", {}, 0, 151345},
        {"Zeit ohne Hundertstel", Value::vTime, "09:05:00", {}, 0, 3270000},
        {"Dauer 25 h", Value::vTime, "25:13:07", {}, 0, 9078700},
        {"Dauer 36 h", Value::vTime, "36:00:00,50", {}, 0, 12960050},
        {"Datum", Value::vDate, "07.05.2025", {}, 0, 0, Day},
        {"Datum mit Zeit", Value::vDate, "07.05.2025 09:05:30,45", {}, 0, 3273045, Day},
        {"Datum mit Sekunden", Value::vDate, "31.12.2024 23:59:59", {}, 0, 8639900, QDate(2024, 12, 31)},
        {"Formel Zahl", Value::vFormulaNumber, "3", {}, 3},
        {"Formel Text", Value::vFormulaText, "ab", "ab"},
        // libxlsxwriter stores an error result as text.
        {"Formel Fehler", Value::vFormulaError, "#FEHLER", {}, 0, 0, {}, mkOds | mkLibreOffice},
        {"Formel Zeit", Value::vFormulaTime, "00:25:13", {}, 0, 151300},
    };
    return rules;
}

const QStringList Titles{"Nr.", "Wert", "LKZ", "StNr.", "Stat"};

double serialOf(const QDate &date, qint64 hundredths)
{
    return double(QDate(1899, 12, 30).daysTo(date)) + double(hundredths) / 8640000.0;
}

struct BookCloser
{
    void operator()(lxw_workbook *book) const { workbook_close(book); }
};

// The rules as libxlsxwriter writes them; `streaming` writes inline strings.
bool writeWithXlsxWriter(const QString &fileName, bool streaming)
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
    for (const Rule &rule : rules()) {
        worksheet_write_string(sheet, row, 0, rule.name, nullptr);
        if (rule.makers & mkXlsxWriter) {
            const QByteArray text = (rule.xlsxText.isEmpty() ? rule.text : rule.xlsxText).toUtf8();
            switch (rule.kind) {
            case Value::vText:
                if (!text.isEmpty())
                    worksheet_write_string(sheet, row, 1, text.constData(), nullptr);
                break;
            case Value::vNumber:
                worksheet_write_number(sheet, row, 1, rule.number, nullptr);
                break;
            case Value::vPercent:
                worksheet_write_number(sheet, row, 1, rule.number, percent);
                break;
            case Value::vCurrency:
                worksheet_write_number(sheet, row, 1, rule.number, currency);
                break;
            case Value::vBoolean:
                worksheet_write_boolean(sheet, row, 1, int(rule.number), nullptr);
                break;
            case Value::vTime:
                worksheet_write_number(sheet, row, 1, double(rule.hundredths) / 8640000.0, time);
                break;
            case Value::vDate:
                worksheet_write_number(sheet, row, 1, serialOf(rule.date, rule.hundredths),
                                       rule.hundredths ? dateTime : date);
                break;
            case Value::vFormulaNumber:
                worksheet_write_formula_num(sheet, row, 1, "=1+2", nullptr, rule.number);
                break;
            case Value::vFormulaText:
                worksheet_write_formula_str(sheet, row, 1, "=\"a\"&\"b\"", nullptr, text.constData());
                break;
            case Value::vFormulaTime:
                worksheet_write_formula_num(sheet, row, 1, "=TIME(0,25,13)", time,
                                            double(rule.hundredths) / 8640000.0);
                break;
            case Value::vFormulaError:
                break;
            }
        }
        ++row;
    }
    return workbook_close(book.release()) == LXW_NO_ERROR;
}

QByteArray escaped(const QString &text)
{
    return text.toHtmlEscaped().toUtf8();
}

// A text as LibreOffice Calc stores it in a cell: one paragraph a line, a run of blanks
// as one blank and <text:s/>, a tab as <text:tab/>.
QByteArray odsParagraphs(const QString &text)
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
                out += escaped(QString(line[i]));
        }
        out += "</text:p>";
    }
    return out;
}

QByteArray duration(qint64 hundredths)
{
    return QStringLiteral("PT%1H%2M%3.%4S")
        .arg(hundredths / 360000, 2, 10, QLatin1Char('0'))
        .arg(hundredths / 6000 % 60, 2, 10, QLatin1Char('0'))
        .arg(hundredths / 100 % 60, 2, 10, QLatin1Char('0'))
        .arg(hundredths % 100, 2, 10, QLatin1Char('0'))
        .toLatin1();
}

// The data styles Calc needs to keep the number formats when it converts the file.
const QByteArray OdsStyles
    = "<number:time-style style:name=\"Ntime\" number:truncate-on-overflow=\"false\">"
      "<number:hours number:style=\"long\"/><number:text>:</number:text>"
      "<number:minutes number:style=\"long\"/><number:text>:</number:text>"
      "<number:seconds number:style=\"long\" number:decimal-places=\"2\"/></number:time-style>"
      "<number:date-style style:name=\"Ndate\"><number:day "
      "number:style=\"long\"/><number:text>.</number:text>"
      "<number:month number:style=\"long\"/><number:text>.</number:text><number:year number:style=\"long\"/>"
      "</number:date-style>"
      "<number:date-style style:name=\"Ndatetime\"><number:day "
      "number:style=\"long\"/><number:text>.</number:text>"
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
      "<style:style style:name=\"ceDateTime\" style:family=\"table-cell\" "
      "style:data-style-name=\"Ndatetime\"/>"
      "<style:style style:name=\"cePercent\" style:family=\"table-cell\" style:data-style-name=\"Npercent\"/>"
      "<style:style style:name=\"ceCurrency\" style:family=\"table-cell\" "
      "style:data-style-name=\"Ncurrency\"/>"
      "<style:style style:name=\"ceBoolean\" style:family=\"table-cell\" "
      "style:data-style-name=\"Nboolean\"/>";

QByteArray odsStringCell(const QString &text)
{
    return "<table:table-cell office:value-type=\"string\" calcext:value-type=\"string\">"
        + odsParagraphs(text) + "</table:table-cell>";
}

QByteArray odsValueCell(const Rule &rule)
{
    const QByteArray number = QByteArray::number(rule.number, 'g', 17);
    switch (rule.kind) {
    case Value::vText:
        return rule.text.isEmpty() ? QByteArray("<table:table-cell/>") : odsStringCell(rule.text);
    case Value::vNumber:
        return "<table:table-cell office:value-type=\"float\" office:value=\"" + number
            + "\"><text:p>x</text:p></table:table-cell>";
    case Value::vPercent:
        return "<table:table-cell table:style-name=\"cePercent\" office:value-type=\"percentage\" "
               "office:value=\""
            + number + "\"><text:p>50%</text:p></table:table-cell>";
    case Value::vCurrency:
        return "<table:table-cell table:style-name=\"ceCurrency\" office:value-type=\"currency\" "
               "office:currency=\"EUR\" office:value=\""
            + number + "\"><text:p>x</text:p></table:table-cell>";
    case Value::vBoolean:
        return QByteArray("<table:table-cell table:style-name=\"ceBoolean\" office:value-type=\"boolean\" "
                          "office:boolean-value=\"")
            + (rule.number != 0 ? "true" : "false") + "\"><text:p>x</text:p></table:table-cell>";
    case Value::vTime:
        return "<table:table-cell table:style-name=\"ceTime\" office:value-type=\"time\" office:time-value=\""
            + duration(rule.hundredths) + "\"><text:p>x</text:p></table:table-cell>";
    case Value::vDate: {
        QByteArray value = rule.date.toString(Qt::ISODate).toLatin1();
        if (rule.hundredths)
            value += QStringLiteral("T%1:%2:%3.%4")
                         .arg(rule.hundredths / 360000, 2, 10, QLatin1Char('0'))
                         .arg(rule.hundredths / 6000 % 60, 2, 10, QLatin1Char('0'))
                         .arg(rule.hundredths / 100 % 60, 2, 10, QLatin1Char('0'))
                         .arg(rule.hundredths % 100, 2, 10, QLatin1Char('0'))
                         .toLatin1();
        return QByteArray("<table:table-cell table:style-name=\"")
            + (rule.hundredths ? "ceDateTime" : "ceDate")
            + "\" office:value-type=\"date\" office:date-value=\"" + value
            + "\"><text:p>x</text:p></table:table-cell>";
    }
    case Value::vFormulaNumber:
        return "<table:table-cell table:formula=\"of:=1+2\" office:value-type=\"float\" office:value=\""
            + number + "\"><text:p>3</text:p></table:table-cell>";
    case Value::vFormulaText:
        return "<table:table-cell table:formula=\"of:=&quot;a&quot;&amp;&quot;b&quot;\" "
               "office:value-type=\"string\" office:string-value=\""
            + escaped(rule.text) + "\" calcext:value-type=\"string\"><text:p>ab</text:p></table:table-cell>";
    case Value::vFormulaError:
        return "<table:table-cell table:formula=\"of:=1/0\" office:value-type=\"string\" "
               "office:string-value=\"\" "
               "calcext:value-type=\"error\"><text:p>#DIV/0!</text:p></table:table-cell>";
    case Value::vFormulaTime:
        return "<table:table-cell table:formula=\"of:=TIME(0;25;13)\" table:style-name=\"ceTime\" "
               "office:value-type=\"time\" office:time-value=\""
            + duration(rule.hundredths) + "\"><text:p>x</text:p></table:table-cell>";
    }
    return {};
}

// The rules as an OpenDocument spreadsheet, ending like Calc's files in one row that
// repeats to the sheet's end.
QByteArray rulesAsOds()
{
    QByteArray rows = "<table:table-row>";
    for (const QString &title : Titles)
        rows += odsStringCell(title);
    rows += "</table:table-row>";
    for (const Rule &rule : rules()) {
        rows += "<table:table-row>" + odsStringCell(QString::fromUtf8(rule.name));
        if (rule.makers & mkOds)
            rows += odsValueCell(rule);
        rows += "</table:table-row>";
    }
    rows += "<table:table-row table:number-rows-repeated=\"1048500\">"
            "<table:table-cell table:number-columns-repeated=\"1024\"/></table:table-row>";
    return WorkbookPackages::ods(WorkbookPackages::odsContent(rows, OdsStyles));
}

bool writeFile(const QString &fileName, const QByteArray &bytes)
{
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// `source` converted by LibreOffice Calc into `extension`; empty without an office suite.
QString convertWithCalc(const QString &source, const QString &extension, const QString &folder)
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
    const QString converted
        = QDir(outFolder).filePath(QFileInfo(source).completeBaseName() + QLatin1Char('.') + extension);
    return QFileInfo::exists(converted) ? converted : QString();
}

struct Imported
{
    Rows cells;
    QString error;
    int makers = 0;
};

// Points the freedesktop.org tools at a folder of the test's own; restores on destruction.
class XdgEnvironment
{
public:
    static bool toolsInstalled()
    {
        return !QStandardPaths::findExecutable(QStringLiteral("xdg-mime")).isEmpty()
            && !QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty();
    }

    XdgEnvironment()
    {
        const QString root = m_root.path();
        for (const char *name :
             {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_DATA_DIRS", "XDG_CONFIG_DIRS", "XDG_CURRENT_DESKTOP",
              "DESKTOP_SESSION", "KDE_FULL_SESSION", "GNOME_DESKTOP_SESSION_ID", "DISPLAY", "BROWSER"})
            m_saved.append({name, qgetenv(name), qEnvironmentVariableIsSet(name)});
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

    QString filePath(const QString &name) const { return m_root.filePath(name); }

    // Makes a desktop entry with the command line `exec` the default for `mimeType`.
    bool associate(const QByteArray &mimeType, const QByteArray &exec) const
    {
        return writeFile(filePath(QStringLiteral("data/applications/tivano-opener.desktop")),
                         "[Desktop Entry]\nType=Application\nName=Opener\nExec=" + exec
                             + "\nMimeType=" + mimeType + ";\n")
            && writeFile(filePath(QStringLiteral("config/mimeapps.list")),
                         "[Default Applications]\n" + mimeType + "=tivano-opener.desktop\n");
    }
    ~XdgEnvironment()
    {
        for (const auto &[name, value, set] : m_saved) {
            if (set)
                qputenv(name, value);
            else
                qunsetenv(name);
        }
    }

private:
    struct Saved
    {
        const char *name;
        QByteArray value;
        bool set;
    };
    QTemporaryDir m_root;
    QList<Saved> m_saved;
};

// A protocol panel on a fake desktop and fake file dialogs, its error messages collected.
struct PanelOnFakes
{
    FakeShell shell;
    FakeDialogs dialogs;
    ProtocolPanel panel;
    QStringList errors;

    explicit PanelOnFakes(const QString &autosaveFolder)
    {
        panel.files().setShell(&shell);
        panel.files().setFileDialogs(&dialogs);
        panel.autosaver().setFolder(autosaveFolder);
        QObject::connect(&panel, &ProtocolPanel::errorOccurred, &panel,
                         [this](const QString &message) { errors.append(message); });
        panel.initProtocolTable();
    }
};

} // namespace

class TestWorkbookImport : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QMap<QString, Imported> m_imported;

    void import(const QString &variant, const QString &fileName, int makers)
    {
        Imported imported;
        imported.makers = makers;
        if (!SpreadsheetBridge::readWorkbook(fileName, ProtocolColumns::Count, imported.cells,
                                             &imported.error)
            && imported.error.isEmpty())
            imported.error = QStringLiteral("failed without a reason");
        m_imported.insert(variant, imported);
    }

    QString path(const QString &name) const { return m_dir.filePath(name); }

    static QByteArray inlineRow(int row, const QStringList &cells)
    {
        QByteArray out = "<row r=\"" + QByteArray::number(row) + "\">";
        for (int c = 0; c < cells.size(); ++c)
            out += QByteArray("<c r=\"") + char('A' + c) + QByteArray::number(row)
                + "\" t=\"inlineStr\"><is><t>" + escaped(cells[c]) + "</t></is></c>";
        return out + "</row>";
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(writeWithXlsxWriter(path(QStringLiteral("shared.xlsx")), false));
        QVERIFY(writeWithXlsxWriter(path(QStringLiteral("inline.xlsx")), true));
        const QString ods = path(QStringLiteral("rules.ods"));
        QVERIFY(writeFile(ods, rulesAsOds()));
        import(QStringLiteral("xlsx, gemeinsame Texte"), path(QStringLiteral("shared.xlsx")), mkXlsxWriter);
        import(QStringLiteral("xlsx, Inline-Texte"), path(QStringLiteral("inline.xlsx")), mkXlsxWriter);
        import(QStringLiteral("ods"), ods, mkOds);
        // Made by LibreOffice Calc from rules.ods and kept, so that no office suite is needed.
        import(QStringLiteral("xlsx von LibreOffice"),
               QStringLiteral(TIVANO_WORKBOOK_FIXTURES "/libreoffice-rules.xlsx"), mkLibreOffice);
        import(QStringLiteral("ods von LibreOffice"),
               QStringLiteral(TIVANO_WORKBOOK_FIXTURES "/libreoffice-rules.ods"), mkLibreOffice);
        // Where Calc is installed, the same conversion once more, now. With
        // TIVANO_UPDATE_WORKBOOK_FIXTURES set it replaces the kept files (after the rules change).
        for (const QString &extension : {QStringLiteral("xlsx"), QStringLiteral("ods")}) {
            const QString converted = convertWithCalc(ods, extension, m_dir.path());
            if (converted.isEmpty())
                continue;
            import(extension + QStringLiteral(" von LibreOffice, jetzt umgewandelt"), converted,
                   mkLibreOffice);
            if (qEnvironmentVariableIsSet("TIVANO_UPDATE_WORKBOOK_FIXTURES")) {
                const QString kept
                    = QStringLiteral(TIVANO_WORKBOOK_FIXTURES "/libreoffice-rules.") + extension;
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
        for (auto it = m_imported.cbegin(); it != m_imported.cend(); ++it) {
            QTest::addRow("%s: Titel", qPrintable(it.key())) << it.key() << 0 << QStringLiteral("Wert");
            for (int i = 0; i < rules().size(); ++i) {
                const Rule &rule = rules()[i];
                if (rule.makers & it->makers)
                    QTest::addRow("%s: %s", qPrintable(it.key()), rule.name)
                        << it.key() << i + 1 << rule.expected;
            }
        }
    }

    void everyCellFollowsItsRule()
    {
        QFETCH(QString, variant);
        QFETCH(int, row);
        QFETCH(QString, expected);
        const Imported &imported = m_imported[variant];
        QVERIFY2(imported.error.isEmpty(), qPrintable(imported.error));
        // Every rule's row arrives: column A always holds the rule's name.
        QCOMPARE(imported.cells.size(), rules().size() + 1);
        QCOMPARE(imported.cells[row].size(), ProtocolColumns::Count);
        QCOMPARE(imported.cells[row][0], row == 0 ? Titles[0] : QString::fromUtf8(rules()[row - 1].name));
        QCOMPARE(imported.cells[row][1], expected);
    }

    void unconvertibleCellNamesIt_data()
    {
        using namespace WorkbookPackages;
        QTest::addColumn<QByteArray>("workbook");
        QTest::addColumn<QString>("cell");
        const QByteArray titles = inlineRow(1, Titles);
        const QByteArray a2 = "<c r=\"A2\" t=\"inlineStr\"><is><t>00001</t></is></c>";
        auto xlsxRow
            = [&](const QByteArray &cells) { return titles + "<row r=\"2\">" + a2 + cells + "</row>"; };
        QTest::newRow("xlsx: Zahl ist keine") << xlsx(xlsxRow("<c r=\"B2\"><v>abc</v></c>")) << "B2";
        QTest::newRow("xlsx: gemeinsamer Text fehlt")
            << xlsx(xlsxRow("<c r=\"C2\" t=\"s\"><v>7</v></c>"), "<si><t>x</t></si>") << "C2";
        QTest::newRow("xlsx: Datum au\u00dferhalb")
            << xlsx(xlsxRow("<c r=\"D2\" s=\"1\"><v>1e12</v></c>"), {},
                    "<cellXfs count=\"2\"><xf numFmtId=\"0\"/><xf numFmtId=\"14\"/></cellXfs>")
            << "D2";
        QTest::newRow("xlsx: Zelltyp unbekannt") << xlsx(xlsxRow("<c r=\"E2\" t=\"q\"><v>1</v></c>")) << "E2";
        QTest::newRow("xlsx: Wahrheitswert 2") << xlsx(xlsxRow("<c r=\"B2\" t=\"b\"><v>2</v></c>")) << "B2";
        QTest::newRow("xlsx: Zahl ist unendlich") << xlsx(xlsxRow("<c r=\"B2\"><v>inf</v></c>")) << "B2";

        const QByteArray odsTitles
            = "<table:table-row>" + odsStringCell(QStringLiteral("Nr.")) + "</table:table-row>";
        auto odsRow = [&](const QByteArray &cell) {
            return ods(odsContent(odsTitles + "<table:table-row>" + odsStringCell(QStringLiteral("00001"))
                                  + cell + "</table:table-row>"));
        };
        QTest::newRow("ods: Dauer") << odsRow(
            "<table:table-cell office:value-type=\"time\" office:time-value=\"PT12X\"/>")
                                    << "B2";
        QTest::newRow("ods: Jahre in einer Dauer")
            << odsRow("<table:table-cell office:value-type=\"time\" office:time-value=\"P1Y\"/>") << "B2";
        QTest::newRow("ods: Datum") << odsRow(
            "<table:table-cell office:value-type=\"date\" office:date-value=\"2025-13-45\"/>")
                                    << "B2";
        QTest::newRow("ods: Zahl") << odsRow(
            "<table:table-cell office:value-type=\"float\" office:value=\"abc\"/>")
                                   << "B2";
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
        const QString name = path(QStringLiteral("bad-cell"));
        QVERIFY(writeFile(name, workbook));
        Rows rows{{"keep"}};
        QString error;
        QVERIFY(!SpreadsheetBridge::readWorkbook(name, ProtocolColumns::Count, rows, &error));
        QVERIFY2(error.startsWith(QStringLiteral("Zelle ") + cell + QStringLiteral(": ")), qPrintable(error));
        QVERIFY(rows.isEmpty());
    }

    // A workbook that unpacks to far more than the parse may hold, a parse that outlasts
    // its time and a file larger than may be read: the import says why and reads nothing.
    void hostileWorkbookIsEndedByItsLimits_data()
    {
        QTest::addColumn<QByteArray>("workbook");
        QTest::addColumn<int>("timeoutMs");
        QTest::addColumn<qint64>("fileSize");
        QTest::addColumn<QString>("message");
        const qint64 anySize = WorkbookParseLimits().fileSize;
        // 256 MB of blanks in the sheet's data pack into a few hundred kilobytes.
        QTest::newRow("unpacks beyond its memory")
            << WorkbookPackages::xlsx(QByteArray(256 << 20, ' ')) << 60000 << anySize
            << QStringLiteral("Die Arbeitsmappe ist besch\u00e4digt; das Lesen brach ab (");
        // Enough rows that no machine reads them within the one millisecond.
        QByteArray manyRows = inlineRow(1, Titles);
        for (int row = 2; row <= 50000; ++row)
            manyRows += inlineRow(row, {QStringLiteral("0:01,00")});
        QTest::newRow("outlasts its time")
            << WorkbookPackages::xlsx(manyRows) << 1 << anySize
            << QStringLiteral("Das Lesen der Arbeitsmappe dauerte zu lange und wurde abgebrochen.");
        QTest::newRow("larger than may be read")
            << WorkbookPackages::xlsx(inlineRow(1, Titles)) << 60000 << qint64(100)
            << QStringLiteral("Die Datei ist gr\u00f6\u00dfer als die erlaubten 100 Bytes");
    }

    void hostileWorkbookIsEndedByItsLimits()
    {
        QFETCH(QByteArray, workbook);
        QFETCH(int, timeoutMs);
        QFETCH(qint64, fileSize);
        QFETCH(QString, message);
        const QString name = path(QStringLiteral("hostile"));
        QVERIFY(writeFile(name, workbook));
        Rows rows{{"keep"}};
        QString error;
        QVERIFY(!SpreadsheetBridge::readWorkbook(name, ProtocolColumns::Count, rows, &error,
                                                 {timeoutMs, qint64(64) << 20, fileSize}));
        QVERIFY2(error.startsWith(message), qPrintable(error));
        QVERIFY(rows.isEmpty());
    }

    // The zip library's reasons reach the operator in German.
    void damagedPackageSaysWhy_data()
    {
        QTest::addColumn<QByteArray>("workbook");
        QTest::addColumn<QString>("message");
        const QByteArray sheet = inlineRow(1, Titles) + QByteArray(4096, ' ');
        const QByteArray archive = WorkbookPackages::xlsx(sheet);
        // The sheet's checksum, in its local header and in the archive's directory, where
        // the name follows 30 and 46 bytes after the header's start.
        const QByteArray sheetName("xl/worksheets/sheet1.xml");
        QByteArray crc = archive;
        const qsizetype local = crc.indexOf(sheetName) - 30;
        const qsizetype central = crc.indexOf(sheetName, local + 30 + sheetName.size()) - 46;
        QVERIFY(local >= 0 && central > local);
        crc[local + 14] = char(crc[local + 14] ^ 0x5a);
        crc[central + 16] = char(crc[central + 16] ^ 0x5a);
        QTest::newRow("a part fails its checksum") << crc << QStringLiteral("(Pr\u00fcfsummenfehler)");
        QByteArray packed = archive;
        const qsizetype sheetData = packed.indexOf(sheetName) + sheetName.size();
        packed.replace(sheetData, 16, QByteArray(16, '\xff'));
        QTest::newRow("packed data damaged")
            << packed << QStringLiteral("(die gepackten Daten sind besch\u00e4digt)");
        QTest::newRow("cut short") << archive.left(archive.size() - 30)
                                   << QStringLiteral("Die Datei ist kein Zip-Archiv.");
    }

    void damagedPackageSaysWhy()
    {
        QFETCH(QByteArray, workbook);
        QFETCH(QString, message);
        const QString name = path(QStringLiteral("damaged.xlsx"));
        QVERIFY(writeFile(name, workbook));
        Rows rows{{"keep"}};
        QString error;
        QVERIFY(!SpreadsheetBridge::readWorkbook(name, ProtocolColumns::Count, rows, &error));
        QVERIFY2(error.contains(message), qPrintable(error));
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

        QTest::newRow("xlsx: Zellen ohne Adresse") << xlsx(
            "<row><c t=\"inlineStr\"><is><t>Nr.</t></is></c><c t=\"inlineStr\"><is><t>Zeit</t></is></c></row>"
            "<row><c><v>1</v></c><c t=\"inlineStr\"><is><t>a</t></is></c><c><v>2.5</v></c></row>")
                                                   << Rows{row({"Nr.", "Zeit"}), row({"1", "a", "2,5"})};
        QTest::newRow("xlsx: Rich Text und Lautschrift")
            << xlsx(inlineRow(1, titles) + "<row r=\"2\"><c r=\"A2\" t=\"s\"><v>0</v></c></row>",
                    "<si><r><rPr><b/></rPr><t>fett</t></r><r><t xml:space=\"preserve\"> normal</t></r>"
                    "<rPh sb=\"0\" eb=\"1\"><t>x</t></rPh></si>")
            << Rows{titles, row({"fett normal"})};
        QTest::newRow("xlsx: Datumssystem 1904") << xlsx(
            inlineRow(1, titles)
                + "<row r=\"2\"><c r=\"A2\" s=\"1\"><v>0</v></c><c r=\"B2\" s=\"1\"><v>1.5</v></c></row>",
            {}, "<cellXfs count=\"2\"><xf numFmtId=\"0\"/><xf numFmtId=\"22\"/></cellXfs>",
            "<workbookPr date1904=\"1\"/>") << Rows{titles, row({"01.01.1904", "02.01.1904 12:00:00"})};
        QTest::newRow("xlsx: Datum als ISO-Text und Fehler")
            << xlsx(inlineRow(1, titles)
                    + "<row r=\"2\"><c r=\"A2\" t=\"d\"><v>2025-05-07T09:05:30.45</v></c><c r=\"B2\" "
                      "t=\"e\"><v>#N/A</v></c></row>")
            << Rows{titles, row({"07.05.2025 09:05:30,45", "#FEHLER"})};
        QTest::newRow("xlsx: eigene Formate")
            << xlsx(inlineRow(1, titles)
                        + "<row r=\"2\"><c r=\"A2\" s=\"1\"><v>0.5</v></c><c r=\"B2\" "
                          "s=\"2\"><v>0.0000578703703703704</v></c>"
                          "<c r=\"C2\" s=\"3\"><v>4.5</v></c><c r=\"D2\" s=\"4\"><v>1.5</v></c></row>",
                    {},
                    "<numFmts count=\"4\"><numFmt numFmtId=\"164\" formatCode=\"[Red]0.00\"/>"
                    "<numFmt numFmtId=\"165\" formatCode=\"[mm]:ss.00\"/><numFmt numFmtId=\"166\" "
                    "formatCode=\"&quot;Tag &quot;0\"/>"
                    "<numFmt numFmtId=\"167\" formatCode=\"[$-407]dd/mm/yyyy\\ hh:mm\"/></numFmts>"
                    "<cellXfs count=\"5\"><xf numFmtId=\"0\"/><xf numFmtId=\"164\"/><xf numFmtId=\"165\"/>"
                    "<xf numFmtId=\"166\"/><xf numFmtId=\"167\"/></cellXfs>")
            << Rows{titles, row({"0,5", "00:00:05", "4,5", "31.12.1899 12:00:00"})};
        QTest::newRow("xlsx: Escapes")
            << xlsx(inlineRow(1, titles) + inlineRow(2, {"a_x000D_b", "_x005F_x0041_", "_x00e4_", "_x41_"}))
            << Rows{titles, row({"a\rb", "_x0041_", QStringLiteral("\u00e4"), "_x41_"})};
        QTest::newRow("xlsx: L\u00fccke beendet die Tabelle")
            << xlsx(inlineRow(1, titles) + inlineRow(2, {"1"}) + inlineRow(4, {"3"}))
            << Rows{titles, row({"1"})};
        QTest::newRow("xlsx: Spalten nach E und A1 leer")
            << xlsx("<row r=\"1\"><c r=\"B1\" t=\"inlineStr\"><is><t>Zeit</t></is></c>"
                    "<c r=\"F1\" t=\"q\"><v>x</v></c></row>"
                    + inlineRow(2, {"1"}))
            << Rows{row({"", "Zeit"})};
        QTest::newRow("xlsx: leere Tabelle") << xlsx({}) << Rows{row({})};

        const QByteArray odsTitles
            = "<table:table-row>" + odsStringCell(QStringLiteral("Nr.")) + "</table:table-row>";
        QTest::newRow("ods: wiederholte Zellen und Zeilen")
            << ods(odsContent(
                   odsTitles
                   + "<table:table-row table:number-rows-repeated=\"2\"><table:table-cell "
                     "table:number-columns-repeated=\"3\" office:value-type=\"float\" office:value=\"4\"/>"
                     "<table:covered-table-cell/><table:table-cell office:value-type=\"string\">"
                     "<text:p>e</text:p></table:table-cell></table:table-row>"
                     "<table:table-row table:number-rows-repeated=\"1048000\"><table:table-cell "
                     "table:number-columns-repeated=\"16384\"/></table:table-row>"))
            << Rows{row({"Nr."}), row({"4", "4", "4", "", "e"}), row({"4", "4", "4", "", "e"})};
        QTest::newRow("ods: Kopfzeilen und Zeilengruppen") << ods(odsContent(
            "<table:table-column table:number-columns-repeated=\"5\"/><table:table-header-rows>" + odsTitles
            + "</table:table-header-rows><table:table-row-group><table:table-rows>"
              "<table:table-row>"
            + odsStringCell(QStringLiteral("1"))
            + "</table:table-row></table:table-rows></table:table-row-group>"))
                                                           << Rows{row({"Nr."}), row({"1"})};
        QTest::newRow("ods: Absatzinhalt") << ods(odsContent(
            odsTitles
            + "<table:table-row><table:table-cell office:value-type=\"string\">"
              "<office:annotation><text:p>Notiz</text:p></office:annotation>"
              "<text:p>a<text:s text:c=\"3\"/>b<text:span text:style-name=\"T1\">fett</text:span>"
              "<text:line-break/><text:a xlink:href=\"x\" xmlns:xlink=\"http://www.w3.org/1999/xlink\">"
              "Link</text:a><![CDATA[<&>]]>&#x20AC;&amp;</text:p><text:h>Kopf</text:h>"
              "</table:table-cell></table:table-row>"))
                                           << Rows{row({"Nr."}),
                                                   row({QStringLiteral("a   bfett\nLink<&>\u20ac&\nKopf")})};
        QTest::newRow("ods: Text ohne Werttyp und negative Dauer") << ods(odsContent(
            odsTitles
            + "<table:table-row><table:table-cell><text:p>frei</text:p></table:table-cell>"
              "<table:table-cell office:value-type=\"time\" office:time-value=\"-PT1H30M\"/>"
              "<table:table-cell office:value-type=\"time\" office:time-value=\"P1DT2H0.999S\"/>"
              "<table:table-cell office:value-type=\"date\" office:date-value=\"2025-05-07T24:00:00\"/>"
              "</table:table-row>"))
                                                                   << Rows{row({"Nr."}),
                                                                           row({"frei", "-01:30:00",
                                                                                "26:00:01", "08.05.2025"})};
        QTest::newRow("ods: ohne Medientyp")
            << zipPackage({{QStringLiteral("content.xml"), odsContent(odsTitles)}}) << Rows{row({"Nr."})};
        QTest::newRow("ods: A1 leer")
            << ods(odsContent("<table:table-row><table:table-cell/>" + odsStringCell(QStringLiteral("Zeit"))
                              + "</table:table-row>" + odsTitles))
            << Rows{row({"", "Zeit"})};
    }

    void workbookStructures()
    {
        QFETCH(QByteArray, workbook);
        QFETCH(Rows, expected);
        QVERIFY(!workbook.isEmpty());
        const QString name = path(QStringLiteral("structure"));
        QVERIFY(writeFile(name, workbook));
        Rows rows;
        QString error;
        QVERIFY2(SpreadsheetBridge::readWorkbook(name, ProtocolColumns::Count, rows, &error),
                 qPrintable(error));
        QCOMPARE(rows, expected);
    }

    void roundTripOf10000Rows()
    {
        MemoryProtocolTable table;
        table.setRowCount(10001);
        for (int c = 0; c < table.colCount(); ++c)
            table.setCells(c, 0, ProtocolColumns::columnTitles().at(c));
        const QStringList oddTexts{QStringLiteral(" f\u00fchrend"), QStringLiteral("zwei  Blanks "),
                                   QStringLiteral("Zeile\r\nneu"),  QStringLiteral("_x0041_"),
                                   QStringLiteral("=1+2"),          QStringLiteral("a\tb\x01"),
                                   QStringLiteral("<&>"),           QStringLiteral("\uFFFE"),
                                   QStringLiteral("DNF"),           QString()};
        for (int r = 1; r <= 10000; ++r) {
            table.setCells(0, r, QStringLiteral("%1").arg(r, 5, 10, QLatin1Char('0')));
            table.setCells(1, r,
                           QStringLiteral("%1:%2.%3,%4")
                               .arg(r / 3600)
                               .arg(r / 60 % 60)
                               .arg(r % 60, 2, 10, QLatin1Char('0'))
                               .arg(r % 100, 2, 10, QLatin1Char('0')));
            table.setCells(2, r, r % 3 ? QStringLiteral("GER") : QStringLiteral("\u00d6ST"));
            table.setCells(3, r, QString::number(r * 7));
            table.setCells(4, r, oddTexts[r % oddTexts.size()]);
        }
        const QString name = path(QStringLiteral("round.xlsx"));
        QString error;
        QVERIFY2(SpreadsheetBridge::exportToSpreadsheet(table, name, QStringLiteral("Tivano"), &error),
                 qPrintable(error));
        Rows rows;
        QVERIFY2(SpreadsheetBridge::readWorkbook(name, ProtocolColumns::Count, rows, &error),
                 qPrintable(error));
        const Rows expected = table.rows();
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
        QTest::newRow("xlsx, nur Inline-Texte")
            << QStringLiteral("inline.xlsx") << 2 << QStringList{"Blanks", "  zwei  Blanks  ", "", "", ""};
        QTest::newRow("ods") << QStringLiteral("rules.ods") << 3
                             << QStringList{"Blanks", "  zwei  Blanks  ", "", "", ""};
    }

    void importThroughTheOpenDialog()
    {
        QFETCH(QString, fileName);
        QFETCH(int, typeIndex);
        QFETCH(QStringList, row);
        PanelOnFakes faked(m_dir.path());
        ProtocolPanel &panel = faked.panel;
        FakeDialogs &dialogs = faked.dialogs;
        const QStringList &errors = faked.errors;
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        dialogs.answer = path(fileName);
        dialogs.chosenIndex = typeIndex;
        QTest::mouseClick(panel.openButton(), Qt::LeftButton);

        QStringList patterns;
        for (const ProtocolFileType &type : dialogs.offeredTypes)
            patterns.append(type.pattern);
        QCOMPARE(patterns, (QStringList{"*.txt", "*.xlsx", "*.ods"}));
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join(u'\n')));
        QCOMPARE(panel.grid()->rowCount(), rules().size() + 1);
        QCOMPARE(panel.lastResultRow(), rules().size());
        for (int c = 0; c < row.size(); ++c)
            QCOMPARE(panel.grid()->cells(c, 1), row[c]);
        QCOMPARE(panel.grid()->cells(1, 20), QStringLiteral("00:25:13,45"));
    }

    void unconvertibleCellKeepsTheProtocol()
    {
        PanelOnFakes faked(m_dir.path());
        ProtocolPanel &panel = faked.panel;
        FakeDialogs &dialogs = faked.dialogs;
        const QStringList &errors = faked.errors;
        for (int i = 1; i <= 3; ++i) {
            panel.setLastResultRow(i);
            panel.addResultRow(QStringLiteral("9:05.1%1,00").arg(i), QStringLiteral("GER"),
                               QStringLiteral("7"));
        }
        const QStringList before{"00003", "9:05.13,00", "GER", "7", ""};
        const QString name = path(QStringLiteral("bad-time.ods"));
        QVERIFY(writeFile(name,
                          WorkbookPackages::ods(WorkbookPackages::odsContent(
                              "<table:table-row>" + odsStringCell(QStringLiteral("Nr."))
                              + "</table:table-row>"
                                "<table:table-row>"
                              + odsStringCell(QStringLiteral("1"))
                              + "<table:table-cell office:value-type=\"time\" office:time-value=\"soon\"/>"
                                "</table:table-row>"))));
        dialogs.answer = name;
        dialogs.chosenIndex = 3;
        panel.files().openFile();
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors[0].contains(name) && errors[0].contains(QStringLiteral("Zelle B2")),
                 qPrintable(errors[0]));
        QCOMPARE(panel.grid()->rowCount(), 4);
        QCOMPARE(panel.lastResultRow(), 3);
        for (int c = 0; c < before.size(); ++c)
            QCOMPARE(panel.grid()->cells(c, 3), before[c]);
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
        shell.answerAtOnce = atOnce;
        shell.application = application;
        ProtocolPanel panel;
        panel.files().setShell(&shell);
        panel.initProtocolTable();
        for (int i = 1; i <= 2; ++i) {
            panel.setLastResultRow(i);
            panel.addResultRow(QStringLiteral("1"), QString());
        }
        QVERIFY(panel.webPageButton()->isEnabled());
        if (!atOnce) {
            QVERIFY(!panel.spreadsheetButton()->isEnabled()); // not offered before the desktop answered
            QVERIFY(shell.pendingAnswer);
            shell.pendingAnswer(application);
        }
        QCOMPARE(panel.spreadsheetButton()->isEnabled(), application);
        QCOMPARE(shell.askedMimeType,
                 QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"));
        panel.setExportEnabled(true);
        QCOMPARE(panel.spreadsheetButton()->isEnabled(), application);
        // The workbook types stay in the dialogs: the program reads and writes them itself.
        QCOMPARE(panel.files().fileFilters().openTypes.size(), 3);
        QCOMPARE(panel.files().fileFilters().saveTypes.at(1).pattern, QStringLiteral("*.xlsx"));
    }

    void failedOpeningSaysWhereTheWorkbookIs()
    {
        FakeShell shell;
        shell.failureReason = QStringLiteral("xdg-open endete mit Code 3");
        ProtocolPanel panel;
        panel.files().setShell(&shell);
        panel.files().setWorkbookFolder(path(QStringLiteral("books")));
        QStringList errors;
        QObject::connect(&panel, &ProtocolPanel::errorOccurred, &panel,
                         [&](const QString &message) { errors.append(message); });
        panel.initProtocolTable();
        for (int i = 1; i <= 2; ++i) {
            panel.setLastResultRow(i);
            panel.addResultRow(QStringLiteral("1"), QString());
        }
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QTest::mouseClick(panel.spreadsheetButton(), Qt::LeftButton);
        QCOMPARE(shell.opened.size(), 1);
        QVERIFY(QFileInfo(shell.opened[0]).isFile());
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors[0].contains(shell.opened[0]) && errors[0].contains(shell.failureReason),
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
        if (!XdgEnvironment::toolsInstalled())
            QSKIP("xdg-utils are not installed");
        XdgEnvironment environment;
        QVERIFY(environment.associate("application/x-tivano-test", "true %f"));
        DesktopShell shell;
        std::optional<bool> answer;
        shell.findApplication(mimeType, [&](bool value) { answer = value; });
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
        if (!XdgEnvironment::toolsInstalled())
            QSKIP("xdg-utils are not installed");
        XdgEnvironment environment;
        const QString script = environment.filePath(QStringLiteral("opener.sh"));
        QVERIFY(writeFile(script, "#!/bin/sh\n" + opener + "\n"));
        QVERIFY(QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QVERIFY(environment.associate("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet",
                                      QFile::encodeName(script) + " %f"));
        const QString book = environment.filePath(QStringLiteral("book.xlsx"));
        QVERIFY(QFile::copy(path(QStringLiteral("shared.xlsx")), book));
        DesktopShell shell;
        QString reason;
        bool failed = false;
        shell.openDocumentOrReport(book, [&](const QString &why) {
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

TIVANO_TEST_MAIN_SERVING(TestWorkbookImport, SpreadsheetBridge::workbookParseTask())
#include "tst_workbookimport.moc"
