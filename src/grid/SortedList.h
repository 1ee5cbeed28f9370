#pragma once

#include <QString>

#include <vector>

class QLocale;
class SortOptions;

// The keys of one sort pass. The key texts are kept side by side in one buffer,
// and sort() converts each key once - to lower case, for the numeric, date and
// time styles to its value - so that the comparisons of the sort only compare.
class SortedList
{
public:
    void clear();
    void reserve(int count) { m_keys.reserve(size_t(count)); }
    // Adds the key text of a working row; rows are added in ascending order.
    void add(int row, QStringView text);
    int count() const { return int(m_keys.size()); }
    // Sorts by the options' style, direction, case sensitivity and comparison;
    // keys that compare equal keep their row order in either direction.
    void sort(const SortOptions &options, const QLocale &locale);
    // The working row of the key at a position, in sorted order after sort().
    int row(int index) const { return m_keys[size_t(index)].row; }

private:
    struct Key
    {
        int offset = 0; // of the text in m_texts
        int size = 0;
        int row = 0;
        bool valid = false; // whether value holds the converted key
        double value = 0;
    };

    QString m_texts;
    std::vector<Key> m_keys;
};
