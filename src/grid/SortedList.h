#pragma once

#include <QString>

#include <vector>

class TSortOptions;

// One key of the sort: the key text, the working row it came from and the
// options it is compared by.
struct TSortedListEntry
{
    QString Key;
    int Row = 0;
    TSortOptions *Options = nullptr;
    double Value = 0;  // the converted key for the numeric, date and time styles
    bool Valid = false; // whether Value holds a converted key
};

// The entries of one sort pass; emptied at the start of each pass.
class TSortedList
{
public:
    void Clear() { m_entries.clear(); }
    void Add(TSortedListEntry entry) { m_entries.push_back(std::move(entry)); }
    int Count() const { return int(m_entries.size()); }
    const TSortedListEntry &Entry(int index) const { return m_entries[size_t(index)]; }
    std::vector<TSortedListEntry> &Entries() { return m_entries; }
    void Reserve(int count) { m_entries.reserve(size_t(count)); }

private:
    std::vector<TSortedListEntry> m_entries;
};
