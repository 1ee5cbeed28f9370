#pragma once

#include "serial/SerialBackend.h"

#include <QCoreApplication>

#include <chrono>
#include <functional>
#include <vector>

using SteadyClock = std::chrono::steady_clock;

double percentile(std::vector<double> values, double fraction);
void printFigures(const char *what, const std::vector<double> &values, const char *unit);

// Raises (true) or lowers (false) the finish line of the port under measurement.
using FinishLineSetter = std::function<void(bool on)>;

// `crossings` finish crossings `apartMs` apart on "COM" `port` of `backend`, the
// line moved by `setCts`; the interface thread is blocked `busyMs` after every
// finish. Prints how long after each edge the monitor stamped it and how far the
// recorded finish time lies from the edge's time of day.
void measureStamps(QCoreApplication &app, SerialBackend &backend, int port, const FinishLineSetter &setCts,
                   int crossings, int apartMs, int busyMs);
