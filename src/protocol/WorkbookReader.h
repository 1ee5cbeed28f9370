#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Reads the protocol rows out of the bytes of a workbook, .xlsx or .ods by its content.
// Runs in whatever process calls it; the spreadsheet bridge calls it in an isolated one.
class WorkbookReader
{
public:
    // The first `colCount` columns of the first worksheet, down to the first row whose
    // column A is empty; at least the first row. False with *error set when the bytes are
    // no workbook, the workbook is damaged, or a cell of the table cannot be converted (the
    // error then names the cell, "Zelle B7: ...").
    static bool parse(const QByteArray &bytes, int colCount, QList<QStringList> &rows, QString *error);
};
