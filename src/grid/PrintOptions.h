#pragma once

#include <QString>

enum PrintRange { prAll, prSelected };

// Print settings the grid carries for its owner; the grid itself never reads them.
struct PrintOptions
{
    QString jobTitle;
    QString pageTitle;
    unsigned copies = 0;
    PrintRange printRange = prAll;
    unsigned previewPage = 0;
    unsigned fromRow = 0;
    unsigned toRow = 0;
};
