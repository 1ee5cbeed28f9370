#pragma once

#include <QMetaType>
#include <QString>

// What recorded a finish: F4 (or any command key), a press on ZIEL, a light barrier's edge.
enum class FinishSource { Key, Mouse, LightBarrier };

// One finish as the clock took it; it travels on as it is, to the protocol and the journal.
struct RaceFinish
{
    qint32 timeOfDayMs = 0; // when it happened
    QString timeText; // the race time in the chosen precision
    FinishSource source = FinishSource::Key;
};

Q_DECLARE_METATYPE(RaceFinish)
