#include "grid/GridImages.h"

#include <QString>

// The images live in this static library; register them before the first use.
static void ensureGridResources()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(grid);
        return true;
    }();
    (void)registered;
}

QPixmap gridImage(const char *name)
{
    ensureGridResources();
    return QPixmap(QStringLiteral(":/grid/") + QLatin1String(name));
}
