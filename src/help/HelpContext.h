#pragma once

// Context ids of the operator's manual. Each page of the help carries the
// identifier "context.<id>", which showContext opens.
enum HelpContext : int {
    hcxOverview = 1,
    hcxRace = 2,
    hcxStartNumbers = 3,
    hcxLightBarriers = 4,
    hcxSettings = 5,
    hcxProtocol = 6,
    hcxShortcuts = 7,
    hcxTroubleshooting = 8,
};
