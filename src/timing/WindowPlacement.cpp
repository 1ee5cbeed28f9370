#include "timing/WindowPlacement.h"

#include <QtGlobal>

namespace {

// One axis of a rectangle, [begin, end), wide enough for any stored int position
// plus any size.
struct Span
{
    qint64 begin;
    qint64 end;

    qint64 overlap(const Span &other) const
    {
        return qMax<qint64>(0, qMin(end, other.end) - qMax(begin, other.begin));
    }
    qint64 gap(const Span &other) const
    {
        return qMax<qint64>(0, qMax(other.begin - end, begin - other.end));
    }
};

struct Area
{
    Span x;
    Span y;

    Area(QPoint position, QSize size)
        : x{position.x(), qint64(position.x()) + size.width()}
        , y{position.y(), qint64(position.y()) + size.height()}
    { }
    explicit Area(const QRect &r)
        : Area(r.topLeft(), r.size())
    { }
    qint64 overlap(const Area &other) const { return x.overlap(other.x) * y.overlap(other.y); }
    // In floating point: the squares of gaps across the whole int range overflow 64 bits.
    double gapSquared(const Area &other) const
    {
        const double dx = double(x.gap(other.x));
        const double dy = double(y.gap(other.y));
        return dx * dx + dy * dy;
    }
};

const QRect &chooseScreen(const Area &wanted, const QList<QRect> &screens)
{
    const QRect *best = &screens.first();
    for (const QRect &screen : screens) {
        const qint64 overlap = wanted.overlap(Area(screen));
        const qint64 bestOverlap = wanted.overlap(Area(*best));
        const bool nearer = overlap == 0 && bestOverlap == 0
            && wanted.gapSquared(Area(screen)) < wanted.gapSquared(Area(*best));
        if (overlap > bestOverlap || nearer)
            best = &screen;
    }
    return *best;
}

// `start` moved so that at least `visible` of `length` pixels lie in [low, high),
// where length <= high - low.
int clamp(int start, int length, int low, int high, int visible)
{
    const int shown = qMin(visible, length);
    return int(qBound<qint64>(qint64(low) + shown - length, start, qint64(high) - shown));
}

} // namespace

QRect keepOnScreen(QPoint position, QSize size, const QList<QRect> &screens, int visible)
{
    if (screens.isEmpty())
        return QRect(QPoint(0, 0), size);
    const Area wanted(position, size);
    const QRect &screen = chooseScreen(wanted, screens);
    const bool onScreen = wanted.overlap(Area(screen)) > 0;
    size = size.boundedTo(screen.size());
    const int shownWidth = onScreen ? visible : size.width();
    const int shownHeight = onScreen ? visible : size.height();
    const int left
        = clamp(position.x(), size.width(), screen.left(), screen.left() + screen.width(), shownWidth);
    const int top
        = clamp(position.y(), size.height(), screen.top(), screen.top() + screen.height(), shownHeight);
    // The title bar runs along the top edge: that edge stays on the screen.
    return QRect(QPoint(left, qMax(top, screen.top())), size);
}

QRect openingBounds(std::optional<QPoint> stored, QSize size, const QList<QRect> &screens)
{
    const QPoint position = stored ? *stored : screens.isEmpty() ? QPoint() : screens.first().topLeft();
    return keepOnScreen(position, size, screens);
}
