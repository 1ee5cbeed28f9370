// Light-barrier timing of the Win32 backend under Wine, on the COM port of the
// serial tests' modem-line rig: how long after an edge the monitor stamps it and
// how far a recorded finish lies from the edge's time of day, with the interface
// thread idle and blocked 300 ms after every finish. Wine's WaitCommEvent looks
// at the lines every millisecond; a real driver reports at the interrupt. Run
// from the source folder, with B the Windows build folder:
//
//   $B/tests/serial/modemrig $B/tests/serial/modemlines.so com5 bench_serial_latency_wine --
//       packaging/windows/wine-run $B/bench/serial/bench_serial_latency_wine.exe

#include "EdgeStampFigures.h"
#include "wine/ModemLineDriver.h"

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ModemLineDriver lines;
    if (!lines.open()) {
        std::fprintf(stderr, "runs under Wine in the modem-line rig only\n");
        return 1;
    }
    const auto setCts = [&lines](bool on) { lines.setLines(on ? ModemLineDriver::Cts : 0); };
    measureStamps(app, defaultComBackend(), ModemLineDriver::Port, setCts, 200, 10, 0);
    measureStamps(app, defaultComBackend(), ModemLineDriver::Port, setCts, 20, 100, 300);
    return 0;
}
