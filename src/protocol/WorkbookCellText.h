#pragma once

#include <QDate>
#include <QString>
#include <QStringView>

#include <optional>

// How a workbook cell's value reads in the protocol. Every reader of workbooks turns its
// cell values into text here and nowhere else, so an .xlsx and an .ods cell holding the
// same value give the same text. A function that answers std::nullopt was handed a value
// it cannot express; the reader then stops with the cell's name.
namespace WorkbookCellText {

// What a cell's number format makes of its number.
enum class NumberKind { Number, Date, Time, DateTime };

// The kind of a number format code such as "[hh]:mm:ss.00" or "dd\.mm\.yyyy"; quoted
// text, escaped characters and bracketed colours or locales do not count.
NumberKind kindOfFormatCode(QStringView code);
// The kind of a built-in number format, which workbooks name only by its identifier.
NumberKind kindOfBuiltinFormat(int id);

// German form with 15 significant digits, decimal comma, no thousands separator and no
// exponent: "1234,5", "7", "0,125", "100000000000000000000".
std::optional<QString> number(double value);
// "True" or "False".
QString boolean(bool value);
// The text of every error value: "#FEHLER".
QString error();

// A duration in hundredths of a second: "HH:mm:ss" with the total hours (at least two
// digits, "25:13:07"), then ",hh" when the hundredths are not zero ("00:25:13,45").
QString duration(qint64 hundredths);
// "dd.MM.yyyy", and when the time of day (hundredths since midnight) is not zero
// " HH:mm:ss" with ",hh" as above. Years 1 to 9999.
std::optional<QString> date(const QDate &date, qint64 hundredthsOfDay);
// A serial number (days since `origin`, the fraction being the time of day) read as its
// number format says: a time or duration, or a date with its time of day.
std::optional<QString> serial(double serial, NumberKind kind, const QDate &origin);

// The ISO 8601 forms OpenDocument stores: a date or date-time ("2025-05-07",
// "2025-05-07T09:05:30.45") and a duration ("PT25H13M07.45S", "-PT1H").
std::optional<QString> isoDate(QStringView value);
std::optional<QString> isoDuration(QStringView value);

// Office Open XML strings carry characters that XML cannot hold as "_xHHHH_";
// "_x005F_" stands for a literal underscore before such a pattern.
QString decodeEscapes(QStringView text);
// The inverse for text written into a workbook: literal "_xHHHH_" patterns and the
// non-characters U+FFFE and U+FFFF are escaped so the text reads back unchanged.
QString encodeEscapes(QStringView text);

} // namespace WorkbookCellText
