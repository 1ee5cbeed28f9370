#pragma once

#include <QElapsedTimer>

#include <algorithm>
#include <functional>
#include <vector>

// One run of work after an untimed prepare, in milliseconds.
inline double timed(const std::function<void()> &work, const std::function<void()> &prepare = {})
{
    if (prepare)
        prepare();
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

inline double medianOf(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Median of several runs of work, each after an untimed prepare, in milliseconds.
inline double median(int runs, const std::function<void()> &work, const std::function<void()> &prepare = {})
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i)
        times.push_back(timed(work, prepare));
    return medianOf(times);
}

// Medians of pieces of work run by turns, so that a figure and its references meet the
// same load of the machine; in milliseconds.
inline std::vector<double> mediansByTurns(int runs, const std::vector<std::function<void()>> &works)
{
    std::vector<std::vector<double>> times(works.size());
    for (int i = 0; i < runs; ++i)
        for (size_t w = 0; w < works.size(); ++w)
            times[w].push_back(timed(works[w]));
    std::vector<double> medians;
    for (const std::vector<double> &workTimes : times)
        medians.push_back(medianOf(workTimes));
    return medians;
}
