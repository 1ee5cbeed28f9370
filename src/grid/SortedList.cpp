#include "grid/SortedList.h"

#include "grid/SortCompare.h"
#include "grid/SortOptions.h"

#include <algorithm>

void SortedList::clear()
{
    m_texts.clear();
    m_keys.clear();
}

void SortedList::add(int row, QStringView text)
{
    Key key;
    key.offset = int(m_texts.size());
    key.size = int(text.size());
    key.row = row;
    m_texts.append(text);
    m_keys.push_back(key);
}

void SortedList::sort(const SortOptions &options, const QLocale &locale)
{
    if (!options.sortCaseSensitive())
        m_texts = SortCompare::lowerCaseAZ(m_texts);
    const QChar *texts = m_texts.constData();
    const auto text = [texts](const Key &key) { return QStringView(texts + key.offset, key.size); };

    const SortStyle style = options.sortStyle();
    bool (*convert)(QStringView, const QLocale &, double &) = nullptr;
    if (style == SortStyle::Numeric)
        convert = SortCompare::tryStrToFloat;
    else if (style == SortStyle::DateTime)
        convert = SortCompare::tryStrToDateTime;
    else if (style == SortStyle::Time)
        convert = SortCompare::parseTime;
    if (convert)
        for (Key &key : m_keys)
            key.valid = convert(text(key), locale, key.value);

    // Equal keys fall back to the row so that the order is the same whatever the
    // sort algorithm compares.
    const bool descending = options.sortDirection() == SortDirection::Descending;
    const auto sortBy = [this, descending](auto compare) {
        std::stable_sort(m_keys.begin(), m_keys.end(), [&compare, descending](const Key &a, const Key &b) {
            const int result = compare(a, b);
            if (result == 0)
                return a.row < b.row;
            return descending ? result > 0 : result < 0;
        });
    };
    const SortCompareFunction &custom = options.sortCompare();
    if (convert) {
        sortBy([text](const Key &a, const Key &b) {
            if (a.valid && b.valid)
                return a.value < b.value ? -1 : (a.value > b.value ? 1 : 0);
            return SortCompare::compareOrdinal(text(a), text(b));
        });
    } else if (style == SortStyle::NumericExtended) {
        sortBy([text](const Key &a, const Key &b) {
            // Empty keys come first and equal each other so that the order stays total.
            if (a.size == 0 || b.size == 0)
                return int(b.size == 0) - int(a.size == 0);
            return SortCompare::compareNumericExtended(text(a), text(b));
        });
    } else if (style == SortStyle::Custom && custom) {
        const auto string
            = [texts](const Key &key) { return QString::fromRawData(texts + key.offset, key.size); };
        sortBy([&custom, string](const Key &a, const Key &b) {
            const int result = custom(string(a), string(b));
            return (result > 0) - (result < 0);
        });
    } else {
        sortBy([text](const Key &a, const Key &b) { return SortCompare::compareOrdinal(text(a), text(b)); });
    }
}
