#pragma once

#include <QString>

class TWorkbookPackage;
class TWorkbookRows;

// Reads the first table of an OpenDocument spreadsheet (.ods) cell by cell: texts with
// their blanks, tabs and line breaks, numbers, percentages and currencies, dates, times
// and durations, booleans, and formula results including errors.
class TOdsWorkbookReader
{
public:
    // True by the package's media type, stored as its "mimetype" part.
    static bool IsSpreadsheet(const TWorkbookPackage &package);

    // False with *error set when the package is damaged or a cell cannot be converted
    // (the error then names the cell).
    static bool ReadFirstSheet(const TWorkbookPackage &package, TWorkbookRows &rows,
                               QString *error);
};
