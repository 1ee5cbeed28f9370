#include "protocol/WorkbookReader.h"

#include "protocol/OdsWorkbookReader.h"
#include "protocol/WorkbookPackage.h"
#include "protocol/WorkbookRows.h"
#include "protocol/XlsxWorkbookReader.h"

namespace {

const QLatin1StringView NotAWorkbook("Die Datei ist keine Arbeitsmappe (.xlsx oder .ods).");

} // namespace

bool WorkbookReader::parse(const QByteArray &bytes, int colCount, QList<QStringList> &rows, QString *error)
{
    rows.clear();
    QString packageError;
    const std::optional<WorkbookPackage> package = WorkbookPackage::open(bytes, &packageError);
    if (!package) {
        if (error)
            *error = NotAWorkbook + u' ' + packageError;
        return false;
    }
    WorkbookRows table(colCount);
    bool ok = false;
    if (OdsWorkbookReader::isSpreadsheet(*package)) {
        ok = OdsWorkbookReader::readFirstSheet(*package, table, error);
    } else if (package->contains(QStringLiteral("[Content_Types].xml"))) {
        ok = XlsxWorkbookReader::readFirstSheet(*package, table, error);
    } else {
        if (error)
            *error = NotAWorkbook;
        return false;
    }
    if (ok)
        rows = table.takeRows();
    return ok;
}
