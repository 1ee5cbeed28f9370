#include "protocol/ProtocolText.h"

#include "platform/AtomicFileWriter.h"
#include "platform/RegularFile.h"
#include "platform/TextCodec.h"
#include "protocol/ProtocolColumns.h"

#include <QFile>

#include <algorithm>
#include <span>
#include <vector>

namespace {

// The file's bytes, written through a raw pointer into a buffer that grows in large
// steps: the cost is in the bytes, not in a buffer call per cell.
class ByteWriter
{
public:
    explicit ByteWriter(qsizetype expected) { m_bytes.resize(expected); }

    // A place for `count` more bytes; Advance then tells how many of them were used.
    char *room(qsizetype count)
    {
        if (m_bytes.size() - m_used < count)
            m_bytes.resize(std::max(m_bytes.size() * 2, m_used + count));
        return m_bytes.data() + m_used;
    }
    void advance(qsizetype count) { m_used += count; }

    QByteArray take()
    {
        m_bytes.truncate(m_used);
        return std::move(m_bytes);
    }

private:
    QByteArray m_bytes;
    qsizetype m_used = 0;
};

// A TAB, CR or LF inside a cell would split the cell or the row when read back, so each
// becomes a blank.
bool isLineOrCellBreak(char byte)
{
    return byte == '\t' || byte == '\r' || byte == '\n';
}

// Writes a cell followed by its TAB and returns the end; an empty cell is written as a
// single blank. Needs room for cell.size() + 2 bytes: every code unit takes one byte at
// most (a surrogate pair becomes one "?").
char *writeCell(char *dst, QStringView cell)
{
    if (cell.isEmpty()) {
        *dst++ = ' ';
        *dst++ = '\t';
        return dst;
    }
    // Most cells are printable Latin-1 (0x20 to 0x7F, 0xA0 to 0xFF), the same bytes in
    // Windows-1252: they are copied as they are, and only a cell with another character
    // is encoded again.
    const char16_t *units = cell.utf16();
    const qsizetype size = cell.size();
    bool other = false;
    for (qsizetype i = 0; i < size; ++i) {
        const unsigned unit = units[i];
        dst[i] = char(unit);
        other |= unit - 0x20u > 0x5Fu && unit - 0xA0u > 0x5Fu;
    }
    char *end = dst + size;
    if (other) {
        end = TextCodec::encodeTo(cell, dst);
        std::replace_if(dst, end, isLineOrCellBreak, ' ');
    }
    *end++ = '\t';
    return end;
}

// Collapses every run of TABs to one TAB.
QString collapseTabs(QStringView line)
{
    QString out;
    out.reserve(line.size());
    for (QChar ch : line) {
        if (ch == QLatin1Char('\t') && !out.isEmpty() && out.back() == QLatin1Char('\t'))
            continue;
        out += ch;
    }
    return out;
}

// Puts one line into a row as a row view's text assignment does: the row is emptied,
// then each part goes into the next cell (an empty part as a single blank); a separator
// at the very end gives no extra part, an empty line gives none, parts beyond the last
// column are dropped.
void assignLine(ProtocolTable &table, int row, QStringView line)
{
    table.clearRow(row);
    if (line.isEmpty())
        return;
    const QChar sep = line.contains(QLatin1Char('\t')) ? QLatin1Char('\t') : QLatin1Char(';');
    const int cols = table.colCount();
    const QString blank = QStringLiteral(" ");
    qsizetype start = 0;
    for (int col = 0; col < cols; ++col) {
        const qsizetype next = line.indexOf(sep, start);
        const QStringView part = next < 0 ? line.sliced(start) : line.sliced(start, next - start);
        if (next < 0 && part.isEmpty() && col > 0)
            break;
        table.setCells(col, row, part.isEmpty() ? blank : part.toString());
        if (next < 0)
            break;
        start = next + 1;
    }
}

} // namespace

namespace {

// Writes row `row`'s line, read into `cells`; a row whose first cell is empty has none.
void writeLine(ByteWriter &out, const ProtocolTable &table, int row, std::span<QStringView> cells)
{
    table.rowViews(row, cells);
    if (cells.empty() || cells.front().isEmpty())
        return;
    qsizetype longest = 2;
    for (QStringView cell : cells)
        longest += cell.size() + 2;
    char *const start = out.room(longest);
    char *dst = start;
    for (QStringView cell : cells)
        dst = writeCell(dst, cell);
    *dst++ = '\r';
    *dst++ = '\n';
    out.advance(dst - start);
}

} // namespace

QByteArray ProtocolText::encode(const ProtocolTable &table)
{
    if (table.cellView(0, 1).isEmpty())
        return QByteArray();
    const int rows = table.rowCount();
    std::vector<QStringView> cells(size_t(table.colCount()));
    ByteWriter out(qsizetype(rows) * 36);
    for (int r = 0; r < rows; ++r)
        writeLine(out, table, r, cells);
    return out.take();
}

void ProtocolText::appendLine(QByteArray &text, const ProtocolTable &table, int row)
{
    std::vector<QStringView> cells(size_t(table.colCount()));
    ByteWriter out(64);
    writeLine(out, table, row, cells);
    text += out.take();
}

bool ProtocolText::saveProtocolText(const ProtocolTable &table, const QString &fileName, QString *error)
{
    AtomicFileWriter writer;
    if (writer.write(fileName, encode(table)))
        return true;
    if (error)
        *error = writer.errorString();
    return false;
}

bool ProtocolText::decode(ProtocolTable &table, QByteArrayView bytes, TaskProgress *control)
{
    const QString text = TextCodec::decode(bytes);
    const QStringView all(text);
    const qsizetype size = all.size();
    qsizetype pos = 0;
    int lineNo = 0;
    while (pos < size) {
        if (control && lineNo % 4096 == 0) {
            if (control->cancelled)
                return false;
            control->permille = int(pos * 1000 / size);
        }
        qsizetype end = pos;
        while (end < size && all[end] != QLatin1Char('\n') && all[end] != QLatin1Char('\r'))
            ++end;
        QStringView line = all.sliced(pos, end - pos);
        if (end + 1 < size && all[end] == QLatin1Char('\r') && all[end + 1] == QLatin1Char('\n'))
            pos = end + 2;
        else
            pos = end + 1;

        QString collapsed;
        if (line.contains(QLatin1String("\t\t"))) {
            collapsed = collapseTabs(line);
            line = collapsed;
        }
        assignLine(table, lineNo, line);
        ++lineNo;
    }
    // The file replaces the whole table: no row of the table before stays behind. The
    // title row and at least one data row remain, empty when the file has none.
    table.discardRowsFrom(lineNo);
    table.setRowCount(std::max(lineNo, 2));
    repairTitles(table);
    return true;
}

bool ProtocolText::loadProtocolText(ProtocolTable &table, const QString &fileName, QString *error,
                                    TaskProgress *control)
{
    QString why;
    const std::optional<QByteArray> bytes = readRegularFile(fileName, MaxFileSize, &why);
    if (!bytes) {
        if (error)
            *error = why;
        return false;
    }
    table.beginUpdate();
    const bool decoded = decode(table, *bytes, control);
    table.endUpdate();
    return decoded;
}

void ProtocolText::repairTitles(ProtocolTable &table)
{
    const QStringList &titles = ProtocolColumns::columnTitles();
    const int cols = table.colCount();
    for (int c = 0; c < cols; ++c) {
        const QString cell = table.cells(c, 0);
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
