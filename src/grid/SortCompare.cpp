#include "grid/SortCompare.h"

#include "platform/TextCodec.h"

#include <QDate>
#include <QVarLengthArray>

#include <cmath>
#include <cstring>
#include <limits>

namespace SortCompare {

namespace {

bool isDigit(QChar ch)
{
    return ch.unicode() >= '0' && ch.unicode() <= '9';
}

// Reads a run of decimal digits at pos; false when there is none.
bool scanNumber(QStringView s, qsizetype &pos, int &value, int &digits)
{
    value = 0;
    digits = 0;
    while (pos < s.size() && isDigit(s.at(pos))) {
        if (value > 100000000)
            return false;
        value = value * 10 + (s.at(pos).unicode() - '0');
        ++pos;
        ++digits;
    }
    return digits > 0;
}

void skipBlanks(QStringView s, qsizetype &pos)
{
    while (pos < s.size() && s.at(pos) == QLatin1Char(' '))
        ++pos;
}

bool scanChar(QStringView s, qsizetype &pos, QChar ch)
{
    skipBlanks(s, pos);
    if (pos < s.size() && s.at(pos) == ch) {
        ++pos;
        return true;
    }
    return false;
}

QChar decimalSeparator(const QLocale &locale)
{
    const QString d = locale.decimalPoint();
    return d.isEmpty() ? QLatin1Char('.') : d.at(0);
}

QChar timeSeparator(const QLocale &locale)
{
    const QString format = locale.timeFormat(QLocale::ShortFormat);
    for (QChar ch : format)
        if (!ch.isLetter() && ch != QLatin1Char(' ') && ch != QLatin1Char('\''))
            return ch;
    return QLatin1Char(':');
}

// Order of day, month and year in the locale's short date format, and its separator.
struct DateOrder
{
    enum Kind { DMY, MDY, YMD } kind = DMY;
    QChar separator = QLatin1Char('.');
};

DateOrder dateOrderOf(const QLocale &locale)
{
    DateOrder order;
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    const qsizetype d = format.indexOf(QLatin1Char('d'));
    const qsizetype m = format.indexOf(QLatin1Char('M'));
    const qsizetype y = format.indexOf(QLatin1Char('y'));
    if (y >= 0 && y < m && y < d)
        order.kind = DateOrder::YMD;
    else if (m >= 0 && m < d)
        order.kind = DateOrder::MDY;
    for (QChar ch : format) {
        if (!ch.isLetter() && ch != QLatin1Char('\'')) {
            order.separator = ch;
            break;
        }
    }
    return order;
}

bool scanTime(QStringView s, qsizetype &pos, const QLocale &locale, double &value)
{
    int hour = 0, minute = 0, second = 0, msec = 0, digits = 0;
    skipBlanks(s, pos);
    if (!scanNumber(s, pos, hour, digits))
        return false;
    const QChar sep = timeSeparator(locale);
    if (scanChar(s, pos, sep)) {
        skipBlanks(s, pos);
        if (!scanNumber(s, pos, minute, digits))
            return false;
        if (scanChar(s, pos, sep)) {
            skipBlanks(s, pos);
            if (!scanNumber(s, pos, second, digits))
                return false;
            if (scanChar(s, pos, decimalSeparator(locale))) {
                skipBlanks(s, pos);
                if (!scanNumber(s, pos, msec, digits))
                    return false;
            }
        }
    }
    if (hour > 23 || minute > 59 || second > 59 || msec > 999)
        return false;
    value = (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + msec) / 86400000.0;
    return true;
}

bool scanDate(QStringView s, qsizetype &pos, const QLocale &locale, double &value)
{
    const DateOrder order = dateOrderOf(locale);
    int n[3] = {0, 0, 0};
    int digits[3] = {0, 0, 0};
    skipBlanks(s, pos);
    if (!scanNumber(s, pos, n[0], digits[0]) || !scanChar(s, pos, order.separator))
        return false;
    skipBlanks(s, pos);
    if (!scanNumber(s, pos, n[1], digits[1]))
        return false;
    int count = 2;
    if (scanChar(s, pos, order.separator)) {
        skipBlanks(s, pos);
        if (scanNumber(s, pos, n[2], digits[2]))
            count = 3;
    }
    int day = 0, month = 0, year = 0, yearDigits = 0;
    if (count == 2) {
        year = QDate::currentDate().year();
        yearDigits = 4;
        if (order.kind == DateOrder::MDY) {
            month = n[0];
            day = n[1];
        } else if (order.kind == DateOrder::YMD) {
            month = n[0];
            day = n[1];
        } else {
            day = n[0];
            month = n[1];
        }
    } else if (order.kind == DateOrder::DMY) {
        day = n[0], month = n[1], year = n[2], yearDigits = digits[2];
    } else if (order.kind == DateOrder::MDY) {
        month = n[0], day = n[1], year = n[2], yearDigits = digits[2];
    } else {
        year = n[0], month = n[1], day = n[2], yearDigits = digits[0];
    }
    if (yearDigits <= 2) {
        // Two-digit years fall into the 100 years around now.
        const int now = QDate::currentDate().year();
        const int century = now - now % 100;
        year += century;
        if (year > now + 50)
            year -= 100;
        else if (year <= now - 50)
            year += 100;
    }
    const QDate date(year, month, day);
    if (!date.isValid())
        return false;
    value = double(date.toJulianDay() - QDate(1899, 12, 30).toJulianDay());
    return true;
}

} // namespace

unsigned char ansiByte(QChar ch)
{
    // The code page's undefined positions sort as "?", like every character it lacks.
    const char16_t u = ch.unicode();
    if (u >= 0x80 && u <= 0x9F)
        return '?';
    return TextCodec::byteOf(ch).value_or('?');
}

int compareOrdinal(QStringView a, QStringView b)
{
    const qsizetype n = std::min(a.size(), b.size());
    const char16_t *pa = a.utf16();
    const char16_t *pb = b.utf16();
    qsizetype i = 0;
    // Skip the equal start four characters at a time.
    while (i + 4 <= n) {
        quint64 wa = 0;
        quint64 wb = 0;
        std::memcpy(&wa, pa + i, sizeof wa);
        std::memcpy(&wb, pb + i, sizeof wb);
        if (wa != wb)
            break;
        i += 4;
    }
    while (i < n && pa[i] == pb[i])
        ++i;
    if (i == n) {
        if (a.size() == b.size())
            return 0;
        return a.size() < b.size() ? -1 : 1;
    }
    const char16_t ca = pa[i];
    const char16_t cb = pb[i];
    const unsigned char ba = ca < 0x80 ? static_cast<unsigned char>(ca) : ansiByte(QChar(ca));
    const unsigned char bb = cb < 0x80 ? static_cast<unsigned char>(cb) : ansiByte(QChar(cb));
    if (ba != bb)
        return ba < bb ? -1 : 1;
    // Two characters outside the code page share the byte '?': compare the rest.
    return compareOrdinal(a.mid(i + 1), b.mid(i + 1));
}

QString lowerCaseAZ(const QString &text)
{
    QString result = text;
    QChar *p = nullptr;
    for (qsizetype i = 0; i < result.size(); ++i) {
        const char16_t c = result.at(i).unicode();
        if (c >= 'A' && c <= 'Z') {
            if (!p)
                p = result.data();
            p[i] = QChar(char16_t(c + ('a' - 'A')));
        }
    }
    return result;
}

int compareNumericExtended(QStringView a, QStringView b)
{
    if (a.isEmpty() || b.isEmpty())
        return -1;
    // The differing parts: the characters at the positions where the texts differ
    // or hold a digit; when the last common position is one of them, the rest of
    // each text from there on. Collected in one pass into buffers that hold them
    // whole, since this runs for every comparison of a sort.
    const qsizetype n = std::min(a.size(), b.size());
    const char16_t *pa = a.utf16();
    const char16_t *pb = b.utf16();
    QVarLengthArray<char16_t, 64> ra(a.size());
    QVarLengthArray<char16_t, 64> rb(b.size());
    qsizetype la = 0;
    qsizetype lb = 0;
    for (qsizetype p = 0; p < n - 1; ++p) {
        if (pa[p] == pb[p] && !isDigit(QChar(pa[p])))
            continue;
        ra[la++] = pa[p];
        rb[lb++] = pb[p];
    }
    if (pa[n - 1] != pb[n - 1] || isDigit(QChar(pa[n - 1]))) {
        la = std::copy(pa + n - 1, pa + a.size(), ra.data() + la) - ra.data();
        lb = std::copy(pb + n - 1, pb + b.size(), rb.data() + lb) - rb.data();
    }
    // Every position, counted from the ends of the parts as collected, where both
    // hold the same non-digit shortens both parts by one at their ends.
    qsizetype trim = 0;
    for (qsizetype k = 1; k <= std::min(la, lb); ++k)
        if (ra[la - k] == rb[lb - k] && !isDigit(QChar(ra[la - k])))
            ++trim;
    const QStringView va(ra.constData(), la - trim);
    const QStringView vb(rb.constData(), lb - trim);
    if (va == vb)
        return 0;
    int ia = 0;
    int ib = 0;
    if (tryStrToInt(va, ia) && tryStrToInt(vb, ib))
        return ia < ib ? -1 : 1;
    return compareOrdinal(va, vb);
}

bool tryStrToInt(QStringView text, int &value)
{
    qsizetype pos = 0;
    skipBlanks(text, pos);
    bool negative = false;
    if (pos < text.size() && (text.at(pos) == QLatin1Char('-') || text.at(pos) == QLatin1Char('+'))) {
        negative = text.at(pos) == QLatin1Char('-');
        ++pos;
    }
    if (pos >= text.size())
        return false;
    qint64 v = 0;
    for (; pos < text.size(); ++pos) {
        if (!isDigit(text.at(pos)))
            return false;
        v = v * 10 + (text.at(pos).unicode() - '0');
        if (v > qint64(std::numeric_limits<int>::max()) + 1)
            return false;
    }
    if (negative)
        v = -v;
    if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
        return false;
    value = int(v);
    return true;
}

bool tryStrToFloat(QStringView text, const QLocale &locale, double &value)
{
    const QStringView s = text.trimmed();
    if (s.isEmpty())
        return false;
    const QChar dec = decimalSeparator(locale);
    QByteArray plain;
    plain.reserve(s.size());
    qsizetype i = 0;
    if (s.at(i) == QLatin1Char('+') || s.at(i) == QLatin1Char('-'))
        plain += char(s.at(i++).unicode());
    bool mantissaDigits = false;
    while (i < s.size() && isDigit(s.at(i))) {
        plain += char(s.at(i++).unicode());
        mantissaDigits = true;
    }
    if (i < s.size() && s.at(i) == dec) {
        plain += '.';
        ++i;
        while (i < s.size() && isDigit(s.at(i))) {
            plain += char(s.at(i++).unicode());
            mantissaDigits = true;
        }
    }
    if (!mantissaDigits)
        return false;
    if (i < s.size() && (s.at(i) == QLatin1Char('e') || s.at(i) == QLatin1Char('E'))) {
        plain += 'e';
        ++i;
        if (i < s.size() && (s.at(i) == QLatin1Char('+') || s.at(i) == QLatin1Char('-')))
            plain += char(s.at(i++).unicode());
        bool expDigits = false;
        while (i < s.size() && isDigit(s.at(i))) {
            plain += char(s.at(i++).unicode());
            expDigits = true;
        }
        if (!expDigits)
            return false;
    }
    if (i != s.size())
        return false;
    bool ok = false;
    const double v = QLocale::c().toDouble(QLatin1String(plain), &ok);
    if (!ok || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

bool parseTime(QStringView text, const QLocale &locale, double &value)
{
    qsizetype pos = 0;
    double v = 0;
    if (!scanTime(text, pos, locale, v))
        return false;
    skipBlanks(text, pos);
    if (pos != text.size())
        return false;
    value = v;
    return true;
}

bool tryStrToDateTime(QStringView text, const QLocale &locale, double &value)
{
    qsizetype pos = 0;
    double date = 0;
    if (scanDate(text, pos, locale, date)) {
        skipBlanks(text, pos);
        if (pos == text.size()) {
            value = date;
            return true;
        }
        double time = 0;
        if (scanTime(text, pos, locale, time)) {
            skipBlanks(text, pos);
            if (pos == text.size()) {
                value = date + (date < 0 ? -time : time);
                return true;
            }
        }
    }
    return parseTime(text, locale, value);
}

} // namespace SortCompare
