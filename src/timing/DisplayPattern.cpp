#include "timing/DisplayPattern.h"

DisplayPattern splitDisplayTime(qint32 milliseconds, bool upperRow)
{
    const qint32 c = milliseconds / 10;
    const int hundredths = int(c % 100);
    const int s = int((c / 100) % 60);
    const int m = int((c / 6000) % 60);
    const int h = int((c / 360000) % 100);

    DisplayPattern pattern;
    pattern.values = {h / 10, h % 10, m / 10, m % 10, s / 10, s % 10, hundredths / 10, hundredths % 10};

    pattern.lit[HourTens] = h > 9;
    pattern.lit[HourUnits] = h > 0;
    pattern.lit[MinuteTens] = h + m / 10 > 0;
    pattern.lit[MinuteUnits] = h + m > 0;
    pattern.lit[SecondTens] = h + m + s / 10 > 0;
    for (int digit = HourTens; digit <= SecondTens; ++digit)
        pattern.colourSet[size_t(digit)] = true;

    // The upper row keeps its last three digits in the lit colour of the
    // settings; the lower row dims them together when the whole value is zero.
    if (!upperRow) {
        const bool anyTime = h + m + s + hundredths > 0;
        for (int digit = SecondUnits; digit <= Hundredths; ++digit) {
            pattern.lit[size_t(digit)] = anyTime;
            pattern.colourSet[size_t(digit)] = true;
        }
    }
    return pattern;
}
