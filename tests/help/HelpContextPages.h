#pragma once

#include "help/HelpContext.h"

#include <QTest>

// The rows of a data-driven test over the manual's context ids: each id and the page it
// opens.
inline void addContextPageRows()
{
    QTest::addColumn<int>("context");
    QTest::addColumn<QString>("page");
    QTest::newRow("overview") << int(hcxOverview) << "ueberblick.html";
    QTest::newRow("race") << int(hcxRace) << "rennablauf.html";
    QTest::newRow("start numbers") << int(hcxStartNumbers) << "startnummern.html";
    QTest::newRow("light barriers") << int(hcxLightBarriers) << "lichtschranken.html";
    QTest::newRow("settings") << int(hcxSettings) << "einstellungen.html";
    QTest::newRow("protocol") << int(hcxProtocol) << "protokoll.html";
    QTest::newRow("shortcuts") << int(hcxShortcuts) << "tastenkuerzel.html";
    QTest::newRow("troubleshooting") << int(hcxTroubleshooting) << "fehlerbehebung.html";
}
