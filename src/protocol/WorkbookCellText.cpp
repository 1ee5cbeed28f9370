#include "protocol/WorkbookCellText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace WorkbookCellText {

namespace {

constexpr qint64 HundredthsPerDay = 8640000;
// Serial numbers beyond this many days are past the year 9999 as dates and past any
// duration a race can have; they are not converted.
constexpr double MaxSerialDays = 3.0e6;

bool isElapsedUnit(QStringView bracket)
{
    if (bracket.isEmpty())
        return false;
    const QChar unit = bracket.front().toLower();
    if (unit != u'h' && unit != u'm' && unit != u's')
        return false;
    for (QChar ch : bracket)
        if (ch.toLower() != unit)
            return false;
    return true;
}

// Reads an unsigned decimal of at most `maxDigits` digits at `pos`; false without one.
bool readDigits(QStringView text, qsizetype &pos, int maxDigits, qint64 &value, int *count = nullptr)
{
    value = 0;
    int digits = 0;
    while (pos < text.size() && text[pos].isDigit() && text[pos].unicode() < 128) {
        if (++digits > maxDigits)
            return false;
        value = value * 10 + (text[pos].unicode() - u'0');
        ++pos;
    }
    if (count)
        *count = digits;
    return digits > 0;
}

// A decimal fraction after its separator, rounded to hundredths (0 to 100).
int readHundredths(QStringView text, qsizetype &pos)
{
    int digits[3] = {0, 0, 0};
    int n = 0;
    while (pos < text.size() && text[pos].isDigit() && text[pos].unicode() < 128) {
        if (n < 3)
            digits[n] = text[pos].unicode() - u'0';
        ++n;
        ++pos;
    }
    return digits[0] * 10 + digits[1] + (digits[2] >= 5 ? 1 : 0);
}

bool expect(QStringView text, qsizetype &pos, char16_t ch)
{
    if (pos < text.size() && text[pos] == ch) {
        ++pos;
        return true;
    }
    return false;
}

bool isHex(QChar ch)
{
    const char16_t c = ch.unicode();
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// True when an escape "_xHHHH_" starts at `pos`.
bool escapeAt(QStringView text, qsizetype pos)
{
    return pos + 6 < text.size() && text[pos] == u'_' && text[pos + 1] == u'x' && isHex(text[pos + 2])
        && isHex(text[pos + 3]) && isHex(text[pos + 4]) && isHex(text[pos + 5]) && text[pos + 6] == u'_';
}

} // namespace

NumberKind kindOfFormatCode(QStringView code)
{
    bool date = false;
    bool time = false;
    for (qsizetype i = 0; i < code.size(); ++i) {
        switch (code[i].unicode()) {
        case u'"': {
            const qsizetype end = code.indexOf(u'"', i + 1);
            i = end < 0 ? code.size() : end;
            break;
        }
        case u'[': {
            // Colours, conditions and locales in brackets; [h], [mm] and [ss] are elapsed time.
            const qsizetype end = code.indexOf(u']', i + 1);
            const QStringView bracket = code.mid(i + 1, (end < 0 ? code.size() : end) - i - 1);
            time = time || isElapsedUnit(bracket);
            i = end < 0 ? code.size() : end;
            break;
        }
        case u'\\':
        case u'_':
        case u'*': // escaped, spacing and fill characters
            ++i;
            break;
        case u'd':
        case u'D':
        case u'y':
        case u'Y':
            date = true;
            break;
        case u'h':
        case u'H':
        case u's':
        case u'S':
            time = true;
            break;
        default:
            break;
        }
    }
    if (date && time)
        return NumberKind::DateTime;
    if (date)
        return NumberKind::Date;
    if (time)
        return NumberKind::Time;
    return NumberKind::Number;
}

NumberKind kindOfBuiltinFormat(int id)
{
    if ((id >= 14 && id <= 17) || (id >= 27 && id <= 31) || (id >= 34 && id <= 36) || (id >= 50 && id <= 58))
        return NumberKind::Date;
    if (id == 22)
        return NumberKind::DateTime;
    if ((id >= 18 && id <= 21) || (id >= 45 && id <= 47) || id == 32 || id == 33)
        return NumberKind::Time;
    return NumberKind::Number;
}

std::optional<QString> number(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    if (value == 0.0)
        return QStringLiteral("0");
    // 15 significant digits, as spreadsheets keep them: d.dddddddddddddde±x
    char buffer[32];
    const auto [end, ec]
        = std::to_chars(buffer, buffer + sizeof buffer, std::abs(value), std::chars_format::scientific, 14);
    if (ec != std::errc())
        return std::nullopt;
    const char *e = std::find(buffer, end, 'e');
    if (e == end)
        return std::nullopt;
    // The exponent ends where the written characters end: the buffer has no terminator.
    int exponent = 0;
    const char *exponentStart = e + 1 < end && e[1] == '+' ? e + 2 : e + 1;
    if (std::from_chars(exponentStart, end, exponent).ec != std::errc())
        return std::nullopt;
    std::string digits;
    digits += buffer[0];
    digits.append(static_cast<const char *>(buffer + 2), e);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    QString text;
    text.reserve(int(digits.size()) + std::abs(exponent) + 3);
    if (value < 0)
        text += u'-';
    const int integerDigits = exponent + 1;
    if (integerDigits <= 0) {
        text += QLatin1String("0,");
        text += QString(-integerDigits, u'0');
        text += QLatin1String(digits.data(), qsizetype(digits.size()));
    } else {
        for (int i = 0; i < integerDigits; ++i)
            text += i < int(digits.size()) ? QChar(digits[size_t(i)]) : QChar(u'0');
        if (int(digits.size()) > integerDigits) {
            text += u',';
            text += QLatin1String(digits.data() + integerDigits, qsizetype(digits.size()) - integerDigits);
        }
    }
    return text;
}

QString boolean(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

QString error()
{
    return QStringLiteral("#FEHLER");
}

QString duration(qint64 hundredths)
{
    const bool negative = hundredths < 0;
    const quint64 total = negative ? quint64(0) - quint64(hundredths) : quint64(hundredths);
    const quint64 hours = total / 360000;
    const int minutes = int(total / 6000 % 60);
    const int seconds = int(total / 100 % 60);
    const int fraction = int(total % 100);
    QString text = QString::asprintf("%s%02llu:%02d:%02d", negative ? "-" : "",
                                     static_cast<unsigned long long>(hours), minutes, seconds);
    if (fraction != 0)
        text += QString::asprintf(",%02d", fraction);
    return text;
}

std::optional<QString> dateText(const QDate &date, qint64 hundredthsOfDay)
{
    if (!date.isValid() || date.year() < 1 || date.year() > 9999 || hundredthsOfDay < 0
        || hundredthsOfDay >= HundredthsPerDay)
        return std::nullopt;
    QString text = QString::asprintf("%02d.%02d.%04d", date.day(), date.month(), date.year());
    if (hundredthsOfDay != 0)
        text += u' ' + duration(hundredthsOfDay);
    return text;
}

std::optional<QString> serial(double serial, NumberKind kind, const QDate &origin)
{
    if (kind == NumberKind::Number)
        return number(serial);
    if (!std::isfinite(serial) || std::abs(serial) > MaxSerialDays)
        return std::nullopt;
    const qint64 total = std::llround(serial * double(HundredthsPerDay));
    if (kind == NumberKind::Time)
        return duration(total);
    qint64 days = total / HundredthsPerDay;
    qint64 rest = total % HundredthsPerDay;
    if (rest < 0) {
        rest += HundredthsPerDay;
        --days;
    }
    return dateText(origin.addDays(days), rest);
}

std::optional<QString> isoDate(QStringView value)
{
    qsizetype pos = 0;
    qint64 year = 0, month = 0, day = 0;
    int yearDigits = 0;
    if (!readDigits(value, pos, 4, year, &yearDigits) || yearDigits != 4 || !expect(value, pos, u'-')
        || !readDigits(value, pos, 2, month) || !expect(value, pos, u'-') || !readDigits(value, pos, 2, day))
        return std::nullopt;
    qint64 hundredths = 0;
    if (expect(value, pos, u'T')) {
        qint64 hour = 0, minute = 0, second = 0;
        if (!readDigits(value, pos, 2, hour) || !expect(value, pos, u':')
            || !readDigits(value, pos, 2, minute))
            return std::nullopt;
        if (expect(value, pos, u':') && !readDigits(value, pos, 2, second))
            return std::nullopt;
        int fraction = 0;
        if (expect(value, pos, u'.') || expect(value, pos, u','))
            fraction = readHundredths(value, pos);
        if (hour > 24 || minute > 59 || second > 60)
            return std::nullopt;
        hundredths = ((hour * 60 + minute) * 60 + second) * 100 + fraction;
        // A zone, if any, is left as written: the protocol shows local times.
        if (expect(value, pos, u'Z')) {
        } else if (pos < value.size() && (value[pos] == u'+' || value[pos] == u'-')) {
            qint64 zone = 0;
            ++pos;
            if (!readDigits(value, pos, 2, zone) || !expect(value, pos, u':')
                || !readDigits(value, pos, 2, zone))
                return std::nullopt;
        }
    }
    if (pos != value.size())
        return std::nullopt;
    QDate date{int(year), int(month), int(day)};
    if (!date.isValid())
        return std::nullopt;
    date = date.addDays(hundredths / HundredthsPerDay);
    return dateText(date, hundredths % HundredthsPerDay);
}

std::optional<QString> isoDuration(QStringView value)
{
    qsizetype pos = 0;
    const bool negative = expect(value, pos, u'-');
    if (!expect(value, pos, u'P'))
        return std::nullopt;
    qint64 hundredths = 0;
    bool any = false;
    bool inTime = false;
    // Units in their order; years and months have no fixed length and must be zero.
    const char16_t dateUnits[] = {u'Y', u'M', u'D'};
    const char16_t timeUnits[] = {u'H', u'M', u'S'};
    int nextUnit = 0;
    while (pos < value.size()) {
        if (!inTime && expect(value, pos, u'T')) {
            inTime = true;
            nextUnit = 0;
            if (pos == value.size())
                return std::nullopt;
            continue;
        }
        qint64 number = 0;
        if (!readDigits(value, pos, 12, number))
            return std::nullopt;
        int fraction = 0;
        const bool hasFraction = expect(value, pos, u'.') || expect(value, pos, u',');
        if (hasFraction)
            fraction = readHundredths(value, pos);
        if (pos == value.size())
            return std::nullopt;
        const char16_t unit = value[pos++].unicode();
        const char16_t *units = inTime ? timeUnits : dateUnits;
        int index = nextUnit;
        while (index < 3 && units[index] != unit)
            ++index;
        if (index == 3 || (hasFraction && !(inTime && unit == u'S')))
            return std::nullopt;
        nextUnit = index + 1;
        any = true;
        if (!inTime) {
            if (unit != u'D' && number != 0)
                return std::nullopt;
            if (unit == u'D')
                hundredths += number * HundredthsPerDay;
        } else {
            static constexpr qint64 scale[] = {360000, 6000, 100};
            hundredths += number * scale[index] + fraction;
        }
        if (hundredths > qint64(MaxSerialDays) * HundredthsPerDay)
            return std::nullopt;
    }
    if (!any)
        return std::nullopt;
    return duration(negative ? -hundredths : hundredths);
}

QString decodeEscapes(QStringView text)
{
    if (!text.contains(QLatin1String("_x")))
        return text.toString();
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (escapeAt(text, i)) {
            out += QChar(char16_t(text.mid(i + 2, 4).toUShort(nullptr, 16)));
            i += 6;
        } else {
            out += text[i];
        }
    }
    return out;
}

QString encodeEscapes(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        if (escapeAt(text, i))
            out += QLatin1String("_x005F_");
        else if (ch.unicode() == 0xFFFE || ch.unicode() == 0xFFFF)
            out += QString::asprintf("_x%04X_", ch.unicode());
        else
            out += ch;
    }
    return out;
}

} // namespace WorkbookCellText
