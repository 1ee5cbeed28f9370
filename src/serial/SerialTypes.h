#pragma once

#include "platform/ClockSource.h"

#include <QtGlobal>

// Line settings and events of a serial port.

enum class BaudRate {
    Baud110,
    Baud300,
    Baud600,
    Baud1200,
    Baud2400,
    Baud4800,
    Baud9600,
    Baud14400,
    Baud19200,
    Baud38400,
    Baud56000,
    Baud57600,
    Baud115200,
    Baud128000,
    Baud256000,
    User
};

enum class Parity { None, Odd, Even, Mark, Space };

enum class StopBits { One, OneAndHalf, Two };

enum class FlowControl { None, RtsCts, XonXoff };

enum class SerialEvent { RxChar, TxEmpty, RxFlag, Ring, Break, Cts, Dsr, Error, Rlsd };

// A set of SerialEvent: bit i stands for the i-th value of SerialEvent.
using SerialEvents = quint16;

inline constexpr SerialEvents eventSet(SerialEvent event)
{
    return SerialEvents(1u << unsigned(event));
}
inline constexpr SerialEvents AllEvents = 0x01FF;

// The platform's line-event bits, as the monitor thread reports them.
namespace ComEvent {
inline constexpr quint32 RxChar = 0x0001;
inline constexpr quint32 RxFlag = 0x0002;
inline constexpr quint32 TxEmpty = 0x0004;
inline constexpr quint32 Cts = 0x0008;
inline constexpr quint32 Dsr = 0x0010;
inline constexpr quint32 Rlsd = 0x0020;
inline constexpr quint32 Break = 0x0040;
inline constexpr quint32 Error = 0x0080;
inline constexpr quint32 Ring = 0x0100;
} // namespace ComEvent

// Bits of the modem-status word.
namespace ModemLine {
inline constexpr quint32 CtsOn = 0x0010;
inline constexpr quint32 DsrOn = 0x0020;
inline constexpr quint32 RingOn = 0x0040;
inline constexpr quint32 RlsdOn = 0x0080;
} // namespace ModemLine

// The bit rate in bit/s for a BaudRate; BaudRate::User gives `user` unchanged.
quint32 baudRateValue(BaudRate rate, quint32 user);

// The platform event mask for a set of SerialEvent.
quint32 platformEventMask(SerialEvents events);

// Everything the backend needs to program the line.
struct SerialLineSettings
{
    quint32 baudRate = 9600;
    int dataBits = 8;
    Parity parity = Parity::None;
    StopBits stopBits = StopBits::One;
    FlowControl flowControl = FlowControl::None;
    bool enableDTR = true;
    qint32 readBufSize = 2048;
    qint32 writeBufSize = 2048;
    qint32 xonLim = 512;
    qint32 xoffLim = 1;
    char xonChar = 17;
    char xoffChar = 19;
};

// One notification of the monitor: the events (ComEvent bits) it reports, the
// modem-status word that goes with them, and when the monitor saw them.
struct SerialNotification
{
    quint32 events = 0;
    quint32 modemStatus = 0;
    ClockStamp stamp;
    quint32 inQue = 0; // with RxChar: the bytes waiting in the input queue then
};
