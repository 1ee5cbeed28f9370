#pragma once

#include <QString>

enum TMyPrintRange { prAll, prSelected };

// Print settings the grid carries for its owner; the grid itself never reads them.
struct TPrintOptions
{
    QString JobTitle;
    QString PageTitle;
    unsigned Copies = 0;
    TMyPrintRange PrintRange = prAll;
    unsigned PreviewPage = 0;
    unsigned FromRow = 0;
    unsigned ToRow = 0;
};
