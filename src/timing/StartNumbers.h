#pragma once

#include <QChar>
#include <QString>

// Takes the start number off the front of the list: the leading run of digits
// (leading zeros kept); that run and every non-digit behind it leave the list.
// A list that begins with a non-digit yields an empty number.
QString TakeNextStartNumber(QString &list);

// Whether a typed character may enter the start-number list: digits, "," and Backspace.
bool IsStartNumberCharacter(QChar character);
