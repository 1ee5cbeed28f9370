#include "protocol/ProtocolPage.h"

#include "platform/AtomicFileWriter.h"
#include "platform/MakerInfo.h"
#include "platform/TextCodec.h"

namespace {

const QString MakerDescription = QStringLiteral(
    "Korvano Software - Zeitmessung f\u00fcr Laufveranstaltungen, Radrennen und Vereinssport");
const QLatin1String DesignerAddress("webdesign@korvano-software.de");
const QLatin1String MakerSoftwarePage("http://www.korvano-software.de/sport/");

} // namespace

QString ProtocolPage::escape(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (QChar ch : text) {
        switch (ch.unicode()) {
        case '&':
            out += QLatin1String("&amp;");
            break;
        case '<':
            out += QLatin1String("&lt;");
            break;
        case '>':
            out += QLatin1String("&gt;");
            break;
        case '"':
            out += QLatin1String("&quot;");
            break;
        default:
            out += ch;
        }
    }
    return out;
}

QString ProtocolPage::cellText(const QString &text)
{
    QString out = text;
    const qsizetype comma = out.indexOf(QLatin1Char(','));
    if (comma >= 0)
        out[comma] = QLatin1Char('.');
    return out;
}

QString ProtocolPage::buildText(const ProtocolTable &table, const QString &title)
{
    const QString t = escape(title);
    const QLatin1String eol("\r\n");
    QString page;
    page.reserve(2048 + table.rowCount() * table.colCount() * 16);
    auto line = [&](const QString &text) {
        page += text;
        page += eol;
    };

    line(QStringLiteral("<HTML>"));
    line(QStringLiteral("<HEAD>"));
    line(QLatin1String("<!--") + MakerInfo::webAddress() + QLatin1String(" software -->"));
    line(QLatin1String("<TITLE>Zeitenprotokoll ") + t + QLatin1String("</TITLE>"));
    line(QLatin1String("<META name=description content=\"") + escape(MakerDescription)
         + QLatin1String("\">"));
    line(QStringLiteral("<META http-equiv=Content-Type content=\"text/html; charset=iso-8859-1\">"));
    line(QLatin1String("<META name=\"Webdesign\" content=\"") + DesignerAddress + QLatin1String("\">"));
    line(QStringLiteral("</HEAD>"));
    line(QStringLiteral("<STYLE type=text/css>"));
    line(QStringLiteral(" body {font-family: Arial}"));
    line(QStringLiteral(" pre  {padding-left: 36px}"));
    line(QStringLiteral(".kv   {line-height: 4px; width: 28px}"));
    line(QStringLiteral("</STYLE>"));
    line(QStringLiteral("<BODY bgcolor=#FFFFFF text=#000000>"));
    line(QLatin1String("<DIV style=\"FILTER: Blur(direction=225, strength=6); WIDTH:100%\"><H2>&nbsp;") + t
         + QLatin1String("</H2>"));
    line(QStringLiteral("</div>"));
    line(QStringLiteral("<H4>Zeitenprotokoll</H4>"));
    line(QStringLiteral("<table style=\"BORDER-COLLAPSE: collapse\" bgcolor=#FFFFFF "
                        "borderColor=#808080 border=1 cellpadding=4 width=100%>"));
    line(QStringLiteral("<colgroup valign=top> <col align=right> <col align=right> "
                        "<col align=left> <col align=right> <col align=center>  "
                        "<col align=center> </colgroup>"));
    line(QStringLiteral("<thead align=left bgcolor=#91B5FF>"));
    line(QStringLiteral("<tr>"));
    static const char *const headerWidths[] = {"5%", "10%", "10%", "5%", "5%"};
    for (int c = 0; c < 5; ++c) {
        line(QLatin1String("<th width=") + QLatin1String(headerWidths[c]) + QLatin1Char('>')
             + escape(table.cells(c, 0)));
    }
    line(QStringLiteral("<th width=60%>"));
    line(QStringLiteral("</tr></thead>"));
    const int rows = table.rowCount();
    const int cols = table.colCount();
    for (int r = 1; r < rows; ++r) {
        page += QLatin1String("<tr>");
        for (int c = 0; c < cols; ++c) {
            page += QLatin1String("<td>");
            page += escape(cellText(table.cells(c, r)));
        }
        page += QLatin1String("</tr>");
        page += eol;
    }
    line(QStringLiteral("</table>"));
    line(QLatin1String("<P align=right><a href=\"") + MakerSoftwarePage + QLatin1String("\" title=\"") + t
         + QLatin1String("\"><FONT color=#FF0000>Kor</FONT><FONT color=#009900>va</FONT>"
                         "<FONT color=#999999>no</FONT><FONT color=#666600>&nbsp; Sport Software "
                         "</FONT>&gt;&gt;</A></P></body></html>"));
    return page;
}

QByteArray ProtocolPage::build(const ProtocolTable &table, const QString &title)
{
    return TextCodec::encode(buildText(table, title));
}

bool ProtocolPage::writeProtocolPage(const ProtocolTable &table, const QString &title,
                                     const QString &fileName, QString *error)
{
    AtomicFileWriter writer;
    if (writer.write(fileName, build(table, title)))
        return true;
    if (error)
        *error = writer.errorString();
    return false;
}
