#include "WorkbookReader.h"

#include "OdsWorkbookReader.h"
#include "WorkbookPackage.h"
#include "WorkbookRows.h"
#include "XlsxWorkbookReader.h"

namespace {

const QLatin1StringView NotAWorkbook("Die Datei ist keine Arbeitsmappe (.xlsx oder .ods).");

} // namespace

bool TWorkbookReader::Parse(const QByteArray &bytes, int colCount, QList<QStringList> &rows,
                            QString *error)
{
    rows.clear();
    QString packageError;
    const std::optional<TWorkbookPackage> package = TWorkbookPackage::Open(bytes, &packageError);
    if (!package) {
        if (error)
            *error = NotAWorkbook + u' ' + packageError;
        return false;
    }
    TWorkbookRows table(colCount);
    bool ok = false;
    if (TOdsWorkbookReader::IsSpreadsheet(*package)) {
        ok = TOdsWorkbookReader::ReadFirstSheet(*package, table, error);
    } else if (package->Contains(QStringLiteral("[Content_Types].xml"))) {
        ok = TXlsxWorkbookReader::ReadFirstSheet(*package, table, error);
    } else {
        if (error)
            *error = NotAWorkbook;
        return false;
    }
    if (ok)
        rows = table.TakeRows();
    return ok;
}
