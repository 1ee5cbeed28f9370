#pragma once

#include <QLocale>
#include <QString>

// The text comparisons and conversions the sortable grid sorts with.
namespace SortCompare {

// The byte of a character in the Windows-1252 code page the protocol is kept in;
// characters outside it give 0x3F ('?').
unsigned char ansiByte(QChar ch);

// Byte-by-byte comparison as unsigned Windows-1252 characters, the shorter text
// first when one is a prefix of the other: -1, 0 or 1.
int compareOrdinal(QStringView a, QStringView b);

// Lower case for the letters A to Z only; every other character is kept.
QString lowerCaseAZ(const QString &text);

// The mixed text-and-number comparison: texts that differ only in equal
// non-digit characters compare by their differing parts, numbers by value.
// Any comparison with an empty text gives -1.
int compareNumericExtended(QStringView a, QStringView b);

// A whole text as a 32-bit integer: optional leading blanks and a sign, digits.
bool tryStrToInt(QStringView text, int &value);

// A floating-point number in the locale's format (its decimal separator, no
// group separators), blanks around it allowed.
bool tryStrToFloat(QStringView text, const QLocale &locale, double &value);

// A time of day: hours, optionally ":" minutes, ":" seconds and a fraction after
// the locale's decimal separator. The value is the fraction of a day.
bool parseTime(QStringView text, const QLocale &locale, double &value);

// A date in the locale's short date order (day.month[.year] in German),
// optionally followed by a time of day, or a time of day alone. The value counts
// days from 30 December 1899 with the time as fraction.
bool tryStrToDateTime(QStringView text, const QLocale &locale, double &value);

} // namespace SortCompare
