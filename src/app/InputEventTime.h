#pragma once

#include <QObject>

#include <optional>

class ClockSource;

// When the operator's key or mouse press happened, rather than when the window got round
// to it: an autosave, a dialog or a long paint may hold the window's thread while the
// press waits in the queue. Watching the whole application, it reads the time that the
// window system stamped each input event with (the X server's time, the time of a Windows
// message) and maps it onto the clock's ticks: the smallest delay seen between an event's
// stamp and its arrival over the last seconds is the offset between the two clocks; a
// press that arrives later than that was held up by so much. Without stamps, or where
// the stamps cannot be trusted, a press happened when it is seen.
class InputEventTime : public QObject
{
public:
    // `useEventStamps`: whether the platform's event stamps count.
    InputEventTime(const ClockSource &clocks, bool useEventStamps, QObject *parent = nullptr);
    ~InputEventTime() override;

    // Whether the platform's stamps are worth reading: those of the X server and of
    // Windows are; the offscreen platform and tests synthesise their own.
    static bool platformStampsEvents();

    // The tick at which the press now being handled happened; nothing when no press is
    // being handled. Each press is taken once.
    std::optional<quint32> takePressTick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Stamps are milliseconds of a 32-bit clock; so are the ticks.
    void observe(quint32 eventStamp, quint32 tick);
    std::optional<qint32> offset() const;

    // An offset is kept for this long at least, so that drift between the clocks is
    // followed; held-up presses never lower it.
    static constexpr quint32 OffsetPeriodMs = 10000;
    // A press held up longer than this is no press the operator waits for: its stamp is
    // not believed.
    static constexpr qint32 MaxPressAgeMs = 10000;

    const ClockSource &m_clocks;
    bool m_useEventStamps;
    quint32 m_periodStart = 0;
    std::optional<qint32> m_offsetThisPeriod;
    std::optional<qint32> m_offsetLastPeriod;
    std::optional<quint32> m_pressTick; // when the press being handled happened
};
