#pragma once

#include <QString>

class WorkbookPackage;
class WorkbookRows;

// Reads the first table of an OpenDocument spreadsheet (.ods) cell by cell: texts with
// their blanks, tabs and line breaks, numbers, percentages and currencies, dates, times
// and durations, booleans, and formula results including errors.
class OdsWorkbookReader
{
public:
    // True by the package's media type, stored as its "mimetype" part.
    static bool isSpreadsheet(const WorkbookPackage &package);

    // False with *error set when the package is damaged or a cell cannot be converted
    // (the error then names the cell).
    static bool readFirstSheet(const WorkbookPackage &package, WorkbookRows &rows, QString *error);
};
