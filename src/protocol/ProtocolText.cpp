#include "ProtocolText.h"

#include "AtomicFileWriter.h"
#include "ProtocolColumns.h"
#include "TextCodec.h"

#include <QFile>

#include <algorithm>

namespace {

// The file's bytes, written through a raw pointer into a buffer that grows in large
// steps: the cost is in the bytes, not in a buffer call per cell.
class ByteWriter
{
public:
    explicit ByteWriter(qsizetype expected) { m_bytes.resize(expected); }

    // A place for `count` more bytes; Advance then tells how many of them were used.
    char *Room(qsizetype count)
    {
        if (m_bytes.size() - m_used < count)
            m_bytes.resize(std::max(m_bytes.size() * 2, m_used + count));
        return m_bytes.data() + m_used;
    }
    void Advance(qsizetype count) { m_used += count; }

    QByteArray Take()
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
bool IsLineOrCellBreak(char16_t u)
{
    return u == '\t' || u == '\r' || u == '\n';
}

void WriteEncodedCell(ByteWriter &out, QStringView cell)
{
    QString clean = cell.toString();
    for (QChar &c : clean) {
        if (IsLineOrCellBreak(c.unicode()))
            c = QLatin1Char(' ');
    }
    const QByteArray encoded = TextCodec::Encode(clean);
    char *dst = out.Room(encoded.size() + 1);
    std::copy(encoded.cbegin(), encoded.cend(), dst);
    dst[encoded.size()] = '\t';
    out.Advance(encoded.size() + 1);
}

// Writes a cell followed by its TAB; an empty cell is written as a single blank.
void WriteCell(ByteWriter &out, QStringView cell)
{
    char *const start = out.Room(cell.size() + 2);
    char *dst = start;
    if (cell.isEmpty())
        *dst++ = ' ';
    // Most cells are plain Latin-1 text, which is the same in Windows-1252.
    for (QChar ch : cell) {
        const char16_t u = ch.unicode();
        if (u > 0xFF || (u >= 0x80 && u <= 0x9F)) {
            WriteEncodedCell(out, cell);
            return;
        }
        *dst++ = IsLineOrCellBreak(u) ? ' ' : char(u);
    }
    *dst++ = '\t';
    out.Advance(dst - start);
}

// Collapses every run of TABs to one TAB.
QString CollapseTabs(QStringView line)
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
void AssignLine(TProtocolTable &table, int row, QStringView line)
{
    table.ClearRow(row);
    if (line.isEmpty())
        return;
    const QChar sep = line.contains(QLatin1Char('\t')) ? QLatin1Char('\t') : QLatin1Char(';');
    const int cols = table.ColCount();
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

QByteArray TProtocolText::Encode(const TProtocolTable &table)
{
    if (table.Cells(0, 1).isEmpty())
        return QByteArray();
    const int rows = table.RowCount();
    const int cols = table.ColCount();
    ByteWriter out(qsizetype(rows) * 36);
    for (int r = 0; r < rows; ++r) {
        const QStringView first = table.CellView(0, r);
        if (first.isEmpty())
            continue;
        for (int c = 0; c < cols; ++c)
            WriteCell(out, c == 0 ? first : table.CellView(c, r));
        char *lineEnd = out.Room(2);
        lineEnd[0] = '\r';
        lineEnd[1] = '\n';
        out.Advance(2);
    }
    return out.Take();
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
    const QStringView all(text);
    const qsizetype size = all.size();
    qsizetype pos = 0;
    int lineNo = 0;
    while (pos < size) {
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
            collapsed = CollapseTabs(line);
            line = collapsed;
        }
        AssignLine(table, lineNo, line);
        ++lineNo;
    }
    // The file replaces the whole table: no row of the table before stays behind. The
    // title row and at least one data row remain, empty when the file has none.
    table.DiscardRowsFrom(lineNo);
    table.setRowCount(std::max(lineNo, 2));
    RepairTitles(table);
}

bool TProtocolText::LoadProtocolText(TProtocolTable &table, const QString &fileName,
                                     QString *error)
{
    QFile file(fileName);
    auto fail = [&] {
        if (error)
            *error = file.errorString();
        return false;
    };
    if (!file.open(QIODevice::ReadOnly))
        return fail();
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return fail();
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
