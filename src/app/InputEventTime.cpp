#include "app/InputEventTime.h"

#include "platform/ClockSource.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QInputEvent>

#include <algorithm>
#include <utility>

InputEventTime::InputEventTime(const ClockSource &clocks, bool useEventStamps, QObject *parent)
    : QObject(parent)
    , m_clocks(clocks)
    , m_useEventStamps(useEventStamps)
{
    QCoreApplication::instance()->installEventFilter(this);
}

InputEventTime::~InputEventTime()
{
    QCoreApplication::instance()->removeEventFilter(this);
}

bool InputEventTime::platformStampsEvents()
{
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("xcb") || platform == QLatin1String("windows");
}

std::optional<quint32> InputEventTime::takePressTick()
{
    return std::exchange(m_pressTick, std::nullopt);
}

bool InputEventTime::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
        break;
    default:
        return QObject::eventFilter(watched, event);
    }
    const auto *input = static_cast<const QInputEvent *>(event);
    const quint32 tick = m_clocks.tickCount();
    const bool stamped = m_useEventStamps && input->timestamp() != 0;
    if (stamped)
        observe(quint32(input->timestamp()), tick);
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        // A key press reaches the application twice (asked whether it is a shortcut, then
        // delivered); the first time counts.
        if (m_pressTick && event->type() == QEvent::KeyPress)
            break;
        qint32 age = 0;
        if (const std::optional<qint32> known = offset(); stamped && known)
            age = qint32(tick - quint32(input->timestamp())) - *known;
        m_pressTick = age > 0 && age <= MaxPressAgeMs ? tick - quint32(age) : tick;
        break;
    }
    default:
        // A press that did nothing is over once its key or button is let go.
        if (event->type() != QEvent::MouseMove)
            m_pressTick.reset();
        break;
    }
    return QObject::eventFilter(watched, event);
}

void InputEventTime::observe(quint32 eventStamp, quint32 tick)
{
    if (tick - m_periodStart >= OffsetPeriodMs) {
        m_offsetLastPeriod = m_offsetThisPeriod;
        m_offsetThisPeriod.reset();
        m_periodStart = tick;
    }
    const qint32 delay = qint32(tick - eventStamp);
    m_offsetThisPeriod = std::min(m_offsetThisPeriod.value_or(delay), delay);
}

std::optional<qint32> InputEventTime::offset() const
{
    if (m_offsetThisPeriod && m_offsetLastPeriod)
        return std::min(*m_offsetThisPeriod, *m_offsetLastPeriod);
    return m_offsetThisPeriod ? m_offsetThisPeriod : m_offsetLastPeriod;
}
