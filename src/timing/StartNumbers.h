#pragma once

#include <QChar>
#include <QString>

// Takes the start number off the front of the list: the leading run of digits
// (leading zeros kept); that run and every non-digit behind it leave the list.
// A list that begins with a non-digit yields an empty number.
QString takeNextStartNumber(QString &list);

// Whether a typed character may enter the start-number list: digits, "," and Backspace.
bool isStartNumberCharacter(QChar character);

// The list with only digits and "," left, for text that arrives other than by typing
// (pasted, dropped). A run of other characters between two digits becomes one ","
// so that neighbouring numbers stay apart ("18, 345;2" gives "18,345,2"); any other
// run is dropped. `cursor`, when given, is moved along with the text before it.
QString keepStartNumberCharacters(const QString &text, qsizetype *cursor = nullptr);
