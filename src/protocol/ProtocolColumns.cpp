#include "ProtocolColumns.h"

namespace ProtocolColumns {

const QStringList &ColumnTitles()
{
    static const QStringList titles = {QStringLiteral("Nr."), QStringLiteral("Stoppzeit"),
                                       QStringLiteral("LKZ"), QStringLiteral("StNr."),
                                       QStringLiteral("Stat")};
    return titles;
}

QString ApplicationTitle()
{
    return QStringLiteral("Tivano");
}

} // namespace ProtocolColumns
