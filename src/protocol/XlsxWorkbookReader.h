#pragma once

#include <QString>

class WorkbookPackage;
class WorkbookRows;

// Reads the first worksheet of an Office Open XML workbook (.xlsx) cell by cell:
// shared, inline and formula strings, numbers by their number format, booleans and
// error values.
class XlsxWorkbookReader
{
public:
    // False with *error set when the package is damaged or a cell cannot be converted
    // (the error then names the cell).
    static bool readFirstSheet(const WorkbookPackage &package, WorkbookRows &rows, QString *error);
};
