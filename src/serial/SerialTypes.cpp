#include "serial/SerialTypes.h"

#include <array>

quint32 baudRateValue(BaudRate rate, quint32 user)
{
    static const std::array<quint32, 15> rates
        = {110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600, 115200, 128000, 256000};
    if (rate == BaudRate::User)
        return user;
    return rates[size_t(rate)];
}

quint32 platformEventMask(SerialEvents events)
{
    // Indexed by SerialEvent.
    static const std::array<quint32, 9> bits
        = {ComEvent::RxChar, ComEvent::TxEmpty, ComEvent::RxFlag, ComEvent::Ring, ComEvent::Break,
           ComEvent::Cts,    ComEvent::Dsr,     ComEvent::Error,  ComEvent::Rlsd};
    quint32 mask = 0;
    for (size_t i = 0; i < bits.size(); ++i) {
        if (events & (1u << i))
            mask |= bits[i];
    }
    return mask;
}
