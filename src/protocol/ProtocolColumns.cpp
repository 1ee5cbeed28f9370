#include "protocol/ProtocolColumns.h"

namespace ProtocolColumns {

const QStringList &columnTitles()
{
    static const QStringList titles
        = {QStringLiteral("Nr."), QStringLiteral("Stoppzeit"), QStringLiteral("LKZ"), QStringLiteral("StNr."),
           QStringLiteral("Stat")};
    return titles;
}

QString applicationTitle()
{
    return QStringLiteral("Tivano");
}

} // namespace ProtocolColumns
