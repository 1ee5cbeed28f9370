#pragma once

#include "grid/SortCompare.h"
#include "grid/SortOptions.h"

#include <QList>
#include <QLocale>
#include <QStringList>
#include <QVarLengthArray>

#include <algorithm>
#include <vector>

// The grid's sort order written out the plain way, one comparison of two key
// texts at a time with every conversion done inside it. The grid converts its
// keys once per sort; its order must match this one exactly, so a converted key
// that lost anything shows up as a different order.

// The mixed text-and-number comparison, collecting the differing parts and
// trimming their common end on copies.
inline int referenceNumericExtended(const QString &a, const QString &b)
{
    const auto isDigit = [](QChar ch) { return ch.unicode() >= '0' && ch.unicode() <= '9'; };
    if (a.isEmpty() || b.isEmpty())
        return -1;
    const qsizetype n = std::min(a.size(), b.size());
    QString ra;
    QString rb;
    for (qsizetype p = 0; p < n; ++p) {
        if (a.at(p) == b.at(p) && !isDigit(a.at(p)))
            continue;
        if (p == n - 1) {
            ra += a.mid(p);
            rb += b.mid(p);
        } else {
            ra += a.at(p);
            rb += b.at(p);
        }
    }
    const QString fa = ra;
    const QString fb = rb;
    for (qsizetype k = 0; k < std::min(fa.size(), fb.size()); ++k) {
        const QChar ca = fa.at(fa.size() - 1 - k);
        if (ca == fb.at(fb.size() - 1 - k) && !isDigit(ca)) {
            ra.chop(1);
            rb.chop(1);
        }
    }
    if (ra == rb)
        return 0;
    int ia = 0;
    int ib = 0;
    if (SortCompare::tryStrToInt(ra, ia) && SortCompare::tryStrToInt(rb, ib))
        return ia < ib ? -1 : 1;
    return SortCompare::compareOrdinal(ra, rb);
}

// The indexes of keys in sorted order under the given style, direction and case
// sensitivity; equal keys keep their order. Uses the default locale.
inline QList<int> referenceOrder(const QStringList &keys, SortStyle style, SortDirection direction,
                                 bool caseSensitive, const SortCompareFunction &custom = {})
{
    const QLocale locale;
    const auto compare = [&](const QString &rawA, const QString &rawB) {
        const QString a = caseSensitive ? rawA : SortCompare::lowerCaseAZ(rawA);
        const QString b = caseSensitive ? rawB : SortCompare::lowerCaseAZ(rawB);
        double va = 0;
        double vb = 0;
        bool converted = false;
        switch (style) {
        case SortStyle::Numeric:
            converted
                = SortCompare::tryStrToFloat(a, locale, va) && SortCompare::tryStrToFloat(b, locale, vb);
            break;
        case SortStyle::DateTime:
            converted = SortCompare::tryStrToDateTime(a, locale, va)
                && SortCompare::tryStrToDateTime(b, locale, vb);
            break;
        case SortStyle::Time:
            converted = SortCompare::parseTime(a, locale, va) && SortCompare::parseTime(b, locale, vb);
            break;
        case SortStyle::NumericExtended:
            if (a.isEmpty() || b.isEmpty())
                return a.isEmpty() == b.isEmpty() ? 0 : (a.isEmpty() ? -1 : 1);
            return referenceNumericExtended(a, b);
        case SortStyle::Custom:
            if (custom) {
                const int result = custom(a, b);
                return (result > 0) - (result < 0);
            }
            break;
        default:
            break;
        }
        if (converted)
            return va < vb ? -1 : (va > vb ? 1 : 0);
        return SortCompare::compareOrdinal(a, b);
    };
    QList<int> order;
    for (int i = 0; i < keys.size(); ++i)
        order << i;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const int result = compare(keys.at(a), keys.at(b));
        if (result == 0)
            return a < b;
        return direction == SortDirection::Descending ? result > 0 : result < 0;
    });
    return order;
}
