#pragma once

#include <QString>

class TWorkbookPackage;
class TWorkbookRows;

// Reads the first worksheet of an Office Open XML workbook (.xlsx) cell by cell:
// shared, inline and formula strings, numbers by their number format, booleans and
// error values.
class TXlsxWorkbookReader
{
public:
    // False with *error set when the package is damaged or a cell cannot be converted
    // (the error then names the cell).
    static bool ReadFirstSheet(const TWorkbookPackage &package, TWorkbookRows &rows,
                               QString *error);
};
