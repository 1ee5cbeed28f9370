#include "ProtocolText.h"

#include "AtomicFileWriter.h"
#include "ProtocolColumns.h"
#include "TextCodec.h"

#include <QFile>

namespace {

// A TAB, CR or LF inside a cell would split the cell or the row when read back.
void AppendCell(QString &out, const QString &cell)
{
    if (cell.isEmpty()) {
        out += QLatin1Char(' ');
        return;
    }
    for (QChar ch : cell) {
        if (ch == QLatin1Char('\t') || ch == QLatin1Char('\r') || ch == QLatin1Char('\n'))
            out += QLatin1Char(' ');
        else
            out += ch;
    }
}

// Collapses every run of TABs to one TAB.
QString CollapseTabs(const QString &line)
{
    if (!line.contains(QLatin1String("\t\t")))
        return line;
    QString out;
    out.reserve(line.size());
    for (QChar ch : line) {
        if (ch == QLatin1Char('\t') && !out.isEmpty() && out.back() == QLatin1Char('\t'))
            continue;
        out += ch;
    }
    return out;
}

// The parts of a line as a string list's text assignment sees them: a separator at the
// very end gives no extra part, an empty line gives none.
QStringList SplitLine(const QString &line)
{
    if (line.isEmpty())
        return {};
    const QChar sep = line.contains(QLatin1Char('\t')) ? QLatin1Char('\t') : QLatin1Char(';');
    QStringList parts = line.split(sep);
    if (parts.size() > 1 && parts.back().isEmpty())
        parts.removeLast();
    else if (parts.size() == 1 && parts.front().isEmpty())
        parts.clear();
    return parts;
}

} // namespace

QByteArray TProtocolText::Encode(const TProtocolTable &table)
{
    if (table.Cells(0, 1).isEmpty())
        return QByteArray();
    const int rows = table.RowCount();
    const int cols = table.ColCount();
    QString text;
    text.reserve(rows * 40);
    for (int r = 0; r < rows; ++r) {
        if (table.Cells(0, r).isEmpty())
            continue;
        for (int c = 0; c < cols; ++c) {
            AppendCell(text, table.Cells(c, r));
            text += QLatin1Char('\t');
        }
        text += QLatin1String("\r\n");
    }
    return TextCodec::Encode(text);
}

bool TProtocolText::SaveProtocolText(const TProtocolTable &table, const QString &fileName,
                                     QString *error)
{
    AtomicFileWriter writer;
    if (writer.Write(fileName, Encode(table)))
        return true;
    if (error)
        *error = writer.ErrorString();
    return false;
}

void TProtocolText::Decode(TProtocolTable &table, QByteArrayView bytes)
{
    const QString text = TextCodec::Decode(bytes);
    const qsizetype size = text.size();
    qsizetype pos = 0;
    int lineNo = 0;
    while (pos < size) {
        qsizetype end = pos;
        while (end < size && text[end] != QLatin1Char('\n') && text[end] != QLatin1Char('\r'))
            ++end;
        const QString line = CollapseTabs(text.mid(pos, end - pos));
        if (end < size && text[end] == QLatin1Char('\r') && end + 1 < size
            && text[end + 1] == QLatin1Char('\n'))
            pos = end + 2;
        else
            pos = end + 1;

        if (table.RowCount() - 1 < lineNo)
            table.setRowCount(lineNo + 1);
        table.AssignRowParts(lineNo, SplitLine(line));
        ++lineNo;
    }
    RepairTitles(table);
}

bool TProtocolText::LoadProtocolText(TProtocolTable &table, const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    file.close();
    table.BeginUpdate();
    Decode(table, bytes);
    table.EndUpdate();
    return true;
}

void TProtocolText::RepairTitles(TProtocolTable &table)
{
    const QStringList &titles = ProtocolColumns::ColumnTitles();
    const int cols = table.ColCount();
    for (int c = 0; c < cols; ++c) {
        const QString cell = table.Cells(c, 0);
        bool blank = true;
        for (QChar ch : cell) {
            if (ch.unicode() > 0x20) {
                blank = false;
                break;
            }
        }
        if (blank && c < titles.size())
            table.setCells(c, 0, titles.at(c));
    }
}
