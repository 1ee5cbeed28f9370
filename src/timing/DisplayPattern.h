#pragma once

#include <QtGlobal>

#include <array>

// Digits of one display row, from tens of hours down to hundredths.
enum DisplayDigit {
    HourTens,
    HourUnits,
    MinuteTens,
    MinuteUnits,
    SecondTens,
    SecondUnits,
    Tenths,
    Hundredths,
    DisplayDigitCount
};

// What showTime puts on one row: the value of every digit and whether it is lit.
// Digits whose colour the row does not set have `colourSet` false.
struct DisplayPattern
{
    std::array<int, DisplayDigitCount> values{};
    std::array<bool, DisplayDigitCount> lit{};
    std::array<bool, DisplayDigitCount> colourSet{};
};

// Splits a millisecond value down to hundredths (hours modulo 100) and applies
// the dimming rule of the upper (`upperRow`) or lower row.
DisplayPattern splitDisplayTime(qint32 milliseconds, bool upperRow);
