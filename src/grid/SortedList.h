#pragma once

#include <QString>

#include <vector>

class SortOptions;

// One key of the sort: the key text, the working row it came from and the
// options it is compared by.
struct SortedListEntry
{
    QString key;
    int row = 0;
    SortOptions *options = nullptr;
    double value = 0;  // the converted key for the numeric, date and time styles
    bool valid = false; // whether value holds a converted key
};

// The entries of one sort pass; emptied at the start of each pass.
class SortedList
{
public:
    void clear() { m_entries.clear(); }
    void add(SortedListEntry entry) { m_entries.push_back(std::move(entry)); }
    int count() const { return int(m_entries.size()); }
    const SortedListEntry &entry(int index) const { return m_entries[size_t(index)]; }
    std::vector<SortedListEntry> &entries() { return m_entries; }
    void reserve(int count) { m_entries.reserve(size_t(count)); }

private:
    std::vector<SortedListEntry> m_entries;
};
