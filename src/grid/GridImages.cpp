#include "GridImages.h"

#include <QString>

// The images live in this static library; register them before the first use.
static void EnsureGridResources()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(grid);
        return true;
    }();
    (void)registered;
}

QPixmap GridImage(const char *name)
{
    EnsureGridResources();
    return QPixmap(QStringLiteral(":/grid/") + QLatin1String(name));
}
