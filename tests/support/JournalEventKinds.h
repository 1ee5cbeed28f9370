#pragma once

#include "journal/JournalReader.h"

#include <QStringList>

// The kinds of a journal's events, in their order.
inline QStringList kindsOf(const JournalContents &contents)
{
    QStringList kinds;
    for (const JournalEntry &entry : contents.entries)
        kinds << entry.kind;
    return kinds;
}
