#pragma once

#include "timing/RaceClock.h"

#include <QList>
#include <QObject>
#include <QPair>
#include <QStringList>

// Records what a race clock announces, in order: the signal names in `calls`, the
// display rows it asked for, and each finish's time text and source.
class RaceClockRecorder : public QObject
{
public:
    QStringList calls;
    QList<QPair<DisplayRow, qint32>> shown;
    QStringList timeTexts;
    QList<FinishSource> sources;
    int resultCount = 0;

    explicit RaceClockRecorder(RaceClock &clock)
    {
        connect(&clock, &RaceClock::timeShown, this, [this](DisplayRow row, qint32 ms) {
            shown.append({row, ms});
            calls << QStringLiteral("timeShown");
        });
        connect(&clock, &RaceClock::finishRecorded, this, [this](const RaceFinish &finish) {
            timeTexts << finish.timeText;
            sources << finish.source;
            ++resultCount;
            calls << QStringLiteral("finishRecorded");
        });
        connect(&clock, &RaceClock::started, this, [this] { calls << QStringLiteral("started"); });
        connect(&clock, &RaceClock::stopped, this, [this] { calls << QStringLiteral("stopped"); });
        connect(&clock, &RaceClock::wasReset, this, [this] {
            resultCount = 0;
            calls << QStringLiteral("wasReset");
        });
        connect(&clock, &RaceClock::commandStatesChanged, this,
                [this] { calls << QStringLiteral("commandStatesChanged"); });
    }
};
