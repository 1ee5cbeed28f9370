#include "journal/JournalEntry.h"

QString JournalEntry::field(QLatin1StringView key) const
{
    for (const auto &[name, value] : fields) {
        if (name == key)
            return value;
    }
    return QString();
}

bool JournalEntry::hasField(QLatin1StringView key) const
{
    for (const auto &field : fields) {
        if (field.first == key)
            return true;
    }
    return false;
}

JournalEntry &JournalEntry::add(const QString &key, const QString &value)
{
    fields.append({key, value});
    return *this;
}
