#include "platform/ClockSource.h"

#include "platform/RegularFile.h"

#include <QTime>

#include <chrono>

quint32 SystemClockSource::tickCount() const
{
    const auto sinceBoot = std::chrono::steady_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(sinceBoot).count();
    return quint32(quint64(ms)); // wraps like a 32-bit tick counter
}

qint32 SystemClockSource::timeOfDayMs() const
{
    return QTime::currentTime().msecsSinceStartOfDay();
}

qint32 ScriptedClockSource::timeOfDayMs() const
{
    QString ignored;
    const QByteArray text = readRegularFile(m_fileName, 4096, &ignored).value_or(QByteArray());
    const QTime time = QTime::fromString(QString::fromLatin1(text.left(64).trimmed()), QStringLiteral("HH:mm:ss.zzz"));
    return time.isValid() ? time.msecsSinceStartOfDay() : 0;
}

ClockSource &defaultClockSource()
{
    static const QString scripted = qEnvironmentVariable("TIVANO_SCRIPTED_CLOCK");
    if (!scripted.isEmpty()) {
        static ScriptedClockSource source(scripted);
        return source;
    }
    static SystemClockSource source;
    return source;
}
