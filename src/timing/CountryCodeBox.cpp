#include "CountryCodeBox.h"

#include "CountryCodes.h"

TCountryCodeBox::TCountryCodeBox(QWidget *parent)
    : QComboBox(parent)
{
    setObjectName(QStringLiteral("ListLkz"));
    setAccessibleName(QStringLiteral("LKZ:"));
    setEditable(true);
    setMaxVisibleItems(10);
    setInsertPolicy(QComboBox::NoInsert);
}

void TCountryCodeBox::LoadCountryCodes(const QString &path)
{
    const QStringList entries = ::LoadCountryCodes(path);
    if (entries.isEmpty())
        return;
    clear();
    addItems(entries);
    setEditable(false);
    setCurrentIndex(0);
}

QStringList TCountryCodeBox::Entries() const
{
    QStringList entries;
    entries.reserve(count());
    for (int i = 0; i < count(); ++i)
        entries.append(itemText(i));
    return entries;
}
