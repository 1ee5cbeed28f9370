#pragma once

#include <QString>

// The protocol's text of a time in milliseconds: hours ":" minutes "." seconds
// "," fraction, with `precision` fraction digits (0, 1 or 2), leading zeros and
// separators cut up to the first digit 1..9 but never more than seven characters.
QString formatRaceTime(qint32 milliseconds, int precision);
