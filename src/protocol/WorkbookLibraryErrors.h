#pragma once

#include <QString>

// The operator reads every reason in German: the texts for the error codes of the zip
// library that unpacks workbooks and of the library that writes them, which speak English.
namespace WorkbookLibraryErrors {

// A libzip error: its ZIP_ER_* code and, for the codes that carry one, the system's errno.
QString zipText(int zipCode, int systemCode);
// A libxlsxwriter error (lxw_error). It writes into the scratch folder, whose failures are
// rare; the copy to the operator's file names its own reason.
QString writerText(int writerCode);

} // namespace WorkbookLibraryErrors
