#pragma once

#include <QString>

// The race a child process starts and is killed in, to be continued by the test: its
// start-number list and the milliseconds from START to each finish, one after another.
namespace KilledRace {

inline const QString StartNumbers = QStringLiteral("7,12,33,41");
inline constexpr int FinishSteps[] = {3470, 1530};

} // namespace KilledRace
