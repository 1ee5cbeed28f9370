#include "timing/BarrierStatus.h"

#include "timing/SerialTriggers.h"

namespace {

const QString ChooseAlgorithm = QStringLiteral("In den Einstellungen „Ein“ oder „Aus“ wählen.");

} // namespace

BarrierStatus BarrierStatus::of(const Port &port)
{
    BarrierStatus status;
    if (!port.open) {
        // A port the monitor closed on a failed wait; one closed by choice says nothing.
        if (port.number != 0 && !port.waitFailure.isEmpty()) {
            const QString reason = port.disconnected ? QStringLiteral("Gerät getrennt") : port.waitFailure;
            status.warning = QStringLiteral("Lichtschranken aus: ") + reason
                + QStringLiteral(". Nach dem Anschließen die Einstellungen mit "
                                 "OK bestätigen.");
        }
        return status;
    }
    switch (port.alg) {
    case SerialTriggers::AlgOn:
    case SerialTriggers::AlgOff:
        status.mode = Auto;
        break;
    case SerialTriggers::AlgFinishOnly:
        status.mode = FinishOnly;
        status.warning
            = QStringLiteral("Start-Lichtschranke inaktiv (Algorithmus 2: nur Ziel). ") + ChooseAlgorithm;
        break;
    default:
        status.warning
            = QStringLiteral("Lichtschranken inaktiv: kein gültiger Algorithmus. ") + ChooseAlgorithm;
        break;
    }
    if (port.lostEvents != 0) {
        const QString lost = QStringLiteral("Achtung: %1 Lichtschranken-Signale verloren "
                                            "(Programm war zu lange blockiert).")
                                 .arg(port.lostEvents);
        status.warning = status.warning.isEmpty() ? lost : status.warning + QLatin1Char('\n') + lost;
    }
    return status;
}
