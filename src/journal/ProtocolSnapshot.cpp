#include "journal/ProtocolSnapshot.h"

namespace ProtocolSnapshot {

namespace {

void appendCell(QString &out, QStringView cell)
{
    for (const QChar ch : cell) {
        switch (ch.unicode()) {
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case '\t':
            out += QLatin1String("\\t");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        case '\r':
            out += QLatin1String("\\r");
            break;
        default:
            out += ch;
        }
    }
}

QString unescapeCell(QStringView cell)
{
    if (!cell.contains(QLatin1Char('\\')))
        return cell.toString();
    QString out;
    out.reserve(cell.size());
    for (qsizetype i = 0; i < cell.size(); ++i) {
        QChar ch = cell[i];
        if (ch == QLatin1Char('\\') && i + 1 < cell.size()) {
            switch (cell[++i].unicode()) {
            case 't':
                ch = QLatin1Char('\t');
                break;
            case 'n':
                ch = QLatin1Char('\n');
                break;
            case 'r':
                ch = QLatin1Char('\r');
                break;
            default:
                ch = cell[i];
            }
        }
        out += ch;
    }
    return out;
}

} // namespace

QString encode(const ProtocolTable &table)
{
    QString out;
    const int cols = table.colCount();
    for (int r = 0; r < table.rowCount(); ++r) {
        if (r > 0)
            out += QLatin1Char('\n');
        for (int c = 0; c < cols; ++c) {
            if (c > 0)
                out += QLatin1Char('\t');
            appendCell(out, table.cellView(c, r));
        }
    }
    return out;
}

void apply(QStringView text, ProtocolTable &table)
{
    table.beginUpdate();
    const QList<QStringView> rows = text.split(QLatin1Char('\n'));
    // A protocol keeps its title row and at least one result row.
    const int rowCount = std::max<int>(2, int(rows.size()));
    table.setRowCount(rowCount);
    table.discardRowsFrom(0);
    const int cols = table.colCount();
    for (int r = 0; r < rows.size(); ++r) {
        int c = 0;
        for (const QStringView cell : rows.at(r).split(QLatin1Char('\t'))) {
            if (c >= cols)
                break;
            if (!cell.isEmpty())
                table.setCells(c, r, unescapeCell(cell));
            ++c;
        }
    }
    table.endUpdate();
}

} // namespace ProtocolSnapshot
